// What differs between the database backends the host runs on. The plug-ins'
// statements are the ERP's T-SQL (isnull, getdate(), len, text keys compared
// without regard to letter case); a dialect says how a backend reads them.
//
//  * T-SQL server: statements run as given, a batch as one call; text keys
//    compare through the server's case-insensitive default collation.
//  * SQLite: isnull( and getdate() are rewritten (see TranslateTSql), len and
//    the TEXTKEY collation of the text-key columns come from the host's SQLite
//    additions (refhost/sqlite_ext), and a batch is run one statement at a
//    time, since SQLite prepares one statement per call.
#pragma once

#include <string>
#include <vector>

namespace orb::refhost {

class Dialect {
 public:
  enum class Kind { kTSql, kSqlite };

  static const Dialect& TSql();
  static const Dialect& Sqlite();
  // The dialect of a database product as a driver names it (SQL_DBMS_NAME):
  // SQLite for any name containing "sqlite", T-SQL otherwise.
  static const Dialect& ForProduct(const std::string& dbmsName);

  Kind GetKind() const { return kind_; }
  const char* Name() const { return kind_ == Kind::kSqlite ? "SQLite" : "T-SQL"; }

  // The text of a T-SQL statement batch as this backend reads it.
  std::string Statement(const std::string& sql) const;
  // The statements of a batch, run one call each: the whole batch for T-SQL,
  // the single statements for SQLite.
  std::vector<std::string> Calls(const std::string& sql) const;
  // A statement that fails unless the backend has what the plug-ins' statements
  // need beyond plain SQL (for SQLite: len and the TEXTKEY collation), or ""
  // when there is nothing to check.
  std::string ReadinessCheck() const;

 private:
  explicit Dialect(Kind kind) : kind_(kind) {}
  Kind kind_;
};

// Rewrites the few T-SQL forms SQLite reads differently (see the .cpp for the
// list). Text inside string literals, quoted identifiers and comments is left
// as it is, and only whole words are rewritten.
std::string TranslateTSql(const std::string& sql);

// Splits a batch at the semicolons that end statements (not those inside
// literals, quoted identifiers or comments); pieces holding only blanks and
// comments are dropped, and each piece keeps no trailing semicolon.
std::vector<std::string> SplitStatements(const std::string& sql);

}  // namespace orb::refhost
