#include "refhost/odbc_account.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>

#include "host/automation_error.h"

namespace orb::refhost {

namespace {

const char* const kPrefix = "Cannot make the account tables through ODBC: ";

// The table a statement of a schema script makes, or "".
std::string TableMade(const std::string& statement) {
  static const std::regex create(
      R"(^\s*(?:--[^\n]*\n\s*)*create\s+table\s+if\s+not\s+exists\s+([A-Za-z_][A-Za-z0-9_]*))",
      std::regex::icase);
  std::smatch m;
  return std::regex_search(statement, m, create) ? m[1].str() : "";
}

// Column `i` of the current row of `st` as a literal of `dialect`.
std::string Literal(sqlite3_stmt* st, int i, const Dialect& dialect) {
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
      return "NULL";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT: {
      char text[32];
      std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(st, i));
      return text;
    }
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(st, i));
      std::string hex = dialect.GetKind() == Dialect::Kind::kTSql ? "0x" : "X'";
      for (int n = 0; n < sqlite3_column_bytes(st, i); ++n) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", bytes[n]);
        hex += two;
      }
      return dialect.GetKind() == Dialect::Kind::kTSql ? hex : hex + "'";
    }
    default:
      return dialect.TextLiteral(
          std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                      static_cast<size_t>(sqlite3_column_bytes(st, i))));
  }
}

struct Query {
  sqlite3_stmt* st = nullptr;
  Query(Database& db, const std::string& sql) {
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      Raise(err::kDatabase, kOdbcSource, kPrefix + std::string(sqlite3_errmsg(db.Handle())));
  }
  ~Query() { sqlite3_finalize(st); }
  bool Step() { return sqlite3_step(st) == SQLITE_ROW; }
};

// One statement per row of `table` in `db`: the row added unless one with
// the same key is there.
std::vector<std::string> MissingRows(Database& db, const std::string& table,
                                     const Dialect& dialect) {
  std::vector<std::string> names;
  std::vector<bool> key;
  bool hasKey = false;
  for (Query info(db, "PRAGMA table_info(" + table + ")"); info.Step();) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.st, 1)));
    key.push_back(sqlite3_column_int(info.st, 5) > 0);
    hasKey = hasKey || key.back();
  }
  if (names.empty()) return {};  // a table this database was not given
  std::string columns;
  for (const std::string& name : names) columns += (columns.empty() ? "" : ", ") + name;
  std::vector<std::string> out;
  for (Query rows(db, "SELECT " + columns + " FROM " + table); rows.Step();) {
    std::string values, match;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string value = Literal(rows.st, static_cast<int>(i), dialect);
      values += (i == 0 ? "" : ", ") + value;
      if (hasKey && !key[i]) continue;
      match += (match.empty() ? "" : " AND ") + names[i] +
               (value == "NULL" ? std::string(" IS NULL") : " = " + value);
    }
    out.push_back("INSERT INTO " + table + " (" + columns + ") SELECT " + values +
                  " WHERE NOT EXISTS (SELECT 1 FROM " + table + " WHERE " + match + ")");
  }
  return out;
}

}  // namespace

bool ReachesDatabase(const OdbcSession& session, Database& db) {
  if (session.GetDialect().GetKind() != Dialect::Kind::kSqlite) return false;
  const char* own = sqlite3_db_filename(db.Handle(), "main");
  if (own == nullptr || *own == '\0' || session.DatabaseName().empty()) return false;
  std::error_code ec;
  return std::filesystem::equivalent(own, session.DatabaseName(), ec);
}

void MakeAccountTables(OdbcSession& session, Database& db,
                       const std::vector<SchemaScript>& scripts) {
  const Dialect& dialect = session.GetDialect();
  std::vector<std::string> tables;
  for (const SchemaScript& script : scripts) {
    std::vector<std::string> statements;
    try {
      statements = dialect.SchemaStatements(script.text, script.name);
    } catch (const SchemaStatementError& e) {
      Raise(err::kDatabase, kOdbcSource, kPrefix + std::string(e.what()));
    }
    for (size_t n = 0; n < statements.size(); ++n) {
      try {
        session.RunBatch({statements[n]}, kOdbcSource);
      } catch (const AutomationError& e) {
        Raise(err::kDatabase, kOdbcSource,
              kPrefix + script.name + ", statement " + std::to_string(n + 1) + ": " +
                  e.Description());
      }
    }
    for (const std::string& statement : SplitStatements(script.text)) {
      std::string table = TableMade(statement);
      if (!table.empty() && std::find(tables.begin(), tables.end(), table) == tables.end())
        tables.push_back(std::move(table));
    }
  }
  for (const std::string& table : tables) {
    std::vector<std::string> rows = MissingRows(db, table, dialect);
    if (rows.empty()) continue;
    try {
      session.RunBatch(rows, kOdbcSource);
    } catch (const AutomationError& e) {
      Raise(err::kDatabase, kOdbcSource,
            std::string(kPrefix) + "the rows of " + table +
                " could not be added: " + e.Description());
    }
  }
}

}  // namespace orb::refhost
