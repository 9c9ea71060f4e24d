#include "refhost/components/list_select.h"

#include <algorithm>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill_template.h"
#include "refhost/bound_statement.h"
#include "refhost/host.h"
#include "refhost/sqlite_connection.h"

namespace orb::refhost {

namespace {

// "FInterID", "FEntryID" and the head's and entry's columns once each (letter
// case ignored), the first of a repeated name kept.
std::shared_ptr<MemoryRecordset> WithoutRepeatedColumns(const MemoryRecordset& rs) {
  std::vector<std::string> columns;
  std::vector<size_t> kept;
  for (size_t i = 0; i < rs.Columns().size(); ++i) {
    const std::string& name = rs.Columns()[i];
    auto same = [&](const std::string& c) { return SameText(c, name); };
    if (std::none_of(columns.begin(), columns.end(), same)) {
      columns.push_back(name);
      kept.push_back(i);
    }
  }
  std::vector<std::vector<Variant>> rows;
  for (const auto& row : rs.Rows()) {
    std::vector<Variant> values;
    for (size_t i : kept) values.push_back(row[i]);
    rows.push_back(std::move(values));
  }
  return std::make_shared<MemoryRecordset>(std::move(columns), std::move(rows));
}

// The statement of the list's rows: "FInterID" and "FEntryID" first, then the
// head's and the entry's columns, under the join and both conditions, each
// condition in parentheses so that an OR inside one cannot undo the others.
// The lists of work bill lines (601) and task dispatch lines (691) are read
// as the source look-ups read them, with the same aliases (their conditions
// name the production order as t3 and t1).
std::string ListStatement(int32_t listId, const std::string& head, const std::string& entry,
                          const std::string& listFilter, const std::string& filter) {
  std::string keys = "v1.FInterID AS FInterID";
  std::string columns = "v1.*";
  std::string from = head + " v1";
  std::vector<std::string> conditions;
  std::string order = "v1.FInterID";
  if (listId == 691) {
    keys = "v2.FTaskDispInterID AS FInterID, v2.FEntryID AS FEntryID";
    columns = "v1.*, v2.*";
    from =
        "ICTaskDispBillEntry v2 LEFT JOIN ICTaskDispBill v1 ON v1.FInterID = v2.FInterID "
        "LEFT JOIN ICMO t1 ON t1.FInterID = v1.FICMOInterID "
        "LEFT JOIN SHWorkBillEntry t3 ON v1.FWorkBillInterID = t3.FWBInterID";
    order = "v2.FInterID, v2.FEntryID";
  } else if (!entry.empty()) {
    keys = (listId == 601 ? "u1.FWBInterID" : "v1.FInterID") +
           std::string(" AS FInterID, u1.FEntryID AS FEntryID");
    columns = "v1.*, u1.*";
    from += ", " + entry + " u1";
    conditions.push_back("v1.FInterID = u1.FInterID");
    if (listId == 601) {
      from += ", ICMO t3";
      conditions.push_back("v1.FICMOInterID = t3.FInterID");
    }
    order = "v1.FInterID, u1.FEntryID";
  }
  for (const std::string& c : {listFilter, filter}) {
    if (!c.empty()) conditions.push_back("(" + c + ")");
  }
  std::string sql = "SELECT " + keys + ", " + columns + " FROM " + from;
  for (size_t i = 0; i < conditions.size(); ++i)
    sql += (i == 0 ? " WHERE " : " AND ") + conditions[i];
  return sql + " ORDER BY " + order;
}

}  // namespace

HostListSelect::HostListSelect(Host& host) : ComponentBase(host, progid::kListSelect) {}

bool HostListSelect::Refuse(const std::string& reason) {
  host_.Log().Add("action", {{"name", "list refused"}, {"listId", listId_}, {"reason", reason}});
  return false;
}

bool HostListSelect::Load() {
  rows_.reset();
  marked_.clear();
  name_.clear();
  if (Enter("Load", {listId_, filter_})) return Refuse("injected failure");

  Database& db = host_.Db();
  auto list = BoundStatement(db,
                             "SELECT FBillTemplateID, FFilter, FName FROM ICListTemplate "
                             "WHERE FID = ?")
                  .Bind(1, Variant(listId_))
                  .Fetch();
  if (list->IsEOF()) return Refuse("no list template " + std::to_string(listId_));
  auto type = BoundStatement(db,
                             "SELECT FHeadTable, FEntryTable, FName FROM ICTransactiontype "
                             "WHERE FID = ?")
                  .Bind(1, list->Value(0))
                  .Fetch();
  if (type->IsEOF()) return Refuse("no transaction type " + CStr(list->Value(0)));

  const std::string head = Trim(type->Value(0));
  const std::string entry = Trim(type->Value(1));
  if (!IsIdentifier(head) || (!entry.empty() && !IsIdentifier(entry)))
    return Refuse("bad table names '" + head + "', '" + entry + "'");

  const std::string sql = ListStatement(listId_, head, entry, Trim(list->Value(1)), Trim(filter_));
  try {
    rows_ = WithoutRepeatedColumns(*BoundStatement(db, TranslateTSql(sql)).Fetch());
  } catch (const AutomationError& e) {
    return Refuse(e.Description());
  }
  name_ = Trim(list->Value(2));
  if (name_.empty()) name_ = Trim(type->Value(2));
  host_.Log().Add("action",
                  {{"name", "list"}, {"listId", listId_}, {"rows", rows_->RecordCount()}});
  return true;
}

VectorPtr HostListSelect::Selected() {
  VectorPtr out = Vector::New();
  if (!rows_) return out;
  for (int32_t row : marked_) {
    DictionaryPtr record = Dictionary::New();
    const auto& values = rows_->Rows()[static_cast<size_t>(row - 1)];
    for (size_t i = 0; i < values.size(); ++i) record->Set(rows_->Columns()[i], values[i]);
    out->Add(Variant(record));
  }
  return out;
}

ObjectPtr HostListSelect::GetListFieldsDes() {
  VectorPtr names = Vector::New();
  if (rows_) {
    for (const auto& c : rows_->Columns()) names->Add(Variant(c));
  }
  return names;
}

std::string HostListSelect::WaitCommand() {
  auto& picks = host_.User().picks;
  if (picks.empty() || picks.front().empty()) {
    if (!picks.empty()) picks.pop_front();
    host_.Log().Add("action", {{"name", "list closed"}});
    return "";
  }
  const std::vector<int32_t> pick = picks.front();
  picks.pop_front();
  marked_.clear();
  const int32_t count = rows_ ? rows_->RecordCount() : 0;
  std::vector<bool> isMarked(static_cast<size_t>(count) + 1, false);  // by 1-based row
  for (int32_t row : pick) {
    if (row < 1 || row > count || isMarked[static_cast<size_t>(row)]) continue;
    isMarked[static_cast<size_t>(row)] = true;
    marked_.push_back(row);
    if (selectFlag_ != 1) break;
  }
  host_.Log().Add("action", {{"name", "list select"}, {"rows", marked_}});
  return "SelectOK";
}

void HostListSelect::ReleaseData() {
  rows_.reset();
  marked_.clear();
}

}  // namespace orb::refhost
