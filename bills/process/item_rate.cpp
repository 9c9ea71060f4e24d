#include "bills/process/item_rate.h"

#include <cmath>

#include "forms/tool_templates.h"
#include "frame/error_trap.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/login_context.h"
#include "services/menu_state.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr int32_t kClassTypeId = 1001816;
constexpr int32_t kRoutingClassType = 1001820;
constexpr int32_t kEntryPage = 2;
constexpr double kPercent = 100;
// Quantities typed in decimals rarely add up exactly in binary: sums within
// this of the head total count as equal.
constexpr double kSumTolerance = 1e-7;

constexpr const char* kRoutingSelect =
    "select b.FInterID,a.FClassTypeID,b.FNewEntryID from t_routing a  inner join  t_routingoper b "
    "on a.FInterID =b.FInterID";

// The records of `sql` through the grading component; nullptr when none
// could be read.
VectorPtr GradingQuery(const std::string& sql) {
  return CreateObjectAs<GradingData>(progid::kGradingData)->GetData(GetPropsString(), sql);
}

double Ratio(double part, double whole) {
  return whole == 0 ? 0 : part / whole * kPercent;
}

}  // namespace

void CItemRate::Show(const ObjectPtr& oBillInterface) {
  if (!oBillInterface) return;
  const std::string type = UCase(oBillInterface->TypeName());
  if (type == UCase("BillEvent")) {
    m_Bill.Set(std::dynamic_pointer_cast<BillInterface>(oBillInterface));
  } else if (type == UCase("ListEvents")) {
    m_List.Set(std::dynamic_pointer_cast<ListInterface>(oBillInterface));
  }
}

// ---- Bill events ---------------------------------------------------------------

void CItemRate::AddNewRow(int32_t /*index*/, int32_t /*newRow*/) {
  TrapQuietly([&] { RecalcFrom(1); });
}

void CItemRate::AfterDeleteRow(int32_t /*index*/, int32_t /*row*/) {
  TrapQuietly([&] { RecalcFrom(1); });
}

void CItemRate::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_Bill.Get();
    if (m_lBillStatus != 1) {
      ControlOf(bill)->SetLockProperty(true, FieldInfoOf(bill, "FRoutingID"), false);
    }
    SetMenuState();
    SetBatchLock();
  });
}

void CItemRate::AfterNewBill() {
  TrapQuietly([&] {
    SetMenuState();
    CalcItemStatus(0);
  });
}

void CItemRate::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { CalcItemStatus(0); });
}

void CItemRate::BarInitialize(const ActiveBarPtr& bar) {
  TrapQuietly([&] { ShowCheckTools(m_Bill.Get(), bar); });
}

void CItemRate::BarClick(const ToolPtr& tool, bool& /*cancel*/) {
  TrapQuietly([&] {
    if (!tool) return;
    const BillInterfacePtr bill = m_Bill.Get();
    const std::string name = tool->Name();
    if (name == kToolCheck) {
      CheckBill(bill, true, kClassTypeId, 0);
    } else if (name == kToolUnCheck) {
      CheckBill(bill, false, kClassTypeId, 0);
    } else if (name == "mnuDataLookUp" && LCase(m_sCurKey) == "froutingid") {
      SelectBill(bill, kRoutingClassType);
    }
  });
}

void CItemRate::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string key = TextOf(dct->Get("FKey"));
    if (LCase(key) == "froutingid") {
      m_Bill.Get()->SetBarStatus("mnuDataLookUp", "Enabled", Variant(true));
    }
    m_sCurKey = key;
  });
}

void CItemRate::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(HeadNumber(m_Bill.Get(), "FCheckerID") != 0); });
}

void CItemRate::BeforeSave(bool& cancel) {
  TrapQuietly([&] {
    cancel = !CheckHeadQty();
    if (cancel) return;
    CalcTotalRate();
    cancel = !CheckProQty();
    if (cancel) return;
    cancel = !CheckOperQtySum();
    if (cancel) return;
    int32_t r = 0;
    CheckBatchManaged(true, r);
    cancel = r == -1;
  });
}

