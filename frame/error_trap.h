// Error traps.
//
// Every handler and procedure runs under a trap of its own; what the trap does
// with an error (end quietly, show a prefixed message, cancel, raise again)
// is the handler's business. Trap() runs a body and hands any error, as an
// automation error, to the handler's recovery code.
#pragma once

#include <exception>
#include <utility>

#include "host/automation_error.h"

namespace orb {

// Runs body(); when it raises, runs onError(error) and returns false. An error
// raised by onError itself (a re-raise) propagates to the caller.
template <class Body, class OnError>
bool Trap(Body&& body, OnError&& onError) {
  AutomationError error(0, "", "");
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    error = CurrentError(std::current_exception());
  }
  std::forward<OnError>(onError)(error);
  return false;
}

// Runs body() and ends quietly on an error; returns false when it raised.
template <class Body>
bool TrapQuietly(Body&& body) {
  return Trap(std::forward<Body>(body), [](const AutomationError&) {});
}

}  // namespace orb
