// The value layer every handler leans on: dictionary look-ups by key (letter
// case ignored) and the number-to-text conversion of the runtime.
#include <benchmark/benchmark.h>

#include <string>

#include "host/convert.h"
#include "host/dictionary.h"

namespace {

// A value record and a field-information dictionary are a dozen keys; a head
// page is a few dozen. The look-up is a linear scan with case folding.
void BM_DictionaryGet(benchmark::State& state) {
  orb::Dictionary d;
  const int n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i) d.Set("FField" + std::to_string(i), orb::Variant(i));
  const std::string last = "ffield" + std::to_string(n - 1);
  for (auto _ : state) benchmark::DoNotOptimize(d.Get(last));
}
BENCHMARK(BM_DictionaryGet)->Arg(4)->Arg(12)->Arg(48);

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
