#include "refhost/data_service.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {
constexpr const char* kSource = "DataSrv";

// A column or table name from field information, checked before it goes into SQL.
std::string Name(const DictionaryPtr& info, const char* key) {
  std::string name = Trim(info->Get(key));
  if (!name.empty() && !IsIdentifier(name))
    Raise(err::kInvalidCall, kSource, std::string(key) + " '" + name + "' is no column name");
  return name;
}
}  // namespace

DictionaryPtr EmptyValueRecord() {
  return MakeValueRecord(Variant(""), Variant(""), Variant(""), false);
}

DictionaryPtr MakeValueRecord(const Variant& fld, const Variant& fnd, const Variant& dsp,
                              bool modified) {
  return Dictionary::New(
      {{"FFLD", fld}, {"FFND", fnd}, {"FDSP", dsp}, {"FModify", Variant::Int(modified ? 1 : 0)}});
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

DictionaryPtr TemplateDataService::Resolve(const Variant& value, const DictionaryPtr& info) {
  Variant fld = value.IsNull() || value.IsEmpty() ? Variant("") : value;
  const std::string table = Name(info, "FSRCTableName");
  const std::string idField = Name(info, "FSRCFieldName");
  if (table.empty() || idField.empty() || !HasValue(fld))
    return MakeValueRecord(fld, "", table.empty() ? DisplayText(fld) : "", false);

  const std::string number = Name(info, "FFNDFieldName");
  const std::string display = Name(info, "FDSPFieldName");
  BoundStatement q(host_.Db(), "SELECT " + (number.empty() ? "NULL" : number) + ", " +
                                   (display.empty() ? "NULL" : display) + " FROM " + table +
                                   " WHERE " + idField + " = ? LIMIT 1");
  auto rs = q.Bind(1, fld).Fetch();
  if (rs->RecordCount() == 0) return MakeValueRecord(fld, "", "", false);
  std::string fnd = DisplayText(rs->Value(0));
  std::string dsp = display.empty() ? fnd : DisplayText(rs->Value(1));
  return MakeValueRecord(fld, fnd, dsp, false);
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
