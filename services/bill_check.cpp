#include "services/bill_check.h"

#include <memory>
#include <string>

#include "frame/error_trap.h"
#include "host/automation_error.h"
#include "host/components.h"
#include "host/convert.h"
#include "host/platform.h"
#include "host/recordset.h"
#include "services/bill_values.h"
#include "services/committed_step.h"
#include "services/language.h"
#include "services/login_context.h"
#include "services/net_control.h"
#include "services/wait_cursor.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.MMTS";
constexpr int32_t kCheckRight = 1;
constexpr int32_t kLogType = 5;

// ---- Tables -------------------------------------------------------------------

struct BillName {
  int32_t classTypeId;
  const char* name;
};

const BillName kBillNames[] = {
    {1001012, "批包装指令"},       {1001017, "偏差处理报告"},   {1001801, "清洁方案"},
    {1001802, "库存养护记录"},     {1001805, "包装记录"},       {1001806, "清场记录"},
    {1001807, "包装材料物料平衡"}, {1001808, "清洁记录"},       {1001809, "清场方案"},
    {1001811, "成品放行审核方案"}, {1001812, "成品放行审核单"}, {1001814, "标签销毁记录"},
    {1001815, "合箱管理记录"},     {1001816, "物料平衡收率表"}, {1001818, "报损审批单"},
    {1001819, "报损销毁记录"},     {1001828, "操作记录方案"},   {1001829, "工序操作记录"},
};

// The function codes of the subsystems that have their own; every other
// subsystem writes "PLT<class type>_<tool>".
struct FunctionCodes {
  const char* subId;
  int32_t classTypeId;
  const char* audit;
  const char* unaudit;
  const char* remove;
};

const FunctionCodes kFunctionCodes[] = {
    {"cg", 1001901, "K206030", "K206031", "K206032"},
    {"cg", 1001905, "K206035", "K206036", "K206037"},
    {"qm", 1001901, "QM008003", "QM008004", ""},
    {"qm", 1001905, "QM008008", "QM008009", ""},
};

const char* ToolOf(BillAction action) {
  switch (action) {
    case BillAction::Audit:
      return "mnuEditCheck";
    case BillAction::Unaudit:
      return "mnuEditUnCheck";
    case BillAction::Delete:
      return "mnuEditDelete";
  }
  return "";
}

const char* CodeOf(const FunctionCodes& row, BillAction action) {
  switch (action) {
    case BillAction::Audit:
      return row.audit;
    case BillAction::Unaudit:
      return row.unaudit;
    case BillAction::Delete:
      return row.remove;
  }
  return "";
}

// ---- Values -------------------------------------------------------------------

std::string Translate(const std::string& text) {
  return LoadTVString(text);
}

