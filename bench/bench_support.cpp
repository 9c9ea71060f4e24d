#include "bench/bench_support.h"

#include "host/automation_error.h"
#include "refhost/embedded.h"

namespace orb::bench {

std::shared_ptr<refhost::Database> DatabaseWith(const std::vector<std::string>& scripts) {
  auto db = refhost::Database::Open(":memory:");
  for (const auto& name : scripts) {
    auto text = refhost::FindEmbedded(name);
    if (!text) Raise(err::kInvalidCall, "bench", name + " is not built in");
    db->Exec(std::string(*text));
  }
  return db;
}

}  // namespace orb::bench
