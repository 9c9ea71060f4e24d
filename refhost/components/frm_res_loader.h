// "FrmRes.FrmResLoader": sets a language's font on a form. The reference host
// draws no forms, so the call is only recorded.
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostFormResLoader : public FormResLoader, private ComponentBase {
 public:
  explicit HostFormResLoader(Host& host);
  void SetFrmFont(const ObjectPtr& form, const std::string& language) override;
};

}  // namespace orb::refhost
