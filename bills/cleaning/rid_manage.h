// RidManage: the plug-in of the line clearance scheme (清场方案).
#pragma once

#include "frame/plugin.h"

namespace orb {

class RidManage : public StatusBillPlugin {
 public:
  RidManage() : StatusBillPlugin("RidManage") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
