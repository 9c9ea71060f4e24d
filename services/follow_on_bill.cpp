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

FollowOnResult GenerateThenAudit(const BillInterfacePtr& bill, const FollowOnBill& followOn,
                                 const DictionaryPtr& link, int32_t classTypeId, bool silent) {
  if (!GenerateBill(followOn.billTemplateId, followOn.fieldName, followOn.systemName,
                    followOn.transType, followOn.showA, link, 1, 0, true)) {
    return FollowOnResult::NotGenerated;
  }
  bool audited = false;
  try {
    audited = DoCheckBill(bill, true, classTypeId, silent);
  } catch (const AutomationError&) {
    RemoveFollowOnBill(link, followOn.transType);
    throw;
  }
  if (audited) return FollowOnResult::Audited;
  RemoveFollowOnBill(link, followOn.transType);
  return FollowOnResult::AuditFailed;
}

void RemoveFollowOnBill(const DictionaryPtr& link, const std::string& transType) {
  // Table and column names come from the bill's own template; the id is
  // converted to a whole number before it goes into a statement.
  const std::string table = Item(link, "NewTblName");
  const std::string idField = Item(link, "IDFldName");
  const std::string noField = Item(link, "NOFldName");
  const std::string recordId = std::to_string(CLng(Variant(NumberOf(link->Get("NewBillID")))));
  RecordsetPtr rs =
      Execute("SELECT " + idField + "," + noField + " FROM " + table + " WHERE FID = " + recordId);
  if (!rs || rs->IsEOF()) return;
  const int32_t stockBillId = CLng(Variant(NumberOf(rs->Value(idField))));
  if (stockBillId == 0) return;
  CreateObjectAs<ClassUpdate>(progid::kClassUpdate)
      ->DeleteBill(GetPropsString(),
                   {Variant(CLng(Variant(Val(transType)))), Variant(stockBillId),
                    Variant(Item(link, "OldTblName")), rs->Value(noField), Variant(), Variant()});
  Execute("UPDATE " + table + " SET " + idField + " = 0, " + noField + " = " + SqlQuote("") +
          " WHERE FID = " + recordId);
}

}  // namespace orb
