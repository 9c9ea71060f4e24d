#include "host/dictionary.h"

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb {

namespace {
[[noreturn]] void OutOfRange(const char* source) {
  Raise(err::kSubscript, source, "Subscript out of range");
}
}  // namespace

Dictionary::Dictionary(std::initializer_list<std::pair<std::string, Variant>> items) {
  for (const auto& [k, v] : items) Set(k, v);
}

int32_t Dictionary::Find(const std::string& key) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SameText(items_[i].first, key)) return static_cast<int32_t>(i);
  }
  return -1;
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
