#include "refhost/components/frm_res_loader.h"

#include "refhost/host.h"

namespace orb::refhost {

HostFormResLoader::HostFormResLoader(Host& host) : ComponentBase(host, progid::kFrmResLoader) {}

void HostFormResLoader::SetFrmFont(const ObjectPtr& form, const std::string& language) {
  Enter("SetFrmFont", {CallArg(Variant(form)), language});
}

}  // namespace orb::refhost
