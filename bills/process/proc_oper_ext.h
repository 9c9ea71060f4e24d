// ProcOperExt: the plug-in of the process operation record (工序操作记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class ProcOperExt : public StatusBillPlugin {
 public:
  ProcOperExt() : StatusBillPlugin("ProcOperExt") {}

  // Blanks the material preparation records (page 2), keeping their number;
  // the caller redisplays the bill. Unless bForce, a record that holds
  // materials asks the user first, and No leaves it as it is.
  void ClearEntry2(bool bForce);

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
