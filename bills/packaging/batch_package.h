// BatchPackage: the plug-in of the batch package instruction (批包装指令).
#pragma once

#include "frame/plugin.h"

namespace orb {

class BatchPackage : public StatusBillPlugin {
 public:
  BatchPackage() : StatusBillPlugin("BatchPackage") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
