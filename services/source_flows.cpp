#include "services/source_flows.h"

#include "forms/list_select.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/field_access.h"
#include "services/menu_state.h"
#include "services/sql_text.h"

namespace orb {

namespace {

DictionaryPtr FillAndWrite(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                           const VectorPtr& sel, const DictionaryPtr& data,
                           const std::string& pages) {
  DictionaryPtr filled = FillBillFromSource(bill, ClassTypeText(bill),
                                            TextOf(fieldInfo->Get("FKey")), sel, data, pages);
  if (filled) ControlOf(bill)->DoFillData(filled);
  return filled;
}

}  // namespace

bool IsSourceLookup(const DictionaryPtr& fieldInfo) {
  return fieldInfo && NumberOf(fieldInfo->Get("FLookUpType")) == kLookUpSourceBill;
}

PickedSource PickSourceFromList(const BillInterfacePtr& bill, const DictionaryPtr& data,
                                const std::string& pages) {
  PickedSource result;
  DictionaryPtr info;
  int32_t row = 0;
  int32_t col = 0;
  bill->GetCurFieldInfo(info, row, col);
  if (!IsSourceLookup(info)) return result;
  VectorPtr sel =
      ShowListSelect(CLng(info->Get("FLookupClassID")), TextOf(info->Get("FFilter")), false);
  if (!sel || sel->Size() == 0) return result;
  result.picked = true;
  result.data = FillAndWrite(bill, info, sel, data, pages);
  return result;
}

TypedSource FillFromTypedSource(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                                bool& cancel, const DictionaryPtr& data, const std::string& pages) {
  if (!IsSourceLookup(fieldInfo)) return TypedSource::Nothing;
  VectorPtr sel = LookupSourceBill(fieldInfo, bill, cancel);
  if (!sel || sel->Size() == 0) return TypedSource::NotFound;
  return FillAndWrite(bill, fieldInfo, sel, data, pages) ? TypedSource::Filled
                                                         : TypedSource::Nothing;
}

int32_t LinkByStatement(const BillInterfacePtr& bill, const std::string& sql,
                        int32_t srcClassTypeId) {
  RecordsetPtr rs = CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
  if (!rs || rs->IsEOF()) return 0;
  VectorPtr records = RecordsetToVector(rs);
  if (records->Size() == 0) return 0;
  int32_t classType = srcClassTypeId;
  LinkFromSourceBills(bill, records, classType);
  return records->Size();
}

bool LinkInstructionByNumber(const BillInterfacePtr& bill, const std::string& number) {
  constexpr int32_t kInstructionClassTypeId = 1001012;
  return !number.empty() &&
         LinkByStatement(bill,
                         " select a.FID,a.FClassTypeID from icclassgroupinfo a" +
                             std::string(" inner join GMPBatchPacket b on a.FID=b.FID") +
                             " where b.FBillNO=" + SqlQuote(number),
                         kInstructionClassTypeId) > 0;
}

Variant SelectedHeadValue(const BillInterfacePtr& bill, const DictionaryPtr& data,
                          const std::string& key) {
  if (DictionaryPtr head = data ? data->GetDictionary("page1") : nullptr) {
    for (const auto& [name, value] : head->Items()) {
      if (!SameText(name, key)) continue;
      const DictionaryPtr record = value.As<Dictionary>();
      const Variant given = record ? record->Get("FFLD") : value;
      if (!Trim(TextOf(given)).empty()) return given;
    }
  }
  return HeadValue(bill, key);
}

void HideUncheckedSources(DictionaryPtr& filter) {
  filter = Dictionary::New({{"HideType", Variant::Int(1)}, {"FCheckerID", Variant("FCheckerID")}});
}

void RestrictToRoutingOperations(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                                 const std::string& routingKey) {
  if (!fieldInfo) Raise(err::kObjectNotSet, "OrbGMPBillEvent.MParse", "No field information");
  const Variant routing = HeadValue(bill, routingKey);
  if (routing.IsNull() || Trim(TextOf(routing)).empty()) {
    fieldInfo->Set("FFilter", Variant(""));
    return;
  }
  fieldInfo->Set("FFilter",
                 Variant("FInterID in (SELECT FOperID FROM t_routingoper  WHERE FInterID= " +
                         std::to_string(CLng(Variant(NumberOf(routing)))) + ")"));
}

bool DrawnFromSource(const BillInterfacePtr& bill) {
  VectorPtr rows = EntryRows(bill, 2);
  return rows->Size() > 0 && NumberOf(CellValue(bill, "FID_SRC", 1)) != 0;
}

void ApplySourceBillState(const BillInterfacePtr& bill, bool freezeGrid) {
  if (DrawnFromSource(bill)) {
    if (freezeGrid) ControlOf(bill)->SetGridMaxRows(0, EntryRows(bill, 2)->Size());
    SetCheckMenuState(bill, false);
    bill->SetBarStatus("mnuCopyRow", "Visible", false);
  } else {
    SetCheckMenuState(bill, true);
    bill->SetBarStatus("mnuCopyRow", "Visible", true);
  }
}

}  // namespace orb
