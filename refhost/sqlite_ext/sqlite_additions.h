// The host's additions to SQLite, kept in one source that builds both into
// the host (the native connection) and as the loadable module "orbsqlext"
// that other SQLite clients load, such as the SQLite ODBC driver through its
// LoadExt connection option:
//
//  * the TEXTKEY collation: text keys compare ignoring ASCII letter case and
//    trailing blanks ('BP0001', 'bp0001' and 'BP0001 ' are equal);
//  * len(x): the number of characters of x without its trailing blanks, NULL
//    for NULL (SQLite's length() counts the blanks).
#pragma once

#include <sqlite3.h>

extern "C" {

// The module's entry point, named after the module file as SQLite expects.
// The host calls it directly on each database it opens (`error` and `api` may
// then be null). Returns SQLITE_OK or the failing registration's code.
int sqlite3_orbsqlext_init(sqlite3* db, char** error, const sqlite3_api_routines* api);
}
