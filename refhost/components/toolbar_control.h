// "OrbBar.ActiveBar": the host's toolbar control, as a library's form holds
// it. It starts empty; the form creates its tools and inserts them.
#pragma once

#include <memory>
#include <string>

#include "host/components.h"
#include "refhost/toolbar.h"

namespace orb::refhost {

class HostToolbarControl : public ToolbarControl {
 public:
  HostToolbarControl() : bar_(std::make_shared<Toolbar>()) {}

  ToolsPtr GetTools() override { return bar_->GetTools(); }
  // Raises error 5 naming the band: the control starts without bands.
  BandPtr Bands(const std::string& name) override { return bar_->Bands(name); }
  void RecalcLayout() override { bar_->RecalcLayout(); }
  // A visible, enabled tool with no caption.
  ToolPtr CreateTool(const std::string& name) override;

  const Toolbar& Bar() const { return *bar_; }

 private:
  std::shared_ptr<Toolbar> bar_;
};

}  // namespace orb::refhost
