// BoxUnitExt: the plug-in of the box merge record (合箱管理记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class BoxUnitExt : public StatusBillPlugin {
 public:
  BoxUnitExt() : StatusBillPlugin("BoxUnitExt") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
