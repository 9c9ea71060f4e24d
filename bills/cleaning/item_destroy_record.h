// ItemDestroyRecord: the plug-in of the scrap destruction record (报损销毁记录).
//
// A scrap destruction record (class type 1001819) states that approved scrap
// was destroyed, line by line, by one person under the supervision of
// another. Saving checks that the two persons differ and, unless the system
// allows negative stock, that every line's quantity is in stock. Auditing the
// record first generates a stock-loss bill from it; the record is audited
// only when that succeeded.
#pragma once

#include "frame/plugin.h"

namespace orb {

class ItemDestroyRecord : public StatusBillPlugin {
 public:
  ItemDestroyRecord() : StatusBillPlugin("ItemDestroyRecord") {}

 protected:
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BusinessCheck(bool& cancel) override;
  void unBusinessCheck(bool& cancel) override;
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void AfterSelBill(int32_t selBillType) override;
  void BeforeSelBillShowFilter(DictionaryPtr& filter) override;
  void BeforLoadBillFillData() override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;
  void BeforeSave(bool& cancel) override;

 private:
  // False when a line names the same person as destroyer and supervisor.
  bool CheckPersons();
  // True when a line's quantity is not in stock (each such line told).
  bool CheckStockQty();
  bool NegativeStockAllowed();
  // True when the audit was refused (the stock-loss bill was not generated
  // or the audit failed).
  bool AuditWithStockLoss(bool bMode);
};

}  // namespace orb
