#include "services/entry_rows.h"

#include <set>
#include <string>
#include <vector>

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

// The item text of each row (index 0 unused); "" for a row without one.
std::vector<std::string> ItemsOf(const BillInterfacePtr& bill, int32_t page,
                                 const std::string& itemKey) {
  VectorPtr rows = EntryRows(bill, page);
  std::vector<std::string> items(static_cast<size_t>(rows->Size()) + 1);
  for (int32_t row = 1; row <= rows->Size(); ++row) {
    DictionaryPtr record = rows->DictionaryAt(row);
    DictionaryPtr value = record ? record->GetDictionary(itemKey) : nullptr;
    if (value) items[static_cast<size_t>(row)] = Trim(TextOf(value->Get("FFLD")));
  }
  return items;
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

int32_t KeepFirstRow(const BillInterfacePtr& bill, int32_t page) {
  // The page's own vector is trimmed, so whoever holds it sees one row.
  VectorPtr rows = EntryRows(bill, page);
  const int32_t dropped = rows->Size() > 1 ? rows->Size() - 1 : 0;
  while (rows->Size() > 1) rows->Remove(rows->Size());
  return dropped;
}

int32_t FindDuplicateRow(const BillInterfacePtr& bill, int32_t page, const std::string& itemKey) {
  const std::vector<std::string> items = ItemsOf(bill, page, itemKey);
  std::set<std::string> seen;
  for (size_t row = 1; row < items.size(); ++row) {
    if (items[row].empty()) continue;
    if (!seen.insert(items[row]).second) return static_cast<int32_t>(row);
  }
  return 0;
}

int32_t FindRowWithSameItem(const BillInterfacePtr& bill, int32_t page, const std::string& itemKey,
                            int32_t row) {
  const std::vector<std::string> items = ItemsOf(bill, page, itemKey);
  if (row < 1 || static_cast<size_t>(row) >= items.size() || items[row].empty()) return 0;
  for (size_t other = 1; other < items.size(); ++other) {
    if (static_cast<int32_t>(other) != row && items[other] == items[row]) {
      return static_cast<int32_t>(other);
    }
  }
  return 0;
}

int32_t CountFilledRows(const BillInterfacePtr& bill, int32_t page, const std::string& key) {
  int32_t filled = 0;
  for (const auto& item : ItemsOf(bill, page, key)) filled += item.empty() ? 0 : 1;
  return filled;
}

void ClearEntryColumn(const BillInterfacePtr& bill, const std::string& key) {
  const int32_t count = EntryRows(bill, 2)->Size();
  for (int32_t row = 1; row <= count; ++row) ClearValue(bill, key, row);
}

}  // namespace orb
