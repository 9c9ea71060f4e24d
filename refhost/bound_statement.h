// A prepared statement on the account database with its values bound as
// parameters: the host's own reads and writes of bills never splice a value
// into SQL text.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "host/recordset.h"
#include "host/variant.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

class BoundStatement {
 public:
  // Prepares one statement; raises err::kDatabase with SQLite's message.
  BoundStatement(Database& db, const std::string& sql);

  // Binds the 1-based parameter: Empty and Null as NULL, numbers as numbers,
  // Booleans as 1 or 0, dates as their "YYYY-MM-DD" text; an object raises 13.
  BoundStatement& Bind(int index, const Variant& value);
  // Runs a statement that returns no rows.
  void Run();
  // Runs a query and returns all its rows (integers as Long, or Double beyond
  // 32 bits; REAL as Double; NULL as Null; text as String).
  std::shared_ptr<MemoryRecordset> Fetch();
  // Steps to the next row: true on a row, false when done; raises on failure.
  bool Step();
  // A column of the current row, typed as Fetch types it.
  Variant Column(int index) const;
  // Makes the statement ready to run again, its bindings cleared.
  void Reset();
  // Ends the current run so the statement can run again, keeping its bound
  // values (for a statement whose every run binds them anew).
  void Rewind();

  const std::string& Sql() const { return sql_; }

 private:
  [[noreturn]] void Fail() const;

  Database& db_;
  std::string sql_;
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt_;
};

// Rewinds a statement kept for reuse when the scope that runs it ends, however
// it ends, so that it holds no read open.
class RewindOnExit {
 public:
  explicit RewindOnExit(BoundStatement& statement) : statement_(statement) {}
  ~RewindOnExit() { statement_.Rewind(); }
  RewindOnExit(const RewindOnExit&) = delete;
  RewindOnExit& operator=(const RewindOnExit&) = delete;

 private:
  BoundStatement& statement_;
};

}  // namespace orb::refhost
