#include "refhost/data_service.h"

#include <cstring>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {
constexpr const char* kSource = "DataSrv";

// A column or table name from field information, checked before it goes into
// SQL: the source table may carry its alias, a column the alias.
std::string Name(const DictionaryPtr& info, const char* key) {
  std::string name = Trim(info->Get(key));
  const bool table = std::string(key) == "FSRCTableName";
  if (!name.empty() && !(table ? IsSourceTable(name) : IsSourceColumn(name)))
    Raise(err::kInvalidCall, kSource,
          std::string(key) + " '" + name + "' is no " + (table ? "table" : "column") + " name");
  return name;
}

// The memo key of a looked-up value: its kind, then the value, so that 1,
// 1.0 and "1" stay apart as SQLite may compare them differently.
std::string MemoKey(const Variant& value) {
  std::string key(1, static_cast<char>('A' + static_cast<int>(value.Type())));
  if (value.IsString()) {
    key += value.AsString();
  } else if (value.Type() == VarType::Double) {
    const double d = value.AsDouble();
    char bits[sizeof d];
    std::memcpy(bits, &d, sizeof d);
    key.append(bits, sizeof d);
  } else if (value.Type() == VarType::Long || value.Type() == VarType::Integer) {
    const int32_t n = value.Type() == VarType::Long ? value.AsLong() : value.AsInteger();
    char bits[sizeof n];
    std::memcpy(bits, &n, sizeof n);
    key.append(bits, sizeof n);
  } else {
    key += CStr(value);
  }
  return key;
}
}  // namespace

DictionaryPtr EmptyValueRecord() {
  return MakeValueRecord(Variant(""), Variant(""), Variant(""), false);
}

DictionaryPtr MakeValueRecord(const Variant& fld, const Variant& fnd, const Variant& dsp,
                              bool modified) {
  std::vector<std::pair<std::string, Variant>> items;
  items.reserve(4);
  items.emplace_back("FFLD", fld);
  items.emplace_back("FFND", fnd);
  items.emplace_back("FDSP", dsp);
  items.emplace_back("FModify", Variant::Int(modified ? 1 : 0));
  return Dictionary::FromDistinct(std::move(items));
}

std::string DisplayText(const Variant& v) {
  if (v.IsEmpty() || v.IsNull() || v.IsObject()) return "";
  return CStr(v);
}

bool HasValue(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return false;
  if (v.IsString()) return !Trim(v.AsString()).empty();
  return true;
}

std::string RecordText(const DictionaryPtr& record) {
  if (!record) return "";
  std::string dsp = DisplayText(record->Get("FDSP"));
  return dsp.empty() ? DisplayText(record->Get("FFLD")) : dsp;
}

TemplateDataService::TemplateDataService(Host& host, std::shared_ptr<const BillTemplate> tpl)
    : host_(host),
      tpl_(std::move(tpl)),
      classType_(tpl_->ClassTypeDictionary()),
      tableInfo_(tpl_->TableInfo()) {
  // The bill's name is the host's own text: shown in the user's language.
  classType_->Set("FName", host_.Text(CStr(classType_->Get("FName"))));
}

DictionaryPtr TemplateDataService::GetEmptyData(const DictionaryPtr& pageTemplate, bool, int32_t) {
  if (!pageTemplate) Raise(err::kObjectNotSet, kSource, "Object variable not set (page template)");
  auto record = Dictionary::New();
  for (const auto& [key, item] : pageTemplate->Items()) {
    if (item.As<Dictionary>()) record->Set(key, EmptyValueRecord());
  }
  return record;
}

Variant TemplateDataService::PackValue(const RecordsetPtr& rs, const DictionaryPtr& fieldTemplate) {
  if (!rs || !fieldTemplate) Raise(err::kObjectNotSet, kSource, "Object variable not set");
  return Resolve(rs->Value(CStr(fieldTemplate->Get("FKey"))), fieldTemplate);
}

TemplateDataService::~TemplateDataService() {
  statements_.clear();  // finalized before their database may close
}

TemplateDataService::LoadScope::LoadScope(TemplateDataService& service) : service_(service) {
  ++service_.loadDepth_;
}

TemplateDataService::LoadScope::~LoadScope() {
  if (--service_.loadDepth_ > 0) return;
  for (auto& [sql, prepared] : service_.statements_) prepared.remembered.clear();
}

TemplateDataService::Prepared& TemplateDataService::Statement(const std::string& sql) {
  if (statementDb_ != host_.DbPtr()) {  // the host changed its database
    statements_.clear();
    statementDb_ = host_.DbPtr();
  }
  Prepared& prepared = statements_[sql];
  if (!prepared.statement)
    prepared.statement = std::make_unique<BoundStatement>(*statementDb_, sql);
  return prepared;
}

