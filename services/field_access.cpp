#include "services/field_access.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "services/language.h"
#include "services/sql_text.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.VUDFunc";
constexpr const char* kPlaceholder = "GetFldValue(";
// Starts the error of a look-up filter whose field value cannot become SQL.
constexpr const char* kInvalidFilterValue = "查询条件中的字段值无效：";

// Head (0) for rows below 1.
int32_t RowArg(int32_t row) {
  return row < 1 ? 0 : row;
}

// Empty, Null or a text of blanks.
bool IsBlank(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return true;
  return v.IsString() && Trim(v.AsString()).empty();
}

DictionaryPtr FieldInfo(const BillInterfacePtr& bill, const std::string& key) {
  if (!bill) Raise(err::kObjectNotSet, kSource, "Object variable not set");
  DictionaryPtr info = bill->GetFieldInfoByKey(key, "", 0);
  if (!info) Raise(err::kInvalidCall, kSource, "No field " + key);
  return info;
}

// The "FFLD" of the field at the row; raises when the field cannot be read.
Variant ReadFFLD(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  DictionaryPtr record = bill->GetDataFld(FieldInfo(bill, key), row);
  if (!record) Raise(err::kObjectNotSet, kSource, "No value of field " + key);
  return record->Get("FFLD");
}

void WriteField(const BillInterfacePtr& bill, const std::string& key, const Variant& value,
                int32_t row) {
  bill->SetFieldValue(FieldInfo(bill, key), value, row);
}

// A number of days: 0 for an empty value.
int32_t DaysOf(const Variant& v) {
  return IsBlank(v) ? 0 : CLng(v);
}

size_t FindNoCase(const std::string& hay, const std::string& needle, size_t from) {
  return LCase(hay).find(LCase(needle), from);
}

// Where the GetFldValue(...) placeholders of a filter lie: offset and length
// of each, up to and including its ")".
std::vector<std::pair<size_t, size_t>> PlaceholderSpans(const std::string& filter) {
  std::vector<std::pair<size_t, size_t>> spans;
  size_t from = 0;
  for (;;) {
    size_t begin = FindNoCase(filter, kPlaceholder, from);
    if (begin == std::string::npos) break;
    size_t end = filter.find(')', begin);
    if (end == std::string::npos) break;
    spans.emplace_back(begin, end + 1 - begin);
    from = end + 1;
  }
  return spans;
}

bool IsNumericType(int32_t type) {
  static constexpr int32_t kNumeric[] = {104, 106, 62, 56, 60, 108, 59, 52, 48};
  return std::find(std::begin(kNumeric), std::end(kNumeric), type) != std::end(kNumeric);
}

bool IsDateType(int32_t type) {
  return type == 61 || type == 189;
}

}  // namespace

Variant GetFieldFLD(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  if (row < 0) return Variant();
  Variant value;
  TrapQuietly([&] { value = ReadFFLD(bill, key, row); });
  return value;
}

DictionaryPtr RecordToDictionary(const RecordsetPtr& rs) {
  DictionaryPtr record = Dictionary::New();
  TrapQuietly([&] {
    if (!rs) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    for (int32_t i = 0; i < rs->FieldCount(); ++i) record->Set(rs->FieldName(i), rs->Value(i));
  });
  return record;
}

VectorPtr RecordsetToVector(const RecordsetPtr& rs) {
  VectorPtr rows = Vector::New();
  TrapQuietly([&] {
    if (!rs) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    while (!rs->IsEOF()) {
      rows->Add(RecordToDictionary(rs));
      rs->MoveNext();
    }
  });
  return rows;
}

void FillPageFromRecordset(const BillInterfacePtr& bill, const DictionaryPtr& record,
                           const RecordsetPtr& rs, const DictionaryPtr& keys,
                           const DictionaryPtr& pageTemplate) {
  TrapQuietly([&] {
    if (!bill || !record || !rs || !keys || !pageTemplate)
      Raise(err::kObjectNotSet, kSource, "Object variable not set");
    DataServicePtr data = bill->DataSrv();
    if (!data) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    for (int32_t i = 1; i <= keys->Count(); ++i) {
      const std::string key = keys->KeyAt(i);
      if (!pageTemplate->Exists(key))
        Raise(err::kInvalidCall, kSource, "No template of field " + key);
      DictionaryPtr tpl = pageTemplate->GetDictionary(key);
      if (!tpl) continue;  // a page item that is no field ("FEntryType")
      // A key whose column the source lacks keeps its value.
      bool hasColumn = TrapQuietly([&] { rs->Value(CStr(tpl->Get("FKey"))); });
      if (!hasColumn) continue;
      Variant packed = data->PackValue(rs, tpl);
      record->Set(key, packed);
      DictionaryPtr value = packed.As<Dictionary>();
      if (!value) Raise(err::kObjectNotSet, kSource, "No value record for field " + key);
      value->Set("FModify", Variant::Int(1));
    }
  });
}

std::vector<std::string> NextGetFldValue(const std::string& filter) {
  std::vector<std::string> out;
  for (const auto& [offset, length] : PlaceholderSpans(filter))
    out.push_back(filter.substr(offset, length));
  return out;
}

