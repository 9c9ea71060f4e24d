// "OrbMQMDataAccess.cBillSimpleCheck": the host's audit and release of a bill.
//
// Auditing writes the auditor (the login's "UserID") into the head table's
// FCheckerID and today's date into FCheckDate; unauditing clears them.
// Releasing moves a planned bill (FBillStatus 1049, no FReleaseID) to 1050
// and gives it the next release number in FReleaseID; unreleasing moves a
// released bill back to 1049 and clears FReleaseID. The head table of the
// class type comes from t_BillClass. Each call is one transaction. A bill in
// the wrong state is refused with its reason in the request's "ReturnString";
// success puts the success text there.
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
  // request: "BillClassTypeID", "InterID", "CheckSwitch" (0 release, 1
  // unrelease), "ReturnString". True when the bill was released or unreleased.
  bool ReleaseBill(const std::string& props, const DictionaryPtr& request) override;
};

}  // namespace orb::refhost
