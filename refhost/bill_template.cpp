#include "refhost/bill_template.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/convert.h"
#include "refhost/embedded.h"

namespace orb::refhost {

bool IsIdentifier(const std::string& name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name) {
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

namespace {
// Two identifiers joined by one separator, or a plain identifier.
bool IsJoinedIdentifiers(const std::string& name, char separator) {
  const auto at = name.find(separator);
  if (at == std::string::npos) return IsIdentifier(name);
  return IsIdentifier(name.substr(0, at)) && IsIdentifier(name.substr(at + 1));
}
}  // namespace

bool IsSourceColumn(const std::string& name) {
  return IsJoinedIdentifiers(name, '.');
}

bool IsSourceTable(const std::string& name) {
  return IsJoinedIdentifiers(name, ' ');
}

using nlohmann::json;

// Reads one template, keeping the place it is at for its errors.
class TemplateReader {
 public:
  explicit TemplateReader(std::string origin) : origin_(std::move(origin)) {}

  BillTemplate Read(const json& root);

 private:
  [[noreturn]] void Fail(const std::string& where, const std::string& problem) const {
    throw std::runtime_error(origin_ + ": " + (where.empty() ? "" : where + ": ") + problem);
  }

  void Keys(const json& object, const std::string& where,
            std::initializer_list<const char*> allowed) const;
  const json& Object(const json& parent, const char* key, const std::string& where,
                     bool required) const;
  std::string Text(const json& object, const char* key, const std::string& where,
                   const std::string& fallback, bool required = false) const;
  std::string Identifier(const json& object, const char* key, const std::string& where,
                         const std::string& fallback, bool required = false) const;
  // A source table or column of a look-up field, as the look-up statements name it.
  std::string SourceName(const json& object, const char* key, const std::string& where,
                         bool table) const;
  int32_t Integer(const json& object, const char* key, const std::string& where, int32_t fallback,
                  bool required = false) const;
  bool Boolean(const json& object, const char* key, const std::string& where, bool fallback) const;
  const json& Array(const json& object, const char* key, const std::string& where,
                    bool required) const;

  void ReadClassType(const json& root, BillTemplate& t) const;
  void ReadTables(const json& root, BillTemplate& t) const;
  void ReadPages(const json& root, BillTemplate& t) const;
  FieldTemplate ReadField(const json& f, const std::string& where, const PageTemplate& page,
                          const BillTemplate& t) const;
  void ReadToolbar(const json& bar, const std::string& where, std::vector<std::string>& bands,
                   std::vector<ToolDefinition>& tools) const;
  void ReadSources(const json& root, BillTemplate& t) const;

  std::string origin_;
};

namespace {
// The host's own bill toolbar: every bill window has these tools and bands;
// a template's "toolbar" adds its own tools and may restate one of these (a
// caption, a state, its bands), which then takes the place of the host's.
constexpr const char* kStandardToolbar = R"({
  "bands": ["mnuFile", "mnuEdit", "mnuData", "BandToolBar"],
  "tools": [
    {"key": "mnuFileSave", "caption": "保存", "bands": ["mnuFile", "BandToolBar"]},
    {"key": "mnuFilePreview", "caption": "预览", "bands": ["mnuFile", "BandToolBar"]},
    {"key": "mnuEditCopy", "caption": "复制", "bands": ["mnuEdit", "BandToolBar"]},
    {"key": "mnuEditDelete", "caption": "删除", "bands": ["mnuEdit"]},
    {"key": "mnuEditCheck", "caption": "审核", "visible": false, "bands": ["mnuEdit", "BandToolBar"]},
    {"key": "mnuEditUnCheck", "caption": "反审核", "visible": false, "bands": ["mnuEdit"]},
    {"key": "mnuEditAddRow", "caption": "增加行", "bands": ["mnuEdit", "BandToolBar"]},
    {"key": "mnuEditDelRow", "caption": "删除行", "bands": ["mnuEdit", "BandToolBar"]},
    {"key": "mnuEditDelEntry", "caption": "删除分录", "bands": ["mnuEdit"]},
    {"key": "mnuCopyRow", "caption": "复制行", "bands": ["mnuEdit"]},
    {"key": "mnuEditCopyEntry", "caption": "复制分录", "bands": ["mnuEdit"]},
    {"key": "mnuBatchFillField", "caption": "批量填充", "bands": ["mnuEdit"]},
    {"key": "mnuDataLookUp", "caption": "查看", "bands": ["mnuData", "BandToolBar"]},
    {"key": "mnuSelectBill", "caption": "选单", "bands": ["mnuData", "BandToolBar"]},
    {"key": "mnuOptionLinkBill", "caption": "关联单据", "bands": ["mnuData"]},
    {"key": "mnuDataRedBill", "caption": "红字", "bands": ["mnuData"]},
    {"key": "mnuDataBlueBill", "caption": "蓝字", "bands": ["mnuData"]}
  ]
})";

const json kNull = nullptr;
const json kEmptyArray = json::array();
const json kEmptyObject = json::object();

std::string At(const std::string& where, const std::string& key) {
  return where.empty() ? key : where + "." + key;
}
std::string At(const std::string& where, size_t index) {
  return where + "[" + std::to_string(index) + "]";
}
}  // namespace

