#include "services/error_traps.h"

#include "host/platform.h"
#include "services/language.h"

namespace orb {

std::string PrefixedError(const std::string& prefix, const AutomationError& error) {
  return LoadTVString(prefix) + LoadTVString(error.Description());
}

void ShowPrefixedError(const std::string& prefix, const AutomationError& error) {
  ShowMessage(PrefixedError(prefix, error), mb::kInformation);
}

}  // namespace orb
