// A plug-in's statement through the connection component against the same
// statement run directly on SQLite (prepare, step, finalize), side by side:
// the stock check of a scrap destruction line on a stock table of 10k and 1M
// lots, its rows read by field name as a plug-in reads them.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "refhost/sqlite_connection.h"

namespace orb::bench {
namespace {

constexpr const char* kCrLf = "\r\n";

// Lot i: item i % 1000 + 1, warehouse i / 1000 % 10 + 1, batch "B" i.
std::shared_ptr<refhost::Database> StockDatabase(int lots) {
  static std::map<int, std::shared_ptr<refhost::Database>> made;
  auto& db = made[lots];
  if (db) return db;
  db = DatabaseWith({"schema/erp.sql"});
  db->Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
      "INSERT INTO t_ICItem (FItemID, FNumber, FName) SELECT i, 'M' || i, 'Item ' || i FROM n");
  db->Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(lots - 1) +
           ") INSERT INTO ICInventory (FItemID, FStockID, FStockPlaceID, FBatchNo, FKFDate, "
           "FKFPeriod, FQty) SELECT i % 1000 + 1, i / 1000 % 10 + 1, 0, 'B' || i, '2024-05-01', "
           "730, i * 0.5 FROM n");
  return db;
}

std::string StockCheck(int lot) {
  const int item = lot % 1000 + 1;
  const int stock = lot / 1000 % 10 + 1;
  return std::string(" select  t1.FQty ") + kCrLf + " from icinventory  t1 " + kCrLf +
         " inner join t_icitem t4 on t1.FItemID = t4.FItemID " + kCrLf +
         " where t1.FItemID = " + std::to_string(item) + kCrLf +
         " and t1.FStockID = " + std::to_string(stock) + kCrLf + " and t1.FStockPlaceId = 0" +
         kCrLf + " and t1.FBatchNo = 'B" + std::to_string(lot) + "'" + kCrLf +
         " and t1.FKFDate = '2024-05-01'" + kCrLf + " and t1.FKFPeriod = 730";
}

void BM_StockCheckVsRawSqlite(benchmark::State& state) {
  const int lots = static_cast<int>(state.range(0));
  auto db = StockDatabase(lots);
  refhost::Host host(db);
  host.Install();
  int lot = 0;
  double rawSum = 0;
  double orbSum = 0;
  std::string sql;
  auto raw = [&] {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db->Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) rawSum += sqlite3_column_double(stmt, 0);
    sqlite3_finalize(stmt);
  };
  auto orb = [&] {
    RecordsetPtr rs = CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
    if (rs && rs->RecordCount() > 0) {
      for (; !rs->IsEOF(); rs->MoveNext()) orbSum += CDbl(rs->Value("FQty"));
    }
    if (host.Log().Size() > 4096) host.Log().Clear();
  };
  // A different lot each time, the same for both paths.
  auto next = [&] { sql = StockCheck(lot = (lot * 7919 + 13) % lots); };
  SideBySide(state, next, raw, orb);
  if (rawSum != orbSum) state.SkipWithError("the two paths read different quantities");
}

void BM_TranslateTSql(benchmark::State& state) {
  const std::string plain = StockCheck(1234);
  const std::string withRewrite =
      "select isnull(FQty, 0) from icinventory where FKFDate < getdate()";
  const std::string& sql = state.range(0) == 0 ? plain : withRewrite;
  for (auto _ : state) benchmark::DoNotOptimize(refhost::TranslateTSql(sql));
  state.SetLabel(state.range(0) == 0 ? "nothing to rewrite" : "two rewrites");
}

}  // namespace
}  // namespace orb::bench

BENCHMARK(orb::bench::BM_StockCheckVsRawSqlite)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(orb::bench::BM_TranslateTSql)->Arg(0)->Arg(1);
