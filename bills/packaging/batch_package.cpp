#include "bills/packaging/batch_package.h"

#include <memory>
#include <string_view>

#include "forms/tool_templates.h"
#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/committed_step.h"
#include "services/error_traps.h"
#include "services/language.h"
#include "services/login_context.h"
#include "services/menu_state.h"
#include "services/source_flows.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.BatchPackage";
constexpr int32_t kClassTypeId = 1001012;
constexpr const char* kFunctionCode = "DJPT100001";
constexpr int32_t kLogType = 5;
constexpr int32_t kReleaseRight = 1;

// FBillStatus codes.
constexpr int32_t kPlanned = 1049;
constexpr int32_t kReleased = 1050;
constexpr int32_t kEnded = 1051;
constexpr int32_t kPaused = 13557;
constexpr int32_t kCancelled = 13558;

constexpr const char* kToolRelease = "mnuEditRelease";
constexpr const char* kToolUnRelease = "mnuEditUnRelease";
constexpr const char* kToolPause = "mnuEditPause";
constexpr const char* kToolUnPause = "mnuEditUnPause";
constexpr const char* kToolCancel = "mnuEditCancel";
constexpr const char* kToolUnCancel = "mnuEditUnCancel";
constexpr const char* kToolEndCase = "mnuEditEndCase";
constexpr const char* kToolUnEndCase = "mnuEditUnEndCase";
constexpr const char* kToolLookUp = "mnuDataLookUp";

// The life-cycle commands.
const char* const kLifeCycleTools[] = {kToolRelease, kToolUnRelease, kToolPause,   kToolUnPause,
                                       kToolCancel,  kToolUnCancel,  kToolEndCase, kToolUnEndCase};
// The order they are put on the toolbar: each is inserted at the head of the
// edit menu, so the menu lists them in reverse; release and unrelease go to
// the menu last, to stand first.
const char* const kInsertOrder[] = {kToolRelease,  kToolUnRelease, kToolUnPause,   kToolPause,
                                    kToolUnCancel, kToolCancel,    kToolUnEndCase, kToolEndCase};

// Downstream bills that keep an instruction released; the bill's id is
// appended to each statement.
constexpr const char* kPickingSql =
    "select a.FInterID,B.FBillNO from icstockbillEntry a,gmpbatchpacket b where "
    "a.FSourceTranType=1001012 and a.FSourceInterId=b.FID and b.FID=";
constexpr const char* kPackLogSql = "select FBillNO from GMPBatchPackLog where FBatchBillNoID =";
constexpr const char* kItemBalanceSql =
    "select FBillNO from gmpitembalance where FPackageBillID = ";

constexpr const char* kReleaseError = "[批包装指令]下达出错，原因：";
constexpr const char* kUnReleaseError = "[批包装指令]反下达出错，原因：";

// One step of the pause, cancel and end-case commands or of their undo.
struct StateStep {
  int32_t action;
  bool bDo;
  int32_t right;
  int32_t requiredStatus;
  const char* refusal;
  const char* success;
  const char* logLong;
  const char* logShort;
  // What the user is told when the step is refused by the component or
  // fails, followed by the reason.
  const char* failure;
};

const StateStep kStateSteps[] = {
    {kPaused, true, 512, kReleased, "挂起失败，单据不是下达状态", "单据挂起成功",
     "挂起成功，单据编号:", "挂起成功", "[批包装指令]挂起未成功，原因："},
    {kPaused, false, 512, kPaused, "反挂起失败，单据未挂起", "单据反挂起成功",
     "反挂起成功，单据编号:", "反挂起成功", "[批包装指令]反挂起未成功，原因："},
    {kCancelled, true, 64, kPlanned, "作废失败，单据不是计划状态", "单据作废成功",
     "作废成功，单据编号:", "作废成功", "[批包装指令]作废未成功，原因："},
    {kCancelled, false, 64, kCancelled, "反作废失败，单据未作废", "单据反作废成功",
     "反作废成功，单据编号:", "反作废成功", "[批包装指令]反作废未成功，原因："},
    {kEnded, true, 256, kReleased, "结案失败，单据不是下达状态", "单据结案成功",
     "结案成功，单据编号:", "结案成功", "[批包装指令]结案未成功，原因："},
    {kEnded, false, 256, kEnded, "反结案失败，单据未结案", "单据反结案成功",
     "反结案成功，单据编号:", "反结案成功", "[批包装指令]反结案未成功，原因："},
};

