// The traps a handler chooses from, beside the quiet one (frame/error_trap.h).
//
// TrapShowing tells the user: a prefix naming the bill and the step
// ("[合箱记录]保存出错，原因：") followed by the error's description, both in
// the user's language. TrapCancelling refuses the host's action quietly.
// TrapShowingAndCancel does both, for a check whose failure must stop a save.
#pragma once

#include <string>
#include <utility>

#include "frame/error_trap.h"
#include "host/automation_error.h"

namespace orb {

// The message of an error under `prefix`: both translated, joined.
std::string PrefixedError(const std::string& prefix, const AutomationError& error);
// Shows PrefixedError as information.
void ShowPrefixedError(const std::string& prefix, const AutomationError& error);

// Runs body(); an error is shown under `prefix`. False when it raised.
template <class Body>
bool TrapShowing(const std::string& prefix, Body&& body) {
  return Trap(std::forward<Body>(body),
              [&](const AutomationError& e) { ShowPrefixedError(prefix, e); });
}

// Runs body(); an error sets `cancel` and is not shown. False when it raised.
template <class Body>
bool TrapCancelling(bool& cancel, Body&& body) {
  return Trap(std::forward<Body>(body), [&](const AutomationError&) { cancel = true; });
}

// Runs body(); an error is shown under `prefix` and sets `cancel`.
template <class Body>
bool TrapShowingAndCancel(const std::string& prefix, bool& cancel, Body&& body) {
  return Trap(std::forward<Body>(body), [&](const AutomationError& e) {
    cancel = true;
    ShowPrefixedError(prefix, e);
  });
}

}  // namespace orb
