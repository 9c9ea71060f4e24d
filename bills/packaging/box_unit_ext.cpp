#include "bills/packaging/box_unit_ext.h"

#include "frame/error_trap.h"

namespace orb {

void BoxUnitExt::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
