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

  std::vector<std::string> conditions;
  if (!entry.empty()) conditions.push_back("v1.FInterID = u1.FInterID");
  // Each condition in parentheses, so that an OR inside one cannot undo
  // the others.
  for (const std::string& filter : {Trim(list->Value(1)), Trim(filter_)}) {
    if (!filter.empty()) conditions.push_back("(" + filter + ")");
  }
  std::string sql = "SELECT v1.FInterID AS FInterID";
  if (!entry.empty()) sql += ", u1.FEntryID AS FEntryID";
  sql += ", v1.*";
  if (!entry.empty()) sql += ", u1.*";
  sql += " FROM " + head + " v1";
  if (!entry.empty()) sql += ", " + entry + " u1";
  for (size_t i = 0; i < conditions.size(); ++i)
    sql += (i == 0 ? " WHERE " : " AND ") + conditions[i];
  sql += entry.empty() ? " ORDER BY v1.FInterID" : " ORDER BY v1.FInterID, u1.FEntryID";

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
  for (int32_t row : pick) {
    if (row < 1 || row > count) continue;
    if (std::find(marked_.begin(), marked_.end(), row) != marked_.end()) continue;
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
