// The fault sweep: every step of the scenario files that writes to the
// database is played again with a fault at each statement and at each
// outside-component call in turn. Each run must leave the database as it was
// before the step or as the step without a fault leaves it, and a run that
// leaves it unchanged must show the user something (a message or a cancel)
// that the run without a fault did not, and never the step's success message.
//
//   orb_fault_sweep DIR...   sweeps the *.json scenarios of each folder
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/convert.h"
#include "refhost/scenario.h"
#include "refhost/sqlite_database.h"

namespace fs = std::filesystem;
using nlohmann::json;
using orb::refhost::Database;

namespace {

// Components every message or text touches; their faults are the language
// loader's business, not the step's.
const std::set<std::string> kAmbient = {"PropsMgr.ShareProps", "OrbResLoader.Loader",
                                        "OrbLangInfo.LangInfo", "FrmRes.FrmResLoader"};

// Members that return nothing: a "fail" fault makes them do nothing without
// a sign the caller could see, which is the component's business.
const std::set<std::string> kNoResult = {"ZADUVAvuz.GLData.WriteLog"};

// Statements faulted per step at most; a step's own statements come first.
constexpr int kMaxStatements = 40;

struct Outcome {
  std::string database;     // every table's rows, dates and hashes left out
  std::string withoutLog;   // the same without the user log
  std::string withoutLock;  // the same without the task locks
  std::vector<json> step;   // transcript records of the last step
};

bool EndsWithDateOrTime(const std::string& column) {
  std::string lower = column;
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto ends = [&](const std::string& tail) {
    return lower.size() >= tail.size() &&
           lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
  };
  return ends("date") || ends("time");
}

std::string DumpDatabase(const std::string& path, bool withLog, bool withLock = true) {
  auto db = Database::Open(path);
  std::string out;
  auto tables = db->Query(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
      "ORDER BY name");
  std::vector<std::string> names;
  for (; tables && !tables->IsEOF(); tables->MoveNext())
    names.push_back(tables->Value(0).AsString());
  for (const auto& table : names) {
    if (!withLog && table == "t_UserLog") continue;
    if (!withLock && table == "t_TaskLock") continue;
    auto rows = db->Query("SELECT * FROM \"" + table + "\" ORDER BY rowid");
    out += "[" + table + "]\n";
    for (; rows && !rows->IsEOF(); rows->MoveNext()) {
      for (int32_t i = 0; i < rows->FieldCount(); ++i) {
        const std::string column = rows->FieldName(i);
        // Dates and times are stamped with the clock ("getdate()"), which moves between runs.
        if (column == "FHash" || EndsWithDateOrTime(column)) continue;
        const auto v = rows->Value(i);
        out += v.IsNull()     ? "null"
               : v.IsString() ? "'" + v.AsString() + "'"
                              : std::to_string(v.IsEmpty() ? 0.0 : orb::CDbl(v));
        out += ",";
      }
      out += "\n";
    }
  }
  return out;
}

std::vector<json> Records(const std::string& lines) {
  std::vector<json> records;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] != '{') continue;
    json r = json::parse(line, nullptr, false);
    if (r.is_discarded() || r.value("kind", "") == "snapshot" || r.value("kind", "") == "pointer")
      continue;
    records.push_back(r);
  }
  return records;
}

class Sweeper {
 public:
  Sweeper(const std::string& file, const json& scenario, const std::string& dbPath)
      : file_(file),
        baseDir_(fs::path(file).parent_path().string()),
        scenario_(scenario),
        dbPath_(dbPath) {
    for (auto& step : scenario_["steps"]) step.erase("expect");
  }

  // Plays steps [0, count) with `faults` added to the last; the transcript
  // records after those of the steps before it and the database after it.
  Outcome Play(size_t count, const json& faults = json::array()) {
    json s = scenario_;
    json steps = json::array();
    for (size_t i = 0; i < count; ++i) steps.push_back(scenario_["steps"][i]);
    if (count > 0 && !faults.empty()) {
      // The step's own faults (a refusal it shows on purpose) stay; the swept one joins them.
      json& own = steps[count - 1]["faults"];
      if (!own.is_array()) own = json::array();
      for (const auto& f : faults) own.push_back(f);
    }
    s["steps"] = steps;
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(dbPath_ + suffix, ec);
    std::ostringstream transcript;
    orb::refhost::ScenarioOptions options;
    options.database = dbPath_;
    options.transcript = &transcript;
    auto result = orb::refhost::RunScenario(s, baseDir_, options);
    if (getenv("ORB_SWEEP_DEBUG"))
      for (const auto& f : result.failures) std::cerr << file_ << ": " << f << "\n";
    Outcome outcome;
    outcome.database = DumpDatabase(dbPath_, true);
    outcome.withoutLog = DumpDatabase(dbPath_, false);
    outcome.withoutLock = DumpDatabase(dbPath_, true, false);
    outcome.step = Records(transcript.str());
    return outcome;
  }

