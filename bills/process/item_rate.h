// CItemRate: the plug-in of the material balance yield table (物料平衡收率表).
//
// One instance serves either a bill or the bill list: Show binds a bill
// interface ("BillEvent") to m_Bill or a list interface ("ListEvents") to
// m_List, and ignores anything else.
#pragma once

#include "frame/plugin.h"
#include "host/list_interface.h"

namespace orb {

class CItemRate : public StatusBillPlugin {
 public:
  CItemRate() : StatusBillPlugin("CItemRate"), listHandlers_(*this), m_List(listHandlers_) {}
  void Show(const ObjectPtr& oBillInterface) override;

  const ListInterfacePtr& BoundList() const { return m_List.Get(); }

 protected:
  // Bill events.
  void BeforLoadBillFillData() override;

  // List events.
  virtual void m_List_BarInitialize(const ActiveBarPtr& /*bar*/) {}
  virtual void m_List_BarClick(const ToolPtr& /*tool*/, bool& /*cancel*/) {}

  // Routes the list's events to the m_List_ handlers (the bill's events of the
  // same names go to the bill handlers).
  struct ListHandlers : ListEvents {
    explicit ListHandlers(CItemRate& owner) : owner_(owner) {}
    void BarInitialize(const ActiveBarPtr& bar) override { owner_.m_List_BarInitialize(bar); }
    void BarClick(const ToolPtr& tool, bool& cancel) override {
      owner_.m_List_BarClick(tool, cancel);
    }
    CItemRate& owner_;
  };

  BillConnection& m_Bill = m_BillInterface;
  ListHandlers listHandlers_;
  ListConnection m_List;
};

}  // namespace orb