void TemplateReader::Keys(const json& object, const std::string& where,
                          std::initializer_list<const char*> allowed) const {
  for (const auto& [key, value] : object.items()) {
    bool known = false;
    for (const char* a : allowed) known = known || key == a;
    if (!known) Fail(where, "unknown key \"" + key + "\"");
  }
}

const json& TemplateReader::Object(const json& parent, const char* key, const std::string& where,
                                   bool required) const {
  auto it = parent.find(key);
  if (it == parent.end()) {
    if (required) Fail(where, std::string("\"") + key + "\" is missing");
    return kEmptyObject;
  }
  if (!it->is_object()) Fail(At(where, key), "must be an object");
  return *it;
}

std::string TemplateReader::Text(const json& object, const char* key, const std::string& where,
                                 const std::string& fallback, bool required) const {
  auto it = object.find(key);
  if (it == object.end()) {
    if (required) Fail(where, std::string("\"") + key + "\" is missing");
    return fallback;
  }
  if (!it->is_string()) Fail(At(where, key), "must be a text");
  if (required && it->get<std::string>().empty()) Fail(At(where, key), "must not be empty");
  return it->get<std::string>();
}

std::string TemplateReader::Identifier(const json& object, const char* key,
                                       const std::string& where, const std::string& fallback,
                                       bool required) const {
  std::string name = Text(object, key, where, fallback, required);
  if (!name.empty() && !IsIdentifier(name))
    Fail(At(where, key), "\"" + name + "\" is not a plain table or column name");
  return name;
}

std::string TemplateReader::SourceName(const json& object, const char* key,
                                       const std::string& where, bool table) const {
  std::string name = Text(object, key, where, "");
  if (!name.empty() && !(table ? IsSourceTable(name) : IsSourceColumn(name))) {
    Fail(At(where, key),
         "\"" + name + "\" is not a " +
             (table ? "table name (or \"table alias\")" : "column name (or \"alias.column\")"));
  }
  return name;
}

int32_t TemplateReader::Integer(const json& object, const char* key, const std::string& where,
                                int32_t fallback, bool required) const {
  auto it = object.find(key);
  if (it == object.end()) {
    if (required) Fail(where, std::string("\"") + key + "\" is missing");
    return fallback;
  }
  if (!it->is_number_integer()) Fail(At(where, key), "must be an integer");
  auto n = it->get<int64_t>();
  if (n < INT32_MIN || n > INT32_MAX) Fail(At(where, key), "is out of range");
  return static_cast<int32_t>(n);
}

bool TemplateReader::Boolean(const json& object, const char* key, const std::string& where,
                             bool fallback) const {
  auto it = object.find(key);
  if (it == object.end()) return fallback;
  if (!it->is_boolean()) Fail(At(where, key), "must be true or false");
  return it->get<bool>();
}

const json& TemplateReader::Array(const json& object, const char* key, const std::string& where,
                                  bool required) const {
  auto it = object.find(key);
  if (it == object.end()) {
    if (required) Fail(where, std::string("\"") + key + "\" is missing");
    return kEmptyArray;
  }
  if (!it->is_array()) Fail(At(where, key), "must be an array");
  return *it;
}

