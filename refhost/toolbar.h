// The reference host's toolbar: tools, bands and the bar that holds them.
//
// The bar keeps one Tool object per key (keys compare without regard to letter
// case); every band that shows a tool holds that same object, so a tool shown
// in the edit menu and on the tool bar has one Visible and one Enabled state.
// Inserting a tool from elsewhere (a plug-in's template bar) adds a copy of it
// to the bar; inserting it again into a band reuses the bar's copy.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/toolbar.h"

namespace orb::refhost {

// A tool as a bill template describes it.
struct ToolDefinition {
  std::string key;
  std::string caption;
  bool visible = true;
  bool enabled = true;
  // The bands showing the tool, in the template's order.
  std::vector<std::string> bands;
};

class HostTool : public Tool {
 public:
  HostTool(std::string name, std::string caption, bool visible = true, bool enabled = true)
      : name_(std::move(name)),
        caption_(std::move(caption)),
        visible_(visible),
        enabled_(enabled) {}

  std::string Name() const override { return name_; }
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  ObjectPtr GetPicture() const override { return picture_; }
  void SetPicture(ObjectPtr picture) override { picture_ = std::move(picture); }

 private:
  std::string name_;
  std::string caption_;
  bool visible_;
  bool enabled_;
  ObjectPtr picture_;
};

class ToolCollection : public Tools {
 public:
  // `owner` is the bar's own collection for a band's tools, nullptr for the bar's.
  explicit ToolCollection(std::weak_ptr<ToolCollection> owner = {}) : owner_(std::move(owner)) {}

  int32_t Count() const override { return static_cast<int32_t>(tools_.size()); }
  ToolPtr Item(const std::string& name) const override;
  ToolPtr ItemAt(int32_t index) const override;  // raises 9 out of range
  // A tool this collection already holds (by name) moves to the position; any
  // other is taken from the bar's collection, or copied into it, and inserted.
  ToolPtr Insert(int32_t position, const ToolPtr& tool) override;

  // The 0-based position of the tool, -1 when absent.
  int32_t IndexOf(const std::string& name) const;
  const std::vector<ToolPtr>& Items() const { return tools_; }
  void Append(ToolPtr tool) { tools_.push_back(std::move(tool)); }

 private:
  std::weak_ptr<ToolCollection> owner_;
  std::vector<ToolPtr> tools_;
};

class HostBand : public Band {
 public:
  HostBand(std::string name, std::shared_ptr<ToolCollection> tools)
      : name_(std::move(name)), tools_(std::move(tools)) {}
  std::string Name() const override { return name_; }
  ToolsPtr GetTools() override { return tools_; }
  const ToolCollection& ToolList() const { return *tools_; }

 private:
  std::string name_;
  std::shared_ptr<ToolCollection> tools_;
};

class Toolbar : public ActiveBar {
 public:
  Toolbar();
  // A bar with the bands named (in order) and the tools, each added to the
  // bar and to its bands; a band a tool names that is not listed is added.
  static std::shared_ptr<Toolbar> Build(const std::vector<std::string>& bands,
                                        const std::vector<ToolDefinition>& tools);

  ToolsPtr GetTools() override { return tools_; }
  // Raises error 5 naming the band when the bar has none of that name.
  BandPtr Bands(const std::string& name) override;
  void RecalcLayout() override { ++layouts_; }

  // The band of that name, nullptr when none.
  std::shared_ptr<HostBand> FindBand(const std::string& name) const;
  std::shared_ptr<HostBand> AddBand(const std::string& name);
  // The bar's tool by key, nullptr when none.
  ToolPtr FindTool(const std::string& key) const { return tools_->Item(key); }
  const ToolCollection& ToolList() const { return *tools_; }
  int32_t LayoutCount() const { return layouts_; }

  // {"tools": {key: {"caption", "visible", "enabled"}}, "bands": {band: [keys]}}
  nlohmann::json Snapshot() const;

 private:
  std::shared_ptr<ToolCollection> tools_;
  std::vector<std::shared_ptr<HostBand>> bands_;
  int32_t layouts_ = 0;
};

// A hidden or disabled tool cannot be clicked: the record the host writes
// for such a click ("click refused"), or nothing when the tool can be clicked.
std::optional<nlohmann::json> ClickRefusal(const Tool& tool);

}  // namespace orb::refhost
