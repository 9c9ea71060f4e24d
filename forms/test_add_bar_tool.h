// TestAddBarTool: the diagnostic plug-in that shows how a plug-in adds a tool
// of the template toolbar to the bill's toolbar.
//
// When the toolbar is built it puts "miRedo" of the template bar on the bill's
// toolbar and in its edit menu; a click on it is handled here (the host does
// nothing more) by a message box naming the tool; a change of a field shows
// the field's new value.
#pragma once

#include "frame/plugin.h"

namespace orb {

class TestAddBarTool : public BillPlugin {
 public:
  TestAddBarTool() : BillPlugin("TestAddBarTool") {}

 protected:
  void BarInitialize(const ActiveBarPtr& oActiveBar) override;
  void BarClick(const ToolPtr& Tool, bool& Cancel) override;
  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t Col, int32_t Row,
              bool& Cancel) override;
};

}  // namespace orb
