// The reference host's account database: one SQLite connection.
//
// Notes for whoever writes the table schemas and seed scripts:
//
//  * Quantities, rates, coefficients and amounts are declared REAL. A column
//    of INTEGER or NUMERIC affinity stores 100.0 as the integer 100, and then
//    95/100 is an integer division that gives 0, while 95.0/100 gives 0.95.
//    A REAL column keeps 95 as 95.0 and reads back as a Double.
//  * Dates are stored as 'YYYY-MM-DD' text, '' for no date. Such texts sort
//    and compare in date order, also against datetime('now','localtime').
//  * Text keys (bill numbers, item numbers, codes) are declared
//    `COLLATE TEXTKEY`: comparisons, ORDER BY, GROUP BY and UNIQUE indexes on
//    the column then ignore ASCII letter case and trailing blanks, as the
//    account database's default comparison does. The collation only applies
//    where SQLite picks the column's collation: `FBillNo = 'bp0001'` uses it,
//    `ifnull(FBillNo, '') = 'bp0001'` or a comparison of two literals does not
//    (write `COLLATE TEXTKEY` after the expression there).
//
// Besides the collation, Open registers len(x): the number of characters of x
// without its trailing blanks, NULL for NULL (SQLite's length() counts them).
// Both come from refhost/sqlite_ext, which also builds them as a loadable
// module for other SQLite clients (the SQLite ODBC driver).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/recordset.h"

namespace orb::refhost {

// The source named by errors the database itself raises.
inline constexpr const char* kDatabaseSource = "OrbRefHost.Database";

class Database {
 public:
  // Called with the text of each statement batch a connection is about to run;
  // an exception thrown by the hook stops the batch before it runs.
  using StatementHook = std::function<void(const std::string& sql)>;

  // Opens (creating on first use) the database file at `path`, or a private
  // in-memory database for ":memory:". Raises err::kDatabase on failure.
  static std::shared_ptr<Database> Open(const std::string& path);

  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* Handle() { return db_; }

  // Runs a script of any number of statements, discarding rows (schemas, seeds).
  void Exec(const std::string& sql);

  // Runs every statement of `sql` as SQLite reads it (no T-SQL translation, no
  // hook) and returns the rows of the last statement that yields columns, or
  // nullptr when none does. A failing statement raises err::kDatabase with
  // `source` and SQLite's message; the statements before it stay run.
  RecordsetPtr Query(const std::string& sql, const char* source = kDatabaseSource);

  // BEGIN IMMEDIATE / COMMIT / ROLLBACK. The write lock is taken at Begin so
  // that two processes sharing the file wait for each other there instead of
  // failing halfway through a transaction.
  void Begin();
  void Commit();
  void Rollback();
  bool InTransaction() const;

  // Rows changed by the last INSERT, UPDATE or DELETE.
  int64_t Changes() const;

  void SetStatementHook(StatementHook hook) { hook_ = std::move(hook); }
  const StatementHook& Hook() const { return hook_; }

  // A transaction that rolls back when it goes out of scope uncommitted.
  class Transaction {
   public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

   private:
    Database& db_;
    bool done_ = false;
  };

 private:
  explicit Database(sqlite3* db) : db_(db) {}
  [[noreturn]] void Fail(const std::string& source) const;

  sqlite3* db_;
  StatementHook hook_;
};

}  // namespace orb::refhost
