#include "bills/process/proc_oper_ext.h"

#include <memory>

#include "frame/error_trap.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/bill_check.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/field_access.h"
#include "services/language.h"
#include "services/login_context.h"
#include "services/menu_state.h"
#include "services/source_flows.h"
#include "services/sql_text.h"

namespace orb {

namespace {

// The operation record scheme, from which page 3 is copied.
constexpr int32_t kSchemeClassType = 1001828;
// The look-up class of the production task (the source of the materials).
constexpr int16_t kTaskLookupClass = 11;
// Grid index of the operation record lines.
constexpr int32_t kRecordGrid = 1;
constexpr int32_t kRecordPage = 3;
constexpr const char* kRecordTable = "GMPProcOperEntry2";

// The head fields a source document fills; a number that finds no source
// empties these and nothing else.
constexpr const char* kSourceFilledKeys[] = {"FICMONo",    "FICMOInterID", "FTaskDispBillNo",
                                             "FProcRptNo", "FItemID",      "FRoutingID",
                                             "FProcID",    "FPBatchNo"};

bool IsYes(int32_t answer) {
  return answer == mb::kYes;
}

}  // namespace

void ProcOperExt::ClearEntry2(bool bForce) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    // A question that could not be shown is no consent.
    if (!bForce && !TextOf(GetFieldFLD(bill, "FItemID_2", 1)).empty() &&
        !IsYes(ShowMessage(LoadTVString("录入的源单据号不存在，是否清空备料记录？"), mb::kYesNo))) {
      return;
    }
    BlankEntryRows(bill, 2);
  });
}

void ProcOperExt::AfterSelBill(int32_t /*selBillType*/) {
  TrapQuietly([&] { FitRecordGrid(); });
}

void ProcOperExt::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    if (!tool) return;
    const BillInterfacePtr bill = m_BillInterface.Get();
    const std::string name = tool->Name();
    if (name == kToolCheck) {
      CheckBill(bill, true, 0, 0);
    } else if (name == kToolUnCheck) {
      CheckBill(bill, false, 0, 0);
    } else if (name == "mnuDataLookUp") {
      const std::string k = LCase(m_sCurKey);
      if (k == "fschemeno") {
        SelectBill(bill, kSchemeClassType);
        ApplySourceLock();
      } else if (k == "froutingid") {
        SelectRouting(bill, "FRoutingID", -1);
        SetProcFilter(FieldInfoOf(bill, "FProcID"));
        CheckProcOfRouting(ValueRecordOf(bill, "FRoutingID"));
        cancel = true;
      } else if (k == "ftaskdispbillno" || k == "fprocrptno" || k == "ficmono") {
        cancel = LookUpSourceBill();
      }
    } else if (name == "mnuEditDelRow" || name == "mnuEditAddRow") {
      cancel = IsCurFieldInEntry2();
    }
  });
}

void ProcOperExt::BeforeSelBillShowFilter(DictionaryPtr& filter) {
  TrapQuietly([&] { HideUncheckedSources(filter); });
}

void ProcOperExt::BarInitialize(const ActiveBarPtr& bar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), bar, true); });
}

void ProcOperExt::BeforLoadBillFillData() {
  TrapQuietly([&] { ApplyBillStatus(!IsBlank(m_BillInterface.Get(), "FCheckerID")); });
}

void ProcOperExt::AfterNewBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    SetCheckMenuState(bill, true);
    ControlOf(bill)->SetGridMaxRows(kRecordGrid, 0);
    m_dctLock = Dictionary::New();
  });
}

void ProcOperExt::AfterLoadBill() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    const BillControlPtr ctl = ControlOf(bill);
    SetCheckMenuState(bill, true);
    if (bill->OpenMode() == 2 && !IsBlank(bill, "FSchemeNo")) {
      ctl->SetLockProperty(true, FieldInfoOf(bill, "FSchemeNo"), false);
    }
    FitRecordGrid();
    ctl->SetLockProperty(true, FieldInfoOf(bill, "FRoutingID"), true);
    for (const char* key : {"FRoutingID", "FProcID", "FSchemeNo"}) {
      ctl->SetLockProperty(!IsBlank(bill, key), FieldInfoOf(bill, key), false);
    }
  });
}

