#include "bills/packaging/batch_pack_log.h"

#include "frame/error_trap.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/menu_state.h"
#include "services/source_flows.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001805;
// Shown when the product rate of the saved record could not be updated.
constexpr const char* kRateUpdateError = "[包装记录]更新成品率出错，原因：";
constexpr int32_t kInstructionClassTypeId = 1001012;
constexpr const char* kCleanLogConnection = "Orbconnection.Appconnection";

// The head fields that come from the instruction, emptied when a typed
// instruction number finds none.
constexpr const char* kInstructionFields[] = {"FBatchBillNO",   "FBatchNo",   "FBulkQty",
                                              "FBatchBillNoID", "FItemID",    "FTotalQty",
                                              "FGetItemNo",     "FPackageQty"};

RecordsetPtr Execute(const std::string& sql, const char* progId = kConnectionProgId) {
  return CreateObjectAs<Connection>(progId)->Execute(sql);
}

bool HasRecord(const RecordsetPtr& rs) {
  return rs && !rs->IsBOF() && !rs->IsEOF();
}

// The instruction id of a head value; 0 when it holds none.
int32_t InstructionId(const Variant& value) {
  if (value.IsNull() || Trim(TextOf(value)).empty()) return 0;
  return CLng(value);
}

}  // namespace

void BatchPackLog::ClearEntry() {
  TrapQuietly([&] { BlankEntryRows(m_BillInterface.Get(), 2); });
}

void BatchPackLog::BeforeSelBillShowFilter(DictionaryPtr& dctFilter) {
  TrapQuietly([&] { HideUncheckedSources(dctFilter); });
}

void BatchPackLog::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (SavedBillStatus() != 1) {
      auto controls = bill->EntryControls()->Item(1).As<ControlGroup>();
      ControlPtr number = controls ? controls->Item("FBatchBillNO") : nullptr;
      if (number && !Trim(number->Text()).empty()) number->SetLocked(true);
    }
    SetCheckMenuState(bill, false);
  });
}

void BatchPackLog::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void BatchPackLog::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), false); });
}

void BatchPackLog::AfterSave(bool& /*bCancel*/) {
  // The record is saved by now; a rate that could not be updated is told, not kept quiet.
  TrapShowing(kRateUpdateError, [&] { UpdateProductRate(); });
}

void BatchPackLog::AfterSelBillBeforeFillData(const DictionaryPtr& data,
                                              const DictionaryPtr& /*link*/) {
  TrapQuietly([&] { ProposeTakeQty(data); });
}

void BatchPackLog::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (HandleCheckToolClick(bill, tool, kClassTypeId, cancel) || !tool) return;
    if (tool->Name() == "mnuDataLookUp") {
      if (LCase(m_sEditKey) == "fbatchbillno") ControlOf(bill)->DoSelBill(kInstructionClassTypeId);
    } else if (tool->Name() == "mnuEditDelRow") {
      if (CountFilledRows() < 2) {
        ShowMessage(LoadTVString("不允许删除，必须保留一行."), mb::kInformation);
        cancel = true;
      }
    }
  });
}

void BatchPackLog::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar); });
}

void BatchPackLog::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string key = TextOf(dct->Get("FKey"));
    if (LCase(key) == "fbatchbillno") {
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", true);
    }
    m_sEditKey = key;
  });
}

void BatchPackLog::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/,
                          int32_t /*col*/, int32_t /*row*/, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string field = UCase(TextOf(dct->Get("FFieldName")));
    if (field == "FBATCHBILLNO") {
      if (FillFromBatchBillNo()) ProposeTakeQty(nullptr);
    } else if (field == "FPRECLEANLOG") {
      CheckCleanLogNo("FPreCleanLog");
    } else if (field == "FTHISCLEANLOG") {
      CheckCleanLogNo("FThisCleanLog");
    }
  });
}

Variant BatchPackLog::GetHeadValue(const std::string& key) {
  return HeadValue(m_BillInterface.Get(), key);
}

int32_t BatchPackLog::CountFilledRows() {
  return orb::CountFilledRows(m_BillInterface.Get(), 2, "FPackItemID");
}

bool BatchPackLog::UpdateProductRate() {
  // Without an instruction there is nothing to compute the rate from.
  const std::string id = std::to_string(InstructionId(GetHeadValue("FBatchBillNoID")));
  if (id == "0") return false;
  Execute("update gmpbatchpacklog set " +
          std::string(" FFProductRate=(select case a.FQtyFinish when 0 then 0 else "
                      "a.FQtyPass/a.FQtyFinish end from icmo a") +
          " inner join gmpbatchpacket b on a.FInterID=b.FMoBillNoID" + " where b.FID=" + id +
          " ) where FBatchBillNoID=" + id);
  return false;
}

