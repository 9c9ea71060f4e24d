// WarpReportExt: the plug-in of the deviation handling report (偏差处理报告).
#pragma once

#include "frame/plugin.h"

namespace orb {

class WarpReportExt : public StatusBillPlugin {
 public:
  WarpReportExt() : StatusBillPlugin("WarpReportExt") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
