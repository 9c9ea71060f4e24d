#include "services/bill_link.h"

#include <memory>
#include <string>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/field_access.h"
#include "services/language.h"
#include "services/login_context.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.MParse";
// The look-up classes whose source records are lines of other bills.
constexpr int32_t kWorkBillLookup = 601;
constexpr int32_t kTaskDispatchLookup = 691;
// Shown, followed by the error's description, when a typed number could not
// be checked against its source bills.
constexpr const char* kLookupFailed = "来源单据查询失败,原因：";

template <class T>
std::shared_ptr<T> NotNothing(std::shared_ptr<T> p, const char* what) {
  if (!p) Raise(err::kObjectNotSet, kSource, std::string("Object variable not set: ") + what);
  return p;
}

// The text of a value as concatenation gives it: "" for Empty and Null.
std::string TextOf(const Variant& v) {
  return v.IsEmpty() || v.IsNull() ? std::string() : CStr(v);
}

// A whole number as it goes into a statement.
std::string NumberText(const Variant& v) {
  return std::to_string(CLng(v));
}

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

// Empties the value record of a look-up field (FFLD, FFND, FDSP) and writes it
// back marked as changed.
void EmptyValue(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo,
                const DictionaryPtr& value) {
  value->Set("FFLD", Variant(""));
  value->Set("FFND", Variant(""));
  value->Set("FDSP", Variant(""));
  value->Set("FModify", Variant::Int(1));
  bill->SetText(fieldInfo, value, 0);
}

bool HasRows(const RecordsetPtr& rs) {
  return rs && !rs->IsEOF();
}

// The statement that finds the source records of a look-up class.
std::string SourceQuery(int32_t lookupClass, const std::string& head, const std::string& entry,
                        const std::string& conditions) {
  if (Trim(entry).empty()) return "SELECT v1.FInterID FROM " + head + " v1 WHERE " + conditions;
  if (lookupClass == kWorkBillLookup) {
    return " SELECT u1.FWBInterID as FInterID,u1.FEntryID FROM " + head + " v1, " + entry +
           " u1, icmo t3 " + "\r\n" +
           " WHERE v1.FInterID=u1.FinterID AND v1.FICMOInterId = t3.FInterID AND  " + conditions;
  }
  if (lookupClass == kTaskDispatchLookup) {
    return std::string(
               " Select v2.FTaskDispInterID as FInterID,v2.FEntryID from ICTaskDispBillEntry v2 ") +
           "\r\n" + " left join ICTaskDispBill v1 on v1.FInterID=v2.FInterID " + "\r\n" +
           " left join ICMO t1 on t1.FInterID=v1.FICMOInterID " + "\r\n" +
           " left join SHWorkBillEntry t3 on v1.FWorkBillInterID=t3.FWBInterID " + "\r\n" +
           "WHERE " + conditions;
  }
  return "SELECT v1.FInterID,u1.FEntryID FROM " + head + " v1, " + entry + " u1 " +
         " WHERE v1.FInterID=u1.FinterID AND " + conditions;
}

}  // namespace

void SelectBill(const BillInterfacePtr& bill, int32_t selType) {
  Trap(
      [&] {
        NotNothing(bill, "bill");
        NotNothing(bill->BillCtl(), "BillCtl")->DoSelBill(selType);
        bill->FireAfterSelBill(selType);
      },
      [](const AutomationError& e) {
        Raise(e.Number(), e.Source() + ":SelBill", LoadTVString(e.Description()));
      });
}

void LinkFromSourceBills(const BillInterfacePtr& bill, VectorPtr& sel, int32_t& srcClassTypeId) {
  TrapQuietly([&] {
    NotNothing(bill, "bill");
    auto link = CreateObjectAs<ClassLink>(progid::kClassLink);
    link->SetDataSrv(bill->DataSrv());
    link->SetSRCClassTypeID(srcClassTypeId);
    link->InitLinkTemplate();
    DictionaryPtr data = link->selbills(false, sel, bill->Data());
    NotNothing(bill->BillCtl(), "BillCtl")->DoFillData(NotNothing(data, "bill data"));
  });
}

