#include "refhost/toolbar.h"

#include <algorithm>

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb::refhost {

namespace {
constexpr const char* kSource = "ActiveBar";

ToolPtr CopyOf(const Tool& tool) {
  auto copy =
      std::make_shared<HostTool>(tool.Name(), tool.Caption(), tool.Visible(), tool.Enabled());
  copy->SetPicture(tool.GetPicture());
  return copy;
}
}  // namespace

int32_t ToolCollection::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < tools_.size(); ++i) {
    if (SameText(tools_[i]->Name(), name)) return static_cast<int32_t>(i);
  }
  return -1;
}

ToolPtr ToolCollection::Item(const std::string& name) const {
  int32_t i = IndexOf(name);
  return i < 0 ? nullptr : tools_[i];
}

ToolPtr ToolCollection::ItemAt(int32_t index) const {
  if (index < 1 || index > Count()) Raise(err::kSubscript, kSource, "Subscript out of range");
  return tools_[index - 1];
}

ToolPtr ToolCollection::Insert(int32_t position, const ToolPtr& tool) {
  if (!tool) Raise(err::kObjectNotSet, kSource, "Object variable not set");
  ToolPtr held;
  int32_t existing = IndexOf(tool->Name());
  if (existing >= 0) {
    held = tools_[existing];
    tools_.erase(tools_.begin() + existing);
  } else if (auto owner = owner_.lock()) {
    held = owner->Item(tool->Name());
    if (!held) {
      held = CopyOf(*tool);
      owner->Append(held);
    }
  } else {
    held = CopyOf(*tool);
  }
  size_t at = static_cast<size_t>(std::clamp<int32_t>(position, 0, Count()));
  tools_.insert(tools_.begin() + static_cast<std::ptrdiff_t>(at), held);
  return held;
}

Toolbar::Toolbar() : tools_(std::make_shared<ToolCollection>()) {}

std::shared_ptr<Toolbar> Toolbar::Build(const std::vector<std::string>& bands,
                                        const std::vector<ToolDefinition>& tools) {
  auto bar = std::make_shared<Toolbar>();
  for (const auto& band : bands) bar->AddBand(band);
  for (const auto& def : tools) {
    auto tool = std::make_shared<HostTool>(def.key, def.caption, def.visible, def.enabled);
    bar->tools_->Append(tool);
    for (const auto& band : def.bands) {
      auto b = bar->FindBand(band);
      if (!b) b = bar->AddBand(band);
      std::static_pointer_cast<ToolCollection>(b->GetTools())->Append(tool);
    }
  }
  return bar;
}

std::shared_ptr<HostBand> Toolbar::FindBand(const std::string& name) const {
  for (const auto& b : bands_) {
    if (SameText(b->Name(), name)) return b;
  }
  return nullptr;
}

std::shared_ptr<HostBand> Toolbar::AddBand(const std::string& name) {
  if (auto b = FindBand(name)) return b;
  bands_.push_back(std::make_shared<HostBand>(name, std::make_shared<ToolCollection>(tools_)));
  return bands_.back();
}

BandPtr Toolbar::Bands(const std::string& name) {
  auto b = FindBand(name);
  if (!b) Raise(err::kInvalidCall, kSource, "The toolbar has no band '" + name + "'");
  return b;
}

nlohmann::json Toolbar::Snapshot() const {
  nlohmann::json tools = nlohmann::json::object();
  for (const auto& t : tools_->Items()) {
    tools[t->Name()] = {
        {"caption", t->Caption()}, {"visible", t->Visible()}, {"enabled", t->Enabled()}};
  }
  nlohmann::json bands = nlohmann::json::object();
  for (const auto& b : bands_) {
    nlohmann::json keys = nlohmann::json::array();
    for (const auto& t : b->ToolList().Items()) keys.push_back(t->Name());
    bands[b->Name()] = keys;
  }
  return {{"tools", tools}, {"bands", bands}};
}

std::optional<nlohmann::json> ClickRefusal(const Tool& tool) {
  if (tool.Visible() && tool.Enabled()) return std::nullopt;
  return nlohmann::json{{"name", "click refused"},
                        {"tool", tool.Name()},
                        {"visible", tool.Visible()},
                        {"enabled", tool.Enabled()}};
}

}  // namespace orb::refhost
