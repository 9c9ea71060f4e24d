// BatchPackLog: the plug-in of the batch packing record (包装记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class BatchPackLog : public StatusBillPlugin {
 public:
  BatchPackLog() : StatusBillPlugin("BatchPackLog") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
