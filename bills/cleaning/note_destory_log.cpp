#include "bills/cleaning/note_destory_log.h"

#include <string>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/lot_stock.h"
#include "services/menu_state.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001814;
constexpr const char* kSaveError = "[标签销毁记录]保存出错，原因：";

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

// The statement found no bill of that number.
bool NoneFound(const RecordsetPtr& rs) {
  return rs && rs->RecordCount() == 0;
}

}  // namespace

void NoteDestoryLog::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void NoteDestoryLog::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapCancelling(cancel,
                 [&] { HandleCheckToolClick(m_BillInterface.Get(), tool, kClassTypeId, cancel); });
}

void NoteDestoryLog::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void NoteDestoryLog::AfterLoadBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void NoteDestoryLog::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void NoteDestoryLog::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t /*col*/,
                            int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    const std::string name = Trim(TextOf(dct->Get("FFieldName")));
    if (name == "FCheckBillerNo") {
      CheckQualityBillNo();
    } else if (name == "FPackBillNo") {
      CheckPackBillNo();
    } else if (name == "FBatchNo") {
      FillFromBatch(dctFld, row);
    }
  });
}

void NoteDestoryLog::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] { CheckInventory(cancel); });
}

void NoteDestoryLog::CheckQualityBillNo() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = HeadText(bill, "FCheckBillerNo");
  if (number.empty()) return;
  const std::string quoted = SqlQuote(number);
  RecordsetPtr rs = Execute(" select FBillNO from icqcbill where FBillNO=" + quoted +
                            " union select FBillNO from icsaleQCBill where FBillNO=" + quoted +
                            " union select FBillNO from QMQCBill where FBillNO=" + quoted);
  if (NoneFound(rs)) ClearValue(bill, "FCheckBillerNo", 0);
}

void NoteDestoryLog::CheckPackBillNo() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = TextOf(ValueRecordOf(bill, "FPackBillNo", 0)->Get("FFND"));
  if (number.empty()) return;
  RecordsetPtr rs =
      Execute("select FBillNO from GMPBatchPacket where FBillNO =" + SqlQuote(number));
  if (NoneFound(rs)) ClearValue(bill, "FPackBillNo", 0);
}

void NoteDestoryLog::FillFromBatch(const DictionaryPtr& value, int32_t row) {
  if (!value || SameBatchValue(value, m_dctLastBatch)) return;
  const BillInterfacePtr bill = m_BillInterface.Get();
  const Variant date = value->Get("FKFDate");
  WriteValue(bill, "FKFDate", row, date, TextOf(date), TextOf(date));
  const Variant period = value->Get("FKFPeriod");
  const std::string shown = NumberOf(period) == 0 ? std::string() : TextOf(period);
  WriteValue(bill, "FKFPeriod", row, period, shown, shown);
  WriteStockPlace(bill, "FSPID", row, value->Get("FStockPlaceID"), Variant(""));
  m_dctLastBatch = value->Copy();
}

void NoteDestoryLog::CheckInventory(bool& cancel) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  // Every line is examined; a line without a label material is no line.
  for (int32_t i = 1; i <= rows; ++i) {
    if (IsBlank(bill, "FNoteID", i)) continue;
    const StockLot lot{CellValue(bill, "FNoteID", i), CellValue(bill, "FWHID", i),
                       CellValue(bill, "FSPID", i),   CellValue(bill, "FBatchNo", i),
                       CellValue(bill, "FKFDate", i), CellValue(bill, "FKFPeriod", i)};
    RecordsetPtr rs = Execute(LotInventorySql(" select t1.FItemID ", lot));
    if (!rs) Raise(err::kObjectNotSet, "OrbGMPBillEvent.NoteDestoryLog", "未能读取库存记录");
    if (rs->RecordCount() == 0) {
      ShowMessage(
          FormatTVString(
              "[第%1行]输入的物料、仓库、仓位、批号、生产/采购日期、保质期等在库存中不存在.",
              Variant(i)),
          mb::kInformation);
      cancel = true;
      return;
    }
  }
}

}  // namespace orb
