// The plug-in base classes.
//
// A plug-in is created by ProgID, shown a host interface with Show, and from
// then on receives that interface's events. BillPlugin binds a bill interface
// (its `m_BillInterface` member); StatusBillPlugin adds the saved bill status,
// -1 until the first BeforLoadBillFillData captures the bill control's status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/connections.h"
#include "host/bill_interface.h"
#include "host/object.h"

namespace orb {

class Plugin : public Object {
 public:
  std::string TypeName() const override { return className_; }
  // Binds the plug-in to the host interface it serves.
  virtual void Show(const ObjectPtr& oBillInterface) = 0;

 protected:
  explicit Plugin(std::string className) : className_(std::move(className)) {}

 private:
  std::string className_;
};

using PluginPtr = std::shared_ptr<Plugin>;

class BillPlugin : public Plugin, protected BillEvents {
 public:
  // Stores the bill interface and starts event delivery; any other object
  // (or Nothing) leaves the plug-in unbound. Raises nothing.
  void Show(const ObjectPtr& oBillInterface) override;

  // The bound bill interface (nullptr when none); for hosts and tests.
  const BillInterfacePtr& BoundBill() const { return m_BillInterface.Get(); }

 protected:
  explicit BillPlugin(std::string className)
      : Plugin(std::move(className)), m_BillInterface(*this) {}

  BillConnection m_BillInterface;
};

class StatusBillPlugin : public BillPlugin {
 public:
  int32_t SavedBillStatus() const { return m_lBillStatus; }

 protected:
  explicit StatusBillPlugin(std::string className) : BillPlugin(std::move(className)) {}

  // Takes the bill control's BillStatus when nothing has been captured yet.
  void CaptureSavedStatus();
  // Captures the status (if needed), then sets the bill control's BillStatus to
  // 0 while `forced` holds and back to the captured value otherwise.
  void ApplyBillStatus(bool forced);

  int32_t m_lBillStatus = -1;
};

}  // namespace orb