void ProcOperExt::BeginEdit(const DictionaryPtr& dct, int32_t /*col*/, int32_t /*row*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const std::string k = LCase(TextOf(dct->Get("FKey")));
    if (k == "fschemeno") {
      m_BillInterface.Get()->SetBarStatus("mnuDataLookUp", "Enabled", Variant(true));
    } else if (k == "fprocid") {
      SetProcFilter(dct);
    }
    m_sCurKey = TextOf(dct->Get("Fkey"));
  });
}

void ProcOperExt::Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t /*col*/,
                         int32_t row, bool& cancel) {
  TrapQuietly([&] {
    if (!dct) return;
    const BillInterfacePtr bill = m_BillInterface.Get();
    const std::string name = TextOf(dct->Get("FFieldName"));
    if (name == "FEItemID" || name == "FKFDate" || name == "FKFPeriod") {
      SetDateField(bill, "FKFDate", "FKFPeriod", "FEndDate", row);
    } else if (name == "FSchemeNo") {
      LoadOperationScheme();
      ApplySourceLock();
    } else if (name == "FBatchNo") {
      SetPeriodFromDate(bill, dctFld, "FKFDate", "FKFPeriod", "FEndDate", row);
    } else if (name == "FTaskDispBillNo" || name == "FProcRptNo" || name == "FICMONo") {
      if (IsSourceLookup(dct)) FillFromSourceBillNo(dct, cancel);
    } else if (name == "FRoutingID") {
      CheckProcOfRouting(dctFld);
    } else if (name == "FProcID") {
      RelinkMaterials();
    }
  });
}

bool ProcOperExt::IsCurFieldInEntry2() {
  DictionaryPtr info;
  int32_t row = 0;
  int32_t col = 0;
  m_BillInterface.Get()->GetCurFieldInfo(info, row, col);
  return info && TextOf(info->Get("FTableName")) == kRecordTable;
}

void ProcOperExt::SetProcFilter(const DictionaryPtr& dctProcInfo) {
  RestrictToRoutingOperations(m_BillInterface.Get(), dctProcInfo, "FRoutingID");
}

void ProcOperExt::CheckProcOfRouting(const DictionaryPtr& dctRoutingValue) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  if (!dctRoutingValue || TextOf(dctRoutingValue->Get("FFLD")).empty()) {
    ClearOperation();
    return;
  }
  DictionaryPtr pv = ValueRecordOf(bill, "FProcID");
  if (TextOf(pv->Get("FFLD")).empty()) return;
  const Variant inRouting = ControlOf(bill)->GetItem(dctRoutingValue, pv, pv->Get("FFLD"));
  if (!inRouting.IsNull() && !inRouting.IsEmpty() && CBool(inRouting)) {
    RelinkMaterials();
  } else {
    ClearOperation();
  }
}

void ProcOperExt::LoadOperationScheme() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const std::string s = Trim(TextOf(HeadValue(bill, "FSchemeNo")));
  if (!s.empty()) {
    // Only audited schemes are found; the typed number goes in quoted.
    const std::string filter = "FBillNO = " + SqlQuote(s) + " and FCheckerID>0";
    VectorPtr v;
    {
      auto info = CreateObjectAs<DataInfo>(progid::kDataInfo);
      v = info->GetBillData(GetPropsString(), "GMPOperationProj", "GMPOperationProjEntry", filter);
    }
    if (v && v->Size() >= 1) {
      int32_t classType = kSchemeClassType;
      LinkFromSourceBills(bill, v, classType);
      FitRecordGrid();
      ClearRecordResults(EntryRows(bill, kRecordPage)->Size());
      return;
    }
    ClearHeadField("FSchemeNo");
  }
  ClearHeadField("FSchemeName");
  ControlOf(bill)->SetGridMaxRows(kRecordGrid, 0);
}

void ProcOperExt::ClearRecordResults(int32_t nRows) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const DictionaryPtr info = FieldInfoOf(bill, "FRecordResult");
  for (int32_t r = 1; r <= nRows; ++r) bill->SetFieldValue(info, Variant(""), r);
}

bool ProcOperExt::LookUpSourceBill() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DictionaryPtr f;
  int32_t row = 0;
  int32_t col = 0;
  bill->GetCurFieldInfo(f, row, col);
  if (!IsSourceLookup(f)) return false;
  const std::string key = TextOf(f->Get("FKey"));
  const PickedSource picked = PickSourceFromList(bill, nullptr, "1,");
  if (!picked.picked) return false;
  if (!picked.data) {
    SetSourceLock(false, key);
    return false;
  }
  FitRecordGrid();
  RelinkMaterials();
  SetSourceLock(true, key);
  return true;
}

void ProcOperExt::FillFromSourceBillNo(const DictionaryPtr& dctInfo, bool& cancel) {
  const std::string key = TextOf(dctInfo->Get("FKey"));
  if (FillFromTypedSource(m_BillInterface.Get(), dctInfo, cancel, nullptr, "1,") !=
      TypedSource::Filled) {
    SetSourceLock(false, key);
    return;
  }
  FitRecordGrid();
  RelinkMaterials();
  SetSourceLock(true, key);
}

