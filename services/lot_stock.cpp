#include "services/lot_stock.h"

#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_values.h"
#include "services/field_access.h"
#include "services/sql_text.h"

namespace orb {

namespace {

std::string WholeNumber(const Variant& v) {
  return std::to_string(CLng(Variant(NumberOf(v))));
}

std::string LotDate(const Variant& v) {
  return Trim(TextOf(v)).empty() ? std::string() : Format(v, "YYYY-MM-DD");
}

}  // namespace

std::string LotInventorySql(const std::string& selectLine, const StockLot& lot,
                            const std::string& extraJoin) {
  const std::string crlf = "\r\n";
  std::string sql = selectLine + crlf + " from icinventory  t1 " + crlf +
                    " inner join t_icitem t4 on t1.FItemID = t4.FItemID " + crlf;
  if (!extraJoin.empty()) sql += extraJoin + crlf;
  sql += " where t1.FItemID = " + WholeNumber(lot.item) + crlf;
  sql += " and t1.FStockID = " + WholeNumber(lot.warehouse) + crlf;
  sql += " and t1.FStockPlaceId = " + WholeNumber(lot.place) + crlf;
  sql += " and t1.FBatchNo = " + SqlQuote(TextOf(lot.batch)) + crlf;
  sql += " and t1.FKFDate = " + SqlQuote(LotDate(lot.kfDate)) + crlf;
  sql += " and t1.FKFPeriod = " + WholeNumber(lot.kfPeriod);
  return sql;
}

void WriteStockPlace(const BillInterfacePtr& bill, const std::string& key, int32_t row,
                     const Variant& placeId, const Variant& noPlace) {
  if (NumberOf(placeId) == 0) {
    WriteValue(bill, key, row, noPlace, "", "");
    return;
  }
  const std::string id = WholeNumber(placeId);
  RecordsetPtr rs = CreateObjectAs<Connection>(kConnectionProgId)
                        ->Execute(" SELECT FNumber,FName FROM t_stockplace WHERE  FSPID = " + id);
  if (!rs || rs->IsEOF()) {
    // A stock place that no longer exists is cleared, not kept as a bare id.
    WriteValue(bill, key, row, noPlace, "", "");
    return;
  }
  WriteValue(bill, key, row, Variant(CLng(Variant(NumberOf(placeId)))),
             TextOf(rs->Value("FNumber")), TextOf(rs->Value("FName")));
}

bool DispatchLotDateChange(const BillInterfacePtr& bill, const std::string& fieldName,
                           const DictionaryPtr& value, int32_t row, const std::string& batchKey,
                           const std::string& dateKey, const std::string& periodKey,
                           const std::string& endKey) {
  const std::string name = LCase(fieldName);
  if (name == LCase(batchKey)) {
    SetPeriodFromDate(bill, value, dateKey, periodKey, endKey, row);
  } else if (name == LCase(dateKey) || name == LCase(periodKey)) {
    SetDateField(bill, dateKey, periodKey, endKey, row);
  } else if (name == LCase(endKey)) {
    CheckDateField(bill, dateKey, periodKey, endKey, row);
  } else {
    return false;
  }
  return true;
}

bool SameBatchValue(const DictionaryPtr& current, const DictionaryPtr& last) {
  if (!current || !last || current->Count() != last->Count()) return false;
  for (const auto& [key, value] : last->Items()) {
    if (!current->Exists(key) || !(current->Get(key) == value)) return false;
  }
  return true;
}

}  // namespace orb
