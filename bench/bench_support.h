// What the benchmarks share: a host on a database made from the built-in
// schemas, and the side-by-side timing of the raw SQLite path and the path
// through this system.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "refhost/host.h"
#include "refhost/sqlite_database.h"

namespace orb::bench {

// A new in-memory database with the named built-in scripts run on it
// ("schema/erp.sql", ...).
std::shared_ptr<refhost::Database> DatabaseWith(const std::vector<std::string>& scripts);

// The CPU time of the calling thread: on a shared machine it leaves out the
// time other processes hold the cores.
struct ThreadCpuClock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<ThreadCpuClock>;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(duration(static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec));
  }
};

// Per iteration: `next` (untimed) prepares the input, then `raw` and `orb` run
// once each, alternating which goes first. Reports their mean times per
// iteration divided by `perItems` ("raw_us", "orb_us") and "ratio" = orb / raw,
// in thread CPU time, or in wall time with Clock = std::chrono::steady_clock
// (where waiting for the disk is the point).
template <class Clock = ThreadCpuClock, class Next, class Raw, class Orb>
void SideBySide(benchmark::State& state, Next&& next, Raw&& raw, Orb&& orb, double perItems = 1) {
  double rawNs = 0;
  double orbNs = 0;
  bool rawFirst = true;
  for (auto _ : state) {
    next();
    auto t0 = Clock::now();
    if (rawFirst)
      raw();
    else
      orb();
    auto t1 = Clock::now();
    if (rawFirst)
      orb();
    else
      raw();
    auto t2 = Clock::now();
    const double first = std::chrono::duration<double, std::nano>(t1 - t0).count();
    const double second = std::chrono::duration<double, std::nano>(t2 - t1).count();
    rawNs += rawFirst ? first : second;
    orbNs += rawFirst ? second : first;
    rawFirst = !rawFirst;
  }
  const double n = static_cast<double>(state.iterations()) * perItems;
  if (n <= 0 || rawNs <= 0) return;
  state.counters["raw_us"] = rawNs / n / 1000;
  state.counters["orb_us"] = orbNs / n / 1000;
  state.counters["ratio"] = orbNs / rawNs;
}

}  // namespace orb::bench
