// The host library's keyed dictionary and 1-based vector.
//
// Field information, value records, page data, requests to outside components
// and link records are all keyed dictionaries: keys compare without regard to
// letter case, insertion order is kept, items and keys can be read by 1-based
// index. Page rows and selections are vectors.
//
// Small dictionaries (a value record, a field's information) are searched
// key by key; past a dozen keys a hash index of the letter-case-folded keys
// keeps look-ups and additions constant in time, so a record of n columns is
// built in linear time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace orb {

class Dictionary;
class Vector;
using DictionaryPtr = std::shared_ptr<Dictionary>;
using VectorPtr = std::shared_ptr<Vector>;

class ORB_HOST_API Dictionary : public Object {
 public:
  Dictionary() = default;
  Dictionary(std::initializer_list<std::pair<std::string, Variant>> items);
  static DictionaryPtr New() { return std::make_shared<Dictionary>(); }
  static DictionaryPtr New(std::initializer_list<std::pair<std::string, Variant>> items) {
    return std::make_shared<Dictionary>(items);
  }

  // A dictionary of the given items, in order, whose keys the caller knows to
  // differ (a value record's fixed keys): no key is looked up while it is made.
  static DictionaryPtr FromDistinct(std::vector<std::pair<std::string, Variant>> items);

  std::string TypeName() const override { return "KFODictionary"; }

  // The item under key; Empty when there is none (nothing is added).
  Variant Get(const std::string& key) const;
  // The item under key, or `fallback` when there is none.
  Variant GetOr(const std::string& key, const Variant& fallback) const;
  // The item as a dictionary; nullptr when absent or of another kind.
  DictionaryPtr GetDictionary(const std::string& key) const;
  VectorPtr GetVector(const std::string& key) const;
  // Sets or adds the item; an existing key keeps its place and its spelling.
  void Set(const std::string& key, Variant value);
  bool Exists(const std::string& key) const;
  bool Remove(const std::string& key);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based access by position; out of range raises error 9.
  const Variant& ItemAt(int32_t index) const;
  const std::string& KeyAt(int32_t index) const;
  // A new dictionary with the same keys and values (objects are shared).
  DictionaryPtr Copy() const;

  const std::vector<std::pair<std::string, Variant>>& Items() const { return items_; }

 private:
  int32_t Find(const std::string& key) const;
  // Builds the index once the dictionary has grown past the linear search.
  void Reindex();
  void IndexItem(int32_t position);

  std::vector<std::pair<std::string, Variant>> items_;
  // Open addressing over positions + 1 (0 = free slot); empty while small.
  std::vector<int32_t> slots_;
};

class ORB_HOST_API Vector : public Object {
 public:
  Vector() = default;
  static VectorPtr New() { return std::make_shared<Vector>(); }

  std::string TypeName() const override { return "KFOVector"; }

  int32_t Size() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; out of range raises error 9.
  const Variant& Item(int32_t index) const;
  void SetItem(int32_t index, Variant value);
  void Add(const Variant& value) { items_.push_back(value); }
  // Inserts before the 1-based index (Size()+1 appends).
  void Insert(int32_t index, Variant value);
  void Remove(int32_t index);
  void Clear() { items_.clear(); }
  // The item as a dictionary; nullptr when it is none.
  DictionaryPtr DictionaryAt(int32_t index) const;

  const std::vector<Variant>& Items() const { return items_; }

 private:
  std::vector<Variant> items_;
};

}  // namespace orb
