// Scenarios: a bill, a database, a sequence of user actions and events, and
// what each step must show, send and leave behind.
//
// A scenario file is JSON (docs/scenarios.md describes every key). The runner
// plays it on a fresh database with the plug-in it names, checks every
// expectation and reports each mismatch as expected versus actual.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orb::refhost {

struct ScenarioOptions {
  // Where the database lives: ":memory:" (default) or a file path. A file is
  // emptied of the scenario's tables first.
  std::string database = ":memory:";
  // When set, a readable account of each step is written here.
  std::ostream* narrate = nullptr;
  // When set, the transcript is written here as JSON lines.
  std::ostream* transcript = nullptr;
  // When set ("en", "chs"), the login's language instead of the scenario's.
  // Messages and log lines then come in that language, so their expectations
  // (written in the scenario's language) are not checked; all others are.
  std::string language;
  // When set, an ODBC connection string: the plug-ins' statements run through
  // it (see Host::UseOdbc). For the SQLite ODBC driver it names the same file
  // as `database`.
  std::string odbc;
};

struct ScenarioResult {
  std::string file;
  std::string name;
  int steps = 0;
  // One line per mismatch or error: "step 3 (click mnuEditCheck): messages: ...".
  std::vector<std::string> failures;
  bool Passed() const { return failures.empty(); }
};

// Runs the scenario in `path`. Errors in the file itself (bad JSON, an unknown
// step, a field the template lacks) are reported as failures, never thrown.
ScenarioResult RunScenarioFile(const std::string& path, const ScenarioOptions& options);

// Runs a parsed scenario; `baseDir` resolves the files it names.
ScenarioResult RunScenario(const nlohmann::json& scenario, const std::string& baseDir,
                           const ScenarioOptions& options);

}  // namespace orb::refhost
