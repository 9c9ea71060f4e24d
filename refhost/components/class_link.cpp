#include "refhost/components/class_link.h"

#include <cctype>
#include <map>
#include <optional>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill_template.h"
#include "refhost/bound_statement.h"
#include "refhost/components/bill_class.h"
#include "refhost/data_service.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

// The selected record's bill id: "FInterID", else "FID".
Variant RecordId(const DictionaryPtr& record) {
  Variant id = record->Exists("FInterID") ? record->Get("FInterID") : record->Get("FID");
  return HasValue(id) ? id : Variant();
}

// The selected record's line, Empty when it names none.
Variant RecordLine(const DictionaryPtr& record) {
  Variant line = record->Get("FEntryID");
  return HasValue(line) && Val(line) != 0 ? line : Variant();
}

// The lines whose own id names them across all bills: the column, and
// whether a look-up of the source gives that id as the record's "FInterID".
struct LineIdOf {
  const char* entry;
  const char* column;
  bool recordIdIsLineId;
};
constexpr LineIdOf kLineIds[] = {{"SHWorkBillEntry", "FWBInterID", true},
                                 {"ICTaskDispBillEntry", "FTaskDispInterID", true},
                                 {"t_RoutingOper", "FNewEntryID", false}};

void SetLineId(SourceTables& t) {
  for (const LineIdOf& l : kLineIds) {
    if (LCase(t.entry) != LCase(l.entry)) continue;
    t.lineIdColumn = l.column;
    t.recordIdIsLineId = l.recordIdIsLineId;
  }
}

}  // namespace

std::set<std::string> ColumnsOf(Database& db, const std::string& table) {
  std::set<std::string> columns;
  if (!IsIdentifier(table)) return columns;
  auto rs = BoundStatement(db, "PRAGMA table_info(" + table + ")").Fetch();
  for (; !rs->IsEOF(); rs->MoveNext()) columns.insert(LCase(DisplayText(rs->Value("name"))));
  return columns;
}

std::string CheckedName(const std::string& name, const std::string& what,
                        const std::string& source) {
  if (!IsIdentifier(name)) Raise(err::kInvalidCall, source, what + " '" + name + "' is no name");
  return name;
}

std::vector<LinkField> ReadLinkTemplate(Database& db, int32_t src, int32_t dest,
                                        const std::string& source) {
  auto rs = BoundStatement(db,
                           "SELECT FDestKey, FSrcField FROM t_ClassLink "
                           "WHERE FSrcClassTypeID = ? AND FDestClassTypeID = ? ORDER BY rowid")
                .Bind(1, Variant(src))
                .Bind(2, Variant(dest))
                .Fetch();
  std::vector<LinkField> link;
  for (; !rs->IsEOF(); rs->MoveNext())
    link.push_back({DisplayText(rs->Value(0)), DisplayText(rs->Value(1))});
  if (link.empty()) {
    Raise(err::kInvalidCall, source,
          "No link template from class " + std::to_string(src) + " to " + std::to_string(dest));
  }
  return link;
}

SourceTables FindSourceTables(Database& db, int32_t classTypeId, const std::string& source) {
  SourceTables t;
  t.classTypeId = classTypeId;
  if (std::optional<BillClass> cls = FindBillClass(db, classTypeId, source)) {
    t.head = cls->headTable;
    t.entry = cls->entryTable;
    t.idColumn = "FID";
    t.billNoColumn = cls->billNoField;
    return t;
  }
  auto rs =
      BoundStatement(db, "SELECT FHeadTable, FEntryTable FROM ICTransactiontype WHERE FID = ?")
          .Bind(1, Variant(classTypeId))
          .Fetch();
  if (rs->IsEOF()) {
    Raise(err::kInvalidCall, source,
          "No bill class or transaction type " + std::to_string(classTypeId));
  }
  t.head = CheckedName(Trim(DisplayText(rs->Value(0))), "Head table", source);
  const std::string entry = Trim(DisplayText(rs->Value(1)));
  t.entry = entry.empty() ? entry : CheckedName(entry, "Entry table", source);
  t.idColumn = "FInterID";
  t.billNoColumn = "FBillNo";
  SetLineId(t);
  return t;
}

