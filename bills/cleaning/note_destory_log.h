// NoteDestoryLog: the plug-in of the label destruction record (标签销毁记录).
//
// A label destruction record (class type 1001814) lists printed labels and
// packaging material that were destroyed, each line naming the material, its
// warehouse, stock place and lot. The plug-in empties quality inspection and
// batch packaging bill numbers that do not exist, fills a line's storage from
// the chosen batch, and refuses to save a line whose lot is not in stock.
#pragma once

#include "frame/plugin.h"
#include "host/dictionary.h"

namespace orb {

class NoteDestoryLog : public StatusBillPlugin {
 public:
  NoteDestoryLog() : StatusBillPlugin("NoteDestoryLog") {}

 protected:
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void AfterNewBill() override;
  void AfterLoadBill() override;
  void BeforLoadBillFillData() override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;
  void BeforeSave(bool& cancel) override;

 private:
  void CheckQualityBillNo();
  void CheckPackBillNo();
  void FillFromBatch(const DictionaryPtr& value, int32_t row);
  // True when every line's lot is in stock; the first missing one is named.
  void CheckInventory(bool& cancel);

  // The batch look-up's value record applied last.
  DictionaryPtr m_dctLastBatch;
};

}  // namespace orb
