#include "refhost/sqlite_connection.h"

namespace orb::refhost {

RecordsetPtr SqliteConnection::Execute(const std::string& sql) {
  std::string rewritten;
  const std::string& text = Dialect::Sqlite().Statement(sql, rewritten);
  if (auto hook = db_->Hook()) hook(text);  // a copy: the hook may replace itself
  return db_->Query(text, kConnectionProgId);
}

}  // namespace orb::refhost
