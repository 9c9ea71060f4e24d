#include "host/dictionary.h"

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb {

namespace {
[[noreturn]] void OutOfRange(const char* source) {
  Raise(err::kSubscript, source, "Subscript out of range");
}

// Up to this many keys a plain scan is faster than hashing.
constexpr size_t kLinearKeys = 12;

// FNV-1a over the key with ASCII capitals folded, as SameText compares.
size_t FoldedHash(const std::string& key) {
  uint64_t h = 1469598103934665603ull;
  for (char c : key) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
    h = (h ^ u) * 1099511628211ull;
  }
  return static_cast<size_t>(h ^ (h >> 29));
}
}  // namespace

Dictionary::Dictionary(std::initializer_list<std::pair<std::string, Variant>> items) {
  items_.reserve(items.size());
  for (const auto& [k, v] : items) Set(k, v);
}

DictionaryPtr Dictionary::FromDistinct(std::vector<std::pair<std::string, Variant>> items) {
  auto d = New();
  d->items_ = std::move(items);
  d->Reindex();
  return d;
}

int32_t Dictionary::Find(const std::string& key) const {
  if (slots_.empty()) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (SameText(items_[i].first, key)) return static_cast<int32_t>(i);
    }
    return -1;
  }
  const size_t mask = slots_.size() - 1;
  for (size_t s = FoldedHash(key) & mask;; s = (s + 1) & mask) {
    const int32_t slot = slots_[s];
    if (slot == 0) return -1;
    if (SameText(items_[slot - 1].first, key)) return slot - 1;
  }
}

void Dictionary::IndexItem(int32_t position) {
  const size_t mask = slots_.size() - 1;
  size_t s = FoldedHash(items_[position].first) & mask;
  while (slots_[s] != 0) s = (s + 1) & mask;
  slots_[s] = position + 1;
}

void Dictionary::Reindex() {
  slots_.clear();
  if (items_.size() <= kLinearKeys) return;
  size_t size = 32;
  while (size < items_.size() * 2) size *= 2;  // at most half full
  slots_.assign(size, 0);
  for (size_t i = 0; i < items_.size(); ++i) IndexItem(static_cast<int32_t>(i));
}

Variant Dictionary::Get(const std::string& key) const {
  return GetOr(key, Variant());
}

Variant Dictionary::GetOr(const std::string& key, const Variant& fallback) const {
  int32_t i = Find(key);
  return i < 0 ? fallback : items_[i].second;
}

DictionaryPtr Dictionary::GetDictionary(const std::string& key) const {
  return Get(key).As<Dictionary>();
}

VectorPtr Dictionary::GetVector(const std::string& key) const {
  return Get(key).As<Vector>();
}

void Dictionary::Set(const std::string& key, Variant value) {
  int32_t i = Find(key);
  if (i < 0) {
    items_.emplace_back(key, std::move(value));
    if (slots_.empty()) {
      if (items_.size() > kLinearKeys) Reindex();  // first crossing of the threshold
    } else if (items_.size() * 2 > slots_.size()) {
      Reindex();  // the table half full
    } else {
      IndexItem(static_cast<int32_t>(items_.size()) - 1);
    }
  } else {
    items_[i].second = std::move(value);
  }
}

bool Dictionary::Exists(const std::string& key) const {
  return Find(key) >= 0;
}

bool Dictionary::Remove(const std::string& key) {
  int32_t i = Find(key);
  if (i < 0) return false;
  items_.erase(items_.begin() + i);
  Reindex();  // positions after i moved down
  return true;
}

const Variant& Dictionary::ItemAt(int32_t index) const {
  if (index < 1 || index > Count()) OutOfRange("Dictionary.Item");
  return items_[index - 1].second;
}

const std::string& Dictionary::KeyAt(int32_t index) const {
  if (index < 1 || index > Count()) OutOfRange("Dictionary.Key");
  return items_[index - 1].first;
}

DictionaryPtr Dictionary::Copy() const {
  auto d = std::make_shared<Dictionary>();
  d->items_ = items_;
  d->slots_ = slots_;
  return d;
}

const Variant& Vector::Item(int32_t index) const {
  if (index < 1 || index > Size()) OutOfRange("Vector.Item");
  return items_[index - 1];
}

void Vector::SetItem(int32_t index, Variant value) {
  if (index < 1 || index > Size()) OutOfRange("Vector.Item");
  items_[index - 1] = std::move(value);
}

void Vector::Insert(int32_t index, Variant value) {
  if (index < 1 || index > Size() + 1) OutOfRange("Vector.Insert");
  items_.insert(items_.begin() + (index - 1), std::move(value));
}

void Vector::Remove(int32_t index) {
  if (index < 1 || index > Size()) OutOfRange("Vector.Remove");
  items_.erase(items_.begin() + (index - 1));
}

DictionaryPtr Vector::DictionaryAt(int32_t index) const {
  return Item(index).As<Dictionary>();
}

}  // namespace orb
