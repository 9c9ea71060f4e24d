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

class Bill;
class Host;

// Follows a scenario as it plays, for a readable account of it. Each call
// comes on the scenario's own thread while its host and bill are alive.
class ScenarioObserver {
 public:
  virtual ~ScenarioObserver() = default;
  // The bill window is open; the steps' records start after this.
  virtual void Opened(const nlohmann::json& scenario, Host& host, const Bill& bill) = 0;
  // Step `index` (from 1) is about to run.
  virtual void StepStarting(int index, const nlohmann::json& step, Host& host,
                            const Bill& bill) = 0;
  // Step `index` has run (or stopped on an error, `error` then says which).
  virtual void StepDone(int index, const nlohmann::json& step, const std::string& error, Host& host,
                        const Bill& bill) = 0;
  // Every step has run.
  virtual void Finished(Host& host, const Bill& bill) = 0;
};

struct ScenarioOptions {
  // Where the database lives: ":memory:" (default) or a file path. A file is
  // emptied of the scenario's tables first.
  std::string database = ":memory:";
  // When set, told of the opening and of every step.
  ScenarioObserver* observer = nullptr;
  // The database file is made anew for this run and thrown away after it (the
  // demo): its writes are not flushed to the disk (no fsync), so a power cut
  // may lose it. Transactions still commit or roll back as a whole.
  bool throwAwayDatabase = false;
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
