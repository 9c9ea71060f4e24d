// `gmpbill demo`: the command line, the opening lines and the closing result.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/demo_report.h"
#include "host/automation_error.h"
#include "refhost/components/res_loader.h"
#include "refhost/embedded.h"
#include "refhost/scratch_database.h"

namespace orb::gmpbill {

namespace fs = std::filesystem;

namespace {

const char* kDemoHelp =
    "usage: gmpbill demo [--database PATH] [--language LANG] [--verbose] [--odbc CONN]\n\n"
    "Plays the bundled example scenarios, each on a demo database of its own\n"
    "made anew (by default gmpbill-demo-<scenario>.db in the current folder),\n"
    "telling for each step what changed: messages, the bill's status, fields,\n"
    "locks, toolbar states, user-log lines and the bills written.\n\n"
    "  --database PATH  name the demo databases after PATH instead\n"
    "  --language LANG  log in with this language (\"en\" or \"chs\") instead\n"
    "                   of the scenarios' own\n"
    "  --verbose        also list every write, statement, event and call\n"
    "  --odbc CONN      run the plug-ins' statements through ODBC with this\n"
    "                   connection string (see docs/odbc.md)\n";

// Colour only for a terminal that can show it.
bool ColourWanted() {
  if (!isatty(STDOUT_FILENO)) return false;
  const char* noColour = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return (noColour == nullptr || *noColour == '\0') && term != nullptr &&
         std::string(term) != "dumb";
}

}  // namespace

std::string ScenarioDatabase(const std::string& base, const std::string& scenarioFile) {
  if (base == ":memory:") return base;
  fs::path path(base);
  const std::string stem = fs::path(scenarioFile).stem().string();
  fs::path named = path;
  named.replace_filename(path.stem().string() + "-" + stem + path.extension().string());
  return named.string();
}

int RunDemo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  refhost::ScenarioOptions options;
  ReportStyle style;
  std::string base = "gmpbill-demo.db";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      out << kDemoHelp;
      return 0;
    } else if ((args[i] == "--database" || args[i] == "--language" || args[i] == "--odbc") &&
               i + 1 == args.size()) {
      err << "gmpbill demo: " << args[i] << " needs a value\n";
      return 2;
    } else if (args[i] == "--database") {
      base = args[++i];
    } else if (args[i] == "--language") {
      options.language = args[++i];
      if (options.language != "en" && options.language != "chs") {
        err << "gmpbill demo: the language is \"en\" or \"chs\", not '" << options.language
            << "'\n";
        return 2;
      }
    } else if (args[i] == "--odbc") {
      options.odbc = args[++i];
    } else if (args[i] == "--verbose") {
      style.verbose = true;
    } else {
      err << "gmpbill demo: unexpected argument '" << args[i] << "'\n";
      return 2;
    }
  }
  if (&out == &std::cout) style.colour = ColourWanted();
  // The scenarios log in with Chinese unless told otherwise.
  const std::string language = options.language.empty() ? "chs" : options.language;
  auto tr = [&](const std::string& text, const std::string& arg) {
    std::string t = refhost::Translate("RefHost", language, text);
    auto at = t.find("%1");
    return at == std::string::npos ? t : t.replace(at, 2, arg);
  };

  std::vector<const refhost::EmbeddedFile*> scenarios;
  for (const auto& file : refhost::EmbeddedFiles()) {
    if (std::string(file.name).rfind("demo/", 0) == 0) scenarios.push_back(&file);
  }
  out << tr("演示：%1 个示例场景，每个场景使用一个新建的演示数据库。",
            std::to_string(scenarios.size()))
      << "\n";

  DemoReport report(out, style);
  options.observer = &report;
  // Each demo database is made anew and thrown away on the next run: no fsync.
  options.throwAwayDatabase = true;
  std::vector<std::string> failures;
  int failed = 0;
  for (const auto* file : scenarios) {
    const std::string name(file->name);
    options.database = ScenarioDatabase(base, name);
    // Only a database this program made is replaced; the claim is held while the scenario runs.
    std::error_code ec;
    const bool existed = options.database != ":memory:" && fs::exists(options.database, ec);
    std::unique_ptr<refhost::ScratchDatabase> scratch;
    if (options.database != ":memory:") {
      std::string error;
      scratch = std::make_unique<refhost::ScratchDatabase>(options.database, error);
      if (!scratch->Held()) {
        err << "gmpbill demo: " << error << "\n";
        return 2;
      }
      try {
        scratch->Reset();
      } catch (const AutomationError& e) {
        err << "gmpbill demo: " << e.Description() << "\n";
        return 2;
      } catch (const std::exception& e) {
        err << "gmpbill demo: " << e.what() << "\n";
        return 2;
      }
    }
    report.SetDatabase(options.database);
    out << "\n"
        << tr(existed ? "重建演示数据库 %1（原文件已删除）" : "新建演示数据库 %1", options.database)
        << "\n";
    nlohmann::json scenario;
    try {
      scenario = nlohmann::json::parse(file->text);
    } catch (const std::exception& e) {
      failures.push_back(name + ": " + e.what());
      ++failed;
      continue;
    }
    auto result = refhost::RunScenario(scenario, "", options);
    if (!result.Passed()) {
      ++failed;
      for (const auto& f : result.failures) failures.push_back(name + ": " + f);
    }
  }
  out << "\n";
  if (failed == 0) {
    out << tr("演示结束：%1 个场景全部符合预期。", std::to_string(scenarios.size())) << "\n";
    return 0;
  }
  out << tr("演示结束：%1 个场景不符合预期：", std::to_string(failed)) << "\n";
  for (const auto& f : failures) out << "  " << f << "\n";
  return 1;
}

}  // namespace orb::gmpbill
