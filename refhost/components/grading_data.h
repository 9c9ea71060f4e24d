// "OrbMQMGrading.CGetGradingData": the records of a query on the host's
// database, each answering GetValue(column, 0).
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostGradingData : public GradingData, private ComponentBase {
 public:
  explicit HostGradingData(Host& host);

  // Runs `sql` as the connection component does (the same dialect); nullptr
  // when the statement fails or yields no columns.
  VectorPtr GetData(const std::string& props, const std::string& sql) override;
};

}  // namespace orb::refhost
