// RidManage: the plug-in of the line clearance scheme (清场方案).
//
// A line clearance scheme (class type 1001809) lists the clearance items an
// operation's line clearance record checks. Items may occur once only
// (refused when entered and before saving); the audit commands run through
// the shared workflow and an audited scheme is opened with bill status 0.
#pragma once

#include <string>

#include "frame/plugin.h"

namespace orb {

class RidManage : public StatusBillPlugin {
 public:
  RidManage() : StatusBillPlugin("RidManage") {}

 protected:
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void BeforLoadBillFillData() override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;
  void BeforeSave(bool& cancel) override;
  void AfterSelBill(int32_t selBillType) override;

 private:
  std::string m_sCurFieldKey;
};

}  // namespace orb
