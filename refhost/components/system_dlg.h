// "CSystemDlg.Sys": where the host's local switch database lies.
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

// The file name of the local switch database in the host's data folder.
inline constexpr const char* kSwitchDbFileName = "RodIdorud.sss";

class HostSystemDialog : public SystemDialog, private ComponentBase {
 public:
  explicit HostSystemDialog(Host& host);
  // "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=<data folder>/RodIdorud.sss".
  std::string LocalCnn() override;
};

}  // namespace orb::refhost
