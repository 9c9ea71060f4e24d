// AuditBill: the plug-in of the finished-product release audit scheme and bill (成品放行审核方案,
// 成品放行审核单).
#pragma once

#include "frame/plugin.h"

namespace orb {

class AuditBill : public StatusBillPlugin {
 public:
  AuditBill() : StatusBillPlugin("AuditBill") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
