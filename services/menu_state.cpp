#include "services/menu_state.h"

#include <memory>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "services/bill_check.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.VUDFunc";

// Row editing tools hidden on a bill that may not be edited.
const char* const kRowTools[] = {"mnuEditAddRow", "mnuEditDelRow", "mnuEditDelEntry", "mnuCopyRow",
                                 "mnuBatchFillField"};

// Stock bills whose source-bill selection closes with the audit.
const int32_t kSelectBillClasses[] = {1001911, 1001902, 1001905, 1001907};

void Show(const BillInterfacePtr& bill, const char* tool, bool visible) {
  bill->SetBarStatus(tool, "Visible", Variant(visible));
}

void Enable(const BillInterfacePtr& bill, const char* tool, bool enabled) {
  bill->SetBarStatus(tool, "Enabled", Variant(enabled));
}

void EnableCheckPair(const BillInterfacePtr& bill, bool enabled) {
  Enable(bill, kToolUnCheck, enabled);
  Enable(bill, kToolCheck, enabled);
}

bool HasSelectBillClass(int32_t classTypeId) {
  for (int32_t id : kSelectBillClasses) {
    if (id == classTypeId) return true;
  }
  return false;
}

// The object, or error 91 for Nothing.
template <class T>
std::shared_ptr<T> NotNothing(std::shared_ptr<T> object, const char* what) {
  if (!object) Raise(err::kObjectNotSet, kSource, std::string("Object variable not set: ") + what);
  return object;
}

ToolPtr BarTool(const ActiveBarPtr& bar, const char* key) {
  ToolPtr tool = NotNothing(bar, "bar")->GetTools()->Item(key);
  if (!tool) Raise(err::kInvalidCall, kSource, std::string("No tool ") + key);
  return tool;
}

}  // namespace

void SetCheckMenuState(const BillInterfacePtr& oBill, bool bShowRowTools) {
  TrapQuietly([&] {
    auto checkManager = oBill->MultiCheckMgr();
    if (checkManager && oBill->BillStatus() != 0 && checkManager->IsRun()) {
      Show(oBill, kToolUnCheck, false);
      Show(oBill, kToolCheck, false);
    }

    const int32_t status = oBill->BillStatus();
    EnableCheckPair(oBill, !(status == 0 || status == 1));

    if (!bShowRowTools) {
      Show(oBill, "mnuEditAddRow", false);
      Show(oBill, "mnuEditDelRow", false);
    }

    const bool audited = HeadCheckerID(oBill) > 0;
    const bool mutexHeld = oBill->BillCtl()->MutexSuccess();
    if (audited || !mutexHeld) {
      for (const char* tool : kRowTools) Show(oBill, tool, false);
      Enable(oBill, "mnuFileSave", false);
      Enable(oBill, "mnuDataLookUp", false);
      if (HasSelectBillClass(oBill->FID())) Show(oBill, "mnuSelectBill", false);
      if (!mutexHeld) EnableCheckPair(oBill, false);
    }
  });
}

void ShowCheckTools(const BillInterfacePtr& oBill, const ActiveBarPtr& oActiveBar,
                    bool hideLinkBill) {
  if (oBill->OpenMode() == 0) return;
  BarTool(oActiveBar, kToolUnCheck)->SetVisible(true);
  BarTool(oActiveBar, kToolCheck)->SetVisible(true);
  if (hideLinkBill) BarTool(oActiveBar, "mnuOptionLinkBill")->SetVisible(false);
}

void EnableCheckTools(const BillInterfacePtr& oBill) {
  if (oBill->OpenMode() == 1) {
    Show(oBill, kToolUnCheck, true);
    Show(oBill, kToolCheck, true);
    EnableCheckPair(oBill, false);
  } else {
    EnableCheckPair(oBill, true);
  }
}

void AddCheckTools(const ActiveBarPtr& oBar, const ActiveBarPtr& oSourceBar) {
  ToolsPtr source = NotNothing(oSourceBar, "source bar")->GetTools();
  InsertBarTool(oBar, kBandEdit, source->Item(kToolUnCheck), 1);
  InsertBarTool(oBar, kBandEdit, source->Item(kToolCheck), 1);
  InsertBarTool(oBar, kBandToolBar, source->Item(kToolCheck), 3);
}

void InsertBarTool(const ActiveBarPtr& oBar, const std::string& sBand, const ToolPtr& oTool,
                   int32_t lPos) {
  // Each step on its own: what one step cannot do does not stop the next.
  auto bar = [&] { return NotNothing(oBar, "bar"); };
  auto tool = [&] { return NotNothing(oTool, "tool"); };
  auto bandTools = [&] { return NotNothing(bar()->Bands(sBand), "band")->GetTools(); };
  TrapQuietly([&] { bar()->GetTools()->Insert(lPos, tool()); });
  TrapQuietly([&] { bandTools()->Insert(lPos, tool()); });
  ObjectPtr picture;
  TrapQuietly([&] { picture = tool()->GetPicture(); });
  if (picture) {
    TrapQuietly(
        [&] { NotNothing(bandTools()->Item(tool()->Name()), "tool")->SetPicture(picture); });
  }
  TrapQuietly([&] { bar()->RecalcLayout(); });
}

}  // namespace orb