// The translation of a "|"-ended key without its "|": one line of a summary.
std::string SummaryLine(const std::string& key) {
  std::string line = LoadTVString(key);
  if (!line.empty() && line.back() == '|') line.pop_back();
  return line;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

DictionaryPtr NotNull(DictionaryPtr d, const char* what) {
  if (!d) Raise(err::kObjectNotSet, kSource, std::string("Object variable not set: ") + what);
  return d;
}

RecordsetPtr Execute(const std::string& sql) {
  return CreateObjectAs<Connection>(kConnectionProgId)->Execute(sql);
}

// The check request of the simple-check component.
DictionaryPtr CheckRequest(const Variant& classTypeId, int32_t billId, bool bCheck) {
  return Dictionary::New({{"BillClassTypeid", Variant(CLng(classTypeId))},
                          {"InterID", Variant(billId)},
                          {"CheckSwitch", Variant::Int(bCheck ? 0 : 1)},
                          {"ReturnString", Variant("")}});
}

bool SendCheckRequest(const DictionaryPtr& request) {
  return CreateObjectAs<SimpleCheck>(progid::kSimpleCheck)->CheckBill(GetPropsString(), request);
}

// "审核[<bill name>],<caption><bill number>" (or 反审核) under the code of the action.
StepLog CheckLog(const BillInterfacePtr& oBill, const DictionaryPtr& classType, bool bCheck) {
  std::string caption;
  const std::string billNo = oBill->DataSrv()->GetExistBillNo(oBill->CurBillID(), caption);
  const std::string text = LoadTVString(bCheck ? "审核" : "反审核") + "[" +
                           TextOf(classType->Get("FName")) + "]," + caption + billNo;
  return {kLogType, text,
          FunctionCode(GetLoginProperty("SubID"), CLng(classType->Get("FID")),
                       bCheck ? BillAction::Audit : BillAction::Unaudit, false)};
}

// ---- The list side ------------------------------------------------------------

// Holds a bill's function lock until it goes out of scope, also when an error
// ends the run: a lock left behind would keep every user out of the function.
class HeldLock {
 public:
  explicit HeldLock(int32_t handle) : handle_(handle) {}
  ~HeldLock() {
    if (handle_ > 0) TrapQuietly([&] { LeaveFunctionMutex(handle_); });
  }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;
  int32_t Handle() const { return handle_; }

 private:
  int32_t handle_;
};

// Refreshes the list when it goes out of scope and `done` bills were
// committed; a failing refresh is reported, not raised.
class ListRefreshAfterCommits {
 public:
  ListRefreshAfterCommits(const ListInterfacePtr& list, const int32_t& done)
      : list_(list), done_(done) {}
  ~ListRefreshAfterCommits() {
    if (done_ > 0) {
      Trap([&] { list_->List()->RefreshList(); }, ReportRefreshFailure);
    }
  }
  ListRefreshAfterCommits(const ListRefreshAfterCommits&) = delete;
  ListRefreshAfterCommits& operator=(const ListRefreshAfterCommits&) = delete;

 private:
  const ListInterfacePtr& list_;
  const int32_t& done_;
};

// What the list procedures need of the list's bill type.
struct ListBillType {
  int32_t classTypeId = 0;
  std::string name;         // as the messages show it
  std::string headTable;    // "FTableName" of the head
  std::string billNoField;  // "FBillNoField" of the head
  VectorPtr functions;      // the "Mutex" records
};

ListBillType ReadListBillType(const ListInterfacePtr& oList, int32_t classTypeId) {
  if (!oList) Raise(err::kObjectNotSet, kSource, "Object variable not set: list");
  DataServicePtr dataSrv = oList->DataSrv();
  DictionaryPtr classType =
      NotNull(dataSrv ? dataSrv->ClassType() : oList->ClassType(), "ClassType");
  DictionaryPtr head =
      NotNull(oList->TableInfo() ? oList->TableInfo()->DictionaryAt(1) : nullptr, "TableInfo");
  ListBillType t;
  t.classTypeId = classTypeId;
  t.name = BillTypeName(classTypeId);
  if (t.name.empty()) t.name = TextOf(classType->Get("FName"));
  t.headTable = CStr(head->Get("FTableName"));
  t.billNoField = CStr(head->Get("FBillNoField"));
  t.functions = classType->GetVector("Mutex");
  return t;
}

int32_t ListClassTypeId(const ListInterfacePtr& oList) {
  if (!oList) Raise(err::kObjectNotSet, kSource, "Object variable not set: list");
  DataServicePtr dataSrv = oList->DataSrv();
  return CLng(
      NotNull(dataSrv ? dataSrv->ClassType() : oList->ClassType(), "ClassType")->Get("FID"));
}

VectorPtr SelectedBills(const ListInterfacePtr& oList) {
  ListViewPtr view = oList->List();
  if (!view) Raise(err::kObjectNotSet, kSource, "Object variable not set: List");
  VectorPtr ids = view->GetSelectedBillID();
  return ids ? ids : Vector::New();
}

// The state and number of a listed bill; nullptr when it no longer exists.
// `beforeFid` is the blank text between "where" and "FID": the delete reads
// the bill with two blanks there, the audit with one.
RecordsetPtr ReadListedBill(const ListBillType& t, int32_t id, const char* beforeFid) {
  RecordsetPtr rs = Execute("select FCheckerID," + t.billNoField + " as FBillNo from " +
                            t.headTable + " where" + beforeFid + "FID=" + std::to_string(id));
  return rs && !rs->IsEOF() ? rs : nullptr;
}

int32_t RunListCheck(const ListInterfacePtr& oList, int32_t lClassTypeID, bool bCheck,
                     bool bSilent) {
  WaitCursor wait;
  VectorPtr ids = SelectedBills(oList);
  const ListBillType t = ReadListBillType(oList, lClassTypeID);
  const bool several = ids->Size() > 1;
  const BillAction action = bCheck ? BillAction::Audit : BillAction::Unaudit;
  std::vector<std::string> summary;
  auto say = [&](const std::string& text) {
    if (!bSilent) ShowMessage(text, mb::kInformation);
  };

  int32_t done = 0;
  // The bills audited so far are committed: the list shows them again also
  // when a later bill ends the run with an error.
  ListRefreshAfterCommits refresh(oList, done);
  for (int32_t i = 1; i <= ids->Size(); ++i) {
    const int32_t id = CLng(ids->Item(i));
    RecordsetPtr rs = ReadListedBill(t, id, " ");
    // A bill deleted since the list was shown is reported as the delete
    // reports it, and the run goes on with the next one.
    if (!rs) {
      say(FormatTVString("所选[%1]单据已不存在,请检查。", Variant(id)));
      continue;
    }
    const double checker = NumberOf(rs->Value("FCheckerID"));
    const std::string billNo = TextOf(rs->Value("FBillNo"));
    HeldLock lock(EnterFunctionMutex(t.functions, kOperAudit, id, Variant(0)));
    if (lock.Handle() == 0) continue;

    const bool allowed = bCheck ? checker <= 0 : checker > 0;
    if (!allowed) {
      const std::string line =
          "[" + billNo + "]" +
          (several ? SummaryLine(bCheck ? "审核未成功,原因：已审核|" : "反审核未成功,原因：未审核|")
                   : LoadTVString(bCheck ? "审核未成功,原因：已审核！"
                                         : "反审核未成功,原因：未审核！"));
      several ? summary.push_back(line) : say(line);
      continue;
    }

    DictionaryPtr request = CheckRequest(Variant(t.classTypeId), id, bCheck);
    if (!SendCheckRequest(request)) {
      const std::string reason = TextOf(request->Get("ReturnString"));
      several ? summary.push_back("[" + billNo + "]" + reason) : say(reason);
      continue;
    }
    ++done;
    // The unaudit texts are keys of their own ("反审核成功！ "), so that they
    // translate as one phrase; in Chinese they read as "反" before the audit text.
    const std::string head = "[" + t.name + "]" + billNo;
    if (several) {
      summary.push_back(head + SummaryLine(bCheck ? "审核成功|" : "反审核成功|"));
    } else {
      say(head + LoadTVString(bCheck ? "审核成功！ " : "反审核成功！ "));
    }
    WriteStepLog([&] {
      return StepLog{
          kLogType, LoadTVString(bCheck ? "审核" : "反审核") + LoadTVString(",单据编号：") + billNo,
          FunctionCode(GetLoginProperty("SubID"), t.classTypeId, action, true)};
    });
  }
  if (!summary.empty()) say(JoinLines(summary));
  return done;
}

struct DeleteOutcome {
  bool deleted = false;
  std::string text;
};

DeleteOutcome DeleteThroughClassUpdate(const std::string& props,
                                       const std::vector<Variant>& values) {
  DeleteOutcome outcome;
  Trap(
      [&] {
        CreateObjectAs<ClassUpdate>(progid::kClassUpdate)->DeleteBill(props, values);
        outcome.deleted = true;
        outcome.text = LoadTVString("成功！");
      },
      [&](const AutomationError& e) {
        outcome.text = LoadTVString(e.Description()) + LoadTVString("失败！");
      });
  return outcome;
}

bool RunListDelete(const ListInterfacePtr& oList) {
  VectorPtr ids = SelectedBills(oList);
  const ListBillType t = ReadListBillType(oList, ListClassTypeId(oList));
  if (ids->Size() == 0) {
    ShowMessage(
        LoadTVString("请选择") + " [" + t.name + "] " + LoadTVString("后，再执行删除操作！"),
        mb::kInformation);
    return false;
  }
  if (ShowMessage(LoadTVString("是否要删除所选") + " [" + t.name + "]?  ",
                  mb::kQuestion | mb::kYesNo) != mb::kYes) {
    return false;
  }

  const bool several = ids->Size() > 1;
  std::shared_ptr<DispBuilder> display;
  if (several) display = CreateObjectAs<DispBuilder>(progid::kDispBuilder);
  const std::string code =
      FunctionCode(GetLoginProperty("SubID"), t.classTypeId, BillAction::Delete, true);

  for (int32_t i = 1; i <= ids->Size(); ++i) {
    const int32_t id = CLng(ids->Item(i));
    RecordsetPtr rs = ReadListedBill(t, id, "  ");
    if (!rs) {
      ShowMessage(FormatTVString("所选[%1]单据已不存在,请检查。", Variant(id)), mb::kInformation);
      continue;
    }
    const double checker = NumberOf(rs->Value("FCheckerID"));
    const std::string billNo = TextOf(rs->Value("FBillNo"));
    HeldLock lock(EnterFunctionMutex(t.functions, kOperDelete, id, Variant(0)));

    std::string line = LoadTVString("删除") + LoadTVString(" [编号：") + billNo;
    if (checker > 0) {
      line += several ? SummaryLine("]失败!已审核，不能删除!|")
                      : LoadTVString("]失败！已审核，不能删除！");
    } else {
      const DeleteOutcome outcome = DeleteThroughClassUpdate(
          GetPropsString(), {Variant(t.classTypeId), Variant(id), Variant(t.headTable),
                             Variant(billNo), Variant(), Variant()});
      line += "]" + outcome.text;
      // Only a bill that is really gone is logged as deleted.
      if (outcome.deleted) {
        WriteStepLog([&] {
          return StepLog{kLogType, LoadTVString("删除") + LoadTVString(",单据编号：") + billNo,
                         code};
        });
      }
    }
    if (several) {
      display->AddLine(line);
    } else {
      ShowMessage(line, mb::kInformation);
    }
  }
  if (display) display->Show();
  oList->List()->RefreshList();
  return true;
}

}  // namespace

