// "OrbDisplayer.DispBuilder": gathers lines and shows them in one message box.
#pragma once

#include <string>
#include <vector>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostDispBuilder : public DispBuilder, private ComponentBase {
 public:
  explicit HostDispBuilder(Host& host);
  void AddLine(const std::string& line) override;
  // Shows the lines gathered since the last Show, joined by CR LF, in an
  // information box titled in the host's language.
  void Show() override;

 private:
  std::vector<std::string> lines_;
};

}  // namespace orb::refhost
