#include "bills/cleaning/item_destroy_record.h"

#include "frame/error_trap.h"

namespace orb {

void ItemDestroyRecord::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