// The reason shown when the component refuses without giving one.
constexpr const char* kNoReason = "未返回原因";

const StateStep* FindStateStep(int32_t action, bool bDo) {
  for (const auto& step : kStateSteps) {
    if (step.action == action && step.bDo == bDo) return &step;
  }
  return nullptr;
}

// Shows a message of this bill: its text translated, as information.
void Say(const std::string& text) {
  ShowMessage(LoadTVString(text), mb::kInformation);
}

bool HasRecords(const RecordsetPtr& rs) {
  return rs && rs->RecordCount() > 0;
}

ToolsPtr Collection(ToolsPtr tools, const char* owner) {
  if (!tools) Raise(err::kObjectNotSet, kSource, std::string("No tools of ") + owner);
  return tools;
}

ToolPtr NamedTool(const ToolsPtr& tools, const char* name) {
  ToolPtr tool = tools ? tools->Item(name) : nullptr;
  if (!tool) Raise(err::kObjectNotSet, kSource, std::string("The toolbar has no tool ") + name);
  return tool;
}

}  // namespace

// ---- Menu state ------------------------------------------------------------------

void BatchPackage::SetPacketToolBar() {
  TrapQuietly([&] {
    const BillInterfacePtr bill = TheBill();
    bill->SetBarStatus("mnuEditCopy", "Visible", false);
    if (bill->OpenMode() == 1) {
      for (const char* tool : kLifeCycleTools) {
        bill->SetBarStatus(tool, "Visible", true);
        bill->SetBarStatus(tool, "Enabled", false);
      }
    } else {
      for (const char* tool : kLifeCycleTools) bill->SetBarStatus(tool, "Enabled", true);
    }

    const Variant status = GetHeadValue("FBillStatus");
    const bool leftPlanned = !Trim(status).empty() && NumberOf(status) != kPlanned;
    bill->SetBarStatus("mnuEditAddRow", "Visible", false);
    bill->SetBarStatus("mnuEditDelRow", "Visible", false);
    if (leftPlanned) {
      bill->SetBarStatus("mnuFileSave", "Enabled", false);
      bill->SetBarStatus(kToolLookUp, "Enabled", false);
    } else {
      bill->SetBarStatus("mnuFileSave", "Enabled", true);
    }

    bill->SetBarStatus("mnuDataRedBill", "Visible", false);
    bill->SetBarStatus("mnuDataBlueBill", "Visible", false);
  });
}

// ---- Events ----------------------------------------------------------------------

void BatchPackage::BarInitialize(const ActiveBarPtr& oActiveBar) {
  TrapQuietly([&] {
    if (!oActiveBar) Raise(err::kObjectNotSet, kSource, "Object variable not set: toolbar");
    ActiveBarPtr templateBar = ToolTemplateBar();
    if (!templateBar) Raise(err::kObjectNotSet, kSource, "Object variable not set: templates");
    ToolsPtr templates = Collection(templateBar->GetTools(), "the templates");
    ToolsPtr tools = Collection(oActiveBar->GetTools(), "the toolbar");
    ToolsPtr editMenu = Collection(oActiveBar->Bands(kBandEdit)->GetTools(), kBandEdit);

    for (const char* name : kInsertOrder) {
      tools->Insert(1, NamedTool(templates, name));
      const std::string_view key = name;
      if (key != kToolRelease && key != kToolUnRelease) editMenu->Insert(0, NamedTool(tools, name));
    }
    editMenu->Insert(0, NamedTool(tools, kToolUnRelease));
    editMenu->Insert(0, NamedTool(tools, kToolRelease));

    // Release alone gets a button, right after the preview button.
    const int32_t preview = TheBill()->GetToolIndex(kBandToolBar, "mnuFilePreview");
    Collection(oActiveBar->Bands(kBandToolBar)->GetTools(), kBandToolBar)
        ->Insert(preview + 1, NamedTool(tools, kToolRelease));

    if (TheBill()->OpenMode() == 0) {
      for (const char* name : kLifeCycleTools) NamedTool(tools, name)->SetVisible(false);
    }
  });
}

