// What a step of the demo changed: the bill window before and after it, and
// the database rows it wrote, told by bill rather than by statement.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct sqlite3;

namespace orb::refhost {
class Bill;
class BillTemplate;
class Database;
}  // namespace orb::refhost

namespace orb::gmpbill {

// The bill window as the user sees it: the bill's snapshot and the display
// text of every field that has one ("FKey" for the head, "FKey[2]" for row 2
// of the field's page).
struct WindowState {
  nlohmann::json snapshot;
  std::map<std::string, std::string> display;
};
WindowState CaptureWindow(const refhost::Bill& bill);

// A value as the printout shows it: texts as they are, whole numbers without
// a fraction, null and empty as "".
std::string ValueText(const nlohmann::json& value);

// The rows one bill (or one table, for rows no bill claims) gained, changed
// or lost.
struct WrittenBill {
  std::string name;    // the bill type's name (untranslated), "" when unknown
  std::string billNo;  // "" when unknown
  std::string table;   // the head table, or the table of rows no bill claims
  int headAdded = 0, headUpdated = 0, headDeleted = 0;
  int rowsAdded = 0, rowsUpdated = 0, rowsDeleted = 0;
  bool operator==(const WrittenBill&) const = default;
};

// Watches the rows written on a connection, keeping only what was committed:
// the changes of a transaction rolled back are dropped. Hooks are installed
// on construction and removed on destruction (when the database still lives).
class RowWatch {
 public:
  RowWatch(const std::shared_ptr<refhost::Database>& db, const refhost::BillTemplate& tpl);
  ~RowWatch();
  RowWatch(const RowWatch&) = delete;
  RowWatch& operator=(const RowWatch&) = delete;

  // The rows written since the last call, grouped by bill in the order first
  // written. The host's own bookkeeping (user log, task locks) is left out.
  std::vector<WrittenBill> Take();

 private:
  struct Change {
    std::string table;
    int op;  // SQLITE_INSERT, SQLITE_UPDATE or SQLITE_DELETE
    int64_t rowid;
  };
  // How a table's rows belong to bills.
  struct TableRole {
    bool known = false;
    bool head = false;
    std::string name;          // bill type name (heads of one class)
    std::string headTable;     // for entries: the head they link to
    std::string idColumn;      // head's id, or an entry's link to it
    std::string billNoColumn;  // heads
    bool byTranType = false;   // a stock-bill head named by its FTranType
  };
  static void OnUpdate(void* self, int op, const char* db, const char* table, long long rowid);
  static int OnCommit(void* self);
  static void OnRollback(void* self);
  const TableRole& Role(const std::string& table);
  void LoadRoles(const refhost::BillTemplate& tpl);

  std::weak_ptr<refhost::Database> database_;
  sqlite3* db_;
  std::vector<Change> pending_;
  std::vector<Change> committed_;
  std::map<std::string, TableRole> roles_;  // by lower-cased table name
  std::map<int64_t, std::string> tranTypes_;
};

}  // namespace orb::gmpbill
