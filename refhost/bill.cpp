#include "refhost/bill.h"

#include <set>
#include <utility>

#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "refhost/bound_statement.h"
#include "refhost/components/class_link.h"
#include "refhost/components/res_loader.h"
#include "refhost/host.h"
#include "refhost/page_reader.h"
#include "refhost/variant_json.h"

namespace orb::refhost {

namespace {

constexpr const char* kSource = "BillEvent";

std::string PageKey(int32_t page) {
  return "page" + std::to_string(page);
}

// Copies FFLD, FFND and FDSP from a value record, or sets FFLD (and FDSP as
// its text) from a plain value; the record is marked modified.
void Assign(const DictionaryPtr& record, const Variant& value) {
  if (auto source = value.As<Dictionary>()) {
    // Read first: `source` may be `record` itself.
    const Variant fld = source->Get("FFLD"), fnd = source->Get("FFND"), dsp = source->Get("FDSP");
    if (source->Exists("FFLD")) record->Set("FFLD", fld);
    if (source->Exists("FFND")) record->Set("FFND", fnd);
    if (source->Exists("FDSP")) record->Set("FDSP", dsp);
  } else {
    record->Set("FFLD", value);
    record->Set("FDSP", DisplayText(value));
  }
  record->Set("FModify", Variant::Int(1));
}

// Lower-cased names of the table's columns whose type gives them numeric
// affinity (INTEGER, REAL, NUMERIC): a blank text is stored there as NULL.
std::set<std::string> NumericColumns(Database& db, const std::string& table) {
  std::set<std::string> numeric;
  auto rs = BoundStatement(db, "PRAGMA table_info(" + table + ")").Fetch();
  for (; !rs->IsEOF(); rs->MoveNext()) {
    const std::string type = UCase(DisplayText(rs->Value("type")));
    auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
    bool text = has("CHAR") || has("CLOB") || has("TEXT");
    bool blob = type.empty() || has("BLOB");
    if (has("INT") || (!text && !blob)) numeric.insert(LCase(DisplayText(rs->Value("name"))));
  }
  return numeric;
}

}  // namespace

// ---- The bill's parts ------------------------------------------------------

class BillCtlImpl : public BillControl {
 public:
  explicit BillCtlImpl(Bill& bill) : bill_(bill) {}

  int32_t BillStatus() const override { return bill_.billStatus_; }
  void SetBillStatus(int32_t status) override {
    bill_.billStatus_ = status;
    bill_.Log("status", {{"value", status}});
  }
  bool MutexSuccess() const override { return bill_.mutexSuccess_; }
  bool IsChange() const override { return bill_.isChange_; }
  bool Isok() const override { return bill_.isok_; }
  void SetIsok(bool ok) override { bill_.isok_ = ok; }
  void SetLockProperty(bool lock, const DictionaryPtr& fieldInfo, bool flag) override {
    const FieldTemplate& f = bill_.FieldOf(fieldInfo);
    bill_.locks_[f.key] = lock;
    bill_.lockFlags_[f.key] = flag;
    bill_.Log("lock", {{"key", f.key}, {"lock", lock}, {"flag", flag}});
  }
  void DoFillData(const DictionaryPtr& data) override {
    bill_.Fill(data);
    bill_.Log("action", {{"name", "fill"}});
  }
  void DoSelBill(int32_t selType) override {
    bill_.Log("action", {{"name", "do sel bill"}, {"selType", selType}});
    if (bill_.doSelBillError_) {
      const AutomationError e = *bill_.doSelBillError_;
      orb::Raise(e.Number(), e.Source(), e.Description());
    }
    bill_.SelectAndFill(selType, nullptr, nullptr);
  }
  void SetGridMaxRows(int32_t grid, int32_t rows) override {
    bill_.gridRows_[grid] = rows;
    bill_.Log("grid", {{"grid", grid}, {"rows", rows}});
  }
  int32_t GetGridMaxRows(int32_t grid) const override {
    auto it = bill_.gridRows_.find(grid);
    return it == bill_.gridRows_.end() ? 0 : it->second;
  }
  Variant GetItem(const DictionaryPtr&, const DictionaryPtr&, const Variant&) override {
    return bill_.getItemAnswer_;
  }
  bool IsHaveData(int32_t page, int32_t row) const override {
    if (page == 1) return bill_.RowHasData(bill_.Head());
    if (page < 2 || page > bill_.tpl_->PageCount() || row < 1 || row > bill_.RowCount(page))
      return false;
    return bill_.RowHasData(bill_.Rows(page)->DictionaryAt(row));
  }
  DictionaryPtr Data() override { return bill_.data_; }

 private:
  Bill& bill_;
};

// The control of one field. Its state lives in the bill.
class FieldControl : public Control {
 public:
  FieldControl(Bill& bill, const FieldTemplate& field) : bill_(bill), field_(field) {}

  std::string Text() const override {
    int32_t row = 0;
    if (field_.page > 1) {
      const FieldTemplate* cur =
          bill_.currentKey_.empty() ? nullptr : bill_.tpl_->FindField(bill_.currentKey_);
      row = cur && cur->page == field_.page ? bill_.currentRow_ : 1;
    }
    return RecordText(bill_.ValueRecord(field_.key, row));
  }
  bool Locked() const override {
    auto it = bill_.locks_.find(field_.key);
    return it != bill_.locks_.end() && it->second;
  }
  void SetLocked(bool locked) override {
    bill_.locks_[field_.key] = locked;
    bill_.Log("lock", {{"key", field_.key}, {"lock", locked}});
  }
  void LockCell(const std::string& key, int32_t row, bool locked) override {
    const FieldTemplate* f = key.empty() ? &field_ : bill_.tpl_->FindField(key);
    const std::string name = f ? f->key : key;
    bill_.cellLocks_[name][row] = locked;
    bill_.Log("lock", {{"key", name}, {"row", row}, {"lock", locked}});
  }

