// The database file that `gmpbill run` and `gmpbill demo` make anew for each
// scenario. The program marks the files it makes (SQLite application_id) and
// replaces only such a file: anything else at the path (a text file, a
// folder, an unmarked database) is refused. While a run holds the path, a
// second program given the same path is refused too.
#pragma once

#include <cstdint>
#include <string>

namespace orb::refhost {

// The application_id of the databases the program makes ("ORBG").
inline constexpr int32_t kScratchApplicationId = 0x4F524247;

class ScratchDatabase {
 public:
  // Claims `path` for this run; on refusal `error` says why and the claim is
  // not held (Held() is false).
  ScratchDatabase(const std::string& path, std::string& error);
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  bool Held() const { return fd_ >= 0; }
  // Empties the file and marks it as a fresh database of this program. Close
  // every connection to it first.
  void Reset();

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace orb::refhost
