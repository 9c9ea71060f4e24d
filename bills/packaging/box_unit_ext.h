// BoxUnitExt: the plug-in of the box merge record (合箱管理记录).
//
// A box merge record (class type 1001815) notes products of the previous
// batch and of this batch packed into one box. The plug-in checks the record
// before it is saved (merge date, the two batch numbers, which must differ,
// and the two quantities, which must not be 0), hides the row and red/blue
// bill tools, shows and enables the audit tools by the open mode, audits and
// unaudits through the shared workflow, and opens an audited record with bill
// status 0.
#pragma once

#include "frame/plugin.h"

namespace orb {

class BoxUnitExt : public StatusBillPlugin {
 public:
  BoxUnitExt() : StatusBillPlugin("BoxUnitExt") {}

 protected:
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BeforeSave(bool& bCancel) override;
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BeforLoadBillFillData() override;

 private:
  // True when the record may be saved; the first failed test has told the
  // user which field to correct.
  bool CheckBoxMerge();
  void SetBoxMenuState();
};

}  // namespace orb
