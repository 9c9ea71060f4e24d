#include "bills/packaging/batch_pack_log.h"

#include "frame/error_trap.h"

namespace orb {

void BatchPackLog::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
