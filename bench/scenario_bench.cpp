// A whole scenario: the bill built from its template, the plug-in created,
// every step played against an in-memory database and checked.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "refhost/embedded.h"
#include "refhost/scenario.h"

namespace {

void BM_DemoScenario(benchmark::State& state) {
  auto text = orb::refhost::FindEmbedded("demo/operate_proj.json");
  if (!text) {
    state.SkipWithError("the demo scenario is not built in");
    return;
  }
  const nlohmann::json scenario = nlohmann::json::parse(*text);
  orb::refhost::ScenarioOptions options;
  for (auto _ : state) {
    auto result = orb::refhost::RunScenario(scenario, "", options);
    if (!result.Passed()) state.SkipWithError(result.failures.front().c_str());
  }
}
BENCHMARK(BM_DemoScenario)->Unit(benchmark::kMillisecond);

}  // namespace
