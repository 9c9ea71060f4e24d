// The host's "OrbConnection.Appconnection" over ODBC: the plug-ins' statements
// run on whatever database an ODBC driver reaches (a T-SQL server through
// FreeTDS, or a SQLite file through the SQLite ODBC driver); see docs/odbc.md.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/recordset.h"
#include "refhost/dialect.h"

namespace orb::refhost {

// The source named by errors of the ODBC session itself (connecting).
inline constexpr const char* kOdbcSource = "OrbRefHost.Odbc";

// The environment variable that names the host's SQLite additions module,
// overriding where the host looks for it.
inline constexpr const char* kSqliteExtensionVariable = "ORB_SQLITE_EXTENSION";

// The path of the host's SQLite additions module (orbsqlext.so): the one the
// environment names, else the installed one beside the host library, else the
// one in the build tree.
std::string SqliteExtensionPath();

// One open ODBC connection, shared by the connection components of a host
// (the host's, like its SQLite database). Not thread-safe: the
// host runs on one thread.
class OdbcSession {
 public:
  // Connects with an ODBC connection string ("DSN=...;UID=...;PWD=..." or
  // "Driver=...;..."), never prompting. The dialect follows the product the
  // driver reports. For a SQLite driver whose string has no LoadExt option,
  // `sqliteExtension` (the path of the host's SQLite additions module) is
  // added, so that len and the TEXTKEY collation exist there as well.
  // Raises err::kDatabase with the driver's message and SQLSTATE on failure.
  static std::shared_ptr<OdbcSession> Connect(
      const std::string& connectionString,
      const std::string& sqliteExtension = SqliteExtensionPath());

  ~OdbcSession();
  OdbcSession(const OdbcSession&) = delete;
  OdbcSession& operator=(const OdbcSession&) = delete;

  const Dialect& GetDialect() const { return *dialect_; }
  // The product name the driver reports (SQL_DBMS_NAME).
  const std::string& Product() const { return product_; }
  // The database the driver reports being on (SQL_DATABASE_NAME): the file
  // for the SQLite driver, the database's name for a server; "" when it
  // does not say.
  const std::string& DatabaseName() const { return databaseName_; }
  bool IsOpen() const;

  // Runs the statements of one batch (already in the backend's dialect) in
  // one transaction: either all of them take effect or none does. Returns the
  // rows of the last statement that yields columns, or nullptr. A failure
  // rolls back and raises err::kDatabase from `source` with the driver's
  // message and SQLSTATE.
  RecordsetPtr RunBatch(const std::vector<std::string>& statements, const std::string& source);

  // Simulates the server going away: after `statements` more statements have
  // run, the connection is dropped as a server that stops answering drops it
  // (its open transaction rolled back). A negative count turns this off.
  void DropAfter(int32_t statements) { dropAfter_ = statements; }
  // Drops the connection now.
  void Drop();

 private:
  OdbcSession() = default;
  struct Handles;
  std::unique_ptr<Handles> h_;
  const Dialect* dialect_ = &Dialect::TSql();
  std::string product_;
  std::string databaseName_;
  int32_t dropAfter_ = -1;
};

// The connection component: one per statement, all sharing the host's session.
class OdbcConnection : public Connection {
 public:
  // `beforeRun` sees the text of each batch about to run (the host logs it and
  // applies its faults); an exception from it stops the batch before it runs.
  OdbcConnection(std::shared_ptr<OdbcSession> session,
                 std::function<void(const std::string&)> beforeRun = nullptr)
      : session_(std::move(session)), beforeRun_(std::move(beforeRun)) {}

  // Translates `sql` into the session's dialect and runs it as one
  // transaction (see OdbcSession::RunBatch); errors come from
  // "OrbConnection.Appconnection".
  RecordsetPtr Execute(const std::string& sql) override;

 private:
  std::shared_ptr<OdbcSession> session_;
  std::function<void(const std::string&)> beforeRun_;
};

}  // namespace orb::refhost
