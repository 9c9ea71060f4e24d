// CleanFieldLog: the plug-in of the line clearance record (清场记录).
//
// A line clearance record (class type 1001806) states that a production line
// was cleared after the previous batch, item by item, for one operation of a
// routing. The previous batch gives the routing, the operation gives the line
// clearance scheme, and the scheme's items fill the entry grid. The plug-in
// fills the first cleaner down, refuses duplicate items and the deletion of
// the last item row, audits through the shared workflow and opens an audited
// record with bill status 0.
#pragma once

#include <string>

#include "frame/plugin.h"

namespace orb {

class CleanFieldLog : public StatusBillPlugin {
 public:
  CleanFieldLog() : StatusBillPlugin("CleanFieldLog") {}

 protected:
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void AfterCopyBill() override;
  void BeforLoadBillFillData() override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;
  void BeforeSave(bool& cancel) override;
  void BeforeSelBillShowFilter(DictionaryPtr& filter) override;
  void AfterSelBill(int32_t selBillType) override;

 private:
  void SetCleanType();
  int32_t CountItemRows();
  bool VerifyRowDelete();
  bool FindDuplicateItems();
  void OnRouteChanged(const DictionaryPtr& dctFld);
  void FillCleanerDown(const DictionaryPtr& dctFld);
  void OnProcedureChanged();
  void FillSchemeItems(bool byNumber);
  void OnPreBatchChanged();

  std::string m_sCurFieldKey;
};

}  // namespace orb