void TemplateReader::ReadClassType(const json& root, BillTemplate& t) const {
  const std::string where = "classType";
  const json& ct = Object(root, "classType", "", true);
  Keys(ct, where, {"FID", "FName", "FObjectType", "FObjectID", "Mutex"});
  t.classTypeId_ = Integer(ct, "FID", where, 0, true);
  t.name_ = Text(ct, "FName", where, "", true);
  t.objectType_ = Integer(ct, "FObjectType", where, 0);
  t.objectId_ = Integer(ct, "FObjectID", where, 0);
  const json& mutex = Array(ct, "Mutex", where, false);
  for (size_t i = 0; i < mutex.size(); ++i) {
    const std::string at = At(At(where, "Mutex"), i);
    if (!mutex[i].is_object()) Fail(at, "must be an object");
    Keys(mutex[i], at, {"FOpareteType", "FSubSysID", "FNumber", "FFuncID"});
    t.mutex_.push_back(Dictionary::New({
        {"FOpareteType", Integer(mutex[i], "FOpareteType", at, 0)},
        {"FSubSysID", Integer(mutex[i], "FSubSysID", at, 0)},
        {"FNumber", Text(mutex[i], "FNumber", at, "")},
        {"FFuncID", Text(mutex[i], "FFuncID", at, "")},
    }));
  }
}

void TemplateReader::ReadTables(const json& root, BillTemplate& t) const {
  const json& head = Object(root, "headTable", "", true);
  Keys(head, "headTable", {"name", "idColumn", "billNoColumn"});
  t.head_.name = Identifier(head, "name", "headTable", "", true);
  t.head_.idColumn = Identifier(head, "idColumn", "headTable", "FID");
  t.head_.billNoColumn = Identifier(head, "billNoColumn", "headTable", "FBillNo");
  t.head_.page = 1;

  const json& entries = Array(root, "entryTables", "", false);
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string at = At("entryTables", i);
    if (!entries[i].is_object()) Fail(at, "must be an object");
    Keys(entries[i], at, {"name", "linkColumn", "entryIdColumn"});
    TableTemplate e;
    e.name = Identifier(entries[i], "name", at, "", true);
    e.idColumn = Identifier(entries[i], "linkColumn", at, "FID");
    e.entryIdColumn = Identifier(entries[i], "entryIdColumn", at, "FEntryID");
    e.page = static_cast<int32_t>(i) + 2;
    if (SameText(e.idColumn, e.entryIdColumn))
      Fail(at, "the link and row number columns must differ");
    for (const auto& other : t.entries_) {
      if (SameText(other.name, e.name)) Fail(at, "table \"" + e.name + "\" is listed twice");
    }
    if (SameText(e.name, t.head_.name)) Fail(at, "an entry table cannot be the head table");
    t.entries_.push_back(std::move(e));
  }
}