void CItemRate::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t /*col*/,
                       int32_t row, bool& cancel) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string key = LCase(TextOf(dct->Get("FKey")));
    if (key == "fupperrate" || key == "flowerrate") {
      CalcItemStatus(row);
    } else if (key == "fproqty" || key == "foperqty") {
      RecalcFrom(row);
    } else if (key == "fsampleqty" || key == "fnotpassqty" || key == "freturnqty") {
      CalcRealRate(row);
      CalcItemStatus(row);
    } else if (key == "fitemid") {
      FillDefaultRouting();
      SetBatchLock();
      CalcItemStatus(0);
      cancel = false;
    } else if (key == "froutingid") {
      FillRoutingByNo(cancel);
      CalcItemStatus(0);
    } else if (key == "foperid") {
      CalcItemStatus(0);
    }
  });
}

// ---- List events ---------------------------------------------------------------

void CItemRate::m_List_BarInitialize(const ActiveBarPtr& bar) {
  TrapQuietly([&] {
    const ListInterfacePtr list = m_List.Get();
    const int32_t mode = list->List()->ShowMode();
    if (mode == 0 || mode == 1) AddCheckTools(bar, ToolTemplateBar());
    ToolsPtr tools = bar->GetTools();
    tools->Item("mnuEditDelEntry")->SetVisible(false);
    tools->Item("mnuEditCopyEntry")->SetVisible(false);
    tools->Item("mnuEditCopy")->SetVisible(true);
  });
}

void CItemRate::m_List_BarClick(const ToolPtr& tool, bool& cancel) {
  // A list action that fails (a bill another user holds) says so.
  TrapShowing("", [&] {
    if (!tool) return;
    const ListInterfacePtr list = m_List.Get();
    const std::string name = tool->Name();
    if (name == kToolCheck) {
      CheckBillsFromList(list, kClassTypeId, true, 0);
    } else if (name == kToolUnCheck) {
      CheckBillsFromListHandler(list, kClassTypeId, 0);
    } else if (name == "mnuEditDelete") {
      DeleteBillsFromList(list);
      cancel = true;
    }
  });
}

// ---- Yields --------------------------------------------------------------------

void CItemRate::RecalcFrom(int32_t row) {
  CalcOperRate(row);
  CalcRealRate(row);
  CalcTotalRate();
  CalcItemStatus(0);
}

int32_t CItemRate::RowCount() {
  return EntryRows(m_Bill.Get(), kEntryPage)->Size();
}

bool CItemRate::HasData(int32_t r) {
  return ControlOf(m_Bill.Get())->IsHaveData(kEntryPage, r);
}

double CItemRate::Qty(const char* key, int32_t r) {
  const Variant v = CellValue(m_Bill.Get(), key, r);
  return v.IsEmpty() || v.IsNull() ? 0 : Val(v);
}

void CItemRate::WriteRate(const char* key, int32_t r, double value, const std::string& text) {
  const BillInterfacePtr bill = m_Bill.Get();
  DictionaryPtr rec = ValueRecordOf(bill, key, r);
  rec->Set("FFLD", Variant(value));
  rec->Set("FModify", Variant::Int(1));
  bill->SetFieldValue(FieldInfoOf(bill, key), Variant(text), r);
}

void CItemRate::CalcOperRate(int32_t lStartRow) {
  if (lStartRow < 1) return;
  const int32_t n = RowCount();
  double prev = lStartRow > 1 ? Qty("FProQty", lStartRow - 1) : 0;
  for (int32_t r = lStartRow; r <= n; ++r) {
    const double p = Qty("FProQty", r);
    if (HasData(r)) {
      const double input = r == 1 ? Qty("FOperQty", 1) : Qty("FOperQty", r) + prev;
      const double rate = Ratio(p, input);
      WriteRate("FOperRate", r, rate, CStr(Variant(rate)));
    }
    prev = p;
  }
}

