// The login object the shared properties hand out as "TVLogin": the task
// lock between users, kept in the database table t_TaskLock so that every
// process sharing the database file sees the same locks.
#pragma once

#include <cstdint>
#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

inline constexpr const char* kLoginObjectName = "TVLogin";

class HostLoginObject : public LoginObject, private ComponentBase {
 public:
  explicit HostLoginObject(Host& host);

  // Inserts the lock row of (subsystem, number, key): its id, or 0 when a
  // row of that lock exists already (held by this or another user). A row
  // whose holder process on this machine is gone is removed first.
  int32_t taskexec(int32_t subSysId, const std::string& number, const std::string& computer,
                   int32_t kind, const Variant& a, const Variant& b, const Variant& key) override;
  // Deletes the lock row of the handle; true when there was one.
  bool CommitTask(int32_t handle) override;

 private:
  int32_t Insert(int32_t subSysId, const std::string& number, const std::string& lockKey,
                 const std::string& computer, int32_t kind, const Variant& a, const Variant& b);
  // Removes the lock row when its holder was a process of the caller's
  // machine `computer` that no longer runs; true when it did.
  bool RemoveStaleHolder(int32_t subSysId, const std::string& number, const std::string& lockKey,
                         const std::string& computer);
};

// True while a process of that id runs on this machine.
bool ProcessAlive(int64_t pid);

}  // namespace orb::refhost