void ProcOperExt::SetSourceLock(bool bLinked, const std::string& sKey) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  m_dctLock = Dictionary::New();
  if (!bLinked) {
    // No source: what a source would have filled goes; the record's own
    // number, date and scheme stay.
    for (const char* key : kSourceFilledKeys) ClearValue(bill, key);
    ClearEntry2(false);
    ControlOf(bill)->DoFillData(bill->Data());
    return;
  }
  auto lockByText = [&](const char* key) {
    ControlPtr c = HeadControl(key);
    const bool locked = c && !c->Text().empty();
    if (c) c->SetLocked(locked);
    m_dctLock->Set(key, Variant(locked));
  };
  const bool fromTask = sKey == "FICMONo";
  if (!fromTask) {
    lockByText("FICMONo");
    lockByText("FProcID");
  }
  lockByText("FRoutingID");
  lockByText("FPBatchNo");
  const BillControlPtr ctl = ControlOf(bill);
  auto lockOther = [&](const char* key, const char* other) {
    const bool v = fromTask || !TextOf(GetFieldFLD(bill, other, 0)).empty();
    ctl->SetLockProperty(v, FieldInfoOf(bill, key), false);
    m_dctLock->Set(key, Variant(v));
  };
  if (sKey != "FProcRptNo") lockOther("FProcRptNo", "FTaskDispBillNo");
  lockOther("FTaskDispBillNo", "FProcRptNo");
}

void ProcOperExt::ApplySourceLock() {
  if (!m_dctLock) return;
  for (const char* key :
       {"FICMONo", "FProcID", "FRoutingID", "FPBatchNo", "FProcRptNo", "FTaskDispBillNo"}) {
    if (!m_dctLock->Exists(key)) continue;
    if (ControlPtr c = HeadControl(key)) c->SetLocked(CBool(m_dctLock->Get(key)));
  }
}

void ProcOperExt::RelinkMaterials() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  DictionaryPtr t = FieldInfoOf(bill, "FICMOInterID");
  if (IsBlank(bill, "FICMOInterID") || IsBlank(bill, "FProcID")) return;
  t->Set("FLookupType", Variant::Int(kLookUpSourceBill));
  t->Set("FLookupClassID", Variant::Int(kTaskLookupClass));
  if (!TextOf(GetFieldFLD(bill, "FItemID_2", 1)).empty() &&
      !IsYes(
          ShowMessage(LoadTVString("源单关联已经改变，是否重新关联获取备料记录？"), mb::kYesNo))) {
    return;
  }
  bool flag = false;
  VectorPtr sel = LookupSourceBill(t, bill, flag);
  DictionaryPtr d;
  if (sel && sel->Size() > 0) {
    d = FillBillFromSource(bill, ClassTypeText(bill), TextOf(t->Get("FKey")), sel, nullptr, "2,");
  }
  if (!d) {
    ClearEntry2(true);
    ControlOf(bill)->DoFillData(bill->Data());
    ApplySourceLock();
    return;
  }
  ControlOf(bill)->DoFillData(d);
  FitRecordGrid();
  const int32_t rows = EntryRows(bill, 2)->Size();
  for (int32_t r = 1; r <= rows; ++r) SetDateField(bill, "FKFDate", "FKFPeriod", "FEndDate", r);
  ApplySourceLock();
}

void ProcOperExt::FitRecordGrid() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  ControlOf(bill)->SetGridMaxRows(kRecordGrid, EntryRows(bill, kRecordPage)->Size());
}

void ProcOperExt::ClearOperation() {
  const BillInterfacePtr bill = m_BillInterface.Get();
  const DictionaryPtr p = FieldInfoOf(bill, "FProcID");
  bill->SetFieldValueByInfo(p, Variant(""), 0);
  bill->SetFieldValue(p, Variant(""), 0);
}

void ProcOperExt::ClearHeadField(const std::string& key) {
  const BillInterfacePtr bill = m_BillInterface.Get();
  ValueRecordOf(bill, key)->Set("FFLD", Variant(""));
  bill->SetFieldValue(FieldInfoOf(bill, key), Variant(""), 0);
}

ControlPtr ProcOperExt::HeadControl(const std::string& key) {
  VectorPtr controls = m_BillInterface.Get()->EntryControls();
  if (!controls || controls->Size() < 1) return nullptr;
  auto group = controls->Item(1).As<ControlGroup>();
  return group ? group->Item(key) : nullptr;
}

}  // namespace orb
