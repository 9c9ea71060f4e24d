// OperateProj: the plug-in of the operation record scheme (操作记录方案).
#pragma once

#include "frame/plugin.h"

namespace orb {

class OperateProj : public StatusBillPlugin {
 public:
  OperateProj() : StatusBillPlugin("OperateProj") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