// ---- Tables -------------------------------------------------------------------

std::string BillTypeName(int32_t classTypeId) {
  for (const auto& row : kBillNames) {
    if (row.classTypeId == classTypeId) return LoadTVString(row.name);
  }
  return "";
}

std::string FunctionCode(const std::string& subId, int32_t classTypeId, BillAction action,
                         bool fromList) {
  const std::string subsystem = LCase(Trim(subId));
  const bool ownCodes = subsystem == "cg" || (subsystem == "qm" && !fromList);
  if (!ownCodes) return "PLT" + std::to_string(classTypeId) + "_" + ToolOf(action);
  for (const auto& row : kFunctionCodes) {
    if (subsystem == row.subId && classTypeId == row.classTypeId) return CodeOf(row, action);
  }
  return "";
}

double HeadCheckerID(const BillInterfacePtr& oBill) {
  return HeadNumber(oBill, "FCheckerID");
}

// ---- One bill -------------------------------------------------------------------

bool CheckBill(const BillInterfacePtr& oBill, bool bCheck, int32_t lClassTypeID,
               int16_t /*iMode*/) {
  bool ok = false;
  Trap([&] { ok = CanCheckBill(oBill, bCheck) && DoCheckBill(oBill, bCheck, lClassTypeID, false); },
       [](const AutomationError& e) { Reraise(e, Translate); });
  return ok;
}

