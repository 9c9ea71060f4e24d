#include "refhost/components/register.h"

#include <memory>

#include "host/components.h"
#include "host/recordset.h"
#include "refhost/components/batch_pack.h"
#include "refhost/components/bill_builder.h"
#include "refhost/components/class_link.h"
#include "refhost/components/class_update.h"
#include "refhost/components/data_info.h"
#include "refhost/components/disp_builder.h"
#include "refhost/components/frm_res_loader.h"
#include "refhost/components/grading_data.h"
#include "refhost/components/lang_info.h"
#include "refhost/components/list_select.h"
#include "refhost/components/res_loader.h"
#include "refhost/components/routing_view.h"
#include "refhost/components/share_props.h"
#include "refhost/components/simple_check.h"
#include "refhost/components/system_dlg.h"
#include "refhost/components/system_object.h"
#include "refhost/components/toolbar_control.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

template <class T>
void Add(Host& host, const char* progId) {
  host.Factory().Register(progId, [&host] { return std::make_shared<T>(host); });
}

}  // namespace

void RegisterHostComponents(Host& host) {
  Add<HostSharedProperties>(host, progid::kShareProps);
  Add<HostSystemObject>(host, progid::kSystemObject);
  Add<HostResLoader>(host, progid::kResLoader);
  Add<HostLangInfo>(host, progid::kLangInfo);
  Add<HostFormResLoader>(host, progid::kFrmResLoader);
  Add<HostSystemDialog>(host, progid::kSystemDlg);
  Add<HostDispBuilder>(host, progid::kDispBuilder);
  Add<HostSimpleCheck>(host, progid::kSimpleCheck);
  Add<HostClassUpdate>(host, progid::kClassUpdate);
  Add<HostBatchPack>(host, progid::kBatchPack);
  Add<HostClassLink>(host, progid::kClassLink);
  Add<HostDataInfo>(host, progid::kDataInfo);
  Add<HostRoutingView>(host, progid::kRoutingView);
  Add<HostBills>(host, progid::kBills);
  Add<HostDataUpdate>(host, progid::kDataUpdate);
  Add<HostListSelect>(host, progid::kListSelect);
  Add<HostGradingData>(host, progid::kGradingData);
  host.Factory().Register(progid::kToolbarControl,
                          [] { return std::make_shared<HostToolbarControl>(); });
  host.Factory().Register(kConnectionProgId, [&host] { return host.NewConnection(); });
}

}  // namespace orb::refhost
