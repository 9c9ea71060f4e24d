// ItemScrapCheck: the plug-in of the scrap approval (报损审批单).
//
// A scrap approval (class type 1001818) approves goods to be written off as
// scrap, usually drawn from a source bill whose lines it copies. The plug-in
// keeps each line's production date, shelf life and expiry date consistent,
// freezes the number of lines of a bill drawn from a source bill, and clears
// the inspection fields after a new source selection.
#pragma once

#include "frame/plugin.h"

namespace orb {

class ItemScrapCheck : public StatusBillPlugin {
 public:
  ItemScrapCheck() : StatusBillPlugin("ItemScrapCheck") {}

 protected:
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void AfterSelBill(int32_t selBillType) override;
  void AfterFillRow(int32_t row, const DictionaryPtr& page, const DictionaryPtr& entryData,
                    const DictionaryPtr& link) override;
  void BeforLoadBillFillData() override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  void ClearInspectionFields();
  void FreezeRowCount();
};

}  // namespace orb
