#include "services/follow_on_bill.h"

#include <vector>

#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_check.h"
#include "services/bill_link.h"
#include "services/bill_values.h"
#include "services/field_access.h"
#include "services/login_context.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.FollowOnBill";

std::string Item(const DictionaryPtr& link, const char* key) {
  return Trim(TextOf(link->Get(key)));
}

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

// The record's row id as it goes into a statement: a whole number.
std::string RecordId(const DictionaryPtr& link) {
  return std::to_string(CLng(Variant(NumberOf(link->Get("NewBillID")))));
}

// The record's stock bill id and number columns, read from its row. Table and
// column names come from the bill's own template.
RecordsetPtr ReadLinkRow(const DictionaryPtr& link) {
  return Execute("SELECT " + Item(link, "IDFldName") + "," + Item(link, "NOFldName") + " FROM " +
                 Item(link, "NewTblName") + " WHERE FID = " + RecordId(link));
}

// A value put back into a link column: NULL as NULL, the id as a whole number,
// the number as quoted text.
std::string IdLiteral(const Variant& v) {
  return v.IsNull() ? "NULL" : std::to_string(CLng(Variant(NumberOf(v))));
}
std::string NumberLiteral(const Variant& v) {
  return v.IsNull() ? "NULL" : SqlQuote(TextOf(v));
}

}  // namespace

DictionaryPtr StockBillLink(const BillInterfacePtr& bill) {
  VectorPtr tables = bill->TableInfo();
  DictionaryPtr head = tables ? tables->DictionaryAt(1) : nullptr;
  if (!head) Raise(err::kObjectNotSet, kSource, "Object variable not set (TableInfo)");
  return Dictionary::New(
      {{"NewBillID", Variant(CLng(Variant(NumberOf(GetFieldFLD(bill, "FID", 0)))))},
       {"NewTblName", head->Get("FTableName")},
       {"OldTblName", Variant("ICStockBill")},
       {"IDFldName", Variant("FStockBillID")},
       {"NOFldName", Variant("FStockBillNo")}});
}

StockBillColumns ReadStockBillColumns(const DictionaryPtr& link) {
  RecordsetPtr rs = ReadLinkRow(link);
  if (!rs || rs->IsEOF()) return {};
  return {rs->Value(Item(link, "IDFldName")), rs->Value(Item(link, "NOFldName"))};
}

FollowOnResult GenerateThenAudit(const BillInterfacePtr& bill, const FollowOnBill& followOn,
                                 const DictionaryPtr& link, int32_t classTypeId, bool silent) {
  // What the record names before the generation writes its link: a failed
  // audit puts it back.
  const StockBillColumns before = ReadStockBillColumns(link);
  if (!GenerateBill(followOn.billTemplateId, followOn.fieldName, followOn.systemName,
                    followOn.transType, followOn.showA, link, 1, 0, true)) {
    return FollowOnResult::NotGenerated;
  }
  bool audited = false;
  try {
    audited = DoCheckBill(bill, true, classTypeId, silent);
  } catch (const AutomationError&) {
    RemoveFollowOnBill(link, followOn.transType, before);
    throw;
  }
  if (audited) return FollowOnResult::Audited;
  RemoveFollowOnBill(link, followOn.transType, before);
  return FollowOnResult::AuditFailed;
}

void RemoveFollowOnBill(const DictionaryPtr& link, const std::string& transType,
                        const StockBillColumns& restore) {
  const std::string idField = Item(link, "IDFldName");
  const std::string noField = Item(link, "NOFldName");
  RecordsetPtr rs = ReadLinkRow(link);
  if (!rs || rs->IsEOF()) return;
  const int32_t stockBillId = CLng(Variant(NumberOf(rs->Value(idField))));
  if (stockBillId == 0) return;
  CreateObjectAs<ClassUpdate>(progid::kClassUpdate)
      ->DeleteBill(GetPropsString(),
                   {Variant(CLng(Variant(Val(transType)))), Variant(stockBillId),
                    Variant(Item(link, "OldTblName")), rs->Value(noField), Variant(), Variant()});
  Execute("UPDATE " + Item(link, "NewTblName") + " SET " + idField + " = " + IdLiteral(restore.id) +
          ", " + noField + " = " + NumberLiteral(restore.number) +
          " WHERE FID = " + RecordId(link));
}

}  // namespace orb
