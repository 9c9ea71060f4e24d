#include "services/entry_rows.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "host/dictionary.h"
#include "services/bill_values.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.VUDFunc";

DictionaryPtr DataOf(const BillInterfacePtr& bill) {
  if (!bill) Raise(err::kObjectNotSet, kSource, "Object variable not set: bill");
  DictionaryPtr data = bill->Data();
  if (!data) Raise(err::kObjectNotSet, kSource, "Object variable not set: Data");
  return data;
}

}  // namespace

VectorPtr EntryRows(const BillInterfacePtr& bill, int32_t page) {
  VectorPtr rows = DataOf(bill)->GetVector("page" + std::to_string(page));
  return rows ? rows : Vector::New();
}

void BlankEntryRows(const BillInterfacePtr& bill, int32_t page) {
  const int32_t count = EntryRows(bill, page)->Size();
  DictionaryPtr pageTemplate =
      bill->BillTemplate() ? bill->BillTemplate()->GetDictionary("Page" + std::to_string(page))
                           : nullptr;
  if (!pageTemplate) Raise(err::kObjectNotSet, kSource, "The bill has no entry page template");
  VectorPtr blank = Vector::New();
  for (int32_t row = 1; row <= count; ++row) {
    blank->Add(Variant(bill->DataSrv()->GetEmptyData(pageTemplate, true, row)));
  }
  DataOf(bill)->Set("Page" + std::to_string(page), Variant(blank));
}

int32_t CountFilledRows(const BillInterfacePtr& bill, int32_t page, const std::string& key) {
  VectorPtr rows = EntryRows(bill, page);
  int32_t filled = 0;
  for (int32_t row = 1; row <= rows->Size(); ++row) {
    DictionaryPtr record = rows->DictionaryAt(row);
    DictionaryPtr value = record ? record->GetDictionary(key) : nullptr;
    if (value && !Trim(TextOf(value->Get("FFLD"))).empty()) ++filled;
  }
  return filled;
}

void ClearEntryColumn(const BillInterfacePtr& bill, const std::string& key) {
  const int32_t count = EntryRows(bill, 2)->Size();
  for (int32_t row = 1; row <= count; ++row) ClearValue(bill, key, row);
}

}  // namespace orb
