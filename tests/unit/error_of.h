// The automation error number a call raises, for tests.
#pragma once

#include <cstdint>

#include "host/automation_error.h"

namespace orb {

// The number of the automation error f() raises; 0 when it raises none.
template <class F>
int32_t ErrorOf(F f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace orb
