// ItemBalance: the plug-in of the packaging material balance (包装材料物料平衡).
//
// A balance (class type 1001807) belongs to one batch package instruction
// (1001012) and accounts, per packaging material, for the quantity taken and
// the quantity missing. The plug-in links the balance to its instruction (a
// typed number or the host's selection), proposes the rows from the
// production order's bill of materials minus what earlier balances of the
// instruction took, fills the material-issue bill number, locks the batch
// number of materials not managed by batch, refuses to save a missing
// quantity without a reason, and audits and unaudits.
#pragma once

#include <string>

#include "frame/plugin.h"
#include "host/recordset.h"

namespace orb {

class ItemBalance : public StatusBillPlugin {
 public:
  ItemBalance() : StatusBillPlugin("ItemBalance") {}

 protected:
  void AfterLoadBill() override;
  void BeforeSelBillShowFilter(DictionaryPtr& dctFilter) override;
  void BeforLoadBillFillData() override;
  void AfterNewBill() override;
  void AfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BeforeSave(bool& bCancel) override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  Variant GetHeadValue(const std::string& key);
  // Writes one entry cell: FFLD and FFND take the given values, or the
  // display text where a value is empty; FDSP takes the display text.
  void SetEntryValue(const std::string& key, int32_t row, const Variant& display,
                     const Variant& fld, const Variant& fnd);
  RecordsetPtr OpenBalanceRecordset(int32_t id);
  void FillGetMaterialID(int32_t id);
  int32_t CountFilledRows();
  void CheckLoseReason(bool& bCancel);
  void LockUnmanagedBatchCells();
  bool FillFromPackageBillNo();
  // The proposal after the balance was linked to an instruction; `data` is
  // the fill data of the host's selection (nullptr after a typed number).
  void ProposeBalance(const DictionaryPtr& data);

  std::string m_sEditKey;
};

}  // namespace orb
