#include "refhost/bill_registry.h"

#include <stdexcept>
#include <string>

#include "refhost/bound_statement.h"
#include "refhost/embedded.h"

namespace orb::refhost {

namespace {

bool HasTable(Database& db, const char* table) {
  return BoundStatement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?")
             .Bind(1, Variant(table))
             .Fetch()
             ->RecordCount() > 0;
}

void RequireTable(Database& db, const BillTemplate& tpl, const char* table) {
  if (!HasTable(db, table)) {
    throw std::runtime_error("registering bill type " + std::to_string(tpl.ClassTypeId()) +
                             ": the database has no table " + table + " (schema/erp.sql)");
  }
}

void RegisterClass(Database& db, const BillTemplate& tpl) {
  BoundStatement(db,
                 "INSERT OR REPLACE INTO t_BillClass "
                 "(FClassTypeID, FName, FHeadTable, FEntryTable, FBillNoField) "
                 "VALUES (?, ?, ?, ?, ?)")
      .Bind(1, tpl.ClassTypeId())
      .Bind(2, Variant(tpl.Name()))
      .Bind(3, Variant(tpl.Head().name))
      .Bind(4, Variant(tpl.Entries().empty() ? std::string() : tpl.Entries().front().name))
      .Bind(5, Variant(tpl.Head().billNoColumn))
      .Run();
}

void RegisterSource(Database& db, const BillTemplate& tpl, const SourceClassTemplate& src) {
  if (!src.headTable.empty()) {
    RequireTable(db, tpl, "ICTransactiontype");
    BoundStatement(db,
                   "INSERT OR IGNORE INTO ICTransactiontype (FID, FName, FHeadTable, FEntryTable) "
                   "VALUES (?, ?, ?, ?)")
        .Bind(1, src.classTypeId)
        .Bind(2, Variant(src.name))
        .Bind(3, Variant(src.headTable))
        .Bind(4, Variant(src.entryTable))
        .Run();
  }
  if (src.listId != 0) {
    RequireTable(db, tpl, "ICListTemplate");
    BoundStatement(db,
                   "INSERT OR IGNORE INTO ICListTemplate (FID, FName, FBillTemplateID, FFilter) "
                   "VALUES (?, ?, ?, ?)")
        .Bind(1, src.listId)
        .Bind(2, Variant(src.listName))
        .Bind(3, src.classTypeId)
        .Bind(4, Variant(src.listFilter))
        .Run();
  }
  if (!src.lookupKey.empty()) {
    BoundStatement(db,
                   "INSERT OR IGNORE INTO t_ClassLinkLookup "
                   "(FDestClassTypeID, FLookupKey, FSrcClassTypeID) VALUES (?, ?, ?)")
        .Bind(1, tpl.ClassTypeId())
        .Bind(2, Variant(src.lookupKey))
        .Bind(3, src.classTypeId)
        .Run();
  }
  for (const auto& [key, column] : src.links) {
    BoundStatement(db,
                   "INSERT OR IGNORE INTO t_ClassLink "
                   "(FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField) VALUES (?, ?, ?, ?)")
        .Bind(1, src.classTypeId)
        .Bind(2, tpl.ClassTypeId())
        .Bind(3, Variant(key))
        .Bind(4, Variant(column))
        .Run();
  }
}

}  // namespace

void RegisterBillType(Database& db, const BillTemplate& tpl) {
  RegisterClass(db, tpl);
  if (tpl.SourceClasses().empty()) return;
  if (auto links = FindEmbedded("schema/link.sql")) db.Exec(std::string(*links));
  for (const auto& src : tpl.SourceClasses()) RegisterSource(db, tpl, src);
}

void RegisterBuiltInBillClasses(Database& db) {
  for (const auto& file : EmbeddedFiles()) {
    if (file.name.rfind("templates/", 0) != 0) continue;
    RegisterClass(db, BillTemplate::Parse(std::string(file.text), std::string(file.name)));
  }
}

}  // namespace orb::refhost