FieldTemplate TemplateReader::ReadField(const json& f, const std::string& where,
                                        const PageTemplate& page, const BillTemplate& t) const {
  if (!f.is_object()) Fail(where, "must be an object");
  Keys(f, where,
       {"FKey", "FFieldName", "FTableName", "FEntryType", "FLookUpType", "FLookupClassID",
        "FFilter", "FSRCTableName", "FSRCFieldName", "FFNDFieldName", "FDSPFieldName", "FValueType",
        "extraItems"});
  FieldTemplate field;
  field.key = Text(f, "FKey", where, "", true);
  if (SameText(field.key, "FEntryType"))
    Fail(At(where, "FKey"), "\"FEntryType\" is reserved for the page's entry type");
  if (t.FindField(field.key) != nullptr)
    Fail(At(where, "FKey"), "\"" + field.key + "\" is used by another field");
  for (const auto& other : page.fields) {
    if (SameText(other.key, field.key))
      Fail(At(where, "FKey"), "\"" + field.key + "\" is used by another field");
  }
  field.column = Identifier(f, "FFieldName", where, "");
  field.table = Identifier(f, "FTableName", where, page.table);
  field.page = page.number;
  field.position = static_cast<int32_t>(page.fields.size()) + 1;
  field.lookUpType = Integer(f, "FLookUpType", where, 0);
  field.sourceTable = SourceName(f, "FSRCTableName", where, true);
  field.sourceField = SourceName(f, "FSRCFieldName", where, false);
  field.numberField = SourceName(f, "FFNDFieldName", where, false);
  field.displayField = SourceName(f, "FDSPFieldName", where, false);
  const json& extras = Array(f, "extraItems", where, false);
  for (size_t i = 0; i < extras.size(); ++i) {
    if (!extras[i].is_string() || !IsIdentifier(extras[i].get<std::string>()))
      Fail(At(At(where, "extraItems"), i), "must be a plain column name");
    field.extraItems.push_back(extras[i].get<std::string>());
  }
  if (!field.extraItems.empty() && field.sourceTable.empty())
    Fail(where, "\"extraItems\" needs \"FSRCTableName\"");
  if (!field.sourceTable.empty() && field.sourceField.empty())
    Fail(where, "a field with \"FSRCTableName\" needs \"FSRCFieldName\"");
  if (!field.column.empty() && SameText(field.table, page.table)) {
    for (const auto& other : page.fields) {
      if (SameText(other.column, field.column) && SameText(other.table, field.table))
        Fail(At(where, "FFieldName"),
             "column \"" + field.column + "\" is stored by field \"" + other.key + "\" already");
    }
  }
  field.info = Dictionary::New({
      {"FKey", field.key},
      {"FFieldName", field.column},
      {"FTableName", field.table},
      {"FEntryType", Integer(f, "FEntryType", where, page.entryType)},
      {"FLookUpType", field.lookUpType},
      {"FLookupClassID", Integer(f, "FLookupClassID", where, 0)},
      {"FFilter", Text(f, "FFilter", where, "")},
      {"FSRCTableName", field.sourceTable},
      {"FSRCFieldName", field.sourceField},
      {"FFNDFieldName", field.numberField},
      {"FDSPFieldName", field.displayField},
      {"FValueType", Integer(f, "FValueType", where, 0)},
  });
  return field;
}

void TemplateReader::ReadPages(const json& root, BillTemplate& t) const {
  const json& pages = Array(root, "pages", "", true);
  if (pages.size() != t.entries_.size() + 1) {
    Fail("pages", "there are " + std::to_string(pages.size()) +
                      " pages; expected the head page and one page per entry table (" +
                      std::to_string(t.entries_.size() + 1) + ")");
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string where = At("pages", i);
    const json& p = pages[i];
    if (!p.is_object()) Fail(where, "must be an object");
    Keys(p, where, {"FEntryType", "fields"});
    PageTemplate page;
    page.number = static_cast<int32_t>(i) + 1;
    page.table = i == 0 ? t.head_.name : t.entries_[i - 1].name;
    page.entryType = Integer(p, "FEntryType", where, 0, i > 0);
    if (i == 0 && page.entryType != 0)
      Fail(At(where, "FEntryType"), "the head page has no entry type");
    if (i > 0 && page.entryType <= 0)
      Fail(At(where, "FEntryType"), "an entry page needs an entry type above 0");
    const json& fields = Array(p, "fields", where, true);
    for (size_t j = 0; j < fields.size(); ++j)
      page.fields.push_back(ReadField(fields[j], At(At(where, "fields"), j), page, t));
    t.pages_.push_back(std::move(page));
  }

  for (const auto& f : t.pages_[0].fields) {
    if (SameText(f.column, t.head_.idColumn) && SameText(f.table, t.head_.name)) t.idKey_ = f.key;
  }
  if (t.idKey_.empty())
    Fail("pages[0]", "no field is stored in the head's id column \"" + t.head_.idColumn + "\"");
}

