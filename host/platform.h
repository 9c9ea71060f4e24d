// What the library asks of the process it runs in.
//
// The host installs one Platform before it creates plug-ins: it creates the
// host's outside components by ProgID, shows message boxes, sets the screen
// pointer, and tells the process id, the machine name and the program's
// folder. Plug-ins reach it through CurrentPlatform().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/automation_error.h"
#include "host/object.h"

namespace orb {

// Message box styles and answers.
namespace mb {
constexpr int32_t kYesNo = 4;
constexpr int32_t kCritical = 16;
constexpr int32_t kQuestion = 32;
constexpr int32_t kExclamation = 48;
constexpr int32_t kInformation = 64;
constexpr int32_t kOk = 1;
constexpr int32_t kYes = 6;
constexpr int32_t kNo = 7;
}  // namespace mb

// Screen pointers.
constexpr int32_t kPointerDefault = 0;
constexpr int32_t kPointerHourglass = 11;

class ORB_HOST_API Platform {
 public:
  virtual ~Platform() = default;
  // A new instance of the component registered under progId (any letter case);
  // raises error 429 naming the ProgID when there is none.
  virtual ObjectPtr CreateObject(const std::string& progId) = 0;
  // Shows a message box; returns the button pressed (mb::kOk, mb::kYes, ...).
  virtual int32_t MsgBox(const std::string& text, int32_t style, const std::string& title) = 0;
  virtual void SetScreenPointer(int32_t pointer) = 0;
  virtual uint32_t ProcessId() = 0;
  virtual std::string ComputerName() = 0;
  // The folder of the host program.
  virtual std::string AppPath() = 0;
};

// Installs the platform for the whole process (nullptr uninstalls it).
void InstallPlatform(std::shared_ptr<Platform> platform);
// The installed platform; raises error 91 when the host installed none.
Platform& CurrentPlatform();

// Creates a component and casts it to its contract; raises error 13 when the
// component does not offer T.
template <class T>
std::shared_ptr<T> CreateObjectAs(const std::string& progId) {
  ObjectPtr o = CurrentPlatform().CreateObject(progId);
  auto typed = std::dynamic_pointer_cast<T>(o);
  if (!typed) Raise(err::kTypeMismatch, progId, "Type mismatch: " + progId);
  return typed;
}

}  // namespace orb
