#include "refhost/components/disp_builder.h"

#include "host/platform.h"
#include "refhost/components/res_loader.h"
#include "refhost/host.h"

namespace orb::refhost {

HostDispBuilder::HostDispBuilder(Host& host) : ComponentBase(host, progid::kDispBuilder) {}

void HostDispBuilder::AddLine(const std::string& line) {
  if (Enter("AddLine", {line})) return;
  lines_.push_back(line);
}

void HostDispBuilder::Show() {
  if (Enter("Show")) return;
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  lines_.clear();
  host_.MsgBox(text, mb::kInformation, Translate("OrbHYManufacture", host_.Language(), "澜帆提示"));
}

}  // namespace orb::refhost