VectorPtr LookupSourceBill(const DictionaryPtr& fieldInfo, const BillInterfacePtr& bill,
                           bool& /*cancel*/) {
  VectorPtr found;
  DictionaryPtr value;
  Trap(
      [&] {
        NotNothing(fieldInfo, "field information");
        NotNothing(bill, "bill");
        if (Val(Trim(fieldInfo->Get("FLookUpType"))) != 100) return;

        const std::string numberField = Trim(fieldInfo->Get("FFNDFieldName"));
        value = NotNothing(bill->GetDataFld(fieldInfo, 0), "value record");
        const std::string typed = TextOf(value->Get("FFLD"));

        // Each condition stands in its own parentheses, so that an OR inside
        // a filter never widens the match beyond the typed number. The typed
        // number is the user's text: it goes into the statement quoted. A
        // filter that cannot be built fails the look-up rather than dropping
        // out of it.
        std::string conditions;
        auto addCondition = [&conditions](const std::string& condition) {
          conditions += (conditions.empty() ? "(" : " AND (") + condition + ")";
        };
        if (!numberField.empty()) addCondition(numberField + "= " + SqlQuote(typed));
        const std::string filter = ExpandFilterOrRaise(bill, fieldInfo);
        if (!Trim(filter).empty()) addCondition(filter);

        if (Trim(typed).empty()) return;
        const Variant lookupClass = fieldInfo->Get("FLookupClassID");
        RecordsetPtr rs = Execute("SELECT FBillTemplateID,FFilter FROM ICListTemplate WHERE FID=" +
                                  NumberText(lookupClass));
        if (!HasRows(rs)) return;
        const std::string listFilter = Trim(rs->Value("FFilter"));
        if (!listFilter.empty()) addCondition(listFilter);
        rs = Execute("SELECT FHeadTable,FEntryTable FROM ICTransactiontype WHERE FID=" +
                     NumberText(rs->Value("FBillTemplateID")));
        if (!HasRows(rs)) return;
        const std::string head = Trim(rs->Value("FHeadTable"));
        const std::string entry = Trim(rs->Value("FEntryTable"));

        rs = Execute(SourceQuery(CLng(lookupClass), head, entry, conditions));
        if (!HasRows(rs)) {
          // No source bill has that number: the field is emptied.
          EmptyValue(bill, fieldInfo, value);
          return;
        }
        VectorPtr records = Vector::New();
        for (; !rs->IsEOF(); rs->MoveNext()) {
          DictionaryPtr record = Dictionary::New({{"FInterID", rs->Value("FInterID")}});
          if (!entry.empty()) record->Set("FEntryID", rs->Value("FEntryID"));
          records->Add(record);
        }
        found = records;
      },
      [&](const AutomationError& e) {
        // A number that could not be checked is never kept: the user is told
        // why and the field is emptied as for an unknown number.
        found = nullptr;
        ShowMessage(LoadTVString(kLookupFailed) + LoadTVString(e.Description()), mb::kCritical);
        if (value && bill && fieldInfo) TrapQuietly([&] { EmptyValue(bill, fieldInfo, value); });
      });
  return found;
}

