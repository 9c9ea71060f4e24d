// The demo: both built-in demo scenarios played end to end (bill built from
// its template, plug-in created, every step played and checked), in memory,
// and on a database file made anew for each scenario as `gmpbill demo` does.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "refhost/embedded.h"
#include "refhost/scenario.h"

namespace orb::bench {
namespace {

std::vector<nlohmann::json> DemoScenarios() {
  std::vector<nlohmann::json> out;
  for (const auto& file : refhost::EmbeddedFiles()) {
    if (std::string(file.name).rfind("demo/", 0) == 0)
      out.push_back(nlohmann::json::parse(file.text));
  }
  return out;
}

bool PlayAll(const std::vector<nlohmann::json>& scenarios,
             const refhost::ScenarioOptions& options) {
  bool passed = true;
  for (const auto& s : scenarios) {
    if (options.database != ":memory:") std::filesystem::remove(options.database);
    passed = refhost::RunScenario(s, "", options).Passed() && passed;
  }
  return passed;
}

void BM_DemoScenario(benchmark::State& state) {
  const auto scenarios = DemoScenarios();
  refhost::ScenarioOptions options;
  for (auto _ : state) {
    if (!PlayAll(scenarios, options)) state.SkipWithError("a demo scenario failed");
  }
}
BENCHMARK(BM_DemoScenario)->Unit(benchmark::kMillisecond)->UseRealTime();

// "raw" is the demo in memory, "orb" on its database file.
void BM_DemoOnFileVsMemory(benchmark::State& state) {
  const auto scenarios = DemoScenarios();
  refhost::ScenarioOptions memory;
  refhost::ScenarioOptions file;
  file.database = (std::filesystem::temp_directory_path() / "orb-bench-demo.db").string();
  file.throwAwayDatabase = true;
  bool passed = true;
  SideBySide<std::chrono::steady_clock>(
      state, [] {}, [&] { passed = PlayAll(scenarios, memory) && passed; },
      [&] { passed = PlayAll(scenarios, file) && passed; }, static_cast<double>(scenarios.size()));
  std::filesystem::remove(file.database);
  if (!passed) state.SkipWithError("a demo scenario failed");
}
BENCHMARK(BM_DemoOnFileVsMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orb::bench
