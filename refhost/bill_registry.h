// The bill types the host knows: what it writes into the account database
// from a bill template so that its components (audit, delete, look-up lists,
// linking) find the type.
#pragma once

#include "refhost/bill_template.h"
#include "refhost/sqlite_database.h"

namespace orb::refhost {

// Writes the template's t_BillClass row (replacing an older one) and the rows
// of its source classes: the transaction type, the list template, the
// look-up link and the link rows. Rows the database already holds for a
// source class stay as they are, so a database can set its own. The link
// tables are created when missing; a template with list templates or
// transaction types needs the account schema (schema/erp.sql) and raises
// std::runtime_error naming the missing table otherwise.
void RegisterBillType(Database& db, const BillTemplate& tpl);

// Writes the t_BillClass row of every bill template built into the host.
void RegisterBuiltInBillClasses(Database& db);

}  // namespace orb::refhost
