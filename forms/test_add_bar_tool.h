// TestAddBarTool: the plug-in of the diagnostic class: adds a template tool to the bill's toolbar.
#pragma once

#include "frame/plugin.h"

namespace orb {

class TestAddBarTool : public BillPlugin {
 public:
  TestAddBarTool() : BillPlugin("TestAddBarTool") {}
};

}  // namespace orb
