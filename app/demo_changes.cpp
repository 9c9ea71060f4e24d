#include "app/demo_changes.h"

#include <sqlite3.h>

#include <cmath>
#include <set>
#include <utility>

#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"
#include "refhost/data_service.h"
#include "refhost/sqlite_database.h"
#include "refhost/variant_json.h"

namespace orb::gmpbill {

using nlohmann::json;

namespace {

// The host's own bookkeeping (user log, task locks, bill class of each id),
// not a bill's rows.
const std::set<std::string> kBookkeeping = {"t_userlog", "t_tasklock", "icclassgroupinfo"};

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The first row of a statement with one bound value, by lower-cased column
// name; empty when there is no row or the statement cannot run. Read straight
// from SQLite, so the host's transcript and faults do not see it.
std::map<std::string, json> ReadRow(sqlite3* db, const std::string& sql, const json& param) {
  std::map<std::string, json> row;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return row;
  }
  if (param.is_number_integer()) {
    sqlite3_bind_int64(stmt, 1, param.get<int64_t>());
  } else if (param.is_number()) {
    sqlite3_bind_double(stmt, 1, param.get<double>());
  } else if (param.is_string()) {
    const auto& text = param.get_ref<const std::string&>();
    sqlite3_bind_text(stmt, 1, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  if (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      std::string name = LCase(sqlite3_column_name(stmt, i));
      switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
          row[name] = static_cast<int64_t>(sqlite3_column_int64(stmt, i));
          break;
        case SQLITE_FLOAT:
          row[name] = sqlite3_column_double(stmt, i);
          break;
        case SQLITE_NULL:
          row[name] = nullptr;
          break;
        default:
          row[name] = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
      }
    }
  }
  sqlite3_finalize(stmt);
  return row;
}

// Every row of a statement without parameters, as lists of column values.
std::vector<std::vector<json>> ReadRows(sqlite3* db, const std::string& sql) {
  std::vector<std::vector<json>> rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<json> row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        if (sqlite3_column_type(stmt, i) == SQLITE_INTEGER) {
          row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(stmt, i)));
        } else {
          const unsigned char* text = sqlite3_column_text(stmt, i);
          row.emplace_back(text ? std::string(reinterpret_cast<const char*>(text)) : "");
        }
      }
      rows.push_back(std::move(row));
    }
  }
  sqlite3_finalize(stmt);
  return rows;
}

bool HasTable(sqlite3* db, const std::string& name) {
  return !ReadRow(db,
                  "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                  json(name))
              .empty();
}

json Column(const std::map<std::string, json>& row, const std::string& name) {
  auto it = row.find(LCase(name));
  return it == row.end() ? json() : it->second;
}

}  // namespace

std::string ValueText(const json& value) {
  if (value.is_null()) return "";
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  if (value.is_number_float()) {
    double d = value.get<double>();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15) {
      return std::to_string(static_cast<int64_t>(d));
    }
    return CStr(Variant(d));
  }
  return value.dump();
}

WindowState CaptureWindow(const refhost::Bill& bill) {
  WindowState state;
  state.snapshot = bill.Snapshot();
  const auto& tpl = bill.Template();
  for (int32_t page = 1; page <= tpl.PageCount(); ++page) {
    const int32_t rows = page == 1 ? 1 : bill.RowCount(page);
    for (int32_t row = page == 1 ? 0 : 1; row <= (page == 1 ? 0 : rows); ++row) {
      for (const auto& f : tpl.Page(page)->fields) {
        DictionaryPtr record = bill.ValueRecord(f.key, row);
        if (!record) continue;
        std::string text = refhost::DisplayText(record->Get("FDSP"));
        if (text.empty()) continue;
        state.display[page == 1 ? f.key : f.key + "[" + std::to_string(row) + "]"] = text;
      }
    }
  }
  return state;
}

// ---- RowWatch ------------------------------------------------------------------

RowWatch::RowWatch(const std::shared_ptr<refhost::Database>& db, const refhost::BillTemplate& tpl)
    : database_(db), db_(db->Handle()) {
  LoadRoles(tpl);
  sqlite3_update_hook(db_, &RowWatch::OnUpdate, this);
  sqlite3_commit_hook(db_, &RowWatch::OnCommit, this);
  sqlite3_rollback_hook(db_, &RowWatch::OnRollback, this);
}

RowWatch::~RowWatch() {
  if (database_.expired()) return;  // the connection is closed, and its hooks with it
  sqlite3_update_hook(db_, nullptr, nullptr);
  sqlite3_commit_hook(db_, nullptr, nullptr);
  sqlite3_rollback_hook(db_, nullptr, nullptr);
}

void RowWatch::OnUpdate(void* self, int op, const char*, const char* table, long long rowid) {
  static_cast<RowWatch*>(self)->pending_.push_back({table ? table : "", op, rowid});
}

int RowWatch::OnCommit(void* self) {
  auto* watch = static_cast<RowWatch*>(self);
  for (auto& c : watch->pending_) watch->committed_.push_back(std::move(c));
  watch->pending_.clear();
  return 0;  // let the commit go on
}

void RowWatch::OnRollback(void* self) {
  static_cast<RowWatch*>(self)->pending_.clear();
}

