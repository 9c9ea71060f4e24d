// The host's table of bill types (t_BillClass): where the bills of a class
// type are stored, for the components that read and write bills by class
// type and id.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "refhost/sqlite_database.h"

namespace orb::refhost {

struct BillClass {
  int32_t classTypeId = 0;
  std::string name;
  std::string headTable;   // the bill's id is its FID column
  std::string entryTable;  // "" when the bill has no entries; linked by FID
  std::string billNoField;
};

// The row of the class type; nullopt when there is none. A row whose table or
// column names are no plain identifiers raises err::kDatabase from `source`.
std::optional<BillClass> FindBillClass(Database& db, int32_t classTypeId,
                                       const std::string& source);

}  // namespace orb::refhost
