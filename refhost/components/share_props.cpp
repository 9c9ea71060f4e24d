#include "refhost/components/share_props.h"

#include <memory>

#include "host/convert.h"
#include "refhost/components/login_object.h"
#include "refhost/host.h"

namespace orb::refhost {

HostSharedProperties::HostSharedProperties(Host& host) : ComponentBase(host, progid::kShareProps) {}

Variant HostSharedProperties::GetProperty(uint32_t processId, const std::string& name) {
  if (Enter("GetProperty", {processId, name})) return Variant();
  if (processId != host_.ProcessId()) return Variant();
  if (SameText(name, "PropsString")) return Variant(host_.PropsString());
  if (SameText(name, kLoginObjectName)) return Variant(std::make_shared<HostLoginObject>(host_));
  return Variant();
}

}  // namespace orb::refhost
