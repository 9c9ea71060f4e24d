#include "refhost/odbc_connection.h"

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb::refhost {

namespace {

constexpr SQLULEN kLoginTimeoutSeconds = 15;

// The driver's diagnostics of `handle` as one text: each record's message
// followed by its SQLSTATE, records joined by "; ".
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string text;
  for (SQLSMALLINT i = 1; handle != SQL_NULL_HANDLE; ++i) {
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {0};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!text.empty()) text += "; ";
    text += reinterpret_cast<const char*>(message);
    text += " (SQLSTATE ";
    text += reinterpret_cast<const char*>(state);
    text += ")";
  }
  return text.empty() ? "the driver gave no reason" : text;
}

[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle, const std::string& source,
                       const std::string& prefix = "") {
  Raise(err::kDatabase, source, prefix + Diagnostics(type, handle));
}

// The value of `key` in a connection string ("K1=v1;K2={v;2}"), or "" when absent.
std::string ConnectionValue(const std::string& text, const std::string& key) {
  size_t i = 0;
  while (i < text.size()) {
    size_t eq = text.find('=', i);
    if (eq == std::string::npos) break;
    std::string name = Trim(text.substr(i, eq - i));
    size_t end = eq + 1;
    std::string value;
    if (end < text.size() && text[end] == '{') {
      size_t close = text.find('}', end);
      close = close == std::string::npos ? text.size() : close;
      value = text.substr(end + 1, close - end - 1);
      end = text.find(';', close);
    } else {
      end = text.find(';', end);
      value = text.substr(eq + 1, (end == std::string::npos ? text.size() : end) - eq - 1);
    }
    if (SameText(name, key)) return Trim(value);
    if (end == std::string::npos) break;
    i = end + 1;
  }
  return "";
}

bool HasText(const std::string& haystack, const std::string& needle) {
  return LCase(haystack).find(LCase(needle)) != std::string::npos;
}

struct StatementHandle {
  SQLHSTMT h = SQL_NULL_HSTMT;
  ~StatementHandle() {
    if (h != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, h);
  }
};

Variant TextValue(SQLHSTMT st, SQLUSMALLINT column, const std::string& source) {
  std::string text;
  char buffer[4096];
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(st, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
    if (indicator == SQL_NULL_DATA) return Variant::Null();
    // A truncated part fills the buffer but for its terminating zero.
    size_t part = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer))
                      ? sizeof buffer - 1
                      : static_cast<size_t>(indicator);
    text.append(buffer, part);
    if (rc == SQL_SUCCESS) break;
  }
  return Variant(std::move(text));
}

// One column of the current row, by the type the driver reports: whole
// numbers as Long (Double past its range), other numbers as Double, bits as
// Boolean, dates and times as Date, everything else as text; NULL as Null.
Variant ColumnValue(SQLHSTMT st, SQLUSMALLINT column, SQLSMALLINT type, const std::string& source) {
  SQLLEN indicator = 0;
  SQLRETURN rc = SQL_SUCCESS;
  switch (type) {
    case SQL_BIT: {
      unsigned char bit = 0;
      rc = SQLGetData(st, column, SQL_C_BIT, &bit, sizeof bit, &indicator);
      if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
      return indicator == SQL_NULL_DATA ? Variant::Null() : Variant(bit != 0);
    }
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
      SQLBIGINT v = 0;
      rc = SQLGetData(st, column, SQL_C_SBIGINT, &v, sizeof v, &indicator);
      if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<int32_t>(v));
      return Variant(static_cast<double>(v));
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
      double v = 0;
      rc = SQLGetData(st, column, SQL_C_DOUBLE, &v, sizeof v, &indicator);
      if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
      return indicator == SQL_NULL_DATA ? Variant::Null() : Variant(v);
    }
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP: {
      SQL_TIMESTAMP_STRUCT ts{};
      rc = SQLGetData(st, column, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator);
      if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
      if (indicator == SQL_NULL_DATA) return Variant::Null();
      const double seconds = ts.hour * 3600.0 + ts.minute * 60.0 + ts.second;
      return Variant(DateAddDays(MakeDate(ts.year, ts.month, ts.day), seconds / 86400.0));
    }
    default:
      return TextValue(st, column, source);
  }
}

std::shared_ptr<MemoryRecordset> FetchRows(SQLHSTMT st, SQLSMALLINT columns,
                                           const std::string& source) {
  std::vector<std::string> names;
  std::vector<SQLSMALLINT> types;
  for (SQLUSMALLINT i = 1; i <= columns; ++i) {
    SQLCHAR name[256] = {0};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    if (!SQL_SUCCEEDED(SQLDescribeCol(st, i, name, sizeof name, &nameLength, &type, &size, &digits,
                                      &nullable)))
      Fail(SQL_HANDLE_STMT, st, source);
    names.emplace_back(reinterpret_cast<const char*>(name));
    types.push_back(type);
  }
  std::vector<std::vector<Variant>> rows;
  for (;;) {
    SQLRETURN rc = SQLFetch(st);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_STMT, st, source);
    std::vector<Variant> row;
    row.reserve(columns);
    for (SQLUSMALLINT i = 1; i <= columns; ++i)
      row.push_back(ColumnValue(st, i, types[i - 1], source));
    rows.push_back(std::move(row));
  }
  return std::make_shared<MemoryRecordset>(std::move(names), std::move(rows));
}

}  // namespace

