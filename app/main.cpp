// gmpbill: the command-line program of the reference host.
//
//   gmpbill classes            lists the ProgIDs of the plug-in classes
//   gmpbill run SCENARIO...    runs scenario files and checks their expectations
//   gmpbill demo               plays the bundled example scenarios on a demo database
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <filesystem>
#include <fstream>

#include "frame/registry.h"
#include "refhost/embedded.h"
#include "refhost/scenario.h"

namespace {

const char* kUsage =
    "usage: gmpbill <command> [options]\n"
    "\n"
    "commands:\n"
    "  run       run scenario files and check their expectations\n"
    "  demo      play the bundled example scenarios on a demo database\n"
    "  classes   list the ProgIDs of the plug-in classes\n"
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
  std::vector<orb::refhost::ScenarioResult> results;
  for (const auto& f : files) {
    if (options.database != ":memory:") std::filesystem::remove(options.database);
    results.push_back(orb::refhost::RunScenarioFile(f, options));
  }
  return Report(results);
}

int Demo(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << "usage: gmpbill demo [--database PATH] [--language LANG] [--odbc CONN]\n\n"
                 "Plays the bundled example scenarios on a demo database (by default\n"
                 "gmpbill-demo.db in the current folder, made anew for each scenario),\n"
                 "telling each step: the action, the messages and the toolbar changes.\n\n"
                 "  --language LANG  log in with this language (\"en\" or \"chs\") instead\n"
                 "                   of the scenarios' own\n"
                 "  --odbc CONN      run the plug-ins' statements through ODBC with this\n"
                 "                   connection string (see docs/odbc.md)\n";
    return 0;
  }
  orb::refhost::ScenarioOptions options;
  options.database = "gmpbill-demo.db";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--database" && i + 1 < args.size()) {
      options.database = args[++i];
    } else if (args[i] == "--language" && i + 1 < args.size()) {
      options.language = args[++i];
    } else if (args[i] == "--odbc" && i + 1 < args.size()) {
      options.odbc = args[++i];
    } else {
      std::cerr << "gmpbill demo: unexpected argument '" << args[i] << "'\n";
      return 2;
    }
  }
  options.narrate = &std::cout;
  std::vector<orb::refhost::ScenarioResult> results;
  for (const auto& file : orb::refhost::EmbeddedFiles()) {
    std::string name(file.name);
    if (name.rfind("demo/", 0) != 0) continue;
    std::filesystem::remove(options.database);
    nlohmann::json scenario = nlohmann::json::parse(file.text);
    std::cout << "\n== " << scenario.value("name", name) << "\n";
    auto result = orb::refhost::RunScenario(scenario, "", options);
    result.file = name;
    results.push_back(result);
  }
  std::cout << "\n";
  return Report(results);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args.front() == "--help" || args.front() == "-h" || args.front() == "help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "classes") return Classes(args);
  if (command == "run") return Run(args);
  if (command == "demo") return Demo(args);
  std::cerr << "gmpbill: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
