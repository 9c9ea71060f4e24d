#include "bills/process/operate_proj.h"

#include "frame/error_trap.h"
#include "services/bill_check.h"
#include "services/menu_state.h"

namespace orb {

void OperateProj::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    if (!tool) return;
    const std::string name = tool->Name();
    if (name != kToolCheck && name != kToolUnCheck) return;
    // The scheme is audited here; when that refuses or fails, the host must
    // not go on with an audit of its own.
    cancel = true;
    cancel = !(name == kToolCheck ? CheckScheme() : UnCheckScheme());
  });
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

bool OperateProj::CheckScheme() {
  return CheckBill(m_BillInterface.Get(), true, 0, 0);
}

bool OperateProj::UnCheckScheme() {
  return CheckBill(m_BillInterface.Get(), false, 0, 0);
}

bool OperateProj::IsSchemeAudited() {
  return HeadCheckerID(m_BillInterface.Get()) != 0;
}

}  // namespace orb