bool CanCheckBill(const BillInterfacePtr& oBill, bool bCheck) {
  if (bCheck && (HeadNumber(oBill, "FID") == 0 || ControlOf(oBill)->IsChange())) {
    ShowMessage(LoadTVString("请先保存单据！"), mb::kInformation);
    return false;
  }
  if (!HasClassRight(oBill, kCheckRight)) {
    ShowNoRightMessage();
    return false;
  }
  const double checker = HeadCheckerID(oBill);
  if (bCheck && checker > 0) {
    ShowMessage(LoadTVString("该单已经审核，不能再审核！"), mb::kInformation);
    return false;
  }
  if (!bCheck && checker <= 0) {
    ShowMessage(LoadTVString("该单未审核，不能反审核！"), mb::kInformation);
    return false;
  }
  return true;
}

bool DoCheckBill(const BillInterfacePtr& oBill, bool bCheck, int32_t /*lClassTypeID*/,
                 bool bSilent) {
  WaitCursor wait;
  DictionaryPtr classType = NotNull(oBill->ClassType(), "ClassType");
  DictionaryPtr request = CheckRequest(classType->Get("FID"), oBill->CurBillID(), bCheck);
  const bool ok = SendCheckRequest(request);
  if (!bSilent) ShowMessage(TextOf(request->Get("ReturnString")), mb::kInformation);
  if (!ok) return false;
  // The bill is audited by now: neither a failed re-read nor a log line that
  // cannot be written turns that into a failure.
  FinishCommittedBillStep(oBill, [&] { return CheckLog(oBill, classType, bCheck); });
  return true;
}

