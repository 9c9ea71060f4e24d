#include "refhost/components/login_object.h"

#include <signal.h>

#include <cerrno>
#include <limits>

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
  int32_t handle = Insert(subSysId, number, lockKey, computer, kind, a, b);
  if (handle == 0 && RemoveStaleHolder(subSysId, number, lockKey, computer)) {
    handle = Insert(subSysId, number, lockKey, computer, kind, a, b);
  }
  return handle;
}

int32_t HostLoginObject::Insert(int32_t subSysId, const std::string& number,
                                const std::string& lockKey, const std::string& computer,
                                int32_t kind, const Variant& a, const Variant& b) {
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

bool HostLoginObject::RemoveStaleHolder(int32_t subSysId, const std::string& number,
                                        const std::string& lockKey, const std::string& computer) {
  // Only a holder on the caller's own machine can be known to be gone.
  Statement holder(host_.Db(),
                   "SELECT FID, FProcessID FROM t_TaskLock WHERE FSubSysID = ? AND FNumber = ? "
                   "AND FKey = ? AND FComputer = ?",
                   progId_);
  holder.Bind(1, int64_t{subSysId}).Bind(2, number).Bind(3, lockKey).Bind(4, computer);
  if (!holder.Step()) return false;
  const int64_t id = holder.ColumnInt(0);
  const int64_t pid = holder.ColumnInt(1);
  if (pid <= 0 || pid == int64_t{host_.ProcessId()} || ProcessAlive(pid)) return false;
  // Deleting by id and process keeps a lock another user has just taken over.
  Statement remove(host_.Db(), "DELETE FROM t_TaskLock WHERE FID = ? AND FProcessID = ?", progId_);
  remove.Bind(1, id).Bind(2, pid).Step();
  host_.Log().Add("action", {{"name", "stale lock removed"}, {"number", number}, {"pid", pid}});
  return true;
}

bool ProcessAlive(int64_t pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  // EPERM: the process exists but belongs to another user.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool HostLoginObject::CommitTask(int32_t handle) {
  if (Enter("CommitTask", {handle})) return false;
  Statement remove(host_.Db(), "DELETE FROM t_TaskLock WHERE FID = ?", progId_);
  remove.Bind(1, int64_t{handle}).Step();
  return host_.Db().Changes() > 0;
}

}  // namespace orb::refhost
