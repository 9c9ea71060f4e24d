#include "services/bill_values.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "host/dictionary.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.VUDFunc";

[[noreturn]] void NotSet(const std::string& what) {
  Raise(err::kObjectNotSet, kSource, "Object variable not set: " + what);
}

const BillInterfacePtr& Bound(const BillInterfacePtr& bill) {
  if (!bill) NotSet("bill");
  return bill;
}

}  // namespace

double NumberOf(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return 0;
  return Val(v);
}

std::string TextOf(const Variant& v) {
  return v.IsEmpty() || v.IsNull() ? std::string() : CStr(v);
}

BillControlPtr ControlOf(const BillInterfacePtr& bill) {
  BillControlPtr control = Bound(bill)->BillCtl();
  if (!control) NotSet("BillCtl");
  return control;
}

std::string ClassTypeText(const BillInterfacePtr& bill) {
  DictionaryPtr classType = Bound(bill)->ClassType();
  if (!classType) NotSet("ClassType");
  return TextOf(classType->Get("FID"));
}

DictionaryPtr FieldInfoOf(const BillInterfacePtr& bill, const std::string& key) {
  DictionaryPtr info = Bound(bill)->GetFieldInfoByKey(key, "", 0);
  if (!info) NotSet("field " + key);
  return info;
}

DictionaryPtr ValueRecordOf(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  DictionaryPtr info = FieldInfoOf(bill, key);
  DictionaryPtr value = bill->GetDataFld(info, row < 1 ? 0 : row);
  if (!value) NotSet("value of " + key);
  return value;
}

Variant CellValue(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  return ValueRecordOf(bill, key, row)->Get("FFLD");
}

Variant HeadValue(const BillInterfacePtr& bill, const std::string& key) {
  return CellValue(bill, key, 0);
}

double HeadNumber(const BillInterfacePtr& bill, const std::string& key) {
  return NumberOf(HeadValue(bill, key));
}

std::string HeadText(const BillInterfacePtr& bill, const std::string& key) {
  return TextOf(HeadValue(bill, key));
}

double CellNumber(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  return NumberOf(CellValue(bill, key, row));
}

std::string CellText(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  return TextOf(CellValue(bill, key, row));
}

bool IsBlank(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  return Trim(TextOf(CellValue(bill, key, row))).empty();
}

void WriteValue(const BillInterfacePtr& bill, const std::string& key, int32_t row,
                const Variant& fld, const std::string& fnd, const std::string& dsp) {
  const int32_t at = row < 1 ? 0 : row;
  DictionaryPtr info = FieldInfoOf(bill, key);
  DictionaryPtr value = ValueRecordOf(bill, key, at);
  value->Set("FFLD", fld);
  value->Set("FFND", Variant(fnd));
  value->Set("FDSP", Variant(dsp));
  value->Set("FModify", Variant::Int(1));
  bill->SetFieldValue(info, Variant(value), at);
}

void ClearValue(const BillInterfacePtr& bill, const std::string& key, int32_t row) {
  const int32_t at = row < 1 ? 0 : row;
  DictionaryPtr info = FieldInfoOf(bill, key);
  DictionaryPtr value = ValueRecordOf(bill, key, at);
  for (const char* item : {"FFLD", "FFND", "FDSP"}) value->Set(item, Variant(""));
  value->Set("FModify", Variant::Int(1));
  bill->SetFieldValue(info, Variant(""), at);
}

void MarkModified(const BillInterfacePtr& bill, const std::string& key) {
  ValueRecordOf(bill, key, 0)->Set("FModify", Variant::Int(1));
}

bool IsAudited(const BillInterfacePtr& bill) {
  return HeadNumber(bill, "FCheckerID") > 0;
}

}  // namespace orb
