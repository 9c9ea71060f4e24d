#include "bills/packaging/stock_maintain.h"

#include <string>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/error_traps.h"
#include "services/field_access.h"
#include "services/follow_on_bill.h"
#include "services/language.h"
#include "services/lot_stock.h"
#include "services/menu_state.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001802;
// The maintenance result that moves the lot: a transfer bill is generated.
constexpr int32_t kResultTransfer = 501;
constexpr const char* kSaveError = "[库存养护]保存错误,原因：";
constexpr const char* kAuditError = "[库存养护]审核出错，原因：";
constexpr const char* kSource = "OrbGMPBillEvent.StockMaintain";

const FollowOnBill kTransferBill{"D01", "FGMPStockMaintain", "GMP", "41", 202};

void Say(const std::string& text) {
  ShowMessage(text, mb::kInformation);
}

std::string WholeNumber(const Variant& v) {
  return std::to_string(CLng(Variant(NumberOf(v))));
}

}  // namespace

// ---- Events ----------------------------------------------------------------------

void StockMaintain::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_Interface.Get();
    SetCheckMenuState(bill, true);
    const BillControlPtr ctl = ControlOf(bill);
    const bool checkTools = bill->OpenMode() != 0 && ctl->MutexSuccess();
    bill->SetBarStatus(kToolUnCheck, "Visible", checkTools);
    bill->SetBarStatus(kToolCheck, "Visible", checkTools);
    if (NumberOf(GetHeadValue("FCheckerID")) > 0 || ctl->BillStatus() == 0 ||
        !ctl->MutexSuccess()) {
      LockAllFields(bill, true);
    }
  });
}

void StockMaintain::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_Interface.Get(), true); });
}

void StockMaintain::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapShowingAndCancel(kAuditError, cancel, [&] {
    if (!tool) return;
    const std::string name = tool->Name();
    if (name == kToolCheck) {
      // The audit runs here; the host's own audit would run it a second time.
      cancel = true;
      bool refused = false;
      AuditWithTransfer(refused);
    } else if (name == kToolUnCheck) {
      cancel = true;
      CheckBill(m_Interface.Get(), false, CLng(m_Interface->ClassType()->Get("FID")), 0);
    }
  });
}

void StockMaintain::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_Interface.Get(), oActiveBar); });
}

void StockMaintain::BeforeSave(bool& bCancel) {
  TrapShowingAndCancel(kSaveError, bCancel, [&] { CheckStockQty(bCancel); });
}

void StockMaintain::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

void StockMaintain::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t /*col*/,
                           int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_Interface.Get();
    const std::string key = LCase(Trim(TextOf(dct->Get("FKey"))));
    if (key == "fbatchno") {
      if (DictionariesEqual(dctFld, m_dctLastBatch)) return;
      FillFromBatchSelection(dctFld);
      m_dctLastBatch = dctFld ? dctFld->Copy() : nullptr;
      SetDateField(bill, "FKFDate", "FKFPeriod", "FDeadLine", row);
    } else if (key == "fkfdate" || key == "fkfperiod") {
      SetDateField(bill, "FKFDate", "FKFPeriod", "FDeadLine", row);
    } else if (key == "fdeadline") {
      CheckDateField(bill, "FKFDate", "FKFPeriod", "FDeadLine", row);
    }
  });
}

void StockMaintain::BusinessCheck(bool& bCancel) {
  // The record is audited here, with its transfer bill; the host's own audit
  // would audit it a second time.
  TrapCancelling(bCancel, [&] { AuditWithTransfer(bCancel); });
  bCancel = true;
}

void StockMaintain::unBusinessCheck(bool& bCancel) {
  TrapCancelling(bCancel, [&] { CheckBill(m_Interface.Get(), false, 0, -1); });
  bCancel = true;
}

// ---- Procedures ------------------------------------------------------------------

Variant StockMaintain::GetHeadValue(const std::string& key) {
  return HeadValue(m_Interface.Get(), key);
}

RecordsetPtr StockMaintain::QueryLotStock() {
  const StockLot lot{GetHeadValue("FItemID"),  GetHeadValue("FStockID"), GetHeadValue("FSPID"),
                     GetHeadValue("FBatchNo"), GetHeadValue("FKFDate"),  GetHeadValue("FKFPeriod")};
  const std::string sql = LotInventorySql(
      " select round(FQty / t7.FCoefficient,t4.FQtyDecimal) as FQty,t4.FQtyDecimal ", lot,
      " inner join t_measureunit t7 on t4.FUnitGroupID = t7.FUnitGroupID and t7.FItemID =  " +
          WholeNumber(GetHeadValue("FUnitID")));
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

void StockMaintain::CheckStockQty(bool& bCancel) {
  const double qty = NumberOf(GetHeadValue("FQty"));
  if (!(qty > 0)) {
    Say(LoadTVString("必须录入在库数量."));
    bCancel = true;
    return;
  }
  RecordsetPtr rs = QueryLotStock();
  if (!rs) Raise(err::kObjectNotSet, kSource, "未能读取库存记录");
  if (rs->IsEOF()) {
    Say(LoadTVString("输入的物料、仓库、仓位、批号、生产/采购日期、保质期等在库存中不存在."));
    bCancel = true;
    return;
  }
  if (qty - NumberOf(rs->Value("FQty")) > 1E-07) {
    Say(FormatTVString("[在库数量]不能大于库存数量[%1].", rs->Value("FQty")));
    bCancel = true;
  }
}

void StockMaintain::AuditWithTransfer(bool& bCancel) {
  const BillInterfacePtr bill = m_Interface.Get();
  const double result = NumberOf(GetFieldFLD(bill, "FResultID", 0));
  if (!CanCheckBill(bill, true)) {
    // A refused audit stops the host's audit too.
    bCancel = true;
    return;
  }
  if (result != kResultTransfer) {
    if (!DoCheckBill(bill, true, kClassTypeId, false)) bCancel = true;
    return;
  }
  // The generated bill's id and number are kept in the record's head table:
  // every field of the record is a head field.
  const FollowOnResult done =
      GenerateThenAudit(bill, kTransferBill, StockBillLink(bill), kClassTypeId, false);
  if (done == FollowOnResult::NotGenerated) {
    Say(LoadTVString("生成调拨单中止，不能进行审核！"));
    bCancel = true;
  } else if (done == FollowOnResult::AuditFailed) {
    bCancel = true;
  }
}

bool StockMaintain::DictionariesEqual(const DictionaryPtr& dctA, const DictionaryPtr& dctB) {
  return SameBatchValue(dctA, dctB);
}

void StockMaintain::FillFromBatchSelection(const DictionaryPtr& dctSel) {
  const BillInterfacePtr bill = m_Interface.Get();
  for (const char* key : {"FKFDate", "FKFPeriod"}) {
    const Variant v = dctSel->Get(key);
    WriteValue(bill, key, 0, v, TextOf(v), TextOf(v));
  }
  WriteStockPlace(bill, "FSPID", 0, dctSel->Get("FStockPlaceID"), Variant(0));
  FillStockQty();
  ControlOf(bill)->DoFillData(bill->Data());
}

void StockMaintain::FillStockQty() {
  RecordsetPtr rs = QueryLotStock();
  if (!rs || rs->IsEOF()) return;
  const Variant qty = rs->Value("FQty");
  WriteValue(m_Interface.Get(), "FQty", 0, qty, TextOf(qty), TextOf(qty));
}

}  // namespace orb
