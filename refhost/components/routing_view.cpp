#include "refhost/components/routing_view.h"

#include <vector>

#include "refhost/bound_statement.h"
#include "refhost/host.h"

namespace orb::refhost {

HostRoutingView::HostRoutingView(Host& host) : ComponentBase(host, progid::kRoutingView) {}

void HostRoutingView::Show() {
  result_ = nullptr;
  if (Enter("Show", {routingId_})) return;
  const std::string columns = "SELECT FInterID, FBillNo, FRoutingName FROM t_Routing";
  auto rs = routingId_ > 0
                ? BoundStatement(host_.Db(), columns +
                                                 " WHERE FItemID = (SELECT FItemID FROM t_Routing "
                                                 "WHERE FInterID = ?) ORDER BY FBillNo, FInterID")
                      .Bind(1, Variant(routingId_))
                      .Fetch()
                : BoundStatement(host_.Db(), columns + " ORDER BY FBillNo, FInterID").Fetch();

  auto& picks = host_.User().picks;
  std::vector<int32_t> pick;
  if (!picks.empty()) {
    pick = picks.front();
    picks.pop_front();
  }
  const int32_t row = pick.empty() ? 0 : pick.front();
  if (row < 1 || row > rs->RecordCount()) {
    host_.Log().Add("action", {{"name", "routing closed"}});
    return;
  }
  const std::vector<Variant>& picked = rs->Rows()[row - 1];
  result_ =
      Dictionary::New({{"FBillNO", picked[1]}, {"FInterID", picked[0]}, {"FName", picked[2]}});
  host_.Log().Add("action",
                  {{"name", "routing picked"}, {"row", row}, {"billNo", CallArg(picked[1])}});
}

}  // namespace orb::refhost
