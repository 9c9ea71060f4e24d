// The reference host's own tables (refhost/schema/system.sql): t_User,
// t_UserRight, t_UserLog and t_TaskLock, and the t_BillClass rows of the
// bill templates built into the host.
#pragma once

#include "refhost/sqlite_database.h"

namespace orb::refhost {

// Creates the host's tables and indexes that the database lacks; existing
// tables and their rows are left as they are.
void InstallSystemSchema(Database& db);

}  // namespace orb::refhost
