// StockMaintain: the plug-in of the stock maintenance record (库存养护记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class StockMaintain : public StatusBillPlugin {
 public:
  StockMaintain() : StatusBillPlugin("StockMaintain") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
