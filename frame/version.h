// The version of the plug-in library a host has loaded.
//
// Versions are MAJOR.MINOR.PATCH; hosts built against one major version run
// with any later minor version of it (see "ABI" in the README).
#pragma once

#include "frame/export.h"

namespace orb {

// The version of the loaded library, "1.0.0" for example.
ORB_EXPORT const char* LibraryVersion();

}  // namespace orb
