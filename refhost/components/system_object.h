// "ZADUVAvuz.GLData": the users' rights (t_UserRight) and the user log
// (t_UserLog). The user is the "UserID" of the host's login property string.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

// The value of `key` in a login property string: pairs key=value separated
// by ';', keys in any letter case, a value in {braces} may hold ';'. Blanks
// around keys and unbraced values do not count. nullopt when the key is absent.
std::optional<std::string> LoginProperty(const std::string& props, const std::string& key);

class HostSystemObject : public SystemObject, private ComponentBase {
 public:
  explicit HostSystemObject(Host& host);

  // True when a t_UserRight row of the user for (objectType, objectId) has
  // every bit of `right` in its FRights. A login without a user has no rights.
  bool AccessCheck(const Variant& objectType, const Variant& objectId, int32_t right) override;
  // Appends a t_UserLog row for the user, sealed into the log's hash chain,
  // and a "log" transcript record.
  void WriteLog(const std::string& funcId, int32_t type, const std::string& text) override;

 private:
  std::optional<std::string> UserId() const;
};

}  // namespace orb::refhost
