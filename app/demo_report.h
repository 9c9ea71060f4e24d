// The readable account `gmpbill demo` prints: for each step what the user did
// and what changed (messages, the bill's status, fields, locks, grids, toolbar
// states, user-log lines and the bills written to the database), then a
// summary of each scenario. Every text goes through the host's catalog, so the
// account reads in the login's language.
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/demo_changes.h"
#include "refhost/scenario.h"

namespace orb::gmpbill {

struct ReportStyle {
  // ANSI colours for bill and status changes (only for a terminal).
  bool colour = false;
  // Every record of each step as well (writes of unchanged values, statements,
  // events, component calls), for integrators.
  bool verbose = false;
};

class DemoReport : public refhost::ScenarioObserver {
 public:
  DemoReport(std::ostream& out, ReportStyle style);
  ~DemoReport() override;

  // The database file the next scenario plays on, as the user should type it.
  void SetDatabase(std::string shown) { database_ = std::move(shown); }

  void Opened(const nlohmann::json& scenario, refhost::Host& host,
              const refhost::Bill& bill) override;
  void StepStarting(int index, const nlohmann::json& step, refhost::Host& host,
                    const refhost::Bill& bill) override;
  void StepDone(int index, const nlohmann::json& step, const std::string& error,
                refhost::Host& host, const refhost::Bill& bill) override;
  void Finished(refhost::Host& host, const refhost::Bill& bill) override;

 private:
  // A bill written during the scenario, for the summary.
  struct Touched {
    WrittenBill bill;
    bool created = false, changed = false, deleted = false;
  };
  std::string Tr(const std::string& text, const std::vector<std::string>& args = {}) const;
  std::string Paint(const std::string& text, const char* colour) const;
  void Line(int indent, const std::string& text, const char* colour = nullptr);
  std::string StepLabel(const nlohmann::json& step, const WindowState& after) const;
  std::string ToolName(const nlohmann::json& tools, const std::string& key) const;
  std::string ValueWithDisplay(const nlohmann::json& value, const std::string& display) const;
  std::string StatusName(const WindowState& state) const;
  void PrintMessages(size_t from);
  void PrintStatus(const nlohmann::json& step, const WindowState& after);
  void PrintFields(const nlohmann::json& step, size_t from, const WindowState& after);
  void PrintLocksAndGrids(const WindowState& after);
  void PrintTools(const WindowState& after);
  void PrintLogAndActions(size_t from);
  void PrintDatabase();
  void PrintVerbose(size_t from);

  std::ostream& out_;
  ReportStyle style_;
  std::string database_;
  refhost::Host* host_ = nullptr;
  const refhost::Bill* bill_ = nullptr;
  std::unique_ptr<RowWatch> rows_;
  WindowState before_;
  size_t mark_ = 0;
  std::vector<Touched> touched_;
  int logLines_ = 0;
};

// `gmpbill demo`: plays the demo scenarios built into the host. Returns the
// exit code (0 when every scenario met its expectations, 1 when not, 2 for a
// bad command line).
int RunDemo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The demo database of one scenario: `base` with the scenario's name before
// its extension ("gmpbill-demo.db", "demo/batch_package.json" ->
// "gmpbill-demo-batch_package.db"), so each scenario's bills stay to be read.
std::string ScenarioDatabase(const std::string& base, const std::string& scenarioFile);

}  // namespace orb::gmpbill
