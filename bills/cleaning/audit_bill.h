// AuditBill: the plug-in of the finished-product release audit scheme and
// bill (成品放行审核方案, 成品放行审核单).
//
// One class serves both bill types and tells them apart by the bill's class
// type. The scheme (1001811) lists audit items; the bill (1001812) names a
// scheme whose items fill its entry, and a production task whose product and
// batch it takes and then locks. Audit items may occur once only; the audit
// commands run through the shared workflow and an audited bill is opened with
// bill status 0.
#pragma once

#include <string>

#include "frame/plugin.h"

namespace orb {

class AuditBill : public StatusBillPlugin {
 public:
  AuditBill() : StatusBillPlugin("AuditBill") {}

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
  int32_t BillType();
  void LockProductFields(bool lock);
  void LockByTask();
  bool LookUpManTask();
  void LoadOutScheme();
  void OnManTaskChanged(const DictionaryPtr& dct, bool& cancel);

  std::string m_sCurFieldKey;
};

}  // namespace orb
