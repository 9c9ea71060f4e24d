// The reference host's "OrbConnection.Appconnection": runs the plug-ins'
// T-SQL statements on the SQLite account database.
#pragma once

#include <memory>
#include <string>

#include "host/recordset.h"
#include "refhost/dialect.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

class SqliteConnection : public Connection {
 public:
  explicit SqliteConnection(std::shared_ptr<Database> db) : db_(std::move(db)) {}

  // Translates `sql` for SQLite (Dialect::Sqlite), hands it to the database's statement hook, then
  // runs each statement in turn. Returns the rows of the last statement that yields columns, or
  // nullptr. A failing statement raises err::kDatabase from "OrbConnection.Appconnection" with
  // SQLite's message; the statements before it stay run (the caller's transaction decides what
  // becomes of them).
  RecordsetPtr Execute(const std::string& sql) override;

  const std::shared_ptr<Database>& GetDatabase() const { return db_; }

 private:
  std::shared_ptr<Database> db_;
};

}  // namespace orb::refhost
