#include "refhost/system_schema.h"

#include <string>

#include "host/automation_error.h"
#include "refhost/bill_registry.h"
#include "refhost/embedded.h"

namespace orb::refhost {

void InstallSystemSchema(Database& db) {
  auto script = FindEmbedded("schema/system.sql");
  if (!script) Raise(err::kDatabase, kDatabaseSource, "schema/system.sql is not built in");
  db.Exec(std::string(*script));
  RegisterBuiltInBillClasses(db);
}

}  // namespace orb::refhost
