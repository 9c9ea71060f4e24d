#include "bills/cleaning/audit_bill.h"

#include "frame/error_trap.h"

namespace orb {

void AuditBill::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
