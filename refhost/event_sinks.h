// The sinks connected to a host object's events.
//
// An event goes to the sinks connected when it is raised; a sink that a
// handler disconnects meanwhile is skipped when its turn comes, so that no
// event reaches a sink after Unadvise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orb::refhost {

template <class Sink>
class EventSinks {
 public:
  void Advise(Sink* sink) {
    if (sink && !Has(sink)) sinks_.push_back(sink);
  }
  void Unadvise(Sink* sink) {
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
  }

  template <class F>
  void Raise(F&& call) const {
    // The sinks as they were when the event began (a handler may advise or
    // unadvise); a bill has one or two, kept on the stack.
    constexpr size_t kOnStack = 4;
    Sink* onStack[kOnStack];
    std::vector<Sink*> onHeap;
    const size_t n = sinks_.size();
    Sink* const* sinks = onStack;
    if (n <= kOnStack) {
      std::copy(sinks_.begin(), sinks_.end(), onStack);
    } else {
      onHeap = sinks_;
      sinks = onHeap.data();
    }
    for (size_t i = 0; i < n; ++i) {
      if (Has(sinks[i])) call(*sinks[i]);
    }
  }

 private:
  bool Has(Sink* sink) const {
    return std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end();
  }

  std::vector<Sink*> sinks_;
};

}  // namespace orb::refhost
