#include "host/component_factory.h"

#include "host/convert.h"

namespace orb {

void ComponentFactory::Register(const std::string& progId, Maker maker) {
  makers_[LCase(progId)] = {progId, std::move(maker)};
}

bool ComponentFactory::IsRegistered(const std::string& progId) const {
  return makers_.count(LCase(progId)) > 0;
}

ObjectPtr ComponentFactory::Create(const std::string& progId) const {
  // Components are made per statement: the folded ProgID reuses one buffer.
  thread_local std::string key;
  key.assign(progId);
  for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  auto it = makers_.find(key);
  if (it == makers_.end()) {
    Raise(err::kCannotCreate, progId, "ActiveX component can't create object: " + progId);
  }
  return it->second.second();
}

std::vector<std::string> ComponentFactory::ProgIds() const {
  std::vector<std::string> ids;
  for (const auto& [key, entry] : makers_) ids.push_back(entry.first);
  return ids;
}

}  // namespace orb
