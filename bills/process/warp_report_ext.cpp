#include "bills/process/warp_report_ext.h"

#include "frame/error_trap.h"

namespace orb {

void WarpReportExt::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
