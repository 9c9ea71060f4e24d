#include "forms/test_add_bar_tool.h"

#include "forms/tool_templates.h"
#include "frame/error_trap.h"
#include "frame/registry.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/menu_state.h"

namespace orb {

namespace {

constexpr const char* kToolRedo = "miRedo";

// A plain message box: OK only, titled with the program's name.
void PlainMessage(const std::string& text) {
  CurrentPlatform().MsgBox(text, 0, kLibraryName);
}

}  // namespace

void TestAddBarTool::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] {
    if (!oActiveBar) return;
    ToolPtr tool = ToolTemplateBar()->GetTools()->Item(kToolRedo);
    ToolsPtr barTools = oActiveBar->GetTools();
    barTools->Insert(barTools->Count(), tool);
    ToolsPtr bandTools = oActiveBar->Bands(kBandEdit)->GetTools();
    bandTools->Insert(bandTools->Count(), tool);
  });
}

void TestAddBarTool::BarClick(const ToolPtr& Tool, bool& Cancel) {
  TrapQuietly([&] {
    if (!Tool || Tool->Name() != kToolRedo) return;
    Cancel = true;
    PlainMessage(Tool->Name());
  });
}

void TestAddBarTool::Change(const DictionaryPtr& dct, const DictionaryPtr& /*dctFld*/, int32_t Col,
                            int32_t Row, bool& /*Cancel*/) {
  TrapQuietly([&] {
    if (!dct) return;
    const Variant index = dct->Get("CtlIndex");
    if (index.IsNull() || CDbl(index) != Col) return;
    DictionaryPtr value = m_BillInterface->GetDataFld(dct, Row);
    if (!value) return;
    PlainMessage(CStr(value->Get("FFld")));
  });
}

}  // namespace orb
