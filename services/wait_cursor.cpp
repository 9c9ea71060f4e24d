#include "services/wait_cursor.h"

#include "frame/error_trap.h"
#include "host/platform.h"

namespace orb {

WaitCursor::WaitCursor() {
  count_ = 1;
  TrapQuietly([] { CurrentPlatform().SetScreenPointer(kPointerHourglass); });
}

WaitCursor::~WaitCursor() {
  count_ = 0;
  TrapQuietly([] { CurrentPlatform().SetScreenPointer(kPointerDefault); });
}

}  // namespace orb
