// The account database reached through ODBC when it is not the host's own
// SQLite file (a database server, or another SQLite file): the host makes its
// tables there with the same schema scripts it runs on its own database, and
// adds the rows its set-up wrote (master data, fixtures, registered bill
// types), so that the plug-ins' statements find them.
#pragma once

#include <string>
#include <vector>

#include "refhost/odbc_connection.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

// A schema script by its name (as a scenario names it) and text.
struct SchemaScript {
  std::string name;
  std::string text;
};

// Whether `session` reaches the SQLite file of `db` itself (the SQLite ODBC
// driver on the host's own database), where nothing needs making twice.
bool ReachesDatabase(const OdbcSession& session, Database& db);

// Makes the tables, indexes and views of `scripts` on the session's database
// in its dialect, then copies into each table the scripts make the rows of
// `db` it lacks: a row counts as there when a row with the same primary key
// (every column, for a table without one) is. Rows already there are left as
// they are, so a second call changes nothing. Raises err::kDatabase from
// kOdbcSource naming the script and statement the dialect or the server
// could not make, or the table whose rows could not be added.
void MakeAccountTables(OdbcSession& session, Database& db,
                       const std::vector<SchemaScript>& scripts);

}  // namespace orb::refhost