void BatchPackage::BarClick(const ToolPtr& tool, bool& cancel) {
  TrapQuietly([&] {
    if (!tool) return;
    const std::string name = tool->Name();
    if (name == kToolRelease) {
      ReleaseInstruction();
    } else if (name == kToolUnRelease) {
      if (!HasDownstreamBills()) UnReleaseInstruction();
    } else if (name == kToolPause || name == kToolUnPause) {
      ChangeBillState(name == kToolPause, kPaused);
    } else if (name == kToolCancel || name == kToolUnCancel) {
      ChangeBillState(name == kToolCancel, kCancelled);
    } else if (name == kToolEndCase || name == kToolUnEndCase) {
      ChangeBillState(name == kToolEndCase, kEnded);
    } else if (name == kToolLookUp) {
      LookUpData(cancel);
    }
  });
}

void BatchPackage::AfterNewBill() {
  TrapQuietly([&] {
    SetPacketToolBar();
    // A new instruction is entered by hand and starts planned.
    const struct {
      const char* key;
      int16_t fld;
      const char* fnd;
      const char* dsp;
    } initial[] = {{"FBillComeFrom", 41, "001", "手工录入"},
                   {"FBillStatus", kPlanned, "ZT1", "计划"}};
    for (const auto& field : initial) {
      WriteValue(TheBill(), field.key, 0, Variant::Int(field.fld), field.fnd,
                 LoadTVString(field.dsp));
    }
  });
}

void BatchPackage::AfterLoadBill() {
  TrapQuietly([&] {
    SetPacketToolBar();
    BillControlPtr control = TheControl();
    const bool planned = HeadNumber(TheBill(), "FBillStatus") == kPlanned;
    control->SetLockProperty(!planned, FieldInfo("FBillStatus"), true);
    if (m_lBillStatus != 1) control->SetLockProperty(true, FieldInfo("FMoBillNO"), false);
  });
}

void BatchPackage::BeforLoadBillFillData() {
  TrapQuietly([&] {
    CaptureSavedStatus();
    ApplyBillStatus(HeadNumber(TheBill(), "FReleaseID") != 0);
  });
}

void BatchPackage::Change(const DictionaryPtr& dct, const DictionaryPtr& /*fieldInfo*/,
                          int32_t /*col*/, int32_t /*row*/, bool& cancel) {
  TrapQuietly([&] {
    if (!dct || Trim(dct->Get("FFieldName")).empty() || !IsSourceLookup(dct)) return;
    FillLookupFields(dct, cancel);
  });
}

// ---- Procedures --------------------------------------------------------------------

BillInterfacePtr BatchPackage::TheBill() {
  if (!m_BillInterface) Raise(err::kObjectNotSet, kSource, "Object variable not set: bill");
  return m_BillInterface.Get();
}

BillControlPtr BatchPackage::TheControl() {
  return ControlOf(TheBill());
}

DictionaryPtr BatchPackage::FieldInfo(const std::string& key) {
  return FieldInfoOf(TheBill(), key);
}

Variant BatchPackage::GetHeadValue(const std::string& key) {
  return HeadValue(TheBill(), key);
}

void BatchPackage::ReleaseInstruction() {
  TrapShowing(kReleaseError, [&] { RunRelease(true); });
}

void BatchPackage::UnReleaseInstruction() {
  TrapShowing(kUnReleaseError, [&] { RunRelease(false); });
}

void BatchPackage::RunRelease(bool release) {
  const BillInterfacePtr bill = TheBill();
  if (!HasClassRight(bill, kReleaseRight)) {
    ShowNoRightMessage();
    return;
  }
  if (release && (NumberOf(GetHeadValue("FID")) == 0 || TheControl()->IsChange())) {
    Say("请先保存单据！");
    return;
  }
  const bool released = NumberOf(GetHeadValue("FReleaseID")) != 0;
  if (release && released) {
    Say("单据已经下达，不能再下达！");
    return;
  }
  if (!release && !released) {
    Say("单据还未下达，不能反下达！");
    return;
  }
  if (NumberOf(GetHeadValue("FBillStatus")) != (release ? kPlanned : kReleased)) {
    Say(release ? "单据目前不是计划状态，不能下达!" : "单据目前不是下达状态，不能反下达!");
    return;
  }

  DictionaryPtr request = Dictionary::New({{"BillClassTypeID", Variant(kClassTypeId)},
                                           {"InterID", GetHeadValue("FID")},
                                           {"CheckSwitch", Variant::Int(release ? 0 : 1)},
                                           {"ReturnString", Variant::Int(0)}});
  const std::string billNo = TextOf(GetHeadValue("FBillNo"));
  auto check = CreateObjectAs<SimpleCheck>(progid::kSimpleCheck);
  if (!check->ReleaseBill(GetPropsString(), request)) {
    ShowMessage(TextOf(request->Get("ReturnString")), mb::kInformation);
    return;
  }
  if (release) {
    FinishStep("单据下达成功!", "下达成功，单据编号:", "下达成功", billNo);
  } else {
    FinishStep("单据反下达成功!", "反下达成功，单据编号:", "反下达成功", billNo);
  }
  // A released instruction may no longer be edited; an unreleased one may again.
  TheControl()->SetLockProperty(release, FieldInfo("FID"), true);
}