 private:
  Bill& bill_;
  const FieldTemplate& field_;
};

class FieldControls : public ControlGroup {
 public:
  explicit FieldControls(Bill& bill) : bill_(bill) {}
  ControlPtr Item(const std::string& key) override {
    const FieldTemplate* f = bill_.Template().FindField(key);
    return f ? std::make_shared<FieldControl>(bill_, *f) : nullptr;
  }

 private:
  Bill& bill_;
};

class MultiCheck : public MultiCheckManager {
 public:
  explicit MultiCheck(bool running) : running_(running) {}
  bool IsRun() const override { return running_; }

 private:
  bool running_;
};

// ---- Construction, events, fields ------------------------------------------

Bill::Bill(Host& host, std::shared_ptr<const refhost::BillTemplate> tpl)
    : host_(host),
      tpl_(std::move(tpl)),
      service_(std::make_shared<TemplateDataService>(host, tpl_)),
      bar_(Toolbar::Build(tpl_->Bands(), tpl_->Tools())),
      templateDictionary_(tpl_->TemplateDictionary()),
      data_(Dictionary::New()) {
  control_ = std::make_shared<BillCtlImpl>(*this);
  ResetPages();
}

Bill::~Bill() = default;

void Bill::Log(const std::string& kind, nlohmann::json data) const {
  host_.Log().Add(kind, std::move(data));
}

void Bill::Advise(BillEvents* sink) {
  sinks_.Advise(sink);
}

void Bill::Unadvise(BillEvents* sink) {
  sinks_.Unadvise(sink);
}

template <class F>
void Bill::Fire(const char* name, F&& call) {
  sinks_.Raise(call);
  // Built member by member: an initializer list would build and copy a
  // temporary array per member first, on every event.
  nlohmann::json record(nlohmann::json::value_t::object);
  record.emplace("name", name);
  Log("event", std::move(record));
}

template <class F>
bool Bill::FireCancellable(const char* name, F&& call) {
  bool cancel = false;
  sinks_.Raise([&](BillEvents& s) { call(s, cancel); });
  nlohmann::json record(nlohmann::json::value_t::object);
  record.emplace("name", name);
  record.emplace("cancel", cancel);
  Log("event", std::move(record));
  return cancel;
}

const FieldTemplate& Bill::Field(const std::string& key) const {
  const FieldTemplate* f = tpl_->FindField(key);
  if (!f) orb::Raise(err::kInvalidCall, kSource, "The bill has no field '" + key + "'");
  return *f;
}

const FieldTemplate& Bill::FieldOf(const DictionaryPtr& info) const {
  if (!info) orb::Raise(err::kObjectNotSet, kSource, "Object variable not set (field information)");
  return Field(DisplayText(info->Get("FKey")));
}

DictionaryPtr Bill::Head() const {
  DictionaryPtr head = data_->GetDictionary(PageKey(1));
  if (!head) {
    head = service_->EmptyRecord(1);
    data_->Set(PageKey(1), head);
  }
  return head;
}

VectorPtr Bill::Rows(int32_t page) const {
  VectorPtr rows = data_->GetVector(PageKey(page));
  if (!rows) {
    rows = Vector::New();
    data_->Set(PageKey(page), rows);
  }
  return rows;
}

int32_t Bill::RowCount(int32_t page) const {
  VectorPtr rows = page >= 2 ? data_->GetVector(PageKey(page)) : nullptr;
  return rows ? rows->Size() : 0;
}

DictionaryPtr Bill::NewRow(int32_t page) const {
  return service_->EmptyRecord(page);
}

DictionaryPtr Bill::Record(const FieldTemplate& f, int32_t row) const {
  DictionaryPtr owner;
  if (f.page == 1) {
    owner = Head();
  } else {
    VectorPtr rows = Rows(f.page);
    if (row < 1 || row > rows->Size()) {
      orb::Raise(err::kSubscript, kSource,
                 "Subscript out of range: row " + std::to_string(row) + " of page " +
                     std::to_string(f.page) + " (" + std::to_string(rows->Size()) +
                     " rows) for field '" + f.key + "'");
    }
    owner = rows->DictionaryAt(row);
    if (!owner) {
      owner = NewRow(f.page);
      rows->SetItem(row, owner);
    }
  }
  DictionaryPtr record = owner->GetDictionary(f.key);
  if (!record) {
    record = EmptyValueRecord();
    owner->Set(f.key, record);
  }
  return record;
}

DictionaryPtr Bill::ValueRecord(const std::string& key, int32_t row) const {
  const FieldTemplate* f = tpl_->FindField(key);
  if (!f || (f->page > 1 && (row < 1 || row > RowCount(f->page)))) return nullptr;
  return Record(*f, row);
}

bool Bill::RowHasData(const DictionaryPtr& row) const {
  if (!row) return false;
  for (const auto& [key, item] : row->Items()) {
    auto record = item.As<Dictionary>();
    if (record && HasValue(record->Get("FFLD"))) return true;
  }
  return false;
}

void Bill::Write(const FieldTemplate& f, const Variant& value, int32_t row) {
  DictionaryPtr record = Record(f, row);
  Assign(record, value);
  Log("field", {{"key", f.key},
                {"row", f.page == 1 ? 0 : row},
                {"value", VariantToJson(record->Get("FFLD"))}});
}

void Bill::ResetPages() {
  DictionaryPtr head = service_->EmptyRecord(1);
  head->GetDictionary(tpl_->IdField().key)->Set("FFLD", billId_);
  data_->Set(PageKey(1), head);
  for (int32_t p = 2; p <= tpl_->PageCount(); ++p) data_->Set(PageKey(p), Vector::New());
}

// ---- BillInterface -----------------------------------------------------------

BillControlPtr Bill::BillCtl() {
  return control_;
}

DictionaryPtr Bill::ClassType() {
  return service_->ClassType();
}

VectorPtr Bill::TableInfo() {
  return service_->TableInfo();
}

DictionaryPtr Bill::GetFieldInfoByKey(const std::string& key, const std::string&, int32_t) {
  const FieldTemplate& f = Field(key);
  DictionaryPtr page = templateDictionary_->GetDictionary("Page" + std::to_string(f.page));
  DictionaryPtr info = page ? page->GetDictionary(f.key) : nullptr;
  return info ? info : f.info->Copy();
}

DictionaryPtr Bill::GetDataFld(const DictionaryPtr& fieldInfo, int32_t row) {
  const FieldTemplate& f = FieldOf(fieldInfo);
  host_.GetFaults().OnFieldRead(f.key);
  return Record(f, row);
}

Variant Bill::GetFieldValue(const std::string& key, int32_t row, int32_t) {
  const FieldTemplate& f = Field(key);
  host_.GetFaults().OnFieldRead(f.key);
  return Record(f, row)->Get("FFLD");
}

void Bill::SetFieldValue(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) {
  Write(FieldOf(fieldInfo), value, row);
}

void Bill::SetDataFld(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) {
  Write(FieldOf(fieldInfo), value, row);
}

void Bill::SetFieldValueByInfo(const DictionaryPtr& fieldInfo, const Variant& value, int32_t row) {
  Write(FieldOf(fieldInfo), value, row);
}

void Bill::SetValueByKey(const std::string& key, const Variant& value, int32_t row) {
  // A number written into a looked-up field is looked up as if typed; a
  // value that is no source row's number (an id, say) is written as given.
  const FieldTemplate& f = Field(key);
  if (!value.As<Dictionary>() && f.HasSource() && f.lookUpType != 100 &&
      !Trim(DisplayText(value)).empty()) {
    DictionaryPtr found =
        service_->LookUpNumber(GetFieldInfoByKey(f.key, "", 0), value, f.extraItems);
    if (!Trim(DisplayText(found->Get("FFLD"))).empty()) {
      Write(f, Variant(found), row);
      return;
    }
  }
  Write(f, value, row);
}

void Bill::SetText(const DictionaryPtr& fieldInfo, const DictionaryPtr& value, int32_t row) {
  if (!value) orb::Raise(err::kObjectNotSet, kSource, "Object variable not set (value record)");
  Write(FieldOf(fieldInfo), Variant(value), row);
}

void Bill::SetBarStatus(const std::string& tool, const std::string& property,
                        const Variant& value) {
  ToolPtr t = bar_->FindTool(tool);
  const bool visible = SameText(property, "Visible");
  if (!t || (!visible && !SameText(property, "Enabled"))) {
    std::string problem = !t ? "no such tool" : "no such property";
    Log("tool", {{"tool", tool},
                 {"property", property},
                 {"value", VariantToJson(value)},
                 {"error", problem}});
    // A host finds no tool of that key and changes nothing; the rule that
    // asked goes on with its next tool.
    if (!t) return;
    orb::Raise(err::kInvalidCall, kSource,
               "SetBarStatus: " + problem + " ('" + tool + "', '" + property + "')");
  }
  const bool on = CBool(value);
  if (visible)
    t->SetVisible(on);
  else
    t->SetEnabled(on);
  Log("tool", {{"tool", t->Name()}, {"property", visible ? "Visible" : "Enabled"}, {"value", on}});
}

int32_t Bill::GetToolIndex(const std::string& band, const std::string& tool) {
  auto b = bar_->FindBand(band);
  return b ? b->ToolList().IndexOf(tool) : -1;
}

void Bill::GetCurFieldInfo(DictionaryPtr& fieldInfo, int32_t& row, int32_t& col) {
  const FieldTemplate* f = currentKey_.empty() ? nullptr : tpl_->FindField(currentKey_);
  fieldInfo = f ? GetFieldInfoByKey(f->key, "", 0) : nullptr;
  row = f ? currentRow_ : 0;
  col = f ? f->position : 0;
}

void Bill::GetSelBillData(const DictionaryPtr&, const DictionaryPtr&) {}

void Bill::ClearPage(int32_t page) {
  if (page < 1 || page > tpl_->PageCount())
    orb::Raise(err::kSubscript, kSource, "ClearPage: the bill has no page " + std::to_string(page));
  if (page == 1) {
    DictionaryPtr head = service_->EmptyRecord(1);
    head->GetDictionary(tpl_->IdField().key)->Set("FFLD", billId_);
    data_->Set(PageKey(1), head);
  } else {
    data_->Set(PageKey(page), Vector::New());
  }
  Log("action", {{"name", "clear page"}, {"page", page}});
}

void Bill::InsertPageRow(int32_t page, int32_t row, const Variant& values) {
  if (page < 2 || page > tpl_->PageCount())
    orb::Raise(err::kSubscript, kSource,
               "InsertPageRow: the bill has no entry page " + std::to_string(page));
  DictionaryPtr newRow = NewRow(page);
  if (auto given = values.As<Dictionary>()) {
    for (const auto& [key, value] : given->Items()) {
      const FieldTemplate* f = tpl_->FindField(key);
      if (f && f->page == page) Assign(newRow->GetDictionary(f->key), value);
    }
  }
  VectorPtr rows = Rows(page);
  const int32_t at = row >= 1 && row <= rows->Size() ? row : rows->Size() + 1;
  rows->Insert(at, newRow);
  Log("action", {{"name", "insert row"}, {"page", page}, {"row", at}});
}

VectorPtr Bill::HeadControls() {
  auto v = Vector::New();
  v->Add(std::make_shared<FieldControls>(*this));
  return v;
}

VectorPtr Bill::EntryControls() {
  return HeadControls();
}

void Bill::RefreshBill() {
  if (billId_ == 0) {
    Log("action", {{"name", "refresh"}, {"billId", 0}});
    return;
  }
  ReadBill(billId_, "refresh");
}

void Bill::FireAfterSelBill(int32_t selType) {
  Fire("AfterSelBill", [&](BillEvents& s) { s.AfterSelBill(selType); });
}

void Bill::UpdateLookFld(const DictionaryPtr& fieldInfo, const Variant& number) {
  const FieldTemplate& f = FieldOf(fieldInfo);
  int32_t row = 0;
  if (f.page > 1) {
    const FieldTemplate* cur = currentKey_.empty() ? nullptr : tpl_->FindField(currentKey_);
    row = cur && cur->page == f.page ? currentRow_ : 0;
  }
  Write(f, Variant(service_->LookUpNumber(GetFieldInfoByKey(f.key, "", 0), number, f.extraItems)),
        row);
}

std::string Bill::TableKey(const Variant& entry) const {
  if (auto table = entry.As<Dictionary>()) return DisplayText(table->Get("FTableName"));
  return DisplayText(entry);
}

void Bill::LockCell(const Variant& entry, int32_t kind, bool lock) {
  const std::string table = TableKey(entry);
  tableLocks_[table] = lock;
  Log("lock", {{"table", table}, {"kind", kind}, {"lock", lock}});
}

void Bill::SetColWidth(const std::string& key, int32_t width) {
  colWidths_[key] = width;
}

// ---- Loading and saving --------------------------------------------------------

void Bill::ReadBill(int32_t billId, const char* action) {
  const TemplateDataService::LoadScope remember(*service_);  // each source row read once
  auto query = [&](const std::string& sql) -> BoundStatement& {
    host_.GetFaults().OnStatement(sql);
    return service_->Reusable(sql);
  };

  // Everything is read before the bill changes, so a failure leaves it as it was,
  // and every statement is reset before the plug-in hears of the load.
  const TableTemplate& head = tpl_->Head();
  DictionaryPtr newHead;
  {
    PageReader reader(*service_, tpl_->Pages()[0], head.name, {});
    BoundStatement& row = query(reader.Select(head.idColumn, ""));
    const RewindOnExit reset(row);
    if (!row.Bind(1, billId).Step()) {
      orb::Raise(err::kInvalidCall, kSource,
                 "Bill " + std::to_string(billId) + " does not exist in " + head.name);
    }
    newHead = reader.Row(row, 0);
  }
  std::vector<VectorPtr> pages;
  for (const auto& e : tpl_->Entries()) {
    PageReader reader(*service_, tpl_->Pages()[e.page - 1], e.name, {e.idColumn, e.entryIdColumn});
    BoundStatement& rows = query(reader.Select(e.idColumn, e.entryIdColumn));
    const RewindOnExit reset(rows);
    VectorPtr page = Vector::New();
    for (rows.Bind(1, billId); rows.Step();) page->Add(reader.Row(rows, 1));
    pages.push_back(page);
  }

  data_->Set(PageKey(1), newHead);
  for (size_t i = 0; i < pages.size(); ++i)
    data_->Set(PageKey(static_cast<int32_t>(i) + 2), pages[i]);
  billId_ = billId;
  isChange_ = false;
  ResetWindow();
  Log("action", {{"name", action}, {"billId", billId}});
  Fire("BeforLoadBillFillData", [](BillEvents& s) { s.BeforLoadBillFillData(); });
  Fire("AfterLoadBill", [](BillEvents& s) { s.AfterLoadBill(); });
}

void Bill::WriteBill() {
  Database& db = host_.Db();
  auto statement = [&](const std::string& sql) {
    host_.GetFaults().OnStatement(sql);
    return BoundStatement(db, sql);
  };
  // The value stored for a field: a blank text becomes NULL in a numeric column.
  auto value = [&](const FieldTemplate& f, const DictionaryPtr& owner,
                   const std::set<std::string>& numeric) {
    DictionaryPtr record = owner ? owner->GetDictionary(f.key) : nullptr;
    Variant v = record ? record->Get("FFLD") : Variant();
    if (v.IsObject())
      orb::Raise(err::kTypeMismatch, kSource, "Field '" + f.key + "' holds an object");
    if (v.IsString() && Trim(v.AsString()).empty() && numeric.count(LCase(f.column)))
      return Variant::Null();
    return v;
  };

  const TableTemplate& head = tpl_->Head();
  std::vector<std::set<std::string>> numeric;
  numeric.push_back(NumericColumns(db, head.name));
  for (const auto& e : tpl_->Entries()) numeric.push_back(NumericColumns(db, e.name));

  Database::Transaction tx(db);
  int32_t id = billId_;
  std::vector<const FieldTemplate*> stored;
  for (const auto& f : tpl_->Pages()[0].fields) {
    if (!f.column.empty() && SameText(f.table, head.name) && !SameText(f.column, head.idColumn))
      stored.push_back(&f);
  }
  DictionaryPtr headRecord = Head();
  if (id == 0) {
    auto rs =
        statement("SELECT ifnull(max(" + head.idColumn + "), 0) + 1 FROM " + head.name).Fetch();
    id = CLng(rs->Value(0));
    std::string sql = "INSERT INTO " + head.name + " (" + head.idColumn;
    std::string marks = "?";
    for (const FieldTemplate* f : stored) {
      sql += ", " + f->column;
      marks += ", ?";
    }
    BoundStatement insert = statement(sql + ") VALUES (" + marks + ")");
    insert.Bind(1, id);
    for (size_t i = 0; i < stored.size(); ++i)
      insert.Bind(static_cast<int>(i) + 2, value(*stored[i], headRecord, numeric[0]));
    insert.Run();
  } else {
    // SET id = id keeps the statement valid for a head without other columns.
    std::string sql = "UPDATE " + head.name + " SET " + head.idColumn + " = " + head.idColumn;
    for (const FieldTemplate* f : stored) sql += ", " + f->column + " = ?";
    BoundStatement update = statement(sql + " WHERE " + head.idColumn + " = ?");
    for (size_t i = 0; i < stored.size(); ++i)
      update.Bind(static_cast<int>(i) + 1, value(*stored[i], headRecord, numeric[0]));
    update.Bind(static_cast<int>(stored.size()) + 1, id);
    update.Run();
    if (db.Changes() == 0) {
      orb::Raise(err::kInvalidCall, kSource,
                 "Bill " + std::to_string(id) + " no longer exists in " + head.name);
    }
  }

  for (size_t t = 0; t < tpl_->Entries().size(); ++t) {
    const TableTemplate& e = tpl_->Entries()[t];
    statement("DELETE FROM " + e.name + " WHERE " + e.idColumn + " = ?").Bind(1, id).Run();
    stored.clear();
    std::string sql = "INSERT INTO " + e.name + " (" + e.idColumn + ", " + e.entryIdColumn;
    std::string marks = "?, ?";
    for (const auto& f : tpl_->Pages()[e.page - 1].fields) {
      if (f.column.empty() || !SameText(f.table, e.name) || SameText(f.column, e.idColumn) ||
          SameText(f.column, e.entryIdColumn))
        continue;
      sql += ", " + f.column;
      marks += ", ?";
      stored.push_back(&f);
    }
    sql += ") VALUES (" + marks + ")";
    VectorPtr rows = Rows(e.page);
    int32_t entryId = 0;
    for (int32_t r = 1; r <= rows->Size(); ++r) {
      DictionaryPtr row = rows->DictionaryAt(r);
      if (!RowHasData(row)) continue;
      BoundStatement insert = statement(sql);
      insert.Bind(1, id).Bind(2, ++entryId);
      for (size_t i = 0; i < stored.size(); ++i)
        insert.Bind(static_cast<int>(i) + 3, value(*stored[i], row, numeric[t + 1]));
      insert.Run();
    }
  }
  tx.Commit();

  billId_ = id;
  headRecord->GetDictionary(tpl_->IdField().key)->Set("FFLD", id);
}

bool Bill::Save() {
  if (FireCancellable("BeforeSave", [](BillEvents& s, bool& c) { s.BeforeSave(c); })) return false;
  try {
    WriteBill();
  } catch (const std::exception&) {
    AutomationError error = CurrentError(std::current_exception());
    Log("action", {{"name", "save failed"},
                   {"number", error.Number()},
                   {"description", error.Description()}});
    // The user is told that nothing was saved, and why.
    host_.MsgBox(host_.Text("保存失败，原因：") + error.Description(), mb::kCritical,
                 Translate("OrbHYManufacture", host_.UserLanguage(), "澜帆提示"));
    return false;
  }
  for (const auto& [key, item] : Head()->Items()) {
    if (auto record = item.As<Dictionary>()) record->Set("FModify", Variant::Int(0));
  }
  for (int32_t p = 2; p <= tpl_->PageCount(); ++p) {
    for (const auto& row : Rows(p)->Items()) {
      if (auto r = row.As<Dictionary>()) {
        for (const auto& [key, item] : r->Items()) {
          if (auto record = item.As<Dictionary>()) record->Set("FModify", Variant::Int(0));
        }
      }
    }
  }
  isChange_ = false;
  Log("action", {{"name", "save"}, {"billId", billId_}});
  FireCancellable("AfterSave", [](BillEvents& s, bool& c) { s.AfterSave(c); });
  return true;
}

// ---- What the user does ----------------------------------------------------------

void Bill::Open(int32_t openMode, int32_t billStatus) {
  openMode_ = openMode;
  openStatus_ = billStatus_ = billStatus;
  Log("action", {{"name", "open"}, {"openMode", openMode}, {"billStatus", billStatus}});
  Fire("BarInitialize", [&](BillEvents& s) { s.BarInitialize(bar_); });
  initialTools_.clear();
  for (int32_t i = 1; i <= bar_->ToolList().Count(); ++i) {
    ToolPtr tool = bar_->ToolList().ItemAt(i);
    initialTools_[tool->Name()] = {tool->Visible(), tool->Enabled()};
  }
}

// Showing another bill rebuilds the window: every tool takes again the state
// it had once the toolbar was initialised, and no field is locked.
void Bill::ResetWindow() {
  for (const auto& [key, state] : initialTools_) {
    if (ToolPtr tool = bar_->FindTool(key)) {
      tool->SetVisible(state.first);
      tool->SetEnabled(state.second);
    }
  }
  locks_.clear();
  lockFlags_.clear();
  cellLocks_.clear();
  tableLocks_.clear();
}

void Bill::NewBill() {
  billId_ = 0;
  ResetWindow();
  ResetPages();
  billStatus_ = openStatus_;
  isChange_ = false;
  currentKey_.clear();
  currentRow_ = 0;
  Log("action", {{"name", "new"}});
  Fire("AfterNewBill", [](BillEvents& s) { s.AfterNewBill(); });
}

void Bill::Load(int32_t billId) {
  currentKey_.clear();
  currentRow_ = 0;
  ReadBill(billId, "load");
}

void Bill::Focus(const std::string& key, int32_t row) {
  if (key.empty()) {
    currentKey_.clear();
    currentRow_ = 0;
    return;
  }
  const FieldTemplate& f = Field(key);
  currentKey_ = f.key;
  currentRow_ = f.page == 1 ? 0 : row;
}

bool Bill::IsLocked(const FieldTemplate& f, int32_t row) const {
  auto field = locks_.find(f.key);
  if (field != locks_.end() && field->second) return true;
  auto cells = cellLocks_.find(f.key);
  if (cells != cellLocks_.end()) {
    auto cell = cells->second.find(row);
    if (cell != cells->second.end() && cell->second) return true;
  }
  if (f.page == 1) return false;
  for (const auto& [table, locked] : tableLocks_) {
    if (locked && SameText(table, f.table)) return true;
  }
  return false;
}

bool Bill::SetValue(const std::string& key, int32_t row, const Variant& value) {
  const FieldTemplate& f = Field(key);
  if (f.page == 1) row = 0;
  DictionaryPtr record = Record(f, row);
  if (IsLocked(f, row)) {
    Log("action", {{"name", "edit refused"}, {"key", f.key}, {"row", row}, {"reason", "locked"}});
    return false;
  }
  const DictionaryPtr old = record->Copy();
  const bool oldChange = isChange_;
  Focus(f.key, row);

  // The live field information: a filter a plug-in wrote into it limits the
  // look-up of a typed number.
  DictionaryPtr info = GetFieldInfoByKey(f.key, "", 0);
  if (!value.As<Dictionary>() && f.HasSource() && f.lookUpType != 100) {
    DictionaryPtr found = service_->LookUpNumber(info, value, f.extraItems);
    // What the look-up searched under, so a plug-in's filter can be seen at work.
    Log("action", {{"name", "look up"},
                   {"key", f.key},
                   {"filter", VariantToJson(info->Get("FFilter"))},
                   {"found", VariantToJson(found->Get("FFLD"))}});
    Assign(record, Variant(found));
    for (const auto& item : f.extraItems) record->Set(item, found->Get(item));
  } else {
    Assign(record, value);
  }
  isChange_ = true;
  Log("action", {{"name", "edit"},
                 {"key", f.key},
                 {"row", row},
                 {"value", VariantToJson(record->Get("FFLD"))}});
  const DictionaryPtr typed = record->Copy();

  DictionaryPtr dct = info->Copy();
  dct->Set("CtlIndex", f.position);
  if (!FireCancellable("Change",
                       [&](BillEvents& s, bool& c) { s.Change(dct, record, f.position, row, c); }))
    return true;

  // The old value comes back only when the handler left the field as the user
  // typed it; what a handler wrote before cancelling stays. The handler may
  // have replaced the page, so the live record is the one looked at.
  DictionaryPtr live = ValueRecord(f.key, row);
  bool asTyped = true;
  for (const char* item : {"FFLD", "FFND", "FDSP"}) {
    asTyped = asTyped && live && live->Get(item) == typed->Get(item);
  }
  if (!asTyped) {
    Log("action", {{"name", "edit kept"}, {"key", f.key}, {"row", row}});
    return false;
  }
  for (const char* item : {"FFLD", "FFND", "FDSP", "FModify"}) live->Set(item, old->Get(item));
  isChange_ = oldChange;
  Log("action", {{"name", "edit undone"}, {"key", f.key}, {"row", row}});
  return false;
}

void Bill::BeginEdit(const std::string& key, int32_t row) {
  const FieldTemplate& f = Field(key);
  Focus(f.key, row);
  // The live field information: what the plug-in writes into it (a filter)
  // holds for the host's own look-ups of the field.
  DictionaryPtr dct = GetFieldInfoByKey(f.key, "", 0);
  dct->Set("CtlIndex", f.position);
  Fire("BeginEdit", [&](BillEvents& s) { s.BeginEdit(dct, f.position, currentRow_); });
}

int32_t Bill::CurrentEntryPage() const {
  const FieldTemplate* f = currentKey_.empty() ? nullptr : tpl_->FindField(currentKey_);
  if (f && f->page > 1) return f->page;
  return tpl_->PageCount() >= 2 ? 2 : 0;
}

bool Bill::ClickTool(const std::string& key, bool force) {
  ToolPtr tool = bar_->FindTool(key);
  if (!tool) orb::Raise(err::kInvalidCall, kSource, "The toolbar has no tool '" + key + "'");
  if (auto refusal = ClickRefusal(*tool)) {
    if (!force) {
      Log("action", *refusal);
      return false;
    }
    Log("action", {{"name", "forced click"}, {"tool", tool->Name()}});
  }
  isok_ = false;
  if (FireCancellable("BarClick", [&](BillEvents& s, bool& c) { s.BarClick(tool, c); }))
    return false;

  const std::string name = tool->Name();
  if (SameText(name, "mnuFileSave")) return Save();
  if (SameText(name, "mnuEditCheck") || SameText(name, "mnuEditUnCheck")) {
    // A plug-in that ran the audit itself says so with Isok.
    if (isok_) {
      isok_ = false;
      return true;
    }
    const bool check = SameText(name, "mnuEditCheck");
    const bool cancel =
        check ? FireCancellable("BusinessCheck", [](BillEvents& s, bool& c) { s.BusinessCheck(c); })
              : FireCancellable("unBusinessCheck",
                                [](BillEvents& s, bool& c) { s.unBusinessCheck(c); });
    if (cancel) return false;
    RunCheck(check);
    return true;
  }
  if (SameText(name, "mnuEditAddRow")) {
    const int32_t page = CurrentEntryPage();
    return page != 0 && AddRow(page) > 0;
  }
  if (SameText(name, "mnuEditDelRow")) {
    const int32_t page = CurrentEntryPage();
    if (page == 0) return false;
    const FieldTemplate* cur = currentKey_.empty() ? nullptr : tpl_->FindField(currentKey_);
    int32_t row = cur && cur->page == page ? currentRow_ : RowCount(page);
    return DeleteRow(page, row);
  }
  return true;
}

void Bill::RunCheck(bool check) {
  const char* action = check ? "check" : "uncheck";
  if (!host_.Factory().IsRegistered(progid::kSimpleCheck)) {
    Log("action", {{"name", "unsupported"},
                   {"tool", check ? "mnuEditCheck" : "mnuEditUnCheck"},
                   {"component", progid::kSimpleCheck}});
    return;
  }
  bool ok = false;
  DictionaryPtr request = Dictionary::New({{"BillClassTypeid", tpl_->ClassTypeId()},
                                           {"InterID", billId_},
                                           {"CheckSwitch", Variant::Int(check ? 0 : 1)},
                                           {"ReturnString", ""}});
  try {
    auto component =
        std::dynamic_pointer_cast<SimpleCheck>(host_.CreateObject(progid::kSimpleCheck));
    if (!component) orb::Raise(err::kTypeMismatch, progid::kSimpleCheck, "Type mismatch");
    ok = component->CheckBill(host_.PropsString(), request);
  } catch (const AutomationError& e) {
    Log("action", {{"name", std::string(action) + " failed"},
                   {"number", e.Number()},
                   {"description", e.Description()}});
    return;
  }
  Log("action",
      {{"name", action}, {"ok", ok}, {"message", DisplayText(request->Get("ReturnString"))}});
  if (ok && billId_ != 0) ReadBill(billId_, "reload");
}

void Bill::CopyBill() {
  billId_ = 0;
  Record(tpl_->IdField(), 0)->Set("FFLD", 0);
  // The copy is a new, unaudited bill.
  for (const char* key : {"FCheckerID", "FCheckDate"}) {
    const FieldTemplate* f = tpl_->FindField(key);
    if (f && f->page == 1) {
      DictionaryPtr record = Record(*f, 0);
      for (const char* item : {"FFLD", "FFND", "FDSP"}) record->Set(item, "");
    }
  }
  for (const auto& [key, item] : Head()->Items()) {
    if (auto record = item.As<Dictionary>()) record->Set("FModify", Variant::Int(1));
  }
  isChange_ = true;
  Log("action", {{"name", "copy"}});
  Fire("AfterCopyBill", [](BillEvents& s) { s.AfterCopyBill(); });
}

// A filled value counts unless it is a value record marked unmodified: the
// empty records a data service made and no source filled are skipped, so
// filling from a source never blanks what the source did not give.
static bool Filled(const Variant& value) {
  DictionaryPtr record = value.As<Dictionary>();
  return !record || !record->Exists("FModify") || CDbl(record->Get("FModify")) != 0;
}

void Bill::Fill(const DictionaryPtr& data) {
  if (!data) orb::Raise(err::kObjectNotSet, kSource, "Object variable not set (bill data)");
  const std::string idKey = tpl_->IdField().key;
  if (DictionaryPtr page1 = data->GetDictionary(PageKey(1))) {
    // Copy the items first: `page1` may be the bill's own head.
    const auto items = page1->Items();
    for (const auto& [key, value] : items) {
      const FieldTemplate* f = tpl_->FindField(key);
      if (f && f->page == 1 && !SameText(f->key, idKey) && Filled(value))
        Assign(Record(*f, 0), value);
    }
  }
  // An entry page is replaced by the rows given, unless none of them holds a
  // filled value.
  for (int32_t p = 2; p <= tpl_->PageCount(); ++p) {
    VectorPtr given = data->GetVector(PageKey(p));
    if (!given) continue;
    bool any = false;
    for (const auto& item : given->Items()) {
      if (auto source = item.As<Dictionary>()) {
        for (const auto& [key, value] : source->Items()) any = any || Filled(value);
      }
    }
    if (!any) continue;
    VectorPtr rows = Vector::New();
    for (const auto& item : given->Items()) {
      DictionaryPtr row = NewRow(p);
      if (auto source = item.As<Dictionary>()) {
        for (const auto& [key, value] : source->Items()) {
          const FieldTemplate* f = tpl_->FindField(key);
          if (f && f->page == p && Filled(value)) Assign(row->GetDictionary(f->key), value);
        }
      }
      rows->Add(row);
    }
    data_->Set(PageKey(p), rows);
  }
}

void Bill::SelectBill(int32_t selType, const DictionaryPtr& data, const DictionaryPtr& link) {
  DictionaryPtr filter = Dictionary::New({{"SelType", selType}});
  Fire("BeforeSelBillShowFilter", [&](BillEvents& s) { s.BeforeSelBillShowFilter(filter); });
  Log("action", {{"name", "select bill"}, {"selType", selType}, {"filter", VariantToJson(filter)}});
  SelectAndFill(selType, data, link);
  FireAfterSelBill(selType);
}

void Bill::SelectAndFill(int32_t selType, DictionaryPtr data, DictionaryPtr link) {
  if (!data) {
    const SourceClassTemplate* source = nullptr;
    for (const auto& src : tpl_->SourceClasses()) {
      if (src.classTypeId == selType) source = &src;
    }
    if (!source || !OpenSelection(*source, data, link)) return;
  }
  if (!link) link = Dictionary::New();
  RaiseAfterSelBillBeforeFillData(data, link);
  Fill(data);
  Log("action", {{"name", "fill"}});
  for (int32_t p = 2; p <= tpl_->PageCount(); ++p) {
    VectorPtr given = data->GetVector(PageKey(p));
    if (!given) continue;
    for (int32_t r = 1; r <= RowCount(p) && r <= given->Size(); ++r) {
      RaiseAfterFillRow(r, Rows(p)->DictionaryAt(r), given->DictionaryAt(r), link);
    }
  }
}

bool Bill::OpenSelection(const SourceClassTemplate& source, DictionaryPtr& data,
                         DictionaryPtr& link) {
  SourceTables tables = FindSourceTables(host_.Db(), source.classTypeId, kSource);
  auto bills = BoundStatement(host_.Db(), "SELECT " + tables.idColumn + " FROM " + tables.head +
                                              " ORDER BY " + tables.idColumn)
                   .Fetch();
  std::vector<int32_t> pick;
  auto& picks = host_.User().picks;
  if (!picks.empty()) {
    pick = picks.front();
    picks.pop_front();
  }
  VectorPtr sel = Vector::New();
  nlohmann::json ids = nlohmann::json::array();
  for (int32_t row : pick) {
    if (row < 1 || row > bills->RecordCount()) continue;
    const Variant id = bills->Rows()[row - 1][0];
    sel->Add(Dictionary::New({{"FInterID", id}}));
    ids.push_back(VariantToJson(id));
  }
  Log("action", {{"name", "selection"}, {"sourceClass", source.classTypeId}, {"bills", ids}});
  if (sel->Size() == 0) return false;
  HostClassLink classLink(host_);
  classLink.SetDataSrv(service_);
  classLink.SetSRCClassTypeID(source.classTypeId);
  classLink.InitLinkTemplate();
  data = classLink.selbills(true, sel, data_);
  link = Dictionary::New({{"SRCClassTypeID", source.classTypeId},
                          {"DestClassTypeID", tpl_->ClassTypeId()},
                          {"SelBills", sel}});
  return data != nullptr;
}

int32_t Bill::AddRow(int32_t page) {
  if (page == 0) page = CurrentEntryPage();
  if (page < 2 || page > tpl_->PageCount())
    orb::Raise(err::kSubscript, kSource, "The bill has no entry page " + std::to_string(page));
  const int32_t grid = page - 2;
  auto limit = gridRows_.find(grid);
  if (limit != gridRows_.end() && RowCount(page) >= limit->second) {
    Log("action", {{"name", "add row refused"}, {"page", page}, {"maxRows", limit->second}});
    return 0;
  }
  VectorPtr rows = Rows(page);
  rows->Add(NewRow(page));
  const int32_t row = rows->Size();
  isChange_ = true;
  Log("action", {{"name", "add row"}, {"page", page}, {"row", row}});
  Fire("AddNewRow", [&](BillEvents& s) { s.AddNewRow(grid, row); });
  return row;
}

bool Bill::DeleteRow(int32_t page, int32_t row) {
  if (page < 2 || page > tpl_->PageCount() || row < 1 || row > RowCount(page)) return false;
  Rows(page)->Remove(row);
  isChange_ = true;
  Log("action", {{"name", "delete row"}, {"page", page}, {"row", row}});
  Fire("AfterDeleteRow", [&](BillEvents& s) { s.AfterDeleteRow(page - 2, row); });
  return true;
}

bool Bill::RaiseChange(const std::string& key, int32_t row, int32_t col, int32_t ctlIndex) {
  const FieldTemplate& f = Field(key);
  if (f.page == 1) row = 0;
  DictionaryPtr record = Record(f, row);
  DictionaryPtr dct = GetFieldInfoByKey(f.key, "", 0)->Copy();
  dct->Set("CtlIndex", ctlIndex);
  return FireCancellable("Change",
                         [&](BillEvents& s, bool& c) { s.Change(dct, record, col, row, c); });
}

void Bill::RaiseAfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link) {
  Fire("AfterSelBillBeforeFillData",
       [&](BillEvents& s) { s.AfterSelBillBeforeFillData(data, link); });
}

