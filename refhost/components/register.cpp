#include "refhost/components/register.h"

#include <memory>

#include "host/recordset.h"
#include "refhost/host.h"
#include "refhost/sqlite_connection.h"

namespace orb::refhost {

void RegisterHostComponents(Host& host) {
  ComponentFactory& f = host.Factory();
  f.Register(kConnectionProgId,
             [&host] { return std::make_shared<SqliteConnection>(host.DbPtr()); });
}

}  // namespace orb::refhost
