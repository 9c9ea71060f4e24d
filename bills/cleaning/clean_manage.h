// CleanManage: the plug-in of the cleaning scheme and cleaning record (清洁方案, 清洁记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class CleanManage : public StatusBillPlugin {
 public:
  CleanManage() : StatusBillPlugin("CleanManage") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