void Bill::RaiseAfterFillRow(int32_t row, const DictionaryPtr& page, const DictionaryPtr& entryData,
                             const DictionaryPtr& link) {
  Fire("AfterFillRow", [&](BillEvents& s) { s.AfterFillRow(row, page, entryData, link); });
}

bool Bill::RaiseBeforeDoAction(const ObjectPtr& item, const std::string& actionType,
                               const std::string& action, const Variant& parameters) {
  return FireCancellable("BeforeDoAction", [&](BillEvents& s, bool& c) {
    s.BeforeDoAction(item, actionType, action, parameters, c);
  });
}

bool Bill::RaiseNamedEvent(const std::string& name) {
  using Plain = void (BillEvents::*)();
  using WithCancel = void (BillEvents::*)(bool&);
  static const std::pair<const char*, Plain> kPlain[] = {
      {"AfterLoadBill", &BillEvents::AfterLoadBill},
      {"AfterNewBill", &BillEvents::AfterNewBill},
      {"BeforLoadBillFillData", &BillEvents::BeforLoadBillFillData},
      {"AfterCopyBill", &BillEvents::AfterCopyBill},
  };
  static const std::pair<const char*, WithCancel> kCancel[] = {
      {"BeforeSave", &BillEvents::BeforeSave},
      {"AfterSave", &BillEvents::AfterSave},
      {"BusinessCheck", &BillEvents::BusinessCheck},
      {"unBusinessCheck", &BillEvents::unBusinessCheck},
  };
  for (const auto& [event, handler] : kPlain) {
    if (SameText(name, event)) {
      Fire(event, [&](BillEvents& s) { (s.*handler)(); });
      return false;
    }
  }
  for (const auto& [event, handler] : kCancel) {
    if (SameText(name, event))
      return FireCancellable(event, [&](BillEvents& s, bool& c) { (s.*handler)(c); });
  }
  orb::Raise(err::kInvalidCall, kSource, "No event '" + name + "' can be raised by name");
}

