// Loading a saved bill whose lines look up their item and unit, against one
// raw joined statement that reads the same lines with the same numbers and
// names, side by side, per line: 100, 1k and 10k lines over 200 items.
#include <sqlite3.h>

#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"

namespace orb::bench {
namespace {

constexpr int kItems = 200;

std::shared_ptr<refhost::Database> InstructionDatabase(int lines) {
  auto db = DatabaseWith({"schema/erp.sql", "schema/batch_package.sql"});
  db->Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10) "
      "INSERT INTO t_MeasureUnit (FItemID, FMeasureUnitID, FUnitGroupID, FNumber, FName) "
      "SELECT i, i, 1, 'U' || i, 'Unit ' || i FROM n");
  db->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(kItems) +
           ") INSERT INTO t_ICItem (FItemID, FNumber, FName) SELECT i, 'M' || i, 'Item ' || i "
           "FROM n");
  db->Exec(
      "INSERT INTO gmpbatchpacket (FID, FBillNo, FBillStatus, FItemID, FBatchNo, FQty) "
      "VALUES (1, 'BP0001', 1049, 1, '240501', 12500)");
  db->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(lines) +
           ") INSERT INTO gmpbatchpacketEntry (FID, FEntryID, FItemID, FUnitID, FQty, FNote) "
           "SELECT 1, i, (i * 37) % " +
           std::to_string(kItems) + " + 1, i % 10 + 1, i * 1.5, 'line ' || i FROM n");
  return db;
}

constexpr const char* kJoined =
    "SELECT e.FEntryID, e.FItemID, i.FNumber, i.FName, e.FUnitID, u.FNumber, u.FName, e.FQty, "
    "e.FNote FROM gmpbatchpacketEntry e LEFT JOIN t_ICItem i ON i.FItemID = e.FItemID "
    "LEFT JOIN t_MeasureUnit u ON u.FItemID = e.FUnitID WHERE e.FID = ? ORDER BY e.FEntryID";

void BM_BillLoadVsJoinedStatement(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  auto db = InstructionDatabase(lines);
  refhost::Host host(db);
  host.Install();
  auto tpl = std::make_shared<const refhost::BillTemplate>(
      refhost::BillTemplate::LoadEmbedded("templates/batch_package.json"));
  auto bill = std::make_shared<refhost::Bill>(host, tpl);

  size_t rawBytes = 0;
  auto raw = [&] {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db->Handle(), kJoined, -1, &stmt, nullptr);
    sqlite3_bind_int(stmt, 1, 1);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < 9; ++c) {
        if (sqlite3_column_type(stmt, c) == SQLITE_TEXT) rawBytes += sqlite3_column_bytes(stmt, c);
      }
    }
    sqlite3_finalize(stmt);
  };
  auto orb = [&] {
    bill->Load(1);
    host.Log().Clear();
  };
  SideBySide(
      state, [] {}, raw, orb, lines);
  auto page = bill->Data()->GetVector("page2");
  if (!page || page->Size() != lines) state.SkipWithError("the bill did not load every line");
  benchmark::DoNotOptimize(rawBytes);
}

}  // namespace
}  // namespace orb::bench

BENCHMARK(orb::bench::BM_BillLoadVsJoinedStatement)
    ->Arg(100)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Unit(benchmark::kMillisecond);
