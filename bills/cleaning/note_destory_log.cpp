#include "bills/cleaning/note_destory_log.h"

#include "frame/error_trap.h"

namespace orb {

void NoteDestoryLog::BeforLoadBillFillData() {
  TrapQuietly([&] { CaptureSavedStatus(); });
}

}  // namespace orb
