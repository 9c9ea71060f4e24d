// What every component of the reference host shares: the host it belongs to,
// the record of each member call in the transcript with the faults consulted,
// and a prepared statement for the host's own tables.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "host/dictionary.h"
#include "host/variant.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

class Host;

// An argument as a call record shows it: as VariantToJson does (dictionaries
// and vectors with their items, other objects as "<TypeName>").
nlohmann::json CallArg(const Variant& v);

class ComponentBase {
 public:
  ComponentBase(Host& host, std::string progId);

 protected:
  // Records the call of `member` and asks the faults about it. Returns true
  // when the member must report failure; raises when a fault says so. Raises
  // error 91 when the host is gone. Members use host_ only after Enter.
  bool Enter(const std::string& member, std::initializer_list<nlohmann::json> args = {});

  // Puts the component's answer into a request's "ReturnString", in the
  // user's language; returns `ok`.
  bool Answer(const DictionaryPtr& request, bool ok, const std::string& text);

  Host& host_;
  std::string progId_;

 private:
  std::weak_ptr<const void> hostLifetime_;
};

// One statement on the host's database with its parameters bound (1-based).
// A failure raises err::kDatabase from `source`.
class Statement {
 public:
  Statement(Database& db, const std::string& sql, std::string source);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, const std::string& text);
  Statement& Bind(int index, int64_t number);
  // Empty and Null bind NULL; numbers bind as numbers, anything else as text.
  Statement& Bind(int index, const Variant& value);

  // Steps once: true while there is a row. A constraint violation returns
  // false with Constrained() set instead of raising.
  bool Step();
  bool Constrained() const { return constrained_; }
  int64_t ColumnInt(int column) const;

 private:
  [[noreturn]] void Fail() const;

  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
  std::string source_;
  bool constrained_ = false;
};

}  // namespace orb::refhost
