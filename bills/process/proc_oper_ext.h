// ProcOperExt: the plug-in of the process operation record (工序操作记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class ProcOperExt : public StatusBillPlugin {
 public:
  ProcOperExt() : StatusBillPlugin("ProcOperExt") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
