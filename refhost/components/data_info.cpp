#include "refhost/components/data_info.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/components/class_link.h"
#include "refhost/data_service.h"
#include "refhost/host.h"

namespace orb::refhost {

HostDataInfo::HostDataInfo(Host& host) : ComponentBase(host, progid::kDataInfo) {}

RecordsetPtr HostDataInfo::GetSelOldBillData(const std::string& /*props*/,
                                             const std::string& classTypeId, const std::string& key,
                                             const VectorPtr& sel) {
  if (Enter("GetSelOldBillData", {classTypeId, key, CallArg(Variant(sel))})) return nullptr;
  Database& db = host_.Db();
  const int32_t dest = CLng(Variant(Trim(classTypeId)));
  auto rs = BoundStatement(db,
                           "SELECT FSrcClassTypeID FROM t_ClassLinkLookup "
                           "WHERE FDestClassTypeID = ? AND FLookupKey = ?")
                .Bind(1, Variant(dest))
                .Bind(2, Variant(Trim(key)))
                .Fetch();
  if (rs->IsEOF()) {
    Raise(err::kInvalidCall, progId_,
          "No source class for field " + key + " of class " + std::to_string(dest));
  }
  const int32_t src = CLng(rs->Value(0));
  std::vector<LinkField> link = ReadLinkTemplate(db, src, dest, progId_);
  return ReadSelectedRows(db, FindSourceTables(db, src, progId_), link, sel, progId_);
}

VectorPtr HostDataInfo::GetBillData(const std::string& /*props*/, const std::string& headTable,
                                    const std::string& entryTable, const std::string& filter) {
  if (Enter("GetBillData", {headTable, entryTable, filter})) return nullptr;
  Database& db = host_.Db();
  const std::string head = CheckedName(Trim(headTable), "Head table", progId_);
  const std::string entry =
      Trim(entryTable).empty() ? "" : CheckedName(Trim(entryTable), "Entry table", progId_);
  const auto columns = ColumnsOf(db, head);
  if (columns.empty()) Raise(err::kInvalidCall, progId_, "No table " + head);
  const std::string id = columns.count("finterid") ? "FInterID" : "FID";

  std::string sql = "SELECT " + id + " FROM " + head;
  if (!Trim(filter).empty()) sql += " WHERE " + filter;
  auto bills = BoundStatement(db, sql + " ORDER BY " + id).Fetch();
  VectorPtr records = Vector::New();
  for (; !bills->IsEOF(); bills->MoveNext()) {
    const Variant billId = bills->Value(0);
    std::shared_ptr<MemoryRecordset> lines;
    if (!entry.empty()) {
      lines = BoundStatement(
                  db, "SELECT FEntryID FROM " + entry + " WHERE " + id + " = ? ORDER BY FEntryID")
                  .Bind(1, billId)
                  .Fetch();
    }
    if (!lines || lines->RecordCount() == 0) {
      records->Add(Variant(Dictionary::New({{"FInterID", billId}})));
      continue;
    }
    for (; !lines->IsEOF(); lines->MoveNext())
      records->Add(Variant(Dictionary::New({{"FInterID", billId}, {"FEntryID", lines->Value(0)}})));
  }
  return records;
}

}  // namespace orb::refhost
