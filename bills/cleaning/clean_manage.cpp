#include "bills/cleaning/clean_manage.h"

#include "frame/error_trap.h"

namespace orb {

void CleanManage::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
