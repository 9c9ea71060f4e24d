#include "services/net_control.h"

#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/language.h"
#include "services/login_context.h"

namespace orb {

namespace {

// The machine-name buffer of the host's platform call.
constexpr size_t kComputerNameLength = 40;

// Shown when a function lock could not be released; the reason follows.
constexpr const char* kLockNotReleased = "功能锁未能释放,其他用户可能暂时无法使用该功能。";

// The first function record of the operation type; nullptr when none.
DictionaryPtr FindFunction(const VectorPtr& funcs, int32_t operType) {
  if (!funcs) return nullptr;
  for (int32_t i = 1; i <= funcs->Size(); ++i) {
    DictionaryPtr record = funcs->DictionaryAt(i);
    if (record && CLng(record->Get("FOpareteType")) == operType) return record;
  }
  return nullptr;
}

}  // namespace

int32_t EnterFunctionMutex(const VectorPtr& funcs, int32_t operType, int32_t key,
                           const Variant& /*x*/) {
  DictionaryPtr record = FindFunction(funcs, operType);
  if (!record) return -1;
  const int32_t subSysId = CLng(record->Get("FSubSysID"));
  if (subSysId <= 0) return -1;
  return ExecFunctionMutex(subSysId, CStr(record->Get("FNumber")), Variant(0), Variant(0),
                           Variant(key));
}

int32_t ExecFunctionMutex(int32_t subSysId, const std::string& number, const Variant& a,
                          const Variant& b, const Variant& key) {
  const int32_t handle =
      GetLoginObject()->taskexec(subSysId, number, GetComputerName(), 3, a, b, key);
  if (handle < 1) {
    Raise(kFunctionConflict, kFunctionConflictSource,
          LoadTVString("当前使用的功能与其他用户有冲突,目前无法使用!"));
  }
  return handle;
}

bool ReleaseFunctionMutex(int32_t& handle) {
  if (handle == 0) return false;
  if (!GetLoginObject()->CommitTask(handle)) return false;
  handle = 0;
  return true;
}

bool LeaveFunctionMutex(int32_t handle) {
  if (handle == 0) return false;
  // A lock left held keeps every other user out of the function: the user is
  // told, with the login object's reason when it gave one.
  std::string reason;
  bool released = false;
  Trap([&] { released = ReleaseFunctionMutex(handle); },
       [&](const AutomationError& e) { reason = LoadTVString(e.Description()); });
  if (!released) ShowMessage(LoadTVString(kLockNotReleased) + reason, mb::kExclamation);
  return released;
}

std::string GetComputerName() {
  std::string name;
  TrapQuietly(
      [&] { name = Trim(CurrentPlatform().ComputerName().substr(0, kComputerNameLength)); });
  return name.empty() ? "NoName" : name;
}

}  // namespace orb
