#include "bills/cleaning/clean_field_log.h"

#include "frame/error_trap.h"

namespace orb {

void CleanFieldLog::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
