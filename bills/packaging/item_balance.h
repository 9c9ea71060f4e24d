// ItemBalance: the plug-in of the packaging material balance (包装材料物料平衡).
#pragma once

#include "frame/plugin.h"

namespace orb {

class ItemBalance : public StatusBillPlugin {
 public:
  ItemBalance() : StatusBillPlugin("ItemBalance") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