BoundStatement& TemplateDataService::Reusable(const std::string& sql) {
  return *Statement(sql).statement;
}

TemplateDataService::Texts TemplateDataService::LookUp(Prepared& prepared, const Variant& key) {
  std::string memoKey;
  if (loadDepth_ > 0) {
    memoKey = MemoKey(key);
    auto found = prepared.remembered.find(memoKey);
    if (found != prepared.remembered.end()) return found->second;
  }
  BoundStatement& statement = *prepared.statement;
  const RewindOnExit reset(statement);
  Texts result;
  if (statement.Bind(1, key).Step())
    result.emplace(DisplayText(statement.Column(0)), DisplayText(statement.Column(1)));
  if (loadDepth_ > 0) prepared.remembered.emplace(std::move(memoKey), result);
  return result;
}

TemplateDataService::Resolver TemplateDataService::ResolverFor(const DictionaryPtr& info) {
  Resolver r;
  const std::string table = Name(info, "FSRCTableName");
  r.hasSource = !table.empty();
  if (!r.hasSource) return r;
  const std::string idField = Name(info, "FSRCFieldName");
  r.lookedUp = !idField.empty();
  if (!r.lookedUp) return r;
  const std::string number = Name(info, "FFNDFieldName");
  const std::string display = Name(info, "FDSPFieldName");
  r.hasDisplay = !display.empty();
  r.sql = "SELECT " + (number.empty() ? "NULL" : number) + ", " +
          (display.empty() ? "NULL" : display) + " FROM " + table + " WHERE " + idField +
          " = ? LIMIT 1";
  return r;
}

DictionaryPtr TemplateDataService::Resolve(const Variant& value, const DictionaryPtr& info) {
  return Resolve(value, ResolverFor(info));
}

DictionaryPtr TemplateDataService::Resolve(const Variant& value, const Resolver& r) {
  Variant fld = value.IsNull() || value.IsEmpty() ? Variant("") : value;
  if (!r.lookedUp || !HasValue(fld))
    return MakeValueRecord(fld, "", r.hasSource ? "" : DisplayText(fld), false);
  if (!r.statement) r.statement = &Statement(r.sql);
  auto row = LookUp(*r.statement, fld);
  if (!row) return MakeValueRecord(fld, "", "", false);
  return MakeValueRecord(fld, row->first, r.hasDisplay ? row->second : row->first, false);
}

DictionaryPtr TemplateDataService::LookUpNumber(const DictionaryPtr& info, const Variant& number,
                                                const std::vector<std::string>& extras) {
  const std::string text = Trim(DisplayText(number));
  if (text.empty()) return EmptyValueRecord();
  const std::string table = Name(info, "FSRCTableName");
  const std::string idField = Name(info, "FSRCFieldName");
  const std::string numberField = Name(info, "FFNDFieldName");
  if (table.empty() || idField.empty() || numberField.empty())
    return MakeValueRecord(number, text, text, false);

  const std::string display = Name(info, "FDSPFieldName");
  std::string columns = idField + ", " + (display.empty() ? "NULL" : display);
  for (const auto& extra : extras) columns += ", " + extra;
  // The filter is the plug-in's condition on the source table, as the
  // host's look-up window applies it.
  const std::string filter = Trim(DisplayText(info->Get("FFilter")));
  BoundStatement q(host_.Db(), "SELECT " + columns + " FROM " + table + " WHERE " + numberField +
                                   " = ?" + (filter.empty() ? "" : " AND (" + filter + ")") +
                                   " LIMIT 1");
  auto rs = q.Bind(1, text).Fetch();
  if (rs->RecordCount() == 0) return MakeValueRecord("", text, "", false);
  Variant id = rs->Value(0).IsNull() ? Variant("") : rs->Value(0);
  DictionaryPtr record =
      MakeValueRecord(id, text, display.empty() ? text : DisplayText(rs->Value(1)), false);
  for (size_t i = 0; i < extras.size(); ++i)
    record->Set(extras[i], rs->Value(static_cast<int32_t>(i) + 2));
  return record;
}

std::string TemplateDataService::GetExistBillNo(int32_t billId, std::string& caption) {
  caption = host_.Text("单据编号：");
  const TableTemplate& head = tpl_->Head();
  BoundStatement q(host_.Db(), "SELECT " + head.billNoColumn + " FROM " + head.name + " WHERE " +
                                   head.idColumn + " = ?");
  auto rs = q.Bind(1, billId).Fetch();
  return rs->RecordCount() == 0 ? "" : DisplayText(rs->Value(0));
}

DictionaryPtr TemplateDataService::EmptyRecord(int32_t page) const {
  auto record = Dictionary::New();
  if (const PageTemplate* p = tpl_->Page(page)) {
    for (const auto& f : p->fields) record->Set(f.key, EmptyValueRecord());
  }
  return record;
}

}  // namespace orb::refhost
