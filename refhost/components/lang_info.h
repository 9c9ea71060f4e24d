// "OrbLangInfo.LangInfo": the language the host runs in.
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostLangInfo : public LangInfo, private ComponentBase {
 public:
  explicit HostLangInfo(Host& host);
  // The host's language (Host::Language, "chs" unless set).
  std::string CurrentLanguage() override;
};

}  // namespace orb::refhost