void BatchPackLog::FillPackageQty(int32_t id) {
  RecordsetPtr rs =
      Execute("select FQty-FPacketAmount-FDiscardAmount 'Qty' from gmpbatchpacket where fid=" +
              std::to_string(id));
  if (HasRecord(rs)) {
    const double qty = NumberOf(rs->Value("Qty"));
    SetHeadText("FPackageQty", Variant(qty), TextOf(Variant(qty)));
  } else {
    SetHeadText("FPackageQty", Variant(""), "");
  }
}

void BatchPackLog::FillGetItemNo(int32_t id) {
  RecordsetPtr rs = Execute(
      "select v.FInterID,v.FBillNo from icstockbillEntry u left join icstockbill v on "
      "v.FInterID=u.FInterID Where v.FTrantype = 24 And u.FSourceTranType=1001012 and "
      "u.FSourceInterId= " +
      std::to_string(id));
  const std::string number = HasRecord(rs) ? TextOf(rs->Value("FBillNO")) : "";
  SetHeadText("FGetItemNo", Variant(number), number);
}

RecordsetPtr BatchPackLog::OpenTakeQtyRecordset(int32_t id) {
  const std::string sId = std::to_string(id);
  const std::string sql =
      "SELECT t14.FItemID AS FItemID,t14.FNumber AS FNumber,\r\n"
      "t17.FMeasureUnitID As FUnitID,u1.FBatchNo AS FBatchNo,sum(u1.FQty)-sum(isnull(a6.FTakeQty,"
      "0)) as FQty\r\n"
      "from ICStockBill v1\r\n"
      "left JOIN ICStockBillEntry u1 ON   v1.FInterID = u1.FInterID\r\n"
      "left JOIN ICMO i1 ON u1.FICMOInterID = i1.FInterID\r\n"
      "left JOIN t_ICItem t14 ON u1.FItemID = t14.FItemID\r\n"
      "left JOIN t_MeasureUnit t17 ON t14.FUnitID = t17.FItemID\r\n"
      "left join GMPBatchPacket a on a.FMoBillNoID=i1.FinterID\r\n"
      "left join (select t1.FPackItemID,t1.FPackBatchNo,sum(t1.FTakeQty) 'FTakeQty' from "
      "gmpbatchpacklogentry t1 left join  gmpbatchpacklog t11 on t1.FID=t11.FID\r\n"
      "left join GMPBatchPacket a1 on t11.FBatchBillNoID=a1.FID\r\n"
      "where a1.fid=" +
      sId +
      " group by t1.FpackItemID,t1.FPackBatchNo) a6 on a6.FPackItemID=t14.FItemID and "
      "a6.FPackBatchNo=u1.FBatchNo\r\n"
      "where i1.FStatus in (1,2) AND v1.FStatus in(1,2) AND i1.FSuspend=0\r\n"
      "AND t14.FErpClsID NOT IN(6,7,8) AND t14.FGMPIsWrapper=1\r\n"
      "and a.FID=" +
      sId +
      "\r\n"
      "group by t14.FItemID,t14.FNumber,t17.FMeasureUnitID,u1.FBatchNo\r\n"
      "Having Sum(u1.FQty) - Sum(IsNull(a6.FTakeQty, 0)) > 0";
  return Execute(sql);
}

bool BatchPackLog::FillFromBatchBillNo() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string number = TextOf(GetHeadValue("FBatchBillNO"));
  if (LinkInstructionByNumber(bill, number)) {
    return true;
  }
  for (const char* key : kInstructionFields) bill->SetValueByKey(key, Variant(""), -1);
  bill->ClearPage(2);
  return false;
}

void BatchPackLog::CheckCleanLogNo(const std::string& key) {
  const std::string value = TextOf(GetHeadValue(key));
  if (value.empty()) return;
  if (!HasRecord(Execute(" select FBillNO from gmpcleanfieldlog where FBillNO=" + SqlQuote(value),
                         kCleanLogConnection))) {
    SetHeadText(key, Variant(""), "");
  }
}

void BatchPackLog::ProposeTakeQty(const DictionaryPtr& data) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  // Without an instruction there is nothing to propose from.
  const int32_t id = InstructionId(SelectedHeadValue(bill, data, "FBatchBillNoID"));
  if (id == 0) return;
  bill->ClearPage(2);
  RecordsetPtr rs = OpenTakeQtyRecordset(id);
  for (int32_t row = 1; rs && !rs->IsEOF(); ++row, rs->MoveNext()) {
    if (EntryRows(bill, 2)->Size() < row) bill->InsertPageRow(2, row, Variant());
    bill->SetValueByKey("FPackItemID", rs->Value("FNumber"), row);
    bill->SetValueByKey("FPackBatchNo", rs->Value("FBatchNo"), row);
    bill->SetValueByKey("FTakeQty", Variant(NumberOf(rs->Value("FQty"))), row);
  }
  FillGetItemNo(id);
  FillPackageQty(id);
}

void BatchPackLog::SetHeadText(const std::string& key, const Variant& fld,
                               const std::string& text) {
  WriteValue(m_BillInterface.Get(), key, 0, fld, text, text);
}

}  // namespace orb
