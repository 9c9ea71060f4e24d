// gmpbill: the command-line program of the reference host.
//
//   gmpbill classes            lists the ProgIDs of the plug-in classes
//   gmpbill run SCENARIO...    runs scenario files and checks their expectations
//   gmpbill demo               plays the bundled example scenarios on a demo database
//   gmpbill serve              serves the bills in a web page
//   gmpbill verify-log         checks the hash chain of a database's user log
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/demo_report.h"
#include "app/serve/web_server.h"
#include "app/verify_log.h"
#include "frame/registry.h"
#include "frame/version.h"
#include "host/automation_error.h"
#include "refhost/embedded.h"
#include "refhost/scenario.h"
#include "refhost/scratch_database.h"

namespace {

const char* kUsage =
    "usage: gmpbill <command> [options]\n"
    "\n"
    "commands:\n"
    "  run       run scenario files and check their expectations\n"
    "  demo      play the bundled example scenarios on a demo database\n"
    "  classes   list the ProgIDs of the plug-in classes\n"
    "  serve     serve the bills in a web page on 127.0.0.1\n"
    "  verify-log  check that the user log of a database was not altered\n"
    "\n"
    "Run 'gmpbill <command> --help' for the options of a command.\n";

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int Classes(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << "usage: gmpbill classes\n\nLists the ProgID of every plug-in class the "
                 "library registers, one per line.\n";
    return 0;
  }
  if (!args.empty()) {
    std::cerr << "gmpbill classes: unexpected argument '" << args.front() << "'\n";
    return 2;
  }
  for (const auto& id : orb::PluginProgIds()) std::cout << id << "\n";
  return 0;
}

// Claims the database path of a run; false, with the reason on stderr, when
// the path holds something the program did not make or another run uses it.
bool ClaimDatabase(const char* command, const std::string& path,
                   std::unique_ptr<orb::refhost::ScratchDatabase>& scratch) {
  std::string error;
  scratch = std::make_unique<orb::refhost::ScratchDatabase>(path, error);
  if (scratch->Held()) return true;
  std::cerr << "gmpbill " << command << ": " << error << "\n";
  scratch.reset();
  return false;
}

// Makes the claimed database anew; false, with the reason on stderr, when it
// cannot.
bool ResetDatabase(const char* command, orb::refhost::ScratchDatabase& scratch) {
  try {
    scratch.Reset();
    return true;
  } catch (const orb::AutomationError& e) {
    std::cerr << "gmpbill " << command << ": " << e.Description() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "gmpbill " << command << ": " << e.what() << "\n";
  }
  return false;
}

// Prints one line per failure and a closing count; returns the exit code.
int Report(const std::vector<orb::refhost::ScenarioResult>& results) {
  int passed = 0;
  int failed = 0;
  for (const auto& r : results) {
    if (r.Passed()) {
      ++passed;
      std::cout << "PASS " << r.file << " (" << r.name << ")\n";
    } else {
      ++failed;
      std::cout << "FAIL " << r.file << " (" << r.name << ")\n";
      for (const auto& f : r.failures) std::cout << "  " << f << "\n";
    }
  }
  std::cout << "scenarios: " << passed << " passed, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}

int Run(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << "usage: gmpbill run [--transcript] [--database PATH] [--odbc CONN]\n"
                 "                   SCENARIO...\n\n"
                 "Runs each scenario file on a fresh database and checks its expectations;\n"
                 "exits 1 when any expectation is not met.\n\n"
                 "  --transcript     print each scenario's transcript as JSON lines\n"
                 "  --database PATH  keep the database in PATH instead of memory\n"
                 "  --odbc CONN      run the plug-ins' statements through ODBC with this\n"
                 "                   connection string (see docs/odbc.md)\n";
    return 0;
  }
  orb::refhost::ScenarioOptions options;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--transcript") {
      options.transcript = &std::cout;
    } else if (args[i] == "--database" && i + 1 < args.size()) {
      options.database = args[++i];
    } else if (args[i] == "--odbc" && i + 1 < args.size()) {
      options.odbc = args[++i];
    } else if (!args[i].empty() && args[i][0] == '-') {
      std::cerr << "gmpbill run: unknown option '" << args[i] << "'\n";
      return 2;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) {
    std::cerr << "gmpbill run: name at least one scenario file\n";
    return 2;
  }
  std::unique_ptr<orb::refhost::ScratchDatabase> scratch;
  if (options.database != ":memory:" && !ClaimDatabase("run", options.database, scratch)) return 2;
  std::vector<orb::refhost::ScenarioResult> results;
  for (const auto& f : files) {
    if (scratch && !ResetDatabase("run", *scratch)) return 2;
    results.push_back(orb::refhost::RunScenarioFile(f, options));
  }
  return Report(results);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args.front() == "--help" || args.front() == "-h" || args.front() == "help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args.front() == "--version") {
    // The program is the library's: it answers with the version of the
    // library it has loaded.
    if (args.size() > 1) {
      std::cerr << "gmpbill --version: unexpected argument '" << args[1] << "'\n";
      return 2;
    }
    std::cout << "gmpbill " << orb::LibraryVersion() << "\n";
    return 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "classes") return Classes(args);
  if (command == "run") return Run(args);
  if (command == "demo") return orb::gmpbill::RunDemo(args, std::cout, std::cerr);
  if (command == "serve") return orb::serve::ServeCommand(args);
  if (command == "verify-log") return VerifyLogCommand(args);
  std::cerr << "gmpbill: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
