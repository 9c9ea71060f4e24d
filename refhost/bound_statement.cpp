#include "refhost/bound_statement.h"

#include <cstdint>
#include <vector>

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb::refhost {

BoundStatement::BoundStatement(Database& db, const std::string& sql)
    : db_(db), sql_(sql), stmt_(nullptr, sqlite3_finalize) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.Handle(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(raw);
    Fail();
  }
  stmt_.reset(raw);
}

void BoundStatement::Fail() const {
  Raise(err::kDatabase, kDatabaseSource,
        std::string(sqlite3_errmsg(db_.Handle())) + " in: " + sql_);
}

BoundStatement& BoundStatement::Bind(int index, const Variant& value) {
  sqlite3_stmt* s = stmt_.get();
  int rc = SQLITE_OK;
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
      rc = sqlite3_bind_null(s, index);
      break;
    case VarType::Integer:
      rc = sqlite3_bind_int(s, index, value.AsInteger());
      break;
    case VarType::Long:
      rc = sqlite3_bind_int(s, index, value.AsLong());
      break;
    case VarType::Double:
      rc = sqlite3_bind_double(s, index, value.AsDouble());
      break;
    case VarType::Boolean:
      rc = sqlite3_bind_int(s, index, value.AsBool() ? 1 : 0);
      break;
    case VarType::String:
      rc = sqlite3_bind_text(s, index, value.AsString().c_str(),
                             static_cast<int>(value.AsString().size()), SQLITE_TRANSIENT);
      break;
    case VarType::Date: {
      std::string text = DateText(value.AsDate());
      rc = sqlite3_bind_text(s, index, text.c_str(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
      break;
    }
    case VarType::Object:
      Raise(err::kTypeMismatch, kDatabaseSource,
            "Type mismatch: an object cannot be stored (parameter " + std::to_string(index) +
                " of: " + sql_ + ")");
  }
  if (rc != SQLITE_OK) Fail();
  return *this;
}

void BoundStatement::Run() {
  int rc;
  while ((rc = sqlite3_step(stmt_.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) Fail();
}

std::shared_ptr<MemoryRecordset> BoundStatement::Fetch() {
  sqlite3_stmt* s = stmt_.get();
  const int columns = sqlite3_column_count(s);
  std::vector<std::vector<Variant>> rows;
  while (Step()) {
    std::vector<Variant> row;
    row.reserve(columns);
    for (int i = 0; i < columns; ++i) row.push_back(Column(i));
    rows.push_back(std::move(row));
  }
  std::vector<std::string> names;
  for (int i = 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(s, i);
    names.emplace_back(name ? name : "");
  }
  return std::make_shared<MemoryRecordset>(std::move(names), std::move(rows));
}

bool BoundStatement::Step() {
  const int rc = sqlite3_step(stmt_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) Fail();
  return false;
}

Variant BoundStatement::Column(int i) const {
  sqlite3_stmt* s = stmt_.get();
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_column_int64(s, i);
      if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
      return Variant(static_cast<double>(v));
    }
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(s, i));
    case SQLITE_NULL:
      return Variant::Null();
    default: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(s, i));
      int n = sqlite3_column_bytes(s, i);
      return Variant(p ? std::string(p, n) : std::string());
    }
  }
}

void BoundStatement::Rewind() {
  sqlite3_reset(stmt_.get());
}

void BoundStatement::Reset() {
  sqlite3_reset(stmt_.get());
  sqlite3_clear_bindings(stmt_.get());
}

}  // namespace orb::refhost