void Bill::SetMultiCheck(bool running) {
  multiCheck_ = std::make_shared<MultiCheck>(running);
}

// ---- Snapshot ----------------------------------------------------------------------

nlohmann::json Bill::Snapshot() const {
  using nlohmann::json;
  auto values = [](const DictionaryPtr& owner, const PageTemplate& page) {
    json out = json::object();
    for (const auto& f : page.fields) {
      DictionaryPtr record = owner ? owner->GetDictionary(f.key) : nullptr;
      out[f.key] = record ? VariantToJson(record->Get("FFLD")) : json();
    }
    return out;
  };
  json entries = json::object();
  for (int32_t p = 2; p <= tpl_->PageCount(); ++p) {
    json rows = json::array();
    if (VectorPtr v = data_->GetVector(PageKey(p))) {
      for (int32_t r = 1; r <= v->Size(); ++r)
        rows.push_back(values(v->DictionaryAt(r), *tpl_->Page(p)));
    }
    entries[PageKey(p)] = rows;
  }
  json cells = json::object();
  for (const auto& [key, rows] : cellLocks_) {
    for (const auto& [row, lock] : rows) cells[key][std::to_string(row)] = lock;
  }
  json grids = json::object();
  for (const auto& [grid, rows] : gridRows_) grids[std::to_string(grid)] = rows;
  // The items of Data beside the pages: what the host adds to them (a parent
  // item id, say).
  json extras = json::object();
  for (const auto& [key, value] : data_->Items()) {
    const bool page = key.size() > 4 && SameText(key.substr(0, 4), "page") &&
                      key.find_first_not_of("0123456789", 4) == std::string::npos;
    if (!page) extras[key] = VariantToJson(value);
  }
  json bar = bar_->Snapshot();
  return {{"classType", tpl_->ClassTypeId()},
          {"billId", billId_},
          {"openMode", openMode_},
          {"billStatus", billStatus_},
          {"isChange", isChange_},
          {"head", values(data_->GetDictionary(PageKey(1)), *tpl_->Page(1))},
          {"entries", entries},
          {"tools", bar["tools"]},
          {"bands", bar["bands"]},
          {"locks", json(locks_)},
          {"lockFlags", json(lockFlags_)},
          {"cellLocks", cells},
          {"tableLocks", json(tableLocks_)},
          {"grids", grids},
          {"data", extras}};
}

nlohmann::json Bill::FieldSnapshot(const std::string& key, int32_t row) const {
  DictionaryPtr record = ValueRecord(key, row);
  return record ? VariantToJson(record->Get("FFLD")) : nlohmann::json();
}

}  // namespace orb::refhost
