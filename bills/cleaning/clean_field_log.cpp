#include "bills/cleaning/clean_field_log.h"

#include <string>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_check.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/item_lists.h"
#include "services/language.h"
#include "services/menu_state.h"
#include "services/source_flows.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001806;
constexpr int32_t kRidSchemeType = 1001809;
constexpr const char* kSaveError = "[清场记录]保存出错，原因：";

const SchemeSource kRidScheme{"GMPRidScheme", "FBillNO", kRidSchemeType};

RecordsetPtr Query(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

bool HasRecord(const RecordsetPtr& rs) {
  return rs && !rs->IsBOF() && !rs->IsEOF();
}

// The whole-number text of an id read from the bill, for a statement.
std::string IdText(const Variant& id) {
  return std::to_string(CLng(Variant(NumberOf(id))));
}

std::string DuplicateItemMessage(const BillInterfacePtr& bill, int32_t row) {
  return LoadTVString("第") + std::to_string(row) + LoadTVString("行的清场项目[") +
         TextOf(ValueRecordOf(bill, "FCleanItemName", row)->Get("FDSP")) +
         LoadTVString("]已经存在,请检查.");
}

}  // namespace

void CleanFieldLog::AfterNewBill() {
  TrapQuietly([&] {
    SetCleanType();
    SetCheckMenuState(m_BillInterface.Get(), false);
  });
}

void CleanFieldLog::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (bill->OpenMode() != 1) {
      ControlOf(bill)->SetLockProperty(true, FieldInfoOf(bill, "FProjectName"), false);
    }
    SetCheckMenuState(bill, false);
  });
}

void CleanFieldLog::AfterCopyBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), false); });
}

void CleanFieldLog::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(IsAudited(m_BillInterface.Get())); });
}

void CleanFieldLog::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), oActiveBar, true); });
}

void CleanFieldLog::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (!tool || HandleCheckToolClick(bill, tool, kClassTypeId, cancel)) return;
    const std::string name = tool->Name();
    if (name == "mnuDataLookUp") {
      if (LCase(m_sCurFieldKey) == "fprojectname") SelectBill(bill, kRidSchemeType);
    } else if (name == "mnuEditDelRow") {
      cancel = !VerifyRowDelete();
    }
  });
}

void CleanFieldLog::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string field = TextOf(dct->Get("FFieldName"));
    if (field == "FProcedureID") {
      RestrictToRoutingOperations(m_BillInterface.Get(), dct, "FRouteID");
    } else if (field == "FProjectName") {
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", true);
    }
    m_sCurFieldKey = TextOf(dct->Get("Fkey"));
  });
}

void CleanFieldLog::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t /*col*/,
                           int32_t row, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string field = TextOf(dct->Get("FFieldName"));
    if (field == "FPreBatchNo") {
      OnPreBatchChanged();
    } else if (field == "FRouteID") {
      OnRouteChanged(dctFld);
    } else if (field == "FCleanID") {
      if (row == 1) FillCleanerDown(dctFld);
    } else if (field == "FProcedureID") {
      OnProcedureChanged();
    } else if (field == "FProjectName") {
      FillSchemeItems(false);
      ClearCleaningColumns(m_BillInterface.Get());
    }
  });
}

void CleanFieldLog::BeforeSave(bool& cancel) {
  TrapShowingAndCancel(kSaveError, cancel, [&] { cancel = !FindDuplicateItems(); });
}

void CleanFieldLog::BeforeSelBillShowFilter(DictionaryPtr& filter) {
  TrapQuietly([&] { HideUncheckedSources(filter); });
}

void CleanFieldLog::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { ClearCleaningColumns(m_BillInterface.Get()); });
}

void CleanFieldLog::SetCleanType() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DictionaryPtr data = bill->Data();
  const double parent =
      data && data->Exists("FItemParentID") ? NumberOf(data->Get("FItemParentID")) : 0;
  if (parent == 2) {
    WriteValue(bill, "FCleanTypeID", 0, Variant("40"), "002", LoadTVString("包装工序清场"));
  } else if (parent == 1) {
    WriteValue(bill, "FCleanTypeID", 0, Variant("39"), "001", LoadTVString("一般清场"));
  }
}

