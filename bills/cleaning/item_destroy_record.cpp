#include "bills/cleaning/item_destroy_record.h"

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
#include "services/follow_on_bill.h"
#include "services/language.h"
#include "services/lot_stock.h"
#include "services/menu_state.h"
#include "services/source_flows.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001819;
constexpr const char* kSource = "OrbGMPBillEvent.ItemDestroyRecord";
constexpr const char* kSaveError = "[销毁记录]保存出错，原因：";
constexpr const char* kAuditError = "[销毁记录]审核出错，原因：";
constexpr const char* kProfileError = "获得[是否允许负结存]系统设置时出错，原因：";

// clang-format off
constexpr const char* kLotMissing = "由于系统不允许负结存,第%1行输入的物料、仓库、仓位、批次、生产/采购日期、保质期等在库存中不存在.";
// clang-format on

const FollowOnBill kStockLossBill{"C02", "FGMPDestroyID", "GSP", "43", 204};

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

void Say(const std::string& text) {
  ShowMessage(text, mb::kInformation);
}

}  // namespace

// ---- Events ----------------------------------------------------------------------

void ItemDestroyRecord::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void ItemDestroyRecord::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapShowingAndCancel(kAuditError, cancel, [&] {
    if (!tool) return;
    const std::string name = tool->Name();
    // The audit runs here; the host's own audit would run it a second time.
    if (name == kToolCheck) {
      cancel = true;
      AuditWithStockLoss(true);
    } else if (name == kToolUnCheck) {
      cancel = true;
      CheckBill(m_BillInterface.Get(), false, 0, 0);
    }
  });
}

void ItemDestroyRecord::BusinessCheck(bool& cancel) {
  TrapCancelling(cancel, [&] { AuditWithStockLoss(true); });
  cancel = true;
}

void ItemDestroyRecord::unBusinessCheck(bool& cancel) {
  TrapCancelling(cancel, [&] { CheckBill(m_BillInterface.Get(), false, 0, -1); });
  cancel = true;
}

void ItemDestroyRecord::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void ItemDestroyRecord::AfterLoadBill() {
  TrapQuietly([&] { ApplySourceBillState(m_BillInterface.Get(), true); });
}

void ItemDestroyRecord::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { ApplySourceBillState(m_BillInterface.Get(), true); });
}

void ItemDestroyRecord::BeforeSelBillShowFilter(DictionaryPtr& filter) {
  TrapQuietly([&] {
    filter =
        Dictionary::New({{"HideType", Variant::Int(1)}, {"FCheckerID", Variant("FCheckerID")}});
  });
}

void ItemDestroyRecord::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void ItemDestroyRecord::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld,
                               int32_t /*col*/, int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    DispatchLotDateChange(m_BillInterface.Get(), TextOf(dct->Get("FFieldName")), dctFld, row,
                          "FBatchNo", "FKFDate", "FKFPeriod", "FDeadline");
  });
}

void ItemDestroyRecord::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] {
    if (!CheckPersons()) {
      cancel = true;
      return;
    }
    cancel = CheckStockQty();
  });
}

// ---- Procedures ------------------------------------------------------------------

bool ItemDestroyRecord::CheckPersons() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  for (int32_t i = 1; i <= rows; ++i) {
    const std::string destroyer = Trim(CellText(bill, "FDestoryID", i));
    if (!destroyer.empty() && destroyer == Trim(CellText(bill, "FSuperviseID", i))) {
      Say(FormatTVString("第%1行的[销毁人]和[监销人]不能为同一人，请修正!", Variant(i)));
      return false;
    }
  }
  return true;
}

bool ItemDestroyRecord::NegativeStockAllowed() {
  bool allowed = false;
  TrapShowing(kProfileError, [&] {
    RecordsetPtr rs = Execute(
        "Select FValue From t_SystemProfile Where FCategory = 'IC'  And  FKey = 'UnderStock'");
    allowed = rs && !rs->IsEOF() && NumberOf(rs->Value("FValue")) == 1;
  });
  return allowed;
}

bool ItemDestroyRecord::CheckStockQty() {
  if (NegativeStockAllowed()) return false;
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  bool refused = false;
  // Every line is examined and every failing one told; a line without a
  // material is no line.
  for (int32_t i = 1; i <= rows; ++i) {
    if (IsBlank(bill, "FItemID", i)) continue;
    const StockLot lot{CellValue(bill, "FItemID", i), CellValue(bill, "FStockID", i),
                       CellValue(bill, "FSPID", i),   CellValue(bill, "FBatchNo", i),
                       CellValue(bill, "FKFDate", i), CellValue(bill, "FKFPeriod", i)};
    RecordsetPtr rs = Execute(LotInventorySql(" select  t1.FQty ", lot));
    if (!rs) Raise(err::kObjectNotSet, kSource, "未能读取库存记录");
    if (rs->IsEOF()) {
      Say(FormatTVString(kLotMissing, Variant(i)));
      refused = true;
    } else if (CellNumber(bill, "FRealDestroyQty", i) - NumberOf(rs->Value("FQty")) > 0.0000001) {
      Say(FormatTVString("由于系统不允许负结存,第%1行输入的[实销数量]不能大于库存数量[%2].",
                         Variant(i), rs->Value("FQty")));
      refused = true;
    }
  }
  return refused;
}

bool ItemDestroyRecord::AuditWithStockLoss(bool /*bMode*/) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  if (!CanCheckBill(bill, true)) return false;
  // The component's answer is shown: a refused audit is never silent.
  const FollowOnResult done =
      GenerateThenAudit(bill, kStockLossBill, StockBillLink(bill), kClassTypeId, false);
  if (done == FollowOnResult::NotGenerated) {
    Say(LoadTVString("生成盘亏单中止，不能进行审核！"));
    return true;
  }
  return done == FollowOnResult::AuditFailed;
}

}  // namespace orb
