#include "host/platform.h"

#include <utility>

namespace orb {

namespace {
std::shared_ptr<Platform>& Installed() {
  static std::shared_ptr<Platform> platform;
  return platform;
}
}  // namespace

void InstallPlatform(std::shared_ptr<Platform> platform) { Installed() = std::move(platform); }

Platform& CurrentPlatform() {
  auto& p = Installed();
  if (!p) Raise(err::kObjectNotSet, "OrbGMPBillEvent", "No host platform is installed");
  return *p;
}

}  // namespace orb
