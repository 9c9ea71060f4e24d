#include "bills/packaging/stock_maintain.h"

#include "frame/error_trap.h"

namespace orb {

void StockMaintain::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
