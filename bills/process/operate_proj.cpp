#include "bills/process/operate_proj.h"

#include "frame/error_trap.h"
#include "services/bill_check.h"
#include "services/menu_state.h"

namespace orb {

void OperateProj::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] { HandleCheckToolClick(m_BillInterface.Get(), tool, 0, cancel); });
}

void OperateProj::BarInitialize(const ActiveBarPtr& bar) {
  TrapQuietly([&] { ShowCheckTools(m_BillInterface.Get(), bar); });
}

void OperateProj::AfterLoadBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void OperateProj::AfterNewBill() {
  TrapQuietly([&] { SetCheckMenuState(m_BillInterface.Get(), true); });
}

void OperateProj::BeforLoadBillFillData() {
  TrapQuietly([&] {
    CaptureSavedStatus();
    ApplyBillStatus(IsSchemeAudited());
  });
}

bool OperateProj::IsSchemeAudited() {
  return HeadCheckerID(m_BillInterface.Get()) != 0;
}

}  // namespace orb
