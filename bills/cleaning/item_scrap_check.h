// ItemScrapCheck: the plug-in of the scrap approval (报损审批单).
#pragma once

#include "frame/plugin.h"

namespace orb {

class ItemScrapCheck : public StatusBillPlugin {
 public:
  ItemScrapCheck() : StatusBillPlugin("ItemScrapCheck") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