int32_t CleanFieldLog::CountItemRows() {
  return CountFilledRows(m_BillInterface.Get(), 2, "FCleanItemID");
}

bool CleanFieldLog::VerifyRowDelete() {
  if (CountItemRows() > 1) return true;
  ShowMessage(LoadTVString("不允许删除，必须保留一行."), mb::kInformation);
  return false;
}

bool CleanFieldLog::FindDuplicateItems() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DuplicateItemRule rule;
  rule.itemKey = "FCleanItemID";
  rule.checkErrorPrefix = kSaveError;
  rule.saveMessageOf = [&](int32_t row) { return DuplicateItemMessage(bill, row); };
  return PassesDuplicateCheck(bill, rule);
}

void CleanFieldLog::OnRouteChanged(const DictionaryPtr& dctFld) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const Variant oper = HeadValue(bill, "FProcedureID");
  if (Trim(TextOf(oper)).empty()) return;
  const Variant route = dctFld ? dctFld->Get("FFLD") : Variant();
  if (Trim(TextOf(route)).empty()) {
    ClearValue(bill, "FProcedureID");
    return;
  }
  RecordsetPtr rs = Query("SELECT FOperID FROM t_routingoper  WHERE FInterID= " + IdText(route) +
                          " and FOperID=" + IdText(oper));
  if (rs && rs->IsEOF()) ClearValue(bill, "FProcedureID");
}

void CleanFieldLog::FillCleanerDown(const DictionaryPtr& dctFld) {
  if (!dctFld) return;
  const BillInterfacePtr bill = m_BillInterface.Get();
  const int32_t rows = EntryRows(bill, 2)->Size();
  for (int32_t row = 1; row <= rows; ++row) {
    // Only rows that hold an item take the cleaner, wherever they stand.
    if (IsBlank(bill, "FCleanItemID", row) || !IsBlank(bill, "FCleanID", row)) continue;
    WriteValue(bill, "FCleanID", row, dctFld->Get("FFLD"), TextOf(dctFld->Get("FFND")),
               TextOf(dctFld->Get("FDSP")));
  }
}

void CleanFieldLog::OnProcedureChanged() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const Variant oper = HeadValue(bill, "FProcedureID");
  if (Trim(TextOf(oper)).empty()) return;
  RecordsetPtr rs = Query(
      "select b.FID,b.FBillNO,b.FSchemeName from t_routingoper a"
      " inner join GMPRidScheme b on a.FRidScheme=b.FID"
      " where a.FOperID =" +
      IdText(oper));
  if (!HasRecord(rs)) return;
  const std::string name = TextOf(rs->Value("FSchemeName"));
  WriteValue(bill, "FProjectName", 0, Variant(CLng(rs->Value("FID"))), TextOf(rs->Value("FBillNO")),
             name);
  FillSchemeItems(true);
  ClearCleaningColumns(bill);
}

void CleanFieldLog::FillSchemeItems(bool byNumber) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DictionaryPtr scheme = ValueRecordOf(bill, "FProjectName");
  const std::string key = Trim(TextOf(scheme->Get(byNumber ? "FFND" : "FFLD")));
  if (key.empty()) return;
  if (!LoadSchemeItems(bill, kRidScheme, key)) {
    WriteValue(bill, "FProjectName", 0, Variant::Int(0), "", "");
  }
}

void CleanFieldLog::OnPreBatchChanged() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string batch = TextOf(HeadValue(bill, "FPreBatchNO"));
  if (batch.empty()) return;
  RecordsetPtr rs = Query(
      "select b.FBillNo,b.FRoutingName,a.FRoutingID    from icmo a "
      " inner join t_routing b on a.FRoutingID =b.FinterID"
      " where a.FGMPBatchNO = " +
      SqlQuote(batch));
  if (!HasRecord(rs)) return;
  const std::string number = TextOf(rs->Value("FBillNO"));
  WriteValue(bill, "FRouteID", 0, rs->Value("FRoutingID"), number, number);
}

}  // namespace orb
