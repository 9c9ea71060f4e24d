#include "refhost/components/login_object.h"

#include "host/convert.h"
#include "refhost/host.h"

namespace orb::refhost {

HostLoginObject::HostLoginObject(Host& host) : ComponentBase(host, kLoginObjectName) {}

int32_t HostLoginObject::taskexec(int32_t subSysId, const std::string& number,
                                  const std::string& computer, int32_t kind, const Variant& a,
                                  const Variant& b, const Variant& key) {
  if (Enter("taskexec", {subSysId, number, computer, kind, CallArg(a), CallArg(b), CallArg(key)})) {
    return 0;
  }
  // A lock without a key is keyed by ''. The unique index on (subsystem,
  // number, key) decides between two users taking the lock at once.
  const std::string lockKey = key.IsEmpty() || key.IsNull() ? std::string() : CStr(key);
  Statement insert(host_.Db(),
                   "INSERT INTO t_TaskLock (FSubSysID, FNumber, FKey, FComputer, FKind, FArgA, "
                   "FArgB, FProcessID, FDate) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, datetime('now', 'localtime'))",
                   progId_);
  insert.Bind(1, int64_t{subSysId})
      .Bind(2, number)
      .Bind(3, lockKey)
      .Bind(4, computer)
      .Bind(5, int64_t{kind})
      .Bind(6, a)
      .Bind(7, b)
      .Bind(8, int64_t{host_.ProcessId()});
  insert.Step();
  if (insert.Constrained()) return 0;
  return static_cast<int32_t>(sqlite3_last_insert_rowid(host_.Db().Handle()));
}

bool HostLoginObject::CommitTask(int32_t handle) {
  if (Enter("CommitTask", {handle})) return false;
  Statement remove(host_.Db(), "DELETE FROM t_TaskLock WHERE FID = ?", progId_);
  remove.Bind(1, int64_t{handle}).Step();
  return host_.Db().Changes() > 0;
}

}  // namespace orb::refhost