bool BatchPackage::HasDownstreamBills() {
  bool found = false;
  Trap(
      [&] {
        const std::string id = std::to_string(CLng(Variant(NumberOf(GetHeadValue("FID")))));
        auto cnn = CreateObjectAs<Connection>(kConnectionProgId);
        RecordsetPtr rs = cnn->Execute(kPickingSql + id);
        if (HasRecords(rs)) {
          ShowMessage(LoadTVString("单据") + "[" + TextOf(rs->Value("FBillNO")) +
                          LoadTVString("]反下达失败，已经存在对应的生产领料单!"),
                      mb::kInformation);
          found = true;
          return;
        }
        if (HasRecords(cnn->Execute(kPackLogSql + id))) {
          Say("反下达失败，已经存在对应的包装记录单!");
          found = true;
          return;
        }
        if (HasRecords(cnn->Execute(kItemBalanceSql + id))) {
          Say("反下达失败，已经存在对应的包装材料物料平衡单!");
          found = true;
        }
      },
      [&](const AutomationError& e) {
        // Unknown downstream bills keep the instruction released.
        ShowPrefixedError(kUnReleaseError, e);
        found = true;
      });
  return found;
}

void BatchPackage::ChangeBillState(bool bDo, int32_t lActionID) {
  const StateStep* step = FindStateStep(lActionID, bDo);
  if (!step) return;
  // A refusal or failure of the step is shown with its reason, as release
  // shows its own.
  TrapShowing(step->failure, [&] {
    if (!HasClassRight(TheBill(), step->right)) {
      ShowNoRightMessage();
      return;
    }
    const Variant status = GetHeadValue("FBillStatus");
    const std::string billNo = TextOf(GetHeadValue("FBillNo"));
    if (NumberOf(status) != step->requiredStatus) {
      Say(step->refusal);
      return;
    }
    DictionaryPtr request = Dictionary::New({{"InterID", GetHeadValue("FID")},
                                             {"ActionID", Variant(lActionID)},
                                             {"CheckSwitch", Variant::Int(bDo ? 0 : 1)},
                                             {"ReturnString", Variant("")}});
    auto batchPack = CreateObjectAs<BatchPackComponent>(progid::kBatchPack);
    if (!batchPack->Update(GetPropsString(), request)) {
      std::string reason = TextOf(request->Get("ReturnString"));
      if (Trim(reason).empty()) reason = LoadTVString(kNoReason);
      ShowMessage(LoadTVString(step->failure) + reason, mb::kInformation);
      return;
    }
    FinishStep(step->success, step->logLong, step->logShort, billNo);
  });
}

void BatchPackage::FinishStep(const std::string& message, const std::string& logLong,
                              const std::string& logShort, const std::string& billNo) {
  Say(message);
  FinishCommittedBillStep(TheBill(), [&] {
    std::string text = LoadTVString("单据") + LoadTVString("批包装指令");
    text += billNo.empty() ? LoadTVString(logShort) : LoadTVString(logLong) + billNo;
    return StepLog{kLogType, text, kFunctionCode};
  });
}

void BatchPackage::LookUpData(bool& cancel) {
  TrapQuietly([&] {
    if (PickSourceFromList(TheBill(), nullptr).picked) cancel = true;
  });
}

void BatchPackage::FillLookupFields(const DictionaryPtr& dctFld, bool& cancel) {
  TrapQuietly([&] { FillFromTypedSource(TheBill(), dctFld, cancel, nullptr); });
}

}  // namespace orb
