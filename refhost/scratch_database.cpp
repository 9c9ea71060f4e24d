#include "refhost/scratch_database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "refhost/sqlite_database.h"

namespace orb::refhost {

namespace {

// The application_id of an SQLite file: 4 big-endian bytes at offset 68 of a
// file that starts with the SQLite header. nullopt-like -1 for anything else.
int64_t ApplicationIdOf(int fd) {
  unsigned char header[72];
  if (pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return -1;
  if (std::memcmp(header, "SQLite format 3", 16) != 0) return -1;
  return (int64_t{header[68]} << 24) | (header[69] << 16) | (header[70] << 8) | header[71];
}

}  // namespace

ScratchDatabase::ScratchDatabase(const std::string& path, std::string& error) : path_(path) {
  struct stat st {};
  const bool exists = lstat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    error = "'" + path + "' is not a database file of this program (it is no regular file)";
    return;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    error = "cannot open '" + path + "': " + std::strerror(errno);
    return;
  }
  // Another run on the same path holds this lock for as long as it runs.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    error = "'" + path + "' is in use by another gmpbill";
    return;
  }
  struct stat now {};
  fstat(fd, &now);
  if (now.st_size != 0 && ApplicationIdOf(fd) != kScratchApplicationId) {
    close(fd);
    error = "'" + path + "' is not a database made by gmpbill; it is left as it is";
    return;
  }
  fd_ = fd;
}

ScratchDatabase::~ScratchDatabase() {
  if (fd_ >= 0) close(fd_);
}

void ScratchDatabase::Reset() {
  if (fd_ < 0) return;
  std::error_code ec;
  for (const char* suffix : {"-journal", "-wal", "-shm"})
    std::filesystem::remove(path_ + suffix, ec);
  if (ftruncate(fd_, 0) != 0) {
    throw std::runtime_error("cannot empty '" + path_ + "': " + std::strerror(errno));
  }
  auto db = Database::Open(path_);
  db->Exec("PRAGMA application_id = " + std::to_string(kScratchApplicationId));
}

}  // namespace orb::refhost
