#include "bills/packaging/item_balance.h"

#include "frame/error_trap.h"

namespace orb {

void ItemBalance::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