void RowWatch::LoadRoles(const refhost::BillTemplate& tpl) {
  auto addHead = [&](const std::string& table, TableRole role) {
    role.known = role.head = true;
    roles_.emplace(LCase(table), std::move(role));
  };
  auto addEntry = [&](const std::string& table, const std::string& head, const std::string& link) {
    TableRole role;
    role.known = true;
    role.headTable = LCase(head);
    role.idColumn = link;
    roles_.emplace(LCase(table), std::move(role));
  };
  // The bill in the window comes first: its template knows its tables best.
  addHead(tpl.Head().name,
          {true, true, tpl.Name(), "", tpl.Head().idColumn, tpl.Head().billNoColumn, false});
  for (const auto& e : tpl.Entries()) addEntry(e.name, tpl.Head().name, e.idColumn);
  // The host's other bill classes: entry rows link to the head by FID.
  if (HasTable(db_, "t_BillClass")) {
    for (const auto& r : ReadRows(db_,
                                  "SELECT FName, FHeadTable, FEntryTable, FBillNoField "
                                  "FROM t_BillClass ORDER BY FClassTypeID")) {
      const std::string head = ValueText(r[1]);
      addHead(head, {true, true, ValueText(r[0]), "", "FID", ValueText(r[3]), false});
      if (!ValueText(r[2]).empty()) addEntry(ValueText(r[2]), head, "FID");
    }
  }
  // Stock bills: one head table for many transaction types, told by FTranType.
  if (HasTable(db_, "ICTransactiontype")) {
    for (const auto& r :
         ReadRows(db_, "SELECT FID, FName, FHeadTable, FEntryTable FROM ICTransactiontype")) {
      if (r[0].is_number_integer()) tranTypes_[r[0].get<int64_t>()] = ValueText(r[1]);
      const std::string head = ValueText(r[2]);
      if (head.empty()) continue;
      addHead(head, {true, true, "", "", "FInterID", "FBillNo", true});
      if (!ValueText(r[3]).empty()) addEntry(ValueText(r[3]), head, "FInterID");
    }
  }
}

const RowWatch::TableRole& RowWatch::Role(const std::string& table) {
  return roles_[LCase(table)];
}

std::vector<WrittenBill> RowWatch::Take() {
  // The net effect on each row, in the order rows were first written.
  struct Net {
    std::string table;
    int64_t rowid;
    int first, last;
  };
  std::vector<Net> nets;
  std::map<std::pair<std::string, int64_t>, size_t> index;
  for (const auto& c : committed_) {
    auto key = std::make_pair(LCase(c.table), c.rowid);
    auto it = index.find(key);
    if (it == index.end()) {
      index[key] = nets.size();
      nets.push_back({c.table, c.rowid, c.op, c.op});
    } else {
      nets[it->second].last = c.op;
    }
  }
  committed_.clear();

  std::vector<WrittenBill> bills;
  std::map<std::pair<std::string, std::string>, size_t> byBill;
  auto billOf = [&](const std::string& table, const std::string& name, const std::string& no) {
    auto key = std::make_pair(LCase(table), no);
    auto it = byBill.find(key);
    if (it != byBill.end()) return &bills[it->second];
    byBill[key] = bills.size();
    bills.push_back({name, no, table});
    return &bills.back();
  };
  // Deleted entry rows can no longer be read: they go to the one bill of
  // their head table written in the same step, else to an unnumbered one.
  std::vector<std::pair<std::string, int>> orphanDeletes;

  for (const auto& n : nets) {
    if (kBookkeeping.count(LCase(n.table))) continue;
    int op;
    if (n.first == SQLITE_INSERT) {
      if (n.last == SQLITE_DELETE) continue;
      op = SQLITE_INSERT;
    } else if (n.first == SQLITE_UPDATE) {
      op = n.last == SQLITE_DELETE ? SQLITE_DELETE : SQLITE_UPDATE;
    } else {
      op = n.last == SQLITE_INSERT ? SQLITE_UPDATE : SQLITE_DELETE;
    }
    std::map<std::string, json> row;
    if (op != SQLITE_DELETE) {
      row = ReadRow(db_, "SELECT * FROM " + Quoted(n.table) + " WHERE rowid = ?", json(n.rowid));
      // Gone again: undone by a rollback to a savepoint, which no hook reports.
      if (row.empty()) continue;
    }
    const TableRole role = Role(n.table);
    auto count = [op](int& added, int& updated, int& deleted) {
      (op == SQLITE_INSERT ? added : op == SQLITE_UPDATE ? updated : deleted)++;
    };
    if (!role.known) {
      WrittenBill* b = billOf(n.table, "", "");
      count(b->rowsAdded, b->rowsUpdated, b->rowsDeleted);
    } else if (role.head) {
      std::string name = role.name;
      if (role.byTranType) {
        json type = Column(row, "FTranType");
        if (type.is_number_integer()) name = tranTypes_[type.get<int64_t>()];
      }
      WrittenBill* b = billOf(n.table, name, ValueText(Column(row, role.billNoColumn)));
      count(b->headAdded, b->headUpdated, b->headDeleted);
    } else if (op == SQLITE_DELETE) {
      orphanDeletes.emplace_back(role.headTable, 1);
    } else {
      const TableRole& head = Role(role.headTable);
      auto headRow = ReadRow(
          db_,
          "SELECT * FROM " + Quoted(role.headTable) + " WHERE " + Quoted(head.idColumn) + " = ?",
          Column(row, role.idColumn));
      std::string name = head.name;
      if (head.byTranType) {
        json type = Column(headRow, "FTranType");
        if (type.is_number_integer()) name = tranTypes_[type.get<int64_t>()];
      }
      WrittenBill* b = billOf(role.headTable, name, ValueText(Column(headRow, head.billNoColumn)));
      count(b->rowsAdded, b->rowsUpdated, b->rowsDeleted);
    }
  }
  for (const auto& [headTable, n] : orphanDeletes) {
    WrittenBill* owner = nullptr;
    int owners = 0;
    for (auto& b : bills) {
      if (LCase(b.table) == headTable) {
        owner = &b;
        ++owners;
      }
    }
    if (owners != 1) owner = billOf(headTable, Role(headTable).name, "");
    owner->rowsDeleted += n;
  }
  return bills;
}

}  // namespace orb::gmpbill
