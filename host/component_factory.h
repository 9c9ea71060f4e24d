// Creation of components by ProgID.
//
// The host registers a maker per ProgID; ProgIDs compare without regard to
// letter case, so "OrbConnection.Appconnection" and "Orbconnection.AppConnection"
// name one component. Asking for a ProgID nobody registered raises error 429
// naming it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/automation_error.h"
#include "host/object.h"

namespace orb {

class ORB_HOST_API ComponentFactory {
 public:
  using Maker = std::function<ObjectPtr()>;

  void Register(const std::string& progId, Maker maker);
  bool IsRegistered(const std::string& progId) const;
  // A new instance of the component; raises error 429 for an unknown ProgID.
  ObjectPtr Create(const std::string& progId) const;
  // The registered ProgIDs as they were spelled at registration, in order.
  std::vector<std::string> ProgIds() const;

 private:
  std::map<std::string, std::pair<std::string, Maker>> makers_;  // by lower-cased ProgID
};

}  // namespace orb
