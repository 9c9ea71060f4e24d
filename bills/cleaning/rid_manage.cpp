#include "bills/cleaning/rid_manage.h"

#include "frame/error_trap.h"

namespace orb {

void RidManage::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
