#include "refhost/embedded.h"

#include <cstddef>

namespace orb::refhost {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> FindEmbedded(std::string_view name) {
  for (const auto& file : EmbeddedFiles()) {
    if (SameName(file.name, name)) return file.text;
  }
  return std::nullopt;
}

}  // namespace orb::refhost