void CItemRate::CalcRealRate(int32_t lStartRow) {
  if (lStartRow < 1) return;
  const int32_t n = RowCount();
  for (int32_t r = lStartRow; r <= n; ++r) {
    const double out =
        Qty("FProQty", r) + Qty("FSampleQty", r) + Qty("FNotPassQty", r) + Qty("FReturnQty", r);
    const double input = r == 1 ? Qty("FOperQty", 1) : Qty("FOperQty", r) + Qty("FProQty", r - 1);
    const double rate = Ratio(out, input);
    if (HasData(r)) WriteRate("FRealRate", r, rate, CStr(Variant(rate)));
  }
}

void CItemRate::CalcTotalRate() {
  const int32_t n = RowCount();
  double c = kPercent;
  double s = 0;
  for (int32_t r = 1; r <= n; ++r) {
    if (r == n && !HasData(n)) break;
    s += Qty("FOperQty", r);
    const double p = Qty("FProQty", r);
    c = s != 0 && p != 0 ? p / s * kPercent : 0;
    if (HasData(r)) WriteRate("FTatolRateE", r, c, CStr(Variant(c)));
  }
  WriteRate("FTotalRate", 0, c, CStr(Variant(c)));
}

void CItemRate::CalcItemStatus(int32_t lRow) {
  auto evaluate = [&](int32_t r) {
    const double real = Qty("FRealRate", r);
    const bool inside = Qty("FLowerRate", r) <= real && real <= Qty("FUpperRate", r);
    WriteRate("FItemStatus", r, inside ? 0 : 1, inside ? "0" : "1");
  };
  if (lRow != 0 && HasData(lRow)) {
    evaluate(lRow);
    return;
  }
  const int32_t n = RowCount();
  for (int32_t r = 1; r <= n; ++r) {
    if (r == 1 || HasData(r)) evaluate(r);
  }
}

// ---- Save checks ---------------------------------------------------------------

bool CItemRate::Refuse(const std::string& text) {
  ShowMessage(text, mb::kInformation);
  return false;
}

bool CItemRate::CheckHeadQty() {
  const BillInterfacePtr bill = m_Bill.Get();
  if (HeadNumber(bill, "FAuxQty") == 0) return Refuse(LoadTVString("[产量]必须大于0！"));
  if (HeadNumber(bill, "FAuxTotalQty") == 0) {
    return Refuse(LoadTVString("[总理论投料量]必须大于0！"));
  }
  if (Qty("FOperQty", 1) == 0) return Refuse(LoadTVString("第一道工序[工序理论投料量]必须大于0！"));
  return true;
}

bool CItemRate::CheckProQty() {
  const int32_t n = RowCount();
  for (int32_t r = 1; r < n; ++r) {
    if (Qty("FProQty", r) == 0) {
      return Refuse(LoadTVString("第") + std::to_string(r) + LoadTVString("行中间产品量必须大于0"));
    }
  }
  return true;
}

bool CItemRate::CheckOperQtySum() {
  const int32_t n = RowCount();
  double sum = 0;
  for (int32_t r = 1; r <= n; ++r) sum += Qty("FOperQty", r);
  if (std::fabs(sum - HeadNumber(m_Bill.Get(), "FAuxTotalQty")) > kSumTolerance) {
    return Refuse(LoadTVString("各工序理论投料量之和必须等于表头总理论投料量"));
  }
  return true;
}

void CItemRate::CheckBatchManaged(bool bShowMsg, int32_t& lResult) {
  lResult = 0;
  const BillInterfacePtr bill = m_Bill.Get();
  const std::string item = Trim(HeadText(bill, "FItemID"));
  const int32_t i = item.empty() ? 0 : CLng(Variant(Val(Variant(item))));
  const std::string b = Trim(HeadText(bill, "FBatchNo"));
  if (i <= 0) return;
  VectorPtr v =
      GradingQuery("select FBatchManager from t_icitem where FItemID=" + std::to_string(i));
  if (!v || v->Size() == 0) {
    ShowMessage(LoadTVString("检查物料是否批次管理出错！"), mb::kCritical);
    lResult = -1;
    return;
  }
  auto record = v->Item(1).As<GradingRecord>();
  const Variant managed = record ? record->GetValue("FBatchManager", 0) : Variant();
  if (!managed.IsEmpty() && !managed.IsNull() && CBool(managed)) {
    if (b.empty()) {
      lResult = -1;
      if (bShowMsg) ShowMessage(LoadTVString("进行批次管理的物料必须录入批号"), mb::kInformation);
    }
    return;
  }
  lResult = 1;
}

