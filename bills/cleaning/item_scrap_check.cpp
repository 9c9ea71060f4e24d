#include "bills/cleaning/item_scrap_check.h"

#include "frame/error_trap.h"

namespace orb {

void ItemScrapCheck::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
