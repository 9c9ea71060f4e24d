#include "host/component_factory.h"

#include <algorithm>

namespace orb {

bool ComponentFactory::NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  auto fold = [](char c) {
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return fold(x) < fold(y); });
}

void ComponentFactory::Register(const std::string& progId, Maker maker) {
  makers_[progId] = {progId, std::move(maker)};
}

bool ComponentFactory::IsRegistered(const std::string& progId) const {
  return makers_.find(progId) != makers_.end();
}

ObjectPtr ComponentFactory::Create(const std::string& progId) const {
  auto it = makers_.find(progId);
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
