// BatchPackLog: the plug-in of the batch packing record (包装记录).
//
// A packing record (class type 1001805) belongs to one batch package
// instruction (1001012). The plug-in links the record to its instruction (a
// typed number or the host's selection), proposes the packaging materials
// still to take per material and batch (issued to the instruction's
// production order minus what earlier packing records of the instruction
// took), fills the picking bill number and the quantity still to pack,
// empties unknown line-clearance numbers, keeps at least one filled row,
// audits and unaudits, and after each save writes the product rate of every
// packing record of the instruction.
#pragma once

#include <string>

#include "frame/plugin.h"
#include "host/recordset.h"

namespace orb {

class BatchPackLog : public StatusBillPlugin {
 public:
  BatchPackLog() : StatusBillPlugin("BatchPackLog") {}

  // Blanks the packing lines (page 2), keeping their number; the caller
  // redisplays the bill. Nothing happens before a bill is shown.
  void ClearEntry();

 protected:
  void BeforeSelBillShowFilter(DictionaryPtr& dctFilter) override;
  void AfterLoadBill() override;
  void BeforLoadBillFillData() override;
  void AfterNewBill() override;
  void AfterSave(bool& bCancel) override;
  void AfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link) override;
  void BarClick(const ToolPtr& tool, bool& cancel) override;
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BeginEdit(const DictionaryPtr& dct, int32_t col, int32_t row) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t col, int32_t row,
              bool& cancel) override;

 private:
  Variant GetHeadValue(const std::string& key);
  int32_t CountFilledRows();
  bool UpdateProductRate();
  void FillPackageQty(int32_t id);
  void FillGetItemNo(int32_t id);
  RecordsetPtr OpenTakeQtyRecordset(int32_t id);
  bool FillFromBatchBillNo();
  void CheckCleanLogNo(const std::string& key);
  // The proposal after the record was linked to an instruction; `data` is
  // the fill data of the host's selection (nullptr after a typed number).
  void ProposeTakeQty(const DictionaryPtr& data);
  // Writes `text` into the head field `key` as one value record.
  void SetHeadText(const std::string& key, const Variant& fld, const std::string& text);

  std::string m_sEditKey;
};

}  // namespace orb
