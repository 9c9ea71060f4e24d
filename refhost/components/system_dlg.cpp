#include "refhost/components/system_dlg.h"

#include <filesystem>

#include "refhost/host.h"

namespace orb::refhost {

HostSystemDialog::HostSystemDialog(Host& host) : ComponentBase(host, progid::kSystemDlg) {}

std::string HostSystemDialog::LocalCnn() {
  if (Enter("LocalCnn")) return std::string();
  std::filesystem::path file = std::filesystem::path(host_.DataFolder()) / kSwitchDbFileName;
  return "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string();
}

}  // namespace orb::refhost