bool HandleCheckToolClick(const BillInterfacePtr& oBill, const ToolPtr& tool, int32_t classTypeId,
                          bool& cancel) {
  if (!tool) return false;
  const std::string name = tool->Name();
  if (name != "mnuEditCheck" && name != "mnuEditUnCheck") return false;
  cancel = true;
  CheckBill(oBill, name == "mnuEditCheck", classTypeId, 0);
  return true;
}

bool HasClassRight(const BillInterfacePtr& oBill, int32_t lRight) {
  DictionaryPtr classType = NotNull(oBill->ClassType(), "ClassType");
  return GetSystemObject()->AccessCheck(classType->Get("FObjectType"), classType->Get("FObjectID"),
                                        lRight);
}

void ShowNoRightMessage() {
  ShowMessage(LoadTVString("对不起，你没有相应的权限！"), mb::kExclamation);
}

// ---- The selected bills of a list ----------------------------------------------

int32_t CheckBillsFromList(const ListInterfacePtr& oList, int32_t lClassTypeID, bool bCheck,
                           bool bSilent) {
  int32_t done = 0;
  Trap([&] { done = RunListCheck(oList, lClassTypeID, bCheck, bSilent); },
       [](const AutomationError& e) { Reraise(e, Translate); });
  return done;
}

void CheckBillsFromListHandler(const ListInterfacePtr& oList, int32_t lClassTypeID, bool bSilent) {
  CheckBillsFromList(oList, lClassTypeID, false, bSilent);
}

bool DeleteBillsFromList(const ListInterfacePtr& oList) {
  bool ok = false;
  Trap([&] { ok = RunListDelete(oList); },
       [](const AutomationError& e) {
         ShowMessage(
             LoadTVString("删除所选单据失败,原因是：") + "\r\n" + LoadTVString(e.Description()),
             mb::kCritical);
       });
  return ok;
}

std::string DeleteBillByClass(const std::string& props, const std::vector<Variant>& values) {
  return DeleteThroughClassUpdate(props, values).text;
}

}  // namespace orb
