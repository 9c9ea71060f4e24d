#include "frame/plugin.h"

namespace orb {

void BillPlugin::Show(const ObjectPtr& oBillInterface) {
  m_BillInterface.Set(std::dynamic_pointer_cast<BillInterface>(oBillInterface));
}

void StatusBillPlugin::CaptureSavedStatus() {
  if (m_lBillStatus == -1) m_lBillStatus = m_BillInterface->BillCtl()->BillStatus();
}

void StatusBillPlugin::ApplyBillStatus(bool forced) {
  CaptureSavedStatus();
  m_BillInterface->BillCtl()->SetBillStatus(forced ? 0 : m_lBillStatus);
}

}  // namespace orb
