// The lot-inventory check of the scrap destruction record's save, at 10k and
// 1M icinventory rows: through the plug-in path (the connection component the
// plug-ins call, with its statement translation and log) beside the same
// statement prepared and run directly through SQLite. The lot index keeps
// both a B-tree search, so the 1M figure should stay near the 10k one.
//
// Prints, per table size, the microseconds per check of each path and their
// ratio. Usage: orb_inventory_bench [checks per size]
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/components.h"
#include "host/convert.h"
#include "host/recordset.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "services/login_context.h"
#include "services/lot_stock.h"

namespace {

using Clock = std::chrono::steady_clock;

// The batch number of the lot of row `i`.
std::string BatchOf(int i) {
  std::string batch("B");
  batch += std::to_string(i / 10000);
  return batch;
}

// Fills icinventory with `rows` lots: 100 items x 10 warehouses x 10 places,
// then batches, so every lot is distinct.
void FillInventory(sqlite3* db, int rows) {
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO ICInventory (FItemID, FStockID, FStockPlaceID, FBatchNo, "
                     "FKFDate, FKFPeriod, FQty) VALUES (?, ?, ?, ?, '2024-03-01', 730, ?)",
                     -1, &insert, nullptr);
  for (int i = 0; i < rows; ++i) {
    sqlite3_bind_int(insert, 1, 1000 + i % 100);
    sqlite3_bind_int(insert, 2, 50 + (i / 100) % 10);
    sqlite3_bind_int(insert, 3, 500 + (i / 1000) % 10);
    const std::string batch = BatchOf(i);
    sqlite3_bind_text(insert, 4, batch.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(insert, 5, 1 + i % 97);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The statement of the check for the lot of row `i`.
std::string CheckSql(int i) {
  orb::StockLot lot{orb::Variant(1000 + i % 100),        orb::Variant(50 + (i / 100) % 10),
                    orb::Variant(500 + (i / 1000) % 10), orb::Variant(BatchOf(i)),
                    orb::Variant("2024-03-01"),          orb::Variant(730)};
  return orb::LotInventorySql(" select  t1.FQty ", lot);
}

struct Figures {
  double pluginMicros = 0;
  double directMicros = 0;
};

Figures Measure(int rows, int checks) {
  orb::refhost::Host host(orb::refhost::Database::Open(":memory:"));
  host.Install();
  orb::ResetServiceCaches();
  host.Db().Exec(std::string(*orb::refhost::FindEmbedded("schema/erp.sql")));
  host.Db().Exec(
      "INSERT INTO t_ICItem (FItemID, FNumber) SELECT 1000 + value, 'I' || value "
      "FROM (WITH RECURSIVE n(value) AS (SELECT 0 UNION ALL SELECT value + 1 FROM n "
      "WHERE value < 99) SELECT value FROM n)");
  sqlite3* db = host.Db().Handle();
  FillInventory(db, rows);

  std::vector<std::string> statements;
  for (int k = 0; k < checks; ++k) statements.push_back(CheckSql((k * 7919) % rows));

  double sum = 0;
  auto start = Clock::now();
  auto connection = orb::CreateObjectAs<orb::Connection>(orb::kConnectionProgId);
  for (const auto& sql : statements) {
    orb::RecordsetPtr rs = connection->Execute(sql);
    if (rs && !rs->IsEOF()) sum += orb::Val(rs->Value("FQty"));
    host.Log().Clear();
  }
  Figures f;
  f.pluginMicros = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / checks;

  start = Clock::now();
  for (const auto& sql : statements) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW) sum -= sqlite3_column_double(stmt, 0);
    sqlite3_finalize(stmt);
  }
  f.directMicros = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / checks;
  if (sum != 0) std::fprintf(stderr, "the two paths read different quantities\n");
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int checks = argc > 1 ? std::atoi(argv[1]) : 20000;
  std::printf("%10s %14s %14s %8s\n", "rows", "plug-in us", "direct us", "ratio");
  Figures small;
  for (int rows : {10000, 1000000}) {
    const Figures f = Measure(rows, checks);
    if (rows == 10000) small = f;
    std::printf("%10d %14.2f %14.2f %8.2f\n", rows, f.pluginMicros, f.directMicros,
                f.pluginMicros / f.directMicros);
    if (rows != 10000) {
      std::printf("1M / 10k: plug-in %.2f, direct %.2f\n", f.pluginMicros / small.pluginMicros,
                  f.directMicros / small.directMicros);
    }
  }
  return 0;
}
