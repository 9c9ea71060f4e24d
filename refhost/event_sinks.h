// The sinks connected to a host object's events.
//
// An event goes to the sinks connected when it is raised; a sink that a
// handler disconnects meanwhile is skipped when its turn comes, so that no
// event reaches a sink after Unadvise.
#pragma once

#include <algorithm>
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
    const std::vector<Sink*> sinks = sinks_;
    for (Sink* s : sinks) {
      if (Has(s)) call(*s);
    }
  }

 private:
  bool Has(Sink* sink) const {
    return std::find(sinks_.begin(), sinks_.end(), sink) != sinks_.end();
  }

  std::vector<Sink*> sinks_;
};

}  // namespace orb::refhost
