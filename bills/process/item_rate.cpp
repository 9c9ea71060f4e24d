#include "bills/process/item_rate.h"

#include "frame/error_trap.h"
#include "host/convert.h"

namespace orb {

void CItemRate::Show(const ObjectPtr& oBillInterface) {
  if (!oBillInterface) return;
  const std::string type = UCase(oBillInterface->TypeName());
  if (type == UCase("BillEvent")) {
    m_Bill.Set(std::dynamic_pointer_cast<BillInterface>(oBillInterface));
  } else if (type == UCase("ListEvents")) {
    m_List.Set(std::dynamic_pointer_cast<ListInterface>(oBillInterface));
  }
}

void CItemRate::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
