#include "bills/process/operate_proj.h"

#include "frame/error_trap.h"

namespace orb {

void OperateProj::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
