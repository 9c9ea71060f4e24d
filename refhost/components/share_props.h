// "PropsMgr.ShareProps": the properties the host shares with the plug-ins of
// its own process.
#pragma once

#include <cstdint>
#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostSharedProperties : public SharedProperties, private ComponentBase {
 public:
  explicit HostSharedProperties(Host& host);

  // "PropsString": the host's login property string; "TVLogin": a login
  // object. Empty for any other name, and for a process other than the
  // host's (the properties are shared per process).
  Variant GetProperty(uint32_t processId, const std::string& name) override;
};

}  // namespace orb::refhost
