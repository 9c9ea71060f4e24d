// "OrbMGMPBatchPack.CBatchPack": the host's pause, cancel and end-case of a
// batch package instruction (gmpbatchpacket), and their undo.
//
// The request names the instruction ("InterID"), the step ("ActionID": 13557
// pause, 13558 cancel, 1051 end-case, each the state the step is named after)
// and its direction ("CheckSwitch": 0 do, 1 undo). Each step moves
// FBillStatus from one state to another:
//
//   pause       1050 -> 13557     unpause        13557 -> 1050
//   cancel      1049 -> 13558     uncancel       13558 -> 1049
//   end-case    1050 -> 1051      un-end-case    1051  -> 1050
//
// in one transaction. An instruction in any other state, an unknown step or
// a missing instruction is refused (false, the reason in "ReturnString").
#pragma once

#include <string>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

class HostBatchPack : public BatchPackComponent, private ComponentBase {
 public:
  explicit HostBatchPack(Host& host);

  // True when the instruction's state was changed.
  bool Update(const std::string& props, const DictionaryPtr& request) override;
};

}  // namespace orb::refhost
