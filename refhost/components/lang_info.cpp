#include "refhost/components/lang_info.h"

#include "refhost/host.h"

namespace orb::refhost {

HostLangInfo::HostLangInfo(Host& host) : ComponentBase(host, progid::kLangInfo) {}

std::string HostLangInfo::CurrentLanguage() {
  if (Enter("CurrentLanguage")) return std::string();
  return host_.Language();
}

}  // namespace orb::refhost