std::shared_ptr<MemoryRecordset> ReadSelectedRows(Database& db, const SourceTables& tables,
                                                  const std::vector<LinkField>& link,
                                                  const VectorPtr& sel, const std::string& source) {
  if (!sel) Raise(err::kObjectNotSet, source, "Object variable not set (selection)");
  const std::set<std::string> headColumns = ColumnsOf(db, tables.head);
  const std::set<std::string> entryColumns =
      tables.entry.empty() ? std::set<std::string>() : ColumnsOf(db, tables.entry);

  std::vector<std::string> names;
  std::string select;
  for (const LinkField& f : link) {
    // "h.X" and "e.X" name the head's or the lines' column X; a plain X is
    // the lines' when they have it.
    std::string field = Trim(f.srcField);
    char part = 0;
    if (field.size() > 2 && field[1] == '.') {
      part = static_cast<char>(std::tolower(static_cast<unsigned char>(field[0])));
      field = field.substr(2);
    }
    const std::string column = CheckedName(field, "Source column", source);
    const bool inEntry = entryColumns.count(LCase(column)) > 0;
    const bool inHead = headColumns.count(LCase(column)) > 0;
    std::string expr;
    if ((part == 'e' || part == 0) && inEntry)
      expr = "e." + column;
    else if ((part == 'h' || part == 0) && inHead)
      expr = "h." + column;
    if (expr.empty())
      Raise(err::kInvalidCall, source, "The source bill has no column " + f.srcField);
    select += (select.empty() ? "" : ", ") + expr;
    names.push_back(f.destKey);
  }
  std::string from = " FROM " + tables.head + " h";
  if (!tables.entry.empty()) {
    from += " LEFT JOIN " + tables.entry + " e ON e." + tables.idColumn + " = h." + tables.idColumn;
  }
  from += " WHERE h." + tables.idColumn + " = ?";

  std::vector<std::vector<Variant>> rows;
  for (int32_t i = 1; i <= sel->Size(); ++i) {
    DictionaryPtr record = sel->DictionaryAt(i);
    if (!record) Raise(err::kTypeMismatch, source, "A selected record is no dictionary");
    const Variant id = RecordId(record);
    if (id.IsEmpty()) Raise(err::kInvalidCall, source, "A selected record has no FInterID");
    Variant line = tables.entry.empty() ? Variant() : RecordLine(record);
    std::string sql = "SELECT " + select + from;
    std::string lineColumn = "FEntryID";
    Variant key = id;
    if (!tables.lineIdColumn.empty()) {
      const Variant own = record->Get(tables.lineIdColumn);
      if (tables.recordIdIsLineId) {
        // The record names a line: the head is whichever owns it.
        key = HasValue(own) ? own : id;
        sql = "SELECT " + select + from.substr(0, from.find(" WHERE ")) + " WHERE e." +
              tables.lineIdColumn + " = ?";
        line = Variant();
      } else if (HasValue(own)) {
        line = own;
        lineColumn = tables.lineIdColumn;
      }
    }
    if (!line.IsEmpty()) sql += " AND e." + lineColumn + " = ?";
    if (!tables.entry.empty()) sql += " ORDER BY e.FEntryID";
    BoundStatement q(db, sql);
    q.Bind(1, key);
    if (!line.IsEmpty()) q.Bind(2, line);
    auto rs = q.Fetch();
    for (const auto& row : rs->Rows()) rows.push_back(row);
  }
  return std::make_shared<MemoryRecordset>(names, rows);
}

HostClassLink::HostClassLink(Host& host) : ComponentBase(host, progid::kClassLink) {}

void HostClassLink::InitLinkTemplate() {
  ready_ = false;
  if (Enter("InitLinkTemplate", {src_})) return;
  if (!dataSrv_) Raise(err::kObjectNotSet, progId_, "Object variable not set (DataSrv)");
  DictionaryPtr classType = dataSrv_->ClassType();
  if (!classType) Raise(err::kObjectNotSet, progId_, "Object variable not set (ClassType)");
  const int32_t dest = CLng(classType->Get("FID"));
  link_ = ReadLinkTemplate(host_.Db(), src_, dest, progId_);
  tables_ = FindSourceTables(host_.Db(), src_, progId_);
  ready_ = true;
}

DictionaryPtr HostClassLink::selbills(bool flag, VectorPtr& sel,
                                      const DictionaryPtr& /*billData*/) {
  if (Enter("selbills", {flag, CallArg(Variant(sel))})) return nullptr;
  if (!ready_) Raise(err::kInvalidCall, progId_, "No link template has been read");
  auto service = std::dynamic_pointer_cast<TemplateDataService>(dataSrv_);
  if (!service) Raise(err::kTypeMismatch, progId_, "The data service is not the host's");
  const BillTemplate& tpl = service->Template();

  std::vector<const FieldTemplate*> fields;
  for (const LinkField& f : link_) {
    const FieldTemplate* field = tpl.FindField(f.destKey);
    if (!field) Raise(err::kInvalidCall, progId_, "The bill has no field " + f.destKey);
    fields.push_back(field);
  }
  auto rs = ReadSelectedRows(host_.Db(), tables_, link_, sel, progId_);
  if (rs->RecordCount() == 0)
    Raise(err::kInvalidCall, progId_, "None of the selected source bills exists");

  auto value = [&](const FieldTemplate& f, const Variant& v) {
    DictionaryPtr record = service->Resolve(v, f.info);
    record->Set("FModify", Variant::Int(1));
    return Variant(record);
  };
  DictionaryPtr data = Dictionary::New();
  DictionaryPtr head = Dictionary::New();
  std::map<int32_t, VectorPtr> pages;
  for (size_t c = 0; c < fields.size(); ++c) {
    if (fields[c]->page == 1) head->Set(fields[c]->key, value(*fields[c], rs->Rows()[0][c]));
  }
  for (const auto& row : rs->Rows()) {
    std::map<int32_t, DictionaryPtr> lines;
    for (size_t c = 0; c < fields.size(); ++c) {
      const int32_t page = fields[c]->page;
      if (page == 1) continue;
      DictionaryPtr& line = lines[page];
      if (!line) line = Dictionary::New();
      line->Set(fields[c]->key, value(*fields[c], row[c]));
    }
    for (const auto& [page, line] : lines) {
      VectorPtr& rows = pages[page];
      if (!rows) rows = Vector::New();
      rows->Add(Variant(line));
    }
  }
  data->Set("page1", Variant(head));
  for (const auto& [page, rows] : pages) data->Set("page" + std::to_string(page), Variant(rows));
  return data;
}

}  // namespace orb::refhost
