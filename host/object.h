// The root of every automation object the library and the host exchange.
//
// Bill interfaces, dictionaries, vectors, recordsets and the host's outside
// components all derive from Object so that they can travel inside a Variant
// and be told apart at run time by their type name (as a late-bound caller
// would with TypeName()).
#pragma once

#include <memory>
#include <string>

// Host contracts keep default visibility so that their type information is
// shared between the host program and the plug-in library.
#define ORB_HOST_API __attribute__((visibility("default")))

namespace orb {

class ORB_HOST_API Object {
 public:
  virtual ~Object() = default;
  // The automation type name of the object ("BillEvent", "ListEvents", ...).
  virtual std::string TypeName() const = 0;
};

using ObjectPtr = std::shared_ptr<Object>;

}  // namespace orb
