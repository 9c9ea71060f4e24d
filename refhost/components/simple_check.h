// "OrbMQMDataAccess.cBillSimpleCheck": the host's audit of a bill.
//
// Auditing writes the auditor (the login's "UserID") into the head table's
// FCheckerID and today's date into FCheckDate; unauditing clears them. The
// head table of the class type comes from t_BillClass. A bill in the wrong
// state is refused with its reason in the request's "ReturnString"; success
// puts the success text there.
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostSimpleCheck : public SimpleCheck, private ComponentBase {
 public:
  explicit HostSimpleCheck(Host& host);

  // request: "BillClassTypeid", "InterID", "CheckSwitch" (0 audit, 1
  // unaudit), "ReturnString". True when the bill was audited or unaudited.
  bool CheckBill(const std::string& props, const DictionaryPtr& request) override;
  // Not offered by this host: false with "not supported".
  bool ReleaseBill(const std::string& props, const DictionaryPtr& request) override;
};

}  // namespace orb::refhost