void TemplateReader::ReadToolbar(const json& bar, const std::string& where,
                                 std::vector<std::string>& bands,
                                 std::vector<ToolDefinition>& tools) const {
  Keys(bar, where, {"bands", "tools"});
  auto addBand = [&](const std::string& name) {
    for (const auto& b : bands) {
      if (SameText(b, name)) return;
    }
    bands.push_back(name);
  };
  const json& bandList = Array(bar, "bands", where, false);
  for (size_t i = 0; i < bandList.size(); ++i) {
    if (!bandList[i].is_string() || bandList[i].get<std::string>().empty())
      Fail(At(At(where, "bands"), i), "must be a band name");
    addBand(bandList[i].get<std::string>());
  }
  const json& toolList = Array(bar, "tools", where, false);
  for (size_t i = 0; i < toolList.size(); ++i) {
    const std::string at = At(At(where, "tools"), i);
    if (!toolList[i].is_object()) Fail(at, "must be an object");
    Keys(toolList[i], at, {"key", "caption", "visible", "enabled", "bands"});
    ToolDefinition tool;
    tool.key = Text(toolList[i], "key", at, "", true);
    for (const auto& other : tools) {
      if (SameText(other.key, tool.key))
        Fail(At(at, "key"), "tool \"" + tool.key + "\" is listed twice");
    }
    tool.caption = Text(toolList[i], "caption", at, "");
    tool.visible = Boolean(toolList[i], "visible", at, true);
    tool.enabled = Boolean(toolList[i], "enabled", at, true);
    const json& in = Array(toolList[i], "bands", at, false);
    for (size_t j = 0; j < in.size(); ++j) {
      if (!in[j].is_string() || in[j].get<std::string>().empty())
        Fail(At(At(at, "bands"), j), "must be a band name");
      tool.bands.push_back(in[j].get<std::string>());
      addBand(in[j].get<std::string>());
    }
    tools.push_back(std::move(tool));
  }
}

static void MergeToolbar(const std::vector<std::string>& bands,
                         const std::vector<ToolDefinition>& tools,
                         std::vector<std::string>& intoBands,
                         std::vector<ToolDefinition>& intoTools) {
  for (const auto& band : bands) {
    bool known = false;
    for (const auto& b : intoBands) known = known || SameText(b, band);
    if (!known) intoBands.push_back(band);
  }
  for (const auto& tool : tools) {
    bool replaced = false;
    for (auto& t : intoTools) {
      if (SameText(t.key, tool.key)) {
        t = tool;
        replaced = true;
      }
    }
    if (!replaced) intoTools.push_back(tool);
  }
}

void TemplateReader::ReadSources(const json& root, BillTemplate& t) const {
  const json& list = Array(root, "sourceClasses", "", false);
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string at = At("sourceClasses", i);
    const json& s = list[i];
    if (!s.is_object()) Fail(at, "must be an object");
    Keys(s, at,
         {"FID", "FName", "FHeadTable", "FEntryTable", "listTemplate", "lookupKey", "links"});
    SourceClassTemplate src;
    src.classTypeId = Integer(s, "FID", at, 0, true);
    src.name = Text(s, "FName", at, "");
    src.headTable = Identifier(s, "FHeadTable", at, "");
    src.entryTable = Identifier(s, "FEntryTable", at, "");
    if (s.contains("listTemplate")) {
      const std::string lt = At(at, "listTemplate");
      const json& l = Object(s, "listTemplate", at, true);
      Keys(l, lt, {"FID", "FName", "FFilter"});
      src.listId = Integer(l, "FID", lt, 0, true);
      src.listName = Text(l, "FName", lt, "");
      src.listFilter = Text(l, "FFilter", lt, "");
    }
    src.lookupKey = Text(s, "lookupKey", at, "");
    if (!src.lookupKey.empty() && !t.HasField(src.lookupKey))
      Fail(At(at, "lookupKey"), "the template has no field \"" + src.lookupKey + "\"");
    const json& links = Object(s, "links", at, false);
    for (const auto& [key, column] : links.items()) {
      if (!t.HasField(key)) Fail(At(at, "links"), "the template has no field \"" + key + "\"");
      if (!column.is_string() || column.get<std::string>().empty())
        Fail(At(At(at, "links"), key), "must be a source column");
      src.links.emplace_back(key, column.get<std::string>());
    }
    for (const auto& other : t.sources_) {
      if (other.classTypeId == src.classTypeId)
        Fail(At(at, "FID"), "source class " + std::to_string(src.classTypeId) + " is listed twice");
    }
    t.sources_.push_back(std::move(src));
  }
}

