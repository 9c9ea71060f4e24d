#include "bills/packaging/batch_package.h"

#include "frame/error_trap.h"

namespace orb {

void BatchPackage::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
