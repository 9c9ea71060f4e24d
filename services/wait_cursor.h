// The hourglass while a long step runs.
#pragma once

#include <cstdint>

namespace orb {

// Shows the hourglass from creation to destruction:
//
//   WaitCursor wait;   // pointer 11
//   ...                // pointer back to 0 when `wait` goes out of scope
//
// Failures to set the pointer are ignored.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

  // 1 while the instance holds the hourglass.
  int32_t Count() const { return count_; }

 private:
  int32_t count_ = 0;
};

}  // namespace orb