std::string SqliteExtensionPath() {
  if (const char* path = std::getenv(kSqliteExtensionVariable); path != nullptr && *path != '\0')
    return path;
  // An installed host: the module in the package's folder beside the host
  // library, found through the library's own location.
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&Raise), &info) != 0 && info.dli_fname != nullptr) {
    std::error_code ec;
    const auto beside =
        std::filesystem::path(info.dli_fname).parent_path() / ORB_SQLITE_EXTENSION_BESIDE;
    if (std::filesystem::is_regular_file(beside, ec)) return beside.string();
  }
  return ORB_SQLITE_EXTENSION_BUILT;
}

struct OdbcSession::Handles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;

  ~Handles() {
    if (connected) {
      SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
      SQLDisconnect(dbc);
    }
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

std::shared_ptr<OdbcSession> OdbcSession::Connect(const std::string& connectionString,
                                                  const std::string& sqliteExtension) {
  const std::string prefix = "Cannot connect to the database through ODBC: ";
  if (Trim(connectionString).empty())
    Raise(err::kDatabase, kOdbcSource, prefix + "the connection string is empty");
  if (ConnectionValue(connectionString, "DSN").empty() &&
      ConnectionValue(connectionString, "Driver").empty() &&
      ConnectionValue(connectionString, "FileDSN").empty()) {
    Raise(err::kDatabase, kOdbcSource,
          prefix + "the connection string names neither a DSN nor a Driver");
  }
  std::string text = connectionString;
  if (!sqliteExtension.empty() && HasText(ConnectionValue(text, "Driver"), "sqlite") &&
      ConnectionValue(text, "LoadExt").empty()) {
    if (!text.empty() && text.back() != ';') text += ';';
    text += "LoadExt=" + sqliteExtension + ";";
  }

  std::shared_ptr<OdbcSession> session(new OdbcSession());
  session->h_ = std::make_unique<Handles>();
  Handles& h = *session->h_;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env)))
    Raise(err::kDatabase, kOdbcSource, prefix + "the ODBC driver manager could not start");
  SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc)))
    Fail(SQL_HANDLE_ENV, h.env, kOdbcSource, prefix);
  SQLSetConnectAttr(h.dbc, SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  SQLCHAR out[1024];
  SQLSMALLINT outLength = 0;
  SQLRETURN rc =
      SQLDriverConnect(h.dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())),
                       SQL_NTS, out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) Fail(SQL_HANDLE_DBC, h.dbc, kOdbcSource, prefix);
  h.connected = true;

  SQLCHAR product[256] = {0};
  SQLSMALLINT productLength = 0;
  if (SQL_SUCCEEDED(SQLGetInfo(h.dbc, SQL_DBMS_NAME, product, sizeof product, &productLength)))
    session->product_ = reinterpret_cast<const char*>(product);
  session->dialect_ = &Dialect::ForProduct(session->product_);
  SQLCHAR database[1024] = {0};
  SQLSMALLINT databaseLength = 0;
  if (SQL_SUCCEEDED(
          SQLGetInfo(h.dbc, SQL_DATABASE_NAME, database, sizeof database, &databaseLength)))
    session->databaseName_ = reinterpret_cast<const char*>(database);

  // Each batch is one transaction, committed or rolled back by RunBatch.
  if (!SQL_SUCCEEDED(SQLSetConnectAttr(h.dbc, SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
    Fail(SQL_HANDLE_DBC, h.dbc, kOdbcSource, prefix);

  const std::string check = session->dialect_->ReadinessCheck();
  if (!check.empty()) {
    try {
      session->RunBatch({check}, kOdbcSource);
    } catch (const AutomationError& e) {
      Raise(err::kDatabase, kOdbcSource,
            prefix + "the SQLite database lacks the host's additions (len, TEXTKEY); name the " +
                "orbsqlext module in the LoadExt option: " + e.Description());
    }
  }
  return session;
}

OdbcSession::~OdbcSession() = default;

bool OdbcSession::IsOpen() const {
  return h_ && h_->connected;
}

void OdbcSession::Drop() {
  if (!IsOpen()) return;
  SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_ROLLBACK);
  SQLDisconnect(h_->dbc);
  h_->connected = false;
}

RecordsetPtr OdbcSession::RunBatch(const std::vector<std::string>& statements,
                                   const std::string& source) {
  RecordsetPtr result;
  try {
    for (const std::string& sql : statements) {
      if (dropAfter_ == 0) Drop();
      if (dropAfter_ > 0) --dropAfter_;
      StatementHandle st;
      if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, h_->dbc, &st.h)))
        Fail(SQL_HANDLE_DBC, h_->dbc, source);
      SQLRETURN rc =
          SQLExecDirect(st.h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
      // SQL_NO_DATA: an UPDATE or DELETE that matched no row.
      if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, st.h, source);
      while (rc != SQL_NO_DATA) {
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(st.h, &columns))) Fail(SQL_HANDLE_STMT, st.h, source);
        if (columns > 0) result = FetchRows(st.h, columns, source);
        rc = SQLMoreResults(st.h);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, st.h, source);
      }
    }
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_COMMIT)))
      Fail(SQL_HANDLE_DBC, h_->dbc, source);
  } catch (...) {
    if (IsOpen()) SQLEndTran(SQL_HANDLE_DBC, h_->dbc, SQL_ROLLBACK);
    throw;
  }
  return result;
}

RecordsetPtr OdbcConnection::Execute(const std::string& sql) {
  const Dialect& dialect = session_->GetDialect();
  const std::string text = dialect.Statement(sql);
  if (beforeRun_) beforeRun_(text);
  return session_->RunBatch(dialect.Calls(text), kConnectionProgId);
}

}  // namespace orb::refhost
