// "OrbRoutingView.RoutingView": the routing dialog. The scripted user picks
// a row (the host's next pick, see Host::User): [n] picks row n, [] or no
// pick left closes the dialog, and so does a row the list does not have.
#pragma once

#include <cstdint>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostRoutingView : public RoutingView, private ComponentBase {
 public:
  explicit HostRoutingView(Host& host);

  int32_t RoutingID() const override { return routingId_; }
  void SetRoutingID(int32_t routingId) override { routingId_ = routingId; }
  // Lists the routings of the product of routing RoutingID (every routing
  // when RoutingID is 0 or less) by number and lets the user pick one.
  void Show() override;
  DictionaryPtr Result() override { return result_; }

 private:
  int32_t routingId_ = 0;
  DictionaryPtr result_;
};

}  // namespace orb::refhost
