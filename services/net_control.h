// The network function lock: keeps two users from running the same list
// function (audit, delete) on the same bill at once.
//
// A bill type lists its lockable functions in the "Mutex" item of its class
// type: one record per function with "FOpareteType" (3 delete, 4 audit),
// "FSubSysID" (0 or less: no lock needed), "FNumber" and "FFuncID". The lock
// itself is the host's task lock on the shared login object, keyed by the
// subsystem, the function number, this machine's name and the bill.
#pragma once

#include <cstdint>
#include <string>

#include "host/dictionary.h"
#include "host/variant.h"

namespace orb {

// The error a lock conflict raises.
inline constexpr int32_t kFunctionConflict = 16390;
inline constexpr const char* kFunctionConflictSource = "MNetControl.ExecFunc";

// Operation types of the function records.
inline constexpr int32_t kOperDelete = 3;
inline constexpr int32_t kOperAudit = 4;

// Takes the lock of the first record of `funcs` whose "FOpareteType" is
// `operType`, keyed by `key`. Returns the task handle (above 0), or -1 when no
// lock is needed (no such record, or its "FSubSysID" is 0 or less; `funcs`
// may be nullptr). Raises kFunctionConflict when another user holds the lock.
// `x` is accepted for the callers' sake and not used.
int32_t EnterFunctionMutex(const VectorPtr& funcs, int32_t operType, int32_t key,
                           const Variant& x = Variant());

// taskexec(subSysId, number, GetComputerName(), 3, a, b, key) on the shared
// login object; `key` Empty passes no key. Returns the handle; a handle below
// 1 raises kFunctionConflict from kFunctionConflictSource.
int32_t ExecFunctionMutex(int32_t subSysId, const std::string& number, const Variant& a,
                          const Variant& b, const Variant& key = Variant());

// Releases the lock of `handle` (nothing for 0); the handle becomes 0 once
// the login object has released it. True when it was released.
bool ReleaseFunctionMutex(int32_t& handle);
// ReleaseFunctionMutex of a copy of the handle; a lock that could not be
// released (the login object raised or refused) is reported to the user.
bool LeaveFunctionMutex(int32_t handle);

// This machine's name (at most 40 characters, trimmed); "NoName" when it
// cannot be read.
std::string GetComputerName();

}  // namespace orb