BillTemplate TemplateReader::Read(const json& root) {
  if (!root.is_object()) Fail("", "a template must be a JSON object");
  Keys(root, "",
       {"classType", "headTable", "entryTables", "pages", "toolbar", "listToolbar",
        "sourceClasses"});
  BillTemplate t;
  ReadClassType(root, t);
  ReadTables(root, t);
  ReadPages(root, t);
  ReadToolbar(json::parse(kStandardToolbar), "standard toolbar", t.bands_, t.tools_);
  std::vector<std::string> ownBands;
  std::vector<ToolDefinition> ownTools;
  ReadToolbar(Object(root, "toolbar", "", false), "toolbar", ownBands, ownTools);
  MergeToolbar(ownBands, ownTools, t.bands_, t.tools_);
  if (root.contains("listToolbar")) {
    ReadToolbar(Object(root, "listToolbar", "", false), "listToolbar", t.listBands_, t.listTools_);
  } else {
    t.listBands_ = t.bands_;
    t.listTools_ = t.tools_;
  }
  ReadSources(root, t);
  return t;
}

BillTemplate BillTemplate::Parse(const nlohmann::json& json, const std::string& origin) {
  return TemplateReader(origin).Read(json);
}

BillTemplate BillTemplate::Parse(const std::string& text, const std::string& origin) {
  nlohmann::json root;
  try {
    root = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    throw std::runtime_error(origin + ": not valid JSON: " + e.what());
  }
  return Parse(root, origin);
}

BillTemplate BillTemplate::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open the template file");
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str(), path);
}

BillTemplate BillTemplate::LoadEmbedded(const std::string& name) {
  auto text = FindEmbedded(name);
  if (!text) throw std::runtime_error(name + ": no such built-in template");
  return Parse(std::string(*text), name);
}

const TableTemplate* BillTemplate::TableOfPage(int32_t page) const {
  if (page == 1) return &head_;
  if (page >= 2 && page - 2 < static_cast<int32_t>(entries_.size())) return &entries_[page - 2];
  return nullptr;
}

const PageTemplate* BillTemplate::Page(int32_t number) const {
  if (number < 1 || number > PageCount()) return nullptr;
  return &pages_[number - 1];
}

const FieldTemplate* BillTemplate::FindField(const std::string& key) const {
  for (const auto& page : pages_) {
    for (const auto& f : page.fields) {
      if (SameText(f.key, key)) return &f;
    }
  }
  return nullptr;
}

const FieldTemplate& BillTemplate::IdField() const {
  return *FindField(idKey_);
}

DictionaryPtr BillTemplate::ClassTypeDictionary() const {
  auto mutex = Vector::New();
  for (const auto& m : mutex_) mutex->Add(m->Copy());
  return Dictionary::New({{"FID", classTypeId_},
                          {"FName", name_},
                          {"FObjectType", objectType_},
                          {"FObjectID", objectId_},
                          {"Mutex", mutex}});
}

DictionaryPtr BillTemplate::TemplateDictionary() const {
  auto tpl = Dictionary::New({{"PageCount", PageCount()}});
  for (const auto& page : pages_) {
    auto p = Dictionary::New();
    if (page.entryType != 0) p->Set("FEntryType", page.entryType);
    for (const auto& f : page.fields) p->Set(f.key, f.info->Copy());
    tpl->Set("Page" + std::to_string(page.number), p);
  }
  return tpl;
}

VectorPtr BillTemplate::TableInfo() const {
  auto tables = Vector::New();
  tables->Add(Dictionary::New({{"FTableName", head_.name},
                               {"FIDField", head_.idColumn},
                               {"FBillNoField", head_.billNoColumn},
                               {"FPage", 1}}));
  for (const auto& e : entries_) {
    tables->Add(Dictionary::New({{"FTableName", e.name},
                                 {"FIDField", e.idColumn},
                                 {"FEntryIDField", e.entryIdColumn},
                                 {"FPage", e.page}}));
  }
  return tables;
}

}  // namespace orb::refhost
