// The scrap destruction record's inventory check (the quantity of one lot),
// run on a file database three ways: raw SQLite (prepared once, stepped), the
// native connection component, and the ODBC connection component through the
// SQLite ODBC driver. The difference is the cost of each layer.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "refhost/embedded.h"
#include "refhost/odbc_connection.h"
#include "refhost/sqlite_connection.h"

namespace {

namespace fs = std::filesystem;
using orb::refhost::Database;

constexpr int kItems = 200;
constexpr int kLotsPerItem = 50;

const char* kInventoryCheck =
    " select  t1.FQty \r\n from icinventory  t1 \r\n inner join t_icitem t4 on t1.FItemID = "
    "t4.FItemID \r\n where t1.FItemID = 137\r\n and t1.FStockID = 2\r\n and t1.FStockPlaceId = "
    "0\r\n and t1.FBatchNo = 'b0031'\r\n and t1.FKFDate = '2026-03-01'\r\n and t1.FKFPeriod = 730";

// A database file with the ERP tables and kItems * kLotsPerItem lots, made once.
const std::string& InventoryFile() {
  static const std::string path = [] {
    const fs::path dir = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string p = (dir / ("orb_odbc_bench_" + std::to_string(getpid()) + ".db")).string();
    fs::remove(p);
    auto db = Database::Open(p);
    db->Exec(std::string(*orb::refhost::FindEmbedded("schema/erp.sql")));
    db->Begin();
    for (int item = 1; item <= kItems; ++item) {
      db->Exec("INSERT INTO t_ICItem (FItemID, FNumber) VALUES (" + std::to_string(item) + ", 'M" +
               std::to_string(item) + "')");
      for (int lot = 0; lot < kLotsPerItem; ++lot) {
        char batch[16];
        std::snprintf(batch, sizeof batch, "B%04d", lot);
        db->Exec(
            "INSERT INTO ICInventory (FItemID, FStockID, FBatchNo, FKFDate, FKFPeriod, FQty) "
            "VALUES (" +
            std::to_string(item) + ", 2, '" + batch + "', '2026-03-01', 730, " +
            std::to_string(lot * 1.5) + ")");
      }
    }
    db->Commit();
    std::atexit([] { fs::remove(InventoryFile()); });
    return p;
  }();
  return path;
}

void BM_InventoryCheckRawSqlite(benchmark::State& state) {
  auto db = Database::Open(InventoryFile());
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = orb::refhost::TranslateTSql(kInventoryCheck);
  sqlite3_prepare_v2(db->Handle(), sql.c_str(), -1, &stmt, nullptr);
  for (auto _ : state) {
    sqlite3_reset(stmt);
    if (sqlite3_step(stmt) != SQLITE_ROW) state.SkipWithError("no lot found");
    benchmark::DoNotOptimize(sqlite3_column_double(stmt, 0));
  }
  sqlite3_finalize(stmt);
}
BENCHMARK(BM_InventoryCheckRawSqlite)->Unit(benchmark::kMicrosecond);

void BM_InventoryCheckNative(benchmark::State& state) {
  orb::refhost::SqliteConnection conn(Database::Open(InventoryFile()));
  for (auto _ : state) {
    auto rs = conn.Execute(kInventoryCheck);
    if (!rs || rs->IsEOF()) state.SkipWithError("no lot found");
  }
}
BENCHMARK(BM_InventoryCheckNative)->Unit(benchmark::kMicrosecond);

void BM_InventoryCheckOdbc(benchmark::State& state) {
  std::shared_ptr<orb::refhost::OdbcSession> session;
  try {
    session = orb::refhost::OdbcSession::Connect("Driver=SQLite3;Database=" + InventoryFile());
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  orb::refhost::OdbcConnection conn(session);
  for (auto _ : state) {
    auto rs = conn.Execute(kInventoryCheck);
    if (!rs || rs->IsEOF()) state.SkipWithError("no lot found");
  }
}
BENCHMARK(BM_InventoryCheckOdbc)->Unit(benchmark::kMicrosecond);

}  // namespace
