// The task lock across processes: a holder that died is taken over, users
// racing for one lock never hold it together, and a lock that cannot be
// released is reported.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "refhost/components/login_object.h"
#include "refhost/host.h"
#include "service_host.h"
#include "services/net_control.h"

namespace orb {
namespace {

using refhost::Database;
using refhost::Host;
using refhost::HostLoginObject;

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string(name) + "_" + std::to_string(getpid()) + ".db"))
      .string();
}

void RemoveDb(const std::string& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"})
    std::filesystem::remove(path + suffix, ec);
}

int64_t LockRows(Host& host) {
  return host.Db().Query("SELECT count(*) FROM t_TaskLock")->Value(0).AsLong();
}

TEST(TaskLockTakeover, LockOfAProcessThatIsGoneIsTakenOver) {
  const std::string path = TempPath("task_lock_stale");
  RemoveDb(path);
  {
    Host host(Database::Open(path));
    // A child takes the lock and dies without releasing it.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      int code = 1;
      try {
        Host mine(Database::Open(path));
        code =
            HostLoginObject(mine).taskexec(3, "BP1", "PC", 1, Variant(), Variant(), Variant()) > 0
                ? 0
                : 1;
      } catch (...) {
      }
      _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_FALSE(refhost::ProcessAlive(child));
    ASSERT_EQ(LockRows(host), 1);

    HostLoginObject login(host);
    int32_t handle = login.taskexec(3, "BP1", "PC", 1, Variant(), Variant(), Variant());
    EXPECT_GT(handle, 0);
    EXPECT_EQ(LockRows(host), 1);
    // Now held by a live process (this one): refused.
    EXPECT_EQ(login.taskexec(3, "BP1", "PC", 1, Variant(), Variant(), Variant()), 0);

    // A holder on another machine, or one whose process runs, is never
    // taken over.
    host.Db().Exec(
        "INSERT INTO t_TaskLock (FSubSysID, FNumber, FKey, FComputer, FProcessID) VALUES "
        "(3, 'BP2', '', 'OTHER-PC', " +
        std::to_string(child) + "), (3, 'BP3', '', 'PC', " + std::to_string(getppid()) + ")");
    EXPECT_EQ(login.taskexec(3, "BP2", "PC", 1, Variant(), Variant(), Variant()), 0);
    EXPECT_EQ(login.taskexec(3, "BP3", "PC", 1, Variant(), Variant(), Variant()), 0);
  }
  RemoveDb(path);
}

// Several processes start at the same moment and take, hold and release the
// same lock many times. A counter in shared memory tells how many hold it.
TEST(TaskLockRace, ProcessesRacingForOneLockHoldItOneAtATime) {
  constexpr int kProcesses = 4;
  constexpr int kRounds = 15;
  const std::string path = TempPath("task_lock_race");
  RemoveDb(path);
  { Host setup(Database::Open(path)); }  // the schema, made once

  struct Shared {
    std::atomic<int> ready;
    std::atomic<bool> go;
    std::atomic<int> holders;
    std::atomic<int> overlaps;
    std::atomic<int> taken;
  };
  void* memory =
      mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  auto* shared = new (memory) Shared{};

  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      int code = 0;
      try {
        Host host(Database::Open(path));
        HostLoginObject login(host);
        shared->ready++;
        while (!shared->go) std::this_thread::yield();
        for (int round = 0; round < kRounds; ++round) {
          int32_t handle = 0;
          while ((handle = login.taskexec(3, "RACE", "PC", 1, Variant(), Variant(), Variant())) ==
                 0)
            std::this_thread::yield();
          if (shared->holders.fetch_add(1) != 0) shared->overlaps++;
          shared->taken++;
          std::this_thread::sleep_for(std::chrono::microseconds(200));
          shared->holders.fetch_sub(1);
          if (!login.CommitTask(handle)) code = 1;
        }
      } catch (...) {
        code = 2;
      }
      _exit(code);
    }
    children.push_back(child);
  }
  while (shared->ready < kProcesses) std::this_thread::yield();
  shared->go = true;
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a held lock could not be released; 2: an error";
  }
  EXPECT_EQ(shared->overlaps.load(), 0);
  EXPECT_EQ(shared->taken.load(), kProcesses * kRounds);
  {
    Host host(Database::Open(path));
    EXPECT_EQ(LockRows(host), 0);
  }
  munmap(memory, sizeof(Shared));
  RemoveDb(path);
}

using TaskLockRelease = ServiceHostTest;

// A lock the login object fails to release (raising, or refusing) is
// reported; it is not left held in silence.
TEST_F(TaskLockRelease, FailedReleaseIsReported) {
  Login("UserID=1");
  for (const char* mode : {"raise", "fail"}) {
    SCOPED_TRACE(mode);
    const int32_t handle = ExecFunctionMutex(3, "BP1", Variant(0), Variant(0));
    ASSERT_GT(handle, 0);
    refhost::Fault fault;
    fault.target = "call";
    fault.match = "TVLogin.CommitTask";
    fault.mode = mode;
    fault.description = "the lock table is locked";
    host_->GetFaults().Add(fault);
    size_t mark = host_->Log().Size();
    EXPECT_FALSE(LeaveFunctionMutex(handle));
    auto shown = host_->Log().Since(mark, "message");
    ASSERT_EQ(shown.size(), 1u);
    const std::string text = shown[0]["text"];
    EXPECT_NE(text.find("功能锁未能释放"), std::string::npos);
    if (std::string(mode) == "raise") {
      EXPECT_NE(text.find("the lock table is locked"), std::string::npos);
    }
    EXPECT_TRUE(LeaveFunctionMutex(handle));  // the fault is spent
  }
  size_t mark = host_->Log().Size();
  EXPECT_FALSE(LeaveFunctionMutex(0));  // nothing held: nothing to say
  EXPECT_TRUE(host_->Log().Since(mark, "message").empty());
}

}  // namespace
}  // namespace orb
