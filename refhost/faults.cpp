#include "refhost/faults.h"

#include "host/automation_error.h"
#include "host/convert.h"

namespace orb::refhost {

Fault* Faults::Match(const std::string& target, const std::string& text, int32_t counter) {
  for (auto& f : faults_) {
    if (f.target != target) continue;
    if (f.times > 0 && f.fired >= f.times) continue;
    bool hit = f.nth > 0
                   ? f.nth == counter
                   : !f.match.empty() && LCase(text).find(LCase(f.match)) != std::string::npos;
    if (target == "call" || target == "field") hit = f.nth == 0 && SameText(f.match, text);
    if (hit) {
      ++f.fired;
      return &f;
    }
  }
  return nullptr;
}

void Faults::OnStatement(const std::string& sql) {
  ++sqlCount_;
  if (Fault* f = Match("sql", sql, sqlCount_))
    Raise(f->number, "OrbConnection.Appconnection", f->description);
}

bool Faults::OnCall(const std::string& progId, const std::string& member) {
  Fault* f = Match("call", progId + "." + member, 0);
  if (!f) return false;
  if (f->mode == "fail") {
    failReason_ = f->reason;
    return true;
  }
  Raise(f->number, progId, f->description);
}

void Faults::OnFieldRead(const std::string& key) {
  if (Fault* f = Match("field", key, 0)) Raise(f->number, "BillEvent", f->description);
}

}  // namespace orb::refhost