DictionaryPtr FillBillFromSource(const BillInterfacePtr& bill, const std::string& classTypeId,
                                 const std::string& key, const VectorPtr& sel, DictionaryPtr data,
                                 const std::string& pages) {
  DictionaryPtr result;
  TrapQuietly([&] {
    NotNothing(bill, "bill");
    RecordsetPtr rs = CreateObjectAs<DataInfo>(progid::kDataInfo)
                          ->GetSelOldBillData(GetPropsString(), classTypeId, key, sel);
    if (!data) data = Dictionary::New();
    // Selected records the source no longer has fill nothing: an empty page
    // would wipe the bill's values.
    if (!rs || rs->RecordCount() == 0) return;

    DictionaryPtr tpl = NotNothing(bill->BillTemplate(), "bill template");
    DataServicePtr service = NotNothing(bill->DataSrv(), "DataSrv");
    const int32_t pageCount = CLng(tpl->Get("PageCount"));
    // Every page is made before any is stored, so that an error leaves the
    // caller's data (often the bill's own) as it was.
    DictionaryPtr filled = Dictionary::New();
    for (int32_t p = 1; p <= pageCount; ++p) {
      const std::string number = std::to_string(p);
      if (!pages.empty() && pages.find(number) == std::string::npos) continue;
      DictionaryPtr pageTpl = NotNothing(tpl->GetDictionary("Page" + number), "page template");
      rs->MoveFirst();
      if (Val(Trim(pageTpl->Get("FEntryType"))) != 0) {
        VectorPtr rows = Vector::New();
        for (int32_t row = 1; !rs->IsEOF(); ++row, rs->MoveNext()) {
          DictionaryPtr record = service->GetEmptyData(pageTpl, true, row);
          FillPageFromRecordset(bill, record, rs, pageTpl, pageTpl);
          rows->Add(record);
        }
        filled->Set("page" + number, rows);
      } else {
        DictionaryPtr record = service->GetEmptyData(pageTpl, false, 1);
        FillPageFromRecordset(bill, record, rs, pageTpl, pageTpl);
        filled->Set("page" + number, record);
      }
    }
    for (const auto& [page, value] : filled->Items()) data->Set(page, value);
    result = data;
  });
  return result;
}

void SelectRouting(const BillInterfacePtr& bill, const std::string& key, int32_t routingId) {
  TrapQuietly([&] {
    NotNothing(bill, "bill");
    auto view = CreateObjectAs<RoutingView>(progid::kRoutingView);
    view->SetRoutingID(routingId);
    view->Show();
    DictionaryPtr picked = view->Result();
    if (!picked) return;
    bill->UpdateLookFld(bill->GetFieldInfoByKey(key, "", 0), picked->Get("FBillNO"));
  });
}

bool GenerateBill(const std::string& billTemplateId, const std::string& fieldName,
                  const std::string& systemName, const std::string& newBillTransType, int32_t showA,
                  const DictionaryPtr& link, int32_t billRob, int32_t showB, bool showFlag) {
  bool generated = false;
  TrapQuietly([&] {
    NotNothing(link, "link");
    VectorPtr selected = Vector::New();
    selected->Add(Dictionary::New({{"BillTemplateID", Variant(billTemplateId)},
                                   {"FieldName", Variant(fieldName)},
                                   {"FInterID", link->Get("NewBillID")}}));
    VectorPtr selection = Vector::New();
    selection->Add(Variant(billTemplateId));
    selection->Add(Variant(fieldName));
    selection->Add(Variant(selected));

    auto bills = CreateObjectAs<BillBuilder>(progid::kBills);
    ParseProperties(GetPropsString());
    bills->SetLocalCnn(GetSystemDialog());
    bills->SetSystemName(systemName);
    bills->SetOpt(GetUserID(), GetUserName());
    bills->SetBuildFromSelBill(true);
    bills->SetSelBillVect(selection);
    bills->SetBillROB(billRob);
    bills->SetNewBillTransType(newBillTransType);
    bills->Show(showA, showB, showFlag ? 1 : 0);

    if (!bills->BillValueChanged() || bills->BillInterID() <= 0) return;
    DictionaryPtr update = Dictionary::New(
        {{"NewBillID", link->Get("NewBillID")}, {"OldBillID", Variant(bills->BillInterID())}});
    for (const char* item : {"NewTblName", "OldTblName", "IDFldName", "NOFldName"})
      update->Set(item, link->Get(item));
    CreateObjectAs<DataUpdate>(progid::kDataUpdate)
        ->UpdateSrcBillRelateID(GetPropsString(), update);
    generated = true;
  });
  return generated;
}

}  // namespace orb
