#include "refhost/sqlite_database.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "host/automation_error.h"
#include "refhost/sqlite_ext/sqlite_additions.h"

namespace orb::refhost {

namespace {

constexpr int kBusyTimeoutMs = 5000;

Variant ColumnValue(sqlite3_stmt* stmt, int i) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_column_int64(stmt, i);
      if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
      return Variant(static_cast<double>(v));
    }
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(stmt, i));
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_BLOB: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, i));
      int n = sqlite3_column_bytes(stmt, i);
      return Variant(p ? std::string(p, n) : std::string());
    }
    default: {  // SQLITE_TEXT
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
      int n = sqlite3_column_bytes(stmt, i);
      return Variant(p ? std::string(p, n) : std::string());
    }
  }
}

using StatementPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

}  // namespace

std::shared_ptr<Database> Database::Open(const std::string& path) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_orbsqlext_init(db, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    Raise(err::kDatabase, kDatabaseSource, message + " (" + path + ")");
  }
  return std::shared_ptr<Database>(new Database(db));
}

Database::~Database() {
  sqlite3_close(db_);
}

void Database::Fail(const std::string& source) const {
  Raise(err::kDatabase, source, sqlite3_errmsg(db_));
}

void Database::Exec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    Raise(err::kDatabase, kDatabaseSource, message);
  }
}

RecordsetPtr Database::Query(const std::string& sql, const char* source) {
  RecordsetPtr result;
  const char* tail = sql.c_str();
  const char* end = tail + sql.size();
  while (tail < end) {
    sqlite3_stmt* raw = nullptr;
    const char* next = nullptr;
    int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &raw, &next);
    StatementPtr stmt(raw, sqlite3_finalize);
    if (rc != SQLITE_OK) Fail(source);
    if (next == nullptr || next <= tail) break;
    tail = next;
    if (!stmt) continue;  // only blanks or comments

    const int columns = sqlite3_column_count(raw);
    std::vector<std::vector<Variant>> rows;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
      std::vector<Variant> row;
      row.reserve(columns);
      for (int i = 0; i < columns; ++i) row.push_back(ColumnValue(raw, i));
      rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) Fail(source);
    if (columns > 0) {
      std::vector<std::string> names;
      names.reserve(columns);
      for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(raw, i);
        names.emplace_back(name ? name : "");
      }
      result = std::make_shared<MemoryRecordset>(std::move(names), std::move(rows));
    }
  }
  return result;
}

void Database::Begin() {
  Exec("BEGIN IMMEDIATE");
}
void Database::Commit() {
  Exec("COMMIT");
}
void Database::Rollback() {
  Exec("ROLLBACK");
}
bool Database::InTransaction() const {
  return sqlite3_get_autocommit(db_) == 0;
}
int64_t Database::Changes() const {
  return sqlite3_changes64(db_);
}

Database::Transaction::Transaction(Database& db) : db_(db) {
  db_.Begin();
}

Database::Transaction::~Transaction() {
  // Some errors (a full disk, an interrupt) end the transaction by themselves.
  if (done_ || !db_.InTransaction()) return;
  try {
    db_.Rollback();
  } catch (const AutomationError&) {
    // Nothing sensible to do while unwinding; SQLite rolls back on close.
  }
}

void Database::Transaction::Commit() {
  db_.Commit();
  done_ = true;
}

}  // namespace orb::refhost
