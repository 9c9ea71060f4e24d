// The host's toolbar control: a collection of tools and named bands, each
// band holding tools of its own. Plug-ins insert template tools, show, hide,
// enable and disable them by key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/object.h"

namespace orb {

class ORB_HOST_API Tool : public Object {
 public:
  std::string TypeName() const override { return "Tool"; }
  virtual std::string Name() const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // The tool's picture, or nullptr when it has none.
  virtual ObjectPtr GetPicture() const = 0;
  virtual void SetPicture(ObjectPtr picture) = 0;
};

using ToolPtr = std::shared_ptr<Tool>;

class ORB_HOST_API Tools : public Object {
 public:
  std::string TypeName() const override { return "Tools"; }
  virtual int32_t Count() const = 0;
  // The tool of that name (any letter case); nullptr when there is none.
  virtual ToolPtr Item(const std::string& name) const = 0;
  // 1-based.
  virtual ToolPtr ItemAt(int32_t index) const = 0;
  // Inserts the tool at the 0-based position (clamped to the end) and returns
  // the tool as the collection holds it.
  virtual ToolPtr Insert(int32_t position, const ToolPtr& tool) = 0;
};

using ToolsPtr = std::shared_ptr<Tools>;

class ORB_HOST_API Band : public Object {
 public:
  std::string TypeName() const override { return "Band"; }
  virtual std::string Name() const = 0;
  virtual ToolsPtr GetTools() = 0;
};

using BandPtr = std::shared_ptr<Band>;

class ORB_HOST_API ActiveBar : public Object {
 public:
  std::string TypeName() const override { return "ActiveBar"; }
  virtual ToolsPtr GetTools() = 0;
  // The band of that name; raises an automation error when there is none.
  virtual BandPtr Bands(const std::string& name) = 0;
  virtual void RecalcLayout() = 0;
};

using ActiveBarPtr = std::shared_ptr<ActiveBar>;

}  // namespace orb
