// The library's classes and its one entry point: creating a plug-in by ProgID.
//
// Every class is listed once, explicitly, in registry.cpp and is created as
// "OrbGMPBillEvent.<ClassName>" (any letter case).
#pragma once

#include <string>
#include <vector>

#include "frame/export.h"
#include "frame/plugin.h"

namespace orb {

inline constexpr const char* kLibraryName = "OrbGMPBillEvent";

// A new plug-in object; raises error 429 naming the ProgID when the library
// has no such class.
ORB_EXPORT PluginPtr CreatePlugin(const std::string& progId);

// The ProgIDs of all classes, in roster order.
ORB_EXPORT std::vector<std::string> PluginProgIds();

}  // namespace orb
