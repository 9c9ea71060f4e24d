// "OrbMClass.ClassUpdate": the host's deletion of a bill by class type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

// The error number of a refused deletion (an application-defined automation error).
inline constexpr int32_t kClassUpdateRefused = -2147220991;

class HostClassUpdate : public ClassUpdate, private ComponentBase {
 public:
  explicit HostClassUpdate(Host& host);

  // values: the class type, the bill's id, then values this host does not
  // read. Deletes the bill's head row and its entry rows in one transaction:
  // t_BillClass names the tables of a GMP bill, ICTransactiontype those of a
  // stock bill (keyed by FInterID), whose class type is its transaction type. A bill that does not
  // exist or is audited raises kClassUpdateRefused with the reason; nothing is deleted then.
  void DeleteBill(const std::string& props, const std::vector<Variant>& values) override;
};

}  // namespace orb::refhost