  int SweepStep(size_t index, const Outcome& before, const Outcome& done) {
    if (before.database == done.database) return 0;  // the step writes nothing
    const size_t skip = before.step.size();
    const std::vector<json> clean(done.step.begin() + std::min(skip, done.step.size()),
                                  done.step.end());
    ++flows_;

    int failures = 0;
    auto check = [&](const json& fault, const std::string& label) {
      Outcome o = Play(index + 1, json::array({fault}));
      std::vector<json> got(o.step.begin() + std::min(skip, o.step.size()), o.step.end());
      ++runs_;
      if (o.database == done.database) {
        // Complete: the fault did not fire (the step has fewer statements)
        // or did not matter, when the user saw what the clean run showed.
        return !Surfaced(got, clean);
      }
      std::string problem;
      const bool releaseFault = fault.value("match", "").find(".CommitTask") != std::string::npos;
      if (releaseFault && o.withoutLock == done.withoutLock) {
        // The step was done but its task lock could not be released: the lock stays until
        // its holder is gone, and the user must be told.
        if (!Surfaced(got, clean)) problem = "a lock left held was not reported";
      } else if (o.withoutLog == done.withoutLog) {
        // The step was done but its log line could not be written: the user
        // must be told.
        if (!Surfaced(got, clean)) problem = "a missing log line was not reported";
      } else if (o.database != before.database) {
        // A statement a plug-in sends after the host committed its save (the packing
        // record's product rate) cannot share the save's transaction: its failure must be
        // told, and the saved bill stays.
        // The same holds for a second failure while a step undoes its own first one (a
        // generated bill removed after the audit failed): what is left must be told.
        const bool secondFault = scenario_["steps"][index].contains("faults");
        if (!((CommittedSave(got) || secondFault) && Surfaced(got, clean))) {
          problem = "the database was left half-written";
        }
      } else if (!Surfaced(got, clean)) {
        problem = "nothing was shown to the user";
      } else if (ShowsSuccess(got, clean)) {
        problem = "the step's success message was shown";
      }
      if (!problem.empty()) {
        ++failures;
        std::cout << "FAIL " << file_ << " step " << index + 1 << " " << label << ": " << problem
                  << "\n";
      }
      return false;
    };

    // A fault at each statement in turn, until one no longer fires.
    for (int nth = 1; nth <= kMaxStatements; ++nth) {
      if (check(json{{"target", "sql"}, {"nth", nth}}, "statement " + std::to_string(nth))) break;
    }
    // A fault at each outside-component member the step calls.
    std::set<std::string> members;
    for (const auto& r : clean) {
      if (r.value("kind", "") != "call") continue;
      const std::string component = r.value("component", "");
      if (kAmbient.count(component)) continue;
      members.insert(component + "." + r.value("member", ""));
    }
    for (const auto& member : members) {
      for (const char* mode : {"raise", "fail"}) {
        if (std::string(mode) == "fail" && kNoResult.count(member)) continue;
        check(json{{"target", "call"}, {"match", member}, {"mode", mode}},
              std::string(mode) + " " + member);
      }
    }
    return failures;
  }

  int Sweep() {
    int failures = 0;
    // The database after step i is the one before step i + 1.
    Outcome before = Play(0);
    for (size_t i = 0; i < scenario_["steps"].size(); ++i) {
      Outcome done = Play(i + 1);
      failures += SweepStep(i, before, done);
      before = std::move(done);
    }
    return failures;
  }

  int flows_ = 0;
  int runs_ = 0;

 private:
  static std::vector<json> OfKind(const std::vector<json>& records, const std::string& kind) {
    std::vector<json> out;
    for (const auto& r : records)
      if (r.value("kind", "") == kind) out.push_back(r);
    return out;
  }
  static bool Cancelled(const std::vector<json>& records) {
    for (const auto& r : OfKind(records, "event"))
      if (r.value("cancel", false)) return true;
    return false;
  }
  // The user saw something the run without a fault did not show.
  // True when the host's own save committed during the run.
  static bool CommittedSave(const std::vector<json>& got) {
    return std::any_of(got.begin(), got.end(), [](const json& r) {
      return r.value("kind", "") == "action" && r.value("name", "") == "save";
    });
  }

  static bool Surfaced(const std::vector<json>& got, const std::vector<json>& clean) {
    auto texts = [](const std::vector<json>& records) {
      std::vector<std::string> out;
      for (const auto& m : OfKind(records, "message")) out.push_back(m.value("text", ""));
      return out;
    };
    return texts(got) != texts(clean) || (Cancelled(got) && !Cancelled(clean));
  }
  // The last message of the run without a fault, when it is no question, is
  // the step's report of success.
  static bool ShowsSuccess(const std::vector<json>& got, const std::vector<json>& clean) {
    auto messages = OfKind(clean, "message");
    if (messages.empty()) return false;
    const json& last = messages.back();
    if ((last.value("style", 0) & 4) != 0) return false;
    for (const auto& m : OfKind(got, "message"))
      if (m.value("text", "") == last.value("text", "")) return true;
    return false;
  }

  std::string file_;
  std::string baseDir_;
  json scenario_;
  std::string dbPath_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : fs::directory_iterator(argv[i]))
      if (entry.path().extension() == ".json") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  const std::string dbPath =
      ((fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
       ("orb_fault_sweep_" + std::to_string(getpid()) + ".db"))
          .string();
  int failures = 0;
  int flows = 0;
  int runs = 0;
  for (const auto& file : files) {
    std::ifstream in(file);
    json scenario = json::parse(in, nullptr, false);
    if (scenario.is_discarded() || !scenario.contains("steps")) continue;
    Sweeper sweeper(file, scenario, dbPath);
    failures += sweeper.Sweep();
    flows += sweeper.flows_;
    runs += sweeper.runs_;
  }
  std::error_code ec;
  fs::remove(dbPath, ec);
  std::cout << "fault sweep: " << flows << " write steps, " << runs << " faulted runs\n";
  std::cout << "fault sweep: " << (runs - failures) << " passed, " << failures << " failed\n";
  return failures == 0 && flows > 0 ? 0 : 1;
}
