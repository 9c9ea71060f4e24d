// The local switch database "RodIdorud.sss" and its connection string.
//
// The host keeps the switch database next to the program. It is reached with
// the Jet OLE DB provider strings, 3.51 first, then 4.0; the first string that
// opens the file is the one handed on.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orb {

inline constexpr const char* kSwitchDatabaseFile = "RodIdorud.sss";

// The places "RodIdorud.sss" is looked for, in order: the program folder,
// its "erpSystem" subfolder, the "erpSystem" folder beside the program folder,
// and last "erpSystem/RodIdorud.sss" relative to the working folder.
std::vector<std::string> SwitchDatabaseCandidates(const std::string& appPath);
// The first candidate that exists as a file; "" when none does.
std::string FindSwitchDatabase(const std::string& appPath);

// Tries to open a connection string; true when it opens.
using JetOpener = std::function<bool(const std::string& connectString)>;

// Our opener: accepts the Jet 3.51 and 4.0 provider strings whose "Data
// Source" is a readable SQLite database file (the host keeps the switch
// database in SQLite).
bool OpenJetDatabase(const std::string& connectString);

// The connection string of the switch database: `path` when given, else the
// file found from the program folder ("" when there is none). A read-only file
// is made writable first.
std::string GetDataConnectString(const std::optional<std::string>& path = std::nullopt);

// The first provider string for `file` that `opener` opens. When none opens,
// a message box says so and the result is "".
std::string BuildJetConnectString(const std::string& file,
                                  const JetOpener& opener = OpenJetDatabase);

}  // namespace orb
