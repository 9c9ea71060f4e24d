// The value layer every handler leans on: dictionaries by key (letter case
// ignored), records made from recordset rows, and the number-to-text
// conversion of the runtime. Building and reading must stay linear: the
// per-key and per-cell figures should not grow with the size.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "host/convert.h"
#include "host/dictionary.h"
#include "host/recordset.h"
#include "services/field_access.h"

namespace {

// A value record and a field-information dictionary are a dozen keys; a head
// page is a few dozen.
void BM_DictionaryGet(benchmark::State& state) {
  orb::Dictionary d;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) d.Set("FField" + std::to_string(i), orb::Variant(i));
  const std::string last = "ffield" + std::to_string(n - 1);
  for (auto _ : state) benchmark::DoNotOptimize(d.Get(last));
}
BENCHMARK(BM_DictionaryGet)->Arg(4)->Arg(12)->Arg(48);

// n keys set, then each read back in another letter case.
void BM_DictionaryBuild(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::string> keys;
  std::vector<std::string> upper;
  for (int i = 0; i < n; ++i) {
    keys.push_back("FField" + std::to_string(i));
    upper.push_back(orb::UCase(keys.back()));
  }
  for (auto _ : state) {
    orb::Dictionary d;
    for (int i = 0; i < n; ++i) d.Set(keys[i], orb::Variant(i));
    for (int i = 0; i < n; ++i) benchmark::DoNotOptimize(d.Get(upper[i]));
  }
  state.counters["per_key"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DictionaryBuild)->Arg(8)->Arg(64)->Arg(512)->Arg(4096);

// RecordsetToVector over 100 rows of 10, 40 and 160 columns.
void BM_RecordsetToVector(benchmark::State& state) {
  const int columns = static_cast<int>(state.range(0));
  constexpr int kRows = 100;
  std::vector<std::string> names;
  for (int c = 0; c < columns; ++c) names.push_back("FColumn" + std::to_string(c));
  std::vector<std::vector<orb::Variant>> rows(kRows);
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < columns; ++c) rows[r].emplace_back(r * columns + c);
  }
  auto rs = std::make_shared<orb::MemoryRecordset>(names, rows);
  for (auto _ : state) {
    rs->MoveFirst();
    benchmark::DoNotOptimize(orb::RecordsetToVector(rs));
  }
  state.counters["per_cell"] = benchmark::Counter(
      kRows * columns, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RecordsetToVector)->Arg(10)->Arg(40)->Arg(160);

void BM_CStrDouble(benchmark::State& state) {
  double x = 0.1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(orb::CStr(orb::Variant(x)));
    x += 1.37;
  }
}
BENCHMARK(BM_CStrDouble);

void BM_ValText(benchmark::State& state) {
  const orb::Variant text(std::string("  12345.678 kg"));
  for (auto _ : state) benchmark::DoNotOptimize(orb::Val(text));
}
BENCHMARK(BM_ValText);

}  // namespace
