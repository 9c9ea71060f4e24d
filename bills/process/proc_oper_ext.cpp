#include "bills/process/proc_oper_ext.h"

#include "frame/error_trap.h"

namespace orb {

void ProcOperExt::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
