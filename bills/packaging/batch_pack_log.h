// BatchPackLog: the plug-in of the batch packing record (包装记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class BatchPackLog : public StatusBillPlugin {
 public:
  BatchPackLog() : StatusBillPlugin("BatchPackLog") {}

  // Blanks the packing lines (page 2), keeping their number; the caller
  // redisplays the bill. Nothing happens before a bill is shown.
  void ClearEntry();

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
