// ItemDestroyRecord: the plug-in of the scrap destruction record (报损销毁记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class ItemDestroyRecord : public StatusBillPlugin {
 public:
  ItemDestroyRecord() : StatusBillPlugin("ItemDestroyRecord") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
