// CleanFieldLog: the plug-in of the line clearance record (清场记录).
#pragma once

#include "frame/plugin.h"

namespace orb {

class CleanFieldLog : public StatusBillPlugin {
 public:
  CleanFieldLog() : StatusBillPlugin("CleanFieldLog") {}

 protected:
  void BeforLoadBillFillData() override;
};

}  // namespace orb
