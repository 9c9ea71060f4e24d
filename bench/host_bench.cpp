// The reference host's own costs: an event that touches no database, and
// marking rows in the list window.
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"
#include "refhost/components/list_select.h"

namespace orb::bench {
namespace {

// A plug-in that handles nothing (every handler of BillEvents is empty).
class QuietSink : public BillEvents {};

// One event raised on a plug-in that does nothing with it, recorded in the
// transcript; every 4096 events the transcript is emptied.
void BM_EventThroughHost(benchmark::State& state) {
  refhost::Host host(DatabaseWith({}));
  host.Install();
  auto tpl = std::make_shared<const refhost::BillTemplate>(
      refhost::BillTemplate::LoadEmbedded("templates/batch_package.json"));
  auto bill = std::make_shared<refhost::Bill>(host, tpl);
  QuietSink sink;
  bill->Advise(&sink);
  size_t records = 0;
  for (auto _ : state) {
    bill->RaiseNamedEvent("AfterSave");
    if (host.Log().Size() == 4096) {
      records += host.Log().Size();
      host.Log().Clear();
    }
  }
  records += host.Log().Size();
  bill->Unadvise(&sink);
  if (records != static_cast<size_t>(state.iterations()))
    state.SkipWithError("an event was not recorded");
}
BENCHMARK(BM_EventThroughHost);

// The user marks every row of a list of n rows (and a few twice).
void BM_ListMarkAll(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto db = DatabaseWith({"schema/erp.sql"});
  db->Exec(
      "CREATE TABLE BenchBill (FInterID INTEGER PRIMARY KEY, FBillNo TEXT);"
      "INSERT INTO ICTransactiontype (FID, FName, FHeadTable) VALUES (900, 'Bench', 'BenchBill');"
      "INSERT INTO ICListTemplate (FID, FName, FBillTemplateID) VALUES (900, 'Bench', 900);");
  db->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(n) + ") INSERT INTO BenchBill SELECT i, 'B' || i FROM n");
  refhost::Host host(db);
  host.Install();
  refhost::HostListSelect list(host);
  list.SetListID(900);
  list.SetSelectFlag(1);
  if (!list.Load()) {
    state.SkipWithError("the list did not load");
    return;
  }
  std::vector<int32_t> pick;
  for (int32_t row = n; row >= 1; --row) pick.push_back(row);
  for (int32_t row = 1; row <= 10 && row <= n; ++row) pick.push_back(row);
  for (auto _ : state) {
    host.User().picks.push_back(pick);
    benchmark::DoNotOptimize(list.WaitCommand());
    host.Log().Clear();
  }
  state.counters["per_row"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ListMarkAll)->Arg(1'000)->Arg(8'000)->Arg(64'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orb::bench
