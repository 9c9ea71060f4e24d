#include "bills/packaging/batch_pack_log.h"

#include "frame/error_trap.h"
#include "services/entry_rows.h"

namespace orb {

void BatchPackLog::ClearEntry() {
  TrapQuietly([&] { BlankEntryRows(m_BillInterface.Get(), 2); });
}

void BatchPackLog::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
