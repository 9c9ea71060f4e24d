#include "bills/process/proc_oper_ext.h"

#include "frame/error_trap.h"
#include "host/platform.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/field_access.h"
#include "services/language.h"

namespace orb {

void ProcOperExt::ClearEntry2(bool bForce) {
  TrapQuietly([&] {
    const BillInterfacePtr bill = m_BillInterface.Get();
    if (!bForce && !TextOf(GetFieldFLD(bill, "FItemID_2", 1)).empty() &&
        ShowMessage(LoadTVString("录入的源单据号不存在，是否清空备料记录？"), mb::kYesNo) ==
            mb::kNo) {
      return;
    }
    BlankEntryRows(bill, 2);
  });
}

void ProcOperExt::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
