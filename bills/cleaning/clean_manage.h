// CleanManage: the plug-in of the cleaning scheme and the cleaning record
// (清洁方案, 清洁记录).
//
// One class serves both bill types and tells them apart by the bill's class
// type: the cleaning scheme (1001801) lists cleaning items, the cleaning
// record (1001808) names a scheme whose items fill its entry. Items may occur
// once only (refused when entered and before saving); the audit commands run
// through the shared workflow and an audited bill is opened with status 0.
#pragma once

#include <string>

#include "frame/plugin.h"

namespace orb {

class CleanManage : public StatusBillPlugin {
 public:
  CleanManage() : StatusBillPlugin("CleanManage") {}

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
  void BeforeSelBillShowFilter(DictionaryPtr& filter) override;
  void AfterSelBill(int32_t selBillType) override;

 private:
  int32_t BillType();
  void LoadCleanScheme();

  std::string m_sCurFieldKey;
};

}  // namespace orb
