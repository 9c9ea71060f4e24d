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

#include <stdexcept>
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
  // The same without a copy: `sql` itself when nothing changes, otherwise the
  // rewritten text, kept in `storage`.
  const std::string& Statement(const std::string& sql, std::string& storage) const;
  // The statements of a batch, run one call each: the whole batch for T-SQL,
  // the single statements for SQLite.
  std::vector<std::string> Calls(const std::string& sql) const;
  // A statement that fails unless the backend has what the plug-ins' statements
  // need beyond plain SQL (for SQLite: len and the TEXTKEY collation), or ""
  // when there is nothing to check.
  std::string ReadinessCheck() const;

  // The statements of one of the host's schema scripts (refhost/schema/*.sql,
  // written for SQLite) as this backend makes them, each safe to run again,
  // without the script's comments: SQLite gets the script's own statements;
  // T-SQL gets each one rewritten (see TranslateSchemaStatement). `scriptName` names the script in
  // errors. Raises SchemaStatementError for a statement the backend cannot make.
  std::vector<std::string> SchemaStatements(const std::string& script,
                                            const std::string& scriptName) const;
  // `text` as a string literal of this backend (N'...' on T-SQL, so that
  // text beyond the server's code page survives).
  std::string TextLiteral(const std::string& text) const;

 private:
  explicit Dialect(Kind kind) : kind_(kind) {}
  Kind kind_;
};

// Rewrites the few T-SQL forms SQLite reads differently (see the .cpp for the
// list). Text inside string literals, quoted identifiers and comments is left
// as it is, and only whole words are rewritten.
std::string TranslateTSql(const std::string& sql);

// A statement of a schema script that a dialect cannot make: which script,
// which statement (1-based) and why.
class SchemaStatementError : public std::runtime_error {
 public:
  SchemaStatementError(const std::string& script, int index, const std::string& statement,
                       const std::string& reason);
};

// One statement of a SQLite schema script as T-SQL makes it, or an empty
// string with `reason` set when T-SQL cannot express it. What is rewritten:
//   CREATE TABLE IF NOT EXISTS t (...)   IF OBJECT_ID(N't', N'U') IS NULL CREATE TABLE t (...)
//   CREATE [UNIQUE] INDEX IF NOT EXISTS  IF NOT EXISTS (... sys.indexes ...) CREATE ... INDEX
//   CREATE VIEW IF NOT EXISTS v AS ...   IF OBJECT_ID(N'v', N'V') IS NULL EXEC(N'CREATE VIEW ...')
//   INSERT OR IGNORE INTO t (cols) VALUES ...
//       INSERT ... SELECT of the rows no equal row of t already holds
// and in the column definitions: INTEGER PRIMARY KEY AUTOINCREMENT as
// INT IDENTITY(1,1) PRIMARY KEY, INTEGER as INT, REAL as FLOAT, a text key
// (TEXT COLLATE TEXTKEY, or a TEXT column of `keys`) as NVARCHAR(255), other
// TEXT as NVARCHAR(MAX), and string literals as N'...'. The TEXTKEY
// collation itself is dropped: the server's case-insensitive default
// collation compares text keys the same way.
std::string TranslateSchemaStatement(const std::string& statement,
                                     const std::vector<std::string>& keys, std::string& reason);

// The columns a script's statements index or make a table's primary key
// with, as "table.column" in lower case: the text among them must be short
// enough for a T-SQL index key.
std::vector<std::string> SchemaKeyColumns(const std::vector<std::string>& statements);

// Splits a batch at the semicolons that end statements (not those inside
// literals, quoted identifiers or comments); pieces holding only blanks and
// comments are dropped, and each piece keeps no trailing semicolon.
std::vector<std::string> SplitStatements(const std::string& sql);

}  // namespace orb::refhost