namespace {

// The SQL text that replaces one placeholder: the head value of its field,
// with " or 1=1" when the field is empty. nullopt when an empty field drops
// the whole filter (mode 1).
std::optional<std::string> PlaceholderValue(const BillInterfacePtr& bill,
                                            const std::string& placeholder) {
  // "GetFldValue(FKey,1)" -> key "FKey", mode 1.
  std::string inner = Trim(placeholder);
  inner = inner.substr(std::string(kPlaceholder).size());
  inner.pop_back();
  std::string key = inner;
  std::string mode;
  if (size_t comma = inner.find(','); comma != std::string::npos) {
    key = inner.substr(0, comma);
    mode = inner.substr(comma + 1);
    mode = mode.substr(0, mode.find(','));
  }
  key = Trim(key);
  const bool dropWhenEmpty = Val(Trim(mode)) == 1;

  DictionaryPtr info = FieldInfo(bill, key);
  Variant value = ReadFFLD(bill, key, 0);
  const int32_t type = static_cast<int32_t>(Val(Trim(info->Get("FValueType"))));

  std::string replacement;
  bool hasValue = false;
  // A value that cannot become SQL (a number out of range, a date that is
  // none) names its field in the error.
  auto invalid = [&key](const AutomationError& e) {
    Raise(e.Number(), kSource,
          LoadTVString(kInvalidFilterValue) + key + " (" + e.Description() + ")");
  };
  if (IsNumericType(type)) {
    Trap([&] { replacement = CStr(Variant(Val(Trim(value)))); }, invalid);
    hasValue = replacement != "0";
  } else if (IsDateType(type)) {
    hasValue = !Trim(value).empty();
    if (hasValue) Trap([&] { replacement = SqlQuote(Format(value, "yyyy/mm/dd")); }, invalid);
    if (!hasValue) replacement = "NULL";
  } else {
    hasValue = !Trim(value).empty();
    replacement = hasValue ? SqlQuote(Trim(value)) : "''";
  }
  if (hasValue) return replacement;
  if (dropWhenEmpty) return std::nullopt;
  return replacement + " or 1=1";
}

}  // namespace

std::string ExpandFilter(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo) {
  std::string result;
  TrapQuietly([&] { result = ExpandFilterOrRaise(bill, fieldInfo); });
  return result;
}

std::string ExpandFilterOrRaise(const BillInterfacePtr& bill, const DictionaryPtr& fieldInfo) {
  std::string result;
  {
    if (!fieldInfo) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    const std::string filter = Trim(fieldInfo->Get("FFilter"));
    const auto spans = PlaceholderSpans(filter);

    // Placeholders in any letter case name the same value.
    std::map<std::string, std::string> values;
    for (const auto& [offset, length] : spans) {
      const std::string placeholder = filter.substr(offset, length);
      if (values.count(LCase(placeholder))) continue;
      std::optional<std::string> value = PlaceholderValue(bill, placeholder);
      if (!value) return "";  // the filter is dropped
      values[LCase(placeholder)] = *value;
    }

    // One pass over the filter as written: a value that itself reads like a
    // placeholder is never expanded.
    std::string out;
    size_t from = 0;
    for (const auto& [offset, length] : spans) {
      out.append(filter, from, offset - from);
      out += values[LCase(filter.substr(offset, length))];
      from = offset + length;
    }
    out.append(filter, from, std::string::npos);
    result = out;
  }
  return result;
}

void SetPeriodFromDate(const BillInterfacePtr& bill, const DictionaryPtr& src,
                       const std::string& dateKey, const std::string& periodKey,
                       const std::string& endKey, int32_t row) {
  TrapQuietly([&] {
    if (!src) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    const int32_t r = RowArg(row);
    const Variant date = src->Get("FKFDate");
    const Variant period = src->Get("FKFPeriod");
    if (!IsBlank(date) && !dateKey.empty()) WriteField(bill, dateKey, date, r);
    if (!IsBlank(period) && !periodKey.empty()) WriteField(bill, periodKey, period, r);
    if (!IsBlank(date) && !endKey.empty()) {
      const double days = IsBlank(period) ? 0 : CDbl(period);
      WriteField(bill, endKey, Variant(DateAddDays(CDate(date), days)), r);
    }
  });
}

void SetDateField(const BillInterfacePtr& bill, const std::string& dateKey,
                  const std::string& daysKey, const std::string& targetKey, int32_t row) {
  TrapQuietly([&] {
    const int32_t r = RowArg(row);
    const Variant date = ReadFFLD(bill, dateKey, r);
    const int32_t days = DaysOf(ReadFFLD(bill, daysKey, r));
    std::string target;
    if (!IsBlank(date)) target = DateText(DateAddDays(CDate(date), days));
    WriteField(bill, targetKey, Variant(target), r);
  });
}

void CheckDateField(const BillInterfacePtr& bill, const std::string& targetKey,
                    const std::string& daysKey, const std::string& dateKey, int32_t row) {
  TrapQuietly([&] {
    if (!bill) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    const int32_t r = RowArg(row);
    const int32_t days = DaysOf(bill->GetFieldValue(daysKey, r, 1));
    const Variant date = bill->GetFieldValue(dateKey, r, 1);
    std::string result;
    if (!IsBlank(date)) {
      Date start = DateAddDays(CDate(date), -days);
      int y = 0, m = 0, d = 0;
      SplitDate(start, y, m, d);
      if (y >= 1900) result = DateText(start);
    }
    WriteField(bill, targetKey, Variant(result), r);
  });
}

void LockAllFields(const BillInterfacePtr& bill, bool lock) {
  TrapQuietly([&] {
    if (!bill) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    BillControlPtr ctl = bill->BillCtl();
    if (!ctl) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    // The flag makes the lock of "FID" cover the whole bill.
    ctl->SetLockProperty(lock, FieldInfo(bill, "FID"), true);
    DataServicePtr data = bill->DataSrv();
    if (!data) Raise(err::kObjectNotSet, kSource, "Object variable not set");
    VectorPtr tables = data->TableInfo();
    if (!tables) return;
    for (const Variant& entry : tables->Items()) {
      if (entry.HasObject()) bill->LockCell(entry, 1, lock);
    }
  });
}

}  // namespace orb