void CItemRate::SetBatchLock() {
  int32_t r = 0;
  CheckBatchManaged(false, r);
  const BillInterfacePtr bill = m_Bill.Get();
  ControlOf(bill)->SetLockProperty(r == 1, FieldInfoOf(bill, "FBatchNo"), false);
}

// ---- Routing -------------------------------------------------------------------

void CItemRate::FillDefaultRouting() {
  const std::string item = Trim(HeadText(m_Bill.Get(), "FItemID"));
  if (item.empty()) return;
  // The item id goes into the statement as a number.
  std::string sql = kRoutingSelect;
  sql += " where a.FInterID =(SELECT ISNULL(FDefaultRoutingID,0) from t_icitem where fitemid=";
  sql += std::to_string(CLng(Variant(Val(Variant(item)))));
  sql += ")";
  VectorPtr v = GradingQuery(sql);
  if (v && v->Size() > 0) {
    int32_t src = kRoutingClassType;
    LinkRoutingOpers(src, v);
  }
}

void CItemRate::FillRoutingByNo(bool& cancel) {
  const BillInterfacePtr bill = m_Bill.Get();
  const std::string s = Trim(HeadText(bill, "FRoutingID"));
  if (s.empty()) return;
  std::string sql = kRoutingSelect;
  sql += " where a.FBillNo = ";
  sql += SqlQuote(s);
  VectorPtr v = GradingQuery(sql);
  if (!v) return;
  if (v->Size() < 1) {
    ShowMessage(LoadTVString("对不起，你输入的工艺路线不存在，请检查重新输入！"), mb::kInformation);
    bill->SetFieldValue(FieldInfoOf(bill, "FRoutingID"), Variant(""), 0);
    cancel = true;
    return;
  }
  int32_t src = kRoutingClassType;
  LinkRoutingOpers(src, v);
}

void CItemRate::LinkRoutingOpers(int32_t& lSrcClassTypeID, const VectorPtr& vecSel) {
  // Each routing line goes to the class link by its routing and its own line id.
  VectorPtr sel = Vector::New();
  for (int32_t i = 1; i <= vecSel->Size(); ++i) {
    auto record = vecSel->Item(i).As<GradingRecord>();
    if (!record) continue;
    sel->Add(Variant(Dictionary::New({{"FInterID", record->GetValue("FInterID", 0)},
                                      {"FClassTypeID", record->GetValue("FClassTypeID", 0)},
                                      {"FNewEntryID", record->GetValue("FNewEntryID", 0)}})));
  }
  LinkFromSourceBills(m_Bill.Get(), sel, lSrcClassTypeID);
}

void CItemRate::SetMenuState() {
  const BillInterfacePtr bill = m_Bill.Get();
  const bool audited = HeadNumber(bill, "FCheckerID") != 0;
  for (const char* tool : {"mnuEditAddRow", "mnuEditDelRow"}) {
    bill->SetBarStatus(tool, "Enabled", Variant(!audited));
    bill->SetBarStatus(tool, "Visible", Variant(!audited));
  }
  bill->SetBarStatus("mnuDataRedBill", "Visible", Variant(false));
  bill->SetBarStatus("mnuDataBlueBill", "Visible", Variant(false));
  if (bill->OpenMode() == 1) {
    for (const char* tool : {kToolUnCheck, kToolCheck}) {
      bill->SetBarStatus(tool, "Visible", Variant(true));
      bill->SetBarStatus(tool, "Enabled", Variant(false));
    }
    bill->SetBarStatus("mnuEditCopy", "Visible", Variant(false));
  } else {
    bill->SetBarStatus(kToolUnCheck, "Enabled", Variant(true));
    bill->SetBarStatus(kToolCheck, "Enabled", Variant(true));
    bill->SetBarStatus("mnuEditCopy", "Visible", Variant(true));
  }
}

}  // namespace orb
