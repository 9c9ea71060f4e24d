// The host's bill list (type name "ListEvents"): the list window of a bill
// type with its selection, and the two events it raises.
#pragma once

#include "host/object.h"

#include <cstdint>
#include <memory>
#include <string>

#include "host/bill_interface.h"
#include "host/dictionary.h"
#include "host/toolbar.h"

namespace orb {

// The list's view object.
class ORB_HOST_API ListView : public Object {
 public:
  std::string TypeName() const override { return "ListView"; }
  // The internal identifiers of the selected bills (a vector of Longs).
  virtual VectorPtr GetSelectedBillID() = 0;
  virtual void RefreshList() = 0;
  virtual int32_t ShowMode() const = 0;
};

using ListViewPtr = std::shared_ptr<ListView>;

class ORB_HOST_API ListEvents {
 public:
  virtual ~ListEvents() = default;
  virtual void BarInitialize(const ActiveBarPtr& /*bar*/) {}
  virtual void BarClick(const ToolPtr& /*tool*/, bool& /*cancel*/) {}
};

class ORB_HOST_API ListInterface : public Object {
 public:
  std::string TypeName() const override { return "ListEvents"; }
  virtual void Advise(ListEvents* sink) = 0;
  virtual void Unadvise(ListEvents* sink) = 0;
  virtual ListViewPtr List() = 0;
  virtual DataServicePtr DataSrv() = 0;
  // As the bill's: "FID", "FName", "FObjectType", "FObjectID", "Mutex".
  virtual DictionaryPtr ClassType() = 0;
  // Item 1 the head table with "FTableName" and "FBillNoField".
  virtual VectorPtr TableInfo() = 0;
};

using ListInterfacePtr = std::shared_ptr<ListInterface>;

}  // namespace orb
