// Faults on demand: a scenario makes a statement or a component call fail
// where it says, to show what the error traps do and that nothing is left
// half-written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::refhost {

struct Fault {
  // What fails:
  //   "sql"   a statement whose text contains `match` (or the `nth` statement, 1-based)
  //   "call"  a component member "ProgID.Member" (letter case ignored)
  //   "field" reading the field whose key is `match`
  std::string target;
  std::string match;
  int32_t nth = 0;
  // "raise" raises an automation error with `number` and `description`;
  // "fail" makes a component call return failure (false / Nothing).
  std::string mode = "raise";
  int32_t number = -2147217900;
  std::string description = "injected fault";
  // How many times it fires (0 = every time).
  int32_t times = 1;
  int32_t fired = 0;
  // An optional fault may never fire; any other fault that does not fire
  // makes its step fail, as what it meant to test never happened.
  bool optional = false;
  // "fail" only: the reason text the failing component gives ("" its own).
  std::string reason = "";
};

class Faults {
 public:
  void Add(Fault f) { faults_.push_back(std::move(f)); }
  void Clear() {
    faults_.clear();
    sqlCount_ = 0;
  }
  // Called before each statement; raises when a fault says so.
  void OnStatement(const std::string& sql);
  // Called by components before each member; raises for "raise" faults and
  // returns true when the call must report failure.
  bool OnCall(const std::string& progId, const std::string& member);
  // The reason of the last "fail" fault that fired ("" when it gave none).
  const std::string& FailReason() const { return failReason_; }
  // Called before a field read.
  void OnFieldRead(const std::string& key);
  // The faults that are not optional and never fired.
  std::vector<Fault> Unfired() const {
    std::vector<Fault> out;
    for (const auto& f : faults_) {
      if (!f.optional && f.fired == 0) out.push_back(f);
    }
    return out;
  }

 private:
  Fault* Match(const std::string& target, const std::string& text, int32_t counter);
  std::vector<Fault> faults_;
  int32_t sqlCount_ = 0;
  std::string failReason_;
};

}  // namespace orb::refhost
