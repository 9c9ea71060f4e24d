// OperateProj: the plug-in of the operation record scheme (操作记录方案).
//
// The scheme (head GMPOperationProj, lines GMPOperationProjEntry) lists the
// steps an operation record copies; only audited schemes are used there. The
// plug-in adds no field rules of its own: it shows the audit commands, audits
// and unaudits through the shared workflow, sets the menu state of a loaded or
// new scheme, and opens an audited scheme with bill status 0.
#pragma once

#include "frame/plugin.h"

namespace orb {

class OperateProj : public StatusBillPlugin {
 public:
  OperateProj() : StatusBillPlugin("OperateProj") {}

 protected:
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& bar) override;
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BeforLoadBillFillData() override;

 private:
  bool IsSchemeAudited();
};

}  // namespace orb
