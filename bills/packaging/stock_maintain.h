// StockMaintain: the plug-in of the stock maintenance record (库存养护记录).
//
// A stock maintenance record (class type 1001802) describes one lot in stock
// and the quantity of it that was maintained. Picking a batch fills the lot's
// dates, stock place and stock quantity; the production date, shelf life and
// expiry date are kept consistent; a save with no quantity, a lot that is not
// in stock or a quantity above the stock is refused. Auditing a record whose
// maintenance result is 501 first generates a transfer bill from it.
#pragma once

#include "frame/plugin.h"
#include "host/dictionary.h"
#include "host/recordset.h"
#include "host/variant.h"

namespace orb {

class StockMaintain : public StatusBillPlugin {
 public:
  StockMaintain() : StatusBillPlugin("StockMaintain") {}

 protected:
  void AfterLoadBill() override;
  void AfterNewBill() override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BeforeSave(bool& bCancel) override;
  void BeforLoadBillFillData() override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;
  void BusinessCheck(bool& bCancel) override;
  void unBusinessCheck(bool& bCancel) override;

 private:
  Variant GetHeadValue(const std::string& key);
  void CheckStockQty(bool& bCancel);
  void AuditWithTransfer(bool& bCancel);
  static bool DictionariesEqual(const DictionaryPtr& dctA, const DictionaryPtr& dctB);
  void FillFromBatchSelection(const DictionaryPtr& dctSel);
  void FillStockQty();
  // The stock of the record's lot in the record's unit (one record, or none).
  RecordsetPtr QueryLotStock();

  // The bill interface the events come from.
  BillConnection& m_Interface = m_BillInterface;
  // The batch look-up's value record applied last.
  DictionaryPtr m_dctLastBatch;
};

}  // namespace orb
