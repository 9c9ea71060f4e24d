#include "refhost/components/toolbar_control.h"

namespace orb::refhost {

ToolPtr HostToolbarControl::CreateTool(const std::string& name) {
  return std::make_shared<HostTool>(name, "");
}

}  // namespace orb::refhost
