#include "frame/version.h"

namespace orb {

const char* LibraryVersion() {
  return ORB_VERSION_TEXT;
}

}  // namespace orb
