// The audit and delete workflow on the bill list, the function codes, and the
// menu rules that the scenario files cannot reach.
#include "services/bill_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/automation_error.h"
#include "host/convert.h"
#include "host/platform.h"
#include "refhost/bill.h"
#include "refhost/bill_list.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "services/login_context.h"
#include "services/menu_state.h"
#include "services/net_control.h"

namespace orb {
namespace {

using nlohmann::json;

constexpr int32_t kScheme = 1001828;

TEST(FunctionCodeTest, SubsystemsAndClassTypes) {
  EXPECT_EQ(FunctionCode("cg", 1001901, BillAction::Audit, false), "K206030");
  EXPECT_EQ(FunctionCode("CG", 1001901, BillAction::Unaudit, true), "K206031");
  EXPECT_EQ(FunctionCode("cg", 1001901, BillAction::Delete, true), "K206032");
  EXPECT_EQ(FunctionCode("cg", 1001905, BillAction::Audit, true), "K206035");
  EXPECT_EQ(FunctionCode("cg", 1001905, BillAction::Delete, false), "K206037");
  EXPECT_EQ(FunctionCode("cg", kScheme, BillAction::Audit, false), "");

  // The quality subsystem's codes serve the single bill; the list side writes
  // the default code.
  EXPECT_EQ(FunctionCode("QM", 1001905, BillAction::Unaudit, false), "QM008009");
  EXPECT_EQ(FunctionCode("qm", 1001901, BillAction::Audit, false), "QM008003");
  EXPECT_EQ(FunctionCode("qm", 1001901, BillAction::Delete, false), "");
  EXPECT_EQ(FunctionCode("qm", kScheme, BillAction::Audit, false), "");
  EXPECT_EQ(FunctionCode("qm", 1001901, BillAction::Audit, true), "PLT1001901_mnuEditCheck");

  EXPECT_EQ(FunctionCode("", kScheme, BillAction::Audit, false), "PLT1001828_mnuEditCheck");
  EXPECT_EQ(FunctionCode("ic", kScheme, BillAction::Unaudit, true), "PLT1001828_mnuEditUnCheck");
  EXPECT_EQ(FunctionCode("ic", kScheme, BillAction::Delete, true), "PLT1001828_mnuEditDelete");
}

// A host with the operation record scheme's tables and three schemes: OP001
// (not audited, NULL auditor), OP002 (audited) and OP003 (auditor 0).
class WorkflowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    ResetServiceCaches();
    host_->SetPropsString("UserID=16394;UserName=administrator;SubID=qm;Language=chs;");
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/operate_proj.sql")));
    host_->Db().Exec(
        "INSERT INTO GMPOperationProj (FID, FBillNO, FSchemeName, FCheckerID, FCheckDate) VALUES "
        "(1, 'OP001', 'Mixing', NULL, ''), (2, 'OP002', 'Drying', 16394, '2024-01-05'), "
        "(3, 'OP003', 'Coating', 0, '');"
        "INSERT INTO GMPOperationProjEntry (FID, FEntryID, FIndex, FOperation) VALUES "
        "(1, 1, 1, 'Weigh'), (1, 2, 2, 'Mix'), (2, 1, 1, 'Dry');");
  }
  void TearDown() override {
    list_.reset();
    bill_.reset();
    ResetServiceCaches();
    host_.reset();
  }

  // The scheme's template; `edit` may change it first (class type, locks).
  std::shared_ptr<const refhost::BillTemplate> Template(
      const std::function<void(json&)>& edit = nullptr) {
    json t = json::parse(*refhost::FindEmbedded("templates/operate_proj.json"));
    if (edit) edit(t);
    return std::make_shared<refhost::BillTemplate>(refhost::BillTemplate::Parse(t));
  }
  // The scheme's template with the function lock of an operation type taken
  // on subsystem 7.
  std::shared_ptr<const refhost::BillTemplate> LockingTemplate(int32_t operType,
                                                               const std::string& number) {
    return Template([&](json& t) {
      for (auto& f : t["classType"]["Mutex"]) {
        if (f["FOpareteType"] == operType) {
          f["FSubSysID"] = 7;
          f["FNumber"] = number;
        }
      }
    });
  }

  void OpenList(std::shared_ptr<const refhost::BillTemplate> tpl, std::vector<int32_t> ids) {
    list_ = std::make_shared<refhost::BillList>(*host_, std::move(tpl));
    list_->Select(std::move(ids));
    host_->Log().Clear();
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : host_->Log().Since(0, "message")) texts.push_back(m.at("text"));
    return texts;
  }
  // The calls of the workflow's components (language and shared-property
  // look-ups left out).
  std::vector<json> WorkflowCalls() const {
    std::vector<json> calls;
    for (const auto& c : host_->Log().Since(0, "call")) {
      const std::string component = c.at("component");
      if (component != "OrbResLoader.Loader" && component != "PropsMgr.ShareProps" &&
          component != "OrbLangInfo.LangInfo") {
        calls.push_back(c);
      }
    }
    return calls;
  }
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const auto& c : WorkflowCalls())
      calls.push_back(c.at("component").get<std::string>() + "." +
                      c.at("member").get<std::string>());
    return calls;
  }
  std::vector<json> LogLines() const { return host_->Log().Since(0, "log"); }
  // The rows of a query as text, one "a|b|..." per row.
  std::vector<std::string> Rows(const std::string& sql) {
    std::vector<std::string> rows;
    for (auto rs = host_->Db().Query(sql); !rs->IsEOF(); rs->MoveNext()) {
      std::string row;
      for (int32_t i = 0; i < rs->FieldCount(); ++i) {
        Variant v = rs->Value(i);
        row += (i ? "|" : "") + (v.IsNull() ? std::string("NULL") : CStr(v));
      }
      rows.push_back(row);
    }
    return rows;
  }

  std::unique_ptr<refhost::Host> host_;
  std::shared_ptr<refhost::BillList> list_;
  std::shared_ptr<refhost::Bill> bill_;
};

// ---- Audit from the list -------------------------------------------------------

TEST_F(WorkflowTest, ListAuditOfSeveralBillsSkipsTheAuditedOneWithoutALock) {
  OpenList(Template(), {1, 2, 9, 3});  // 9 was deleted meanwhile
  EXPECT_EQ(CheckBillsFromList(list_, kScheme, true, false), 2);

  EXPECT_EQ(Rows("SELECT FID, FCheckerID FROM GMPOperationProj ORDER BY FID"),
            (std::vector<std::string>{"1|16394", "2|16394", "3|16394"}));
  EXPECT_EQ(Rows("SELECT count(*) FROM GMPOperationProj WHERE FCheckDate = date('now', "
                 "'localtime')"),
            (std::vector<std::string>{"2"}));
  // One summary for the three bills; the audited one never reaches the component.
  EXPECT_EQ(Messages(), (std::vector<std::string>{"所选[9]单据已不存在,请检查。",
                                                  "[操作记录方案]OP001审核成功\r\n"
                                                  "[OP002]审核未成功,原因：已审核\r\n"
                                                  "[操作记录方案]OP003审核成功"}));
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{
                "OrbMQMDataAccess.cBillSimpleCheck.CheckBill", "ZADUVAvuz.GLData.WriteLog",
                "OrbMQMDataAccess.cBillSimpleCheck.CheckBill", "ZADUVAvuz.GLData.WriteLog"}));
  // The list side knows no quality-subsystem codes: the default code.
  ASSERT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(LogLines()[0].at("funcId"), "PLT1001828_mnuEditCheck");
  EXPECT_EQ(LogLines()[0].at("text"), "审核,单据编号：OP001");
  EXPECT_EQ(LogLines()[1].at("text"), "审核,单据编号：OP003");
  EXPECT_EQ(list_->RefreshCount(), 1);
}

TEST_F(WorkflowTest, ListUnauditOfOneBill) {
  // Not audited: refused before the component, and nothing to refresh.
  OpenList(Template(), {1});
  CheckBillsFromListHandler(list_, kScheme, false);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"[OP001]反审核未成功,原因：未审核！"}));
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(list_->RefreshCount(), 0);

  // Audited: unaudited, under the purchasing subsystem's (empty) code.
  host_->SetPropsString("UserID=16394;SubID=cg;");
  OpenList(Template(), {2});
  EXPECT_EQ(CheckBillsFromList(list_, kScheme, false, false), 1);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"[操作记录方案]OP002反审核成功！ "}));
  EXPECT_EQ(host_->Log().Since(0, "message").at(0).at("style"), mb::kInformation);
  EXPECT_EQ(Rows("SELECT FCheckerID, FCheckDate FROM GMPOperationProj WHERE FID = 2"),
            (std::vector<std::string>{"NULL|"}));
  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(LogLines()[0].at("funcId"), "");
  EXPECT_EQ(LogLines()[0].at("text"), "反审核,单据编号：OP002");
  EXPECT_EQ(list_->RefreshCount(), 1);
}

TEST_F(WorkflowTest, ListAuditStopsAtALockHeldElsewhereAndReleasesItsOwn) {
  host_->Db().Exec(
      "INSERT INTO t_TaskLock (FSubSysID, FNumber, FKey, FComputer) "
      "VALUES (7, 'OPAUDIT', '3', 'OTHER-PC')");
  OpenList(LockingTemplate(kOperAudit, "OPAUDIT"), {1, 3});
  try {
    CheckBillsFromList(list_, kScheme, true, false);
    ADD_FAILURE() << "the conflict was not raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kFunctionConflict);
    EXPECT_EQ(e.Source(), "MNetControl.ExecFunc");
    EXPECT_EQ(e.Description(), "当前使用的功能与其他用户有冲突,目前无法使用!");
  }
  // OP001 was audited under its lock, which is gone; OP003 was left alone.
  EXPECT_EQ(Rows("SELECT FID, ifnull(FCheckerID, 0) FROM GMPOperationProj WHERE FID IN (1, 3)"),
            (std::vector<std::string>{"1|16394", "3|0"}));
  EXPECT_EQ(Rows("SELECT FKey, FComputer FROM t_TaskLock"),
            (std::vector<std::string>{"3|OTHER-PC"}));
  auto calls = WorkflowCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().at("member"), "taskexec");
  EXPECT_EQ(calls.front().at("args"), json({7, "OPAUDIT", "REFHOST", 3, 0, 0, 1}));

  // An error while a bill's lock is held: raised again as it came, and the
  // lock does not outlive the run.
  host_->Db().Exec("UPDATE GMPOperationProj SET FCheckerID = NULL WHERE FID = 1");
  OpenList(LockingTemplate(kOperAudit, "OPAUDIT"), {1});
  refhost::Fault fault;
  fault.target = "call";
  fault.match = "OrbMQMDataAccess.cBillSimpleCheck.CheckBill";
  fault.number = 70;
  host_->GetFaults().Add(fault);
  try {
    CheckBillsFromList(list_, kScheme, true, false);
    ADD_FAILURE() << "the component's error was not raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 70);
    EXPECT_EQ(e.Source(), "OrbMQMDataAccess.cBillSimpleCheck");
  }
  EXPECT_EQ(Rows("SELECT FKey FROM t_TaskLock"), (std::vector<std::string>{"3"}));
}

// The login object's answers scripted as another host's would come: a refused
// lock stops the audit before any bill, a lock that cannot be given back is
// told to the user once the bill is audited.
TEST_F(WorkflowTest, ListAuditFollowsTheLoginObjectsScriptedAnswers) {
  host_->Scripted().taskHandle = 0;
  OpenList(LockingTemplate(kOperAudit, "OPAUDIT"), {1});
  try {
    CheckBillsFromList(list_, kScheme, true, false);
    ADD_FAILURE() << "the conflict was not raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kFunctionConflict);
  }
  EXPECT_EQ(Rows("SELECT ifnull(FCheckerID, 0) FROM GMPOperationProj WHERE FID = 1"),
            (std::vector<std::string>{"0"}));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"TVLogin.taskexec"}));

  host_->Scripted().taskHandle = 41;
  host_->Scripted().commitTask = false;
  OpenList(LockingTemplate(kOperAudit, "OPAUDIT"), {1});
  EXPECT_EQ(CheckBillsFromList(list_, kScheme, true, false), 1);
  EXPECT_EQ(Rows("SELECT FCheckerID FROM GMPOperationProj WHERE FID = 1"),
            (std::vector<std::string>{"16394"}));
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"[操作记录方案]OP001审核成功！ ",
                                      "功能锁未能释放,其他用户可能暂时无法使用该功能。"}));
  auto calls = WorkflowCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().at("member"), "taskexec");
  // The scripted answers leave the lock table alone.
  EXPECT_EQ(Rows("SELECT count(*) FROM t_TaskLock"), (std::vector<std::string>{"0"}));
}

// ---- Delete from the list --------------------------------------------------------

TEST_F(WorkflowTest, DeleteWithNothingSelectedNeverAsks) {
  OpenList(Template(), {});
  EXPECT_FALSE(DeleteBillsFromList(list_));
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].at("text"), "请选择 [操作记录方案] 后，再执行删除操作！");
  EXPECT_EQ(messages[0].at("style"), mb::kInformation);
  EXPECT_EQ(Rows("SELECT count(*) FROM GMPOperationProj"), (std::vector<std::string>{"3"}));
}

TEST_F(WorkflowTest, DeleteOfSeveralBillsRemovesOnlyTheUnauditedOnes) {
  OpenList(Template(), {1, 2, 9});
  host_->User().answers = {mb::kYes};
  EXPECT_TRUE(DeleteBillsFromList(list_));

  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].at("text"), "是否要删除所选 [操作记录方案]?  ");
  EXPECT_EQ(messages[0].at("style"), mb::kQuestion | mb::kYesNo);
  EXPECT_EQ(messages[1].at("text"), "所选[9]单据已不存在,请检查。");
  EXPECT_EQ(messages[2].at("text"),
            "删除 [编号：OP001]成功！\r\n删除 [编号：OP002]失败!已审核，不能删除!");
  EXPECT_EQ(Rows("SELECT FID FROM GMPOperationProj ORDER BY FID"),
            (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Rows("SELECT FID, FEntryID FROM GMPOperationProjEntry"),
            (std::vector<std::string>{"2|1"}));
  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(LogLines()[0].at("funcId"), "PLT1001828_mnuEditDelete");
  EXPECT_EQ(LogLines()[0].at("text"), "删除,单据编号：OP001");
  EXPECT_EQ(list_->RefreshCount(), 1);
}

TEST_F(WorkflowTest, DeleteAnsweredNoOrRefusedByTheHostDeletesNothing) {
  OpenList(Template(), {1});
  host_->User().answers = {mb::kNo};
  EXPECT_FALSE(DeleteBillsFromList(list_));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(list_->RefreshCount(), 0);

  // The host refuses: the reason is shown and no log line claims a deletion.
  OpenList(Template(), {1});
  host_->User().answers = {mb::kYes};
  refhost::Fault fault;
  fault.target = "call";
  fault.match = "OrbMClass.ClassUpdate.DeleteBill";
  fault.description = "单据正在使用，";
  host_->GetFaults().Add(fault);
  EXPECT_TRUE(DeleteBillsFromList(list_));
  EXPECT_EQ(Messages().back(), "删除 [编号：OP001]单据正在使用，失败！");
  EXPECT_TRUE(LogLines().empty());
  EXPECT_EQ(Rows("SELECT count(*) FROM GMPOperationProjEntry WHERE FID = 1"),
            (std::vector<std::string>{"2"}));
}

TEST_F(WorkflowTest, DeleteLockConflictShowsTheReasonAndKeepsTheBill) {
  host_->Db().Exec(
      "INSERT INTO t_TaskLock (FSubSysID, FNumber, FKey, FComputer) "
      "VALUES (7, 'OPDEL', '1', 'OTHER-PC')");
  OpenList(LockingTemplate(kOperDelete, "OPDEL"), {1});
  host_->User().answers = {mb::kYes};
  EXPECT_FALSE(DeleteBillsFromList(list_));
  EXPECT_EQ(Messages().back(),
            "删除所选单据失败,原因是：\r\n当前使用的功能与其他用户有冲突,目前无法使用!");
  EXPECT_EQ(Rows("SELECT count(*) FROM GMPOperationProj WHERE FID = 1"),
            (std::vector<std::string>{"1"}));
}

// ---- Menu state ----------------------------------------------------------------------

TEST_F(WorkflowTest, MultiLevelAuditAndStockBillSelection) {
  // A stock bill type (1001905) closes source-bill selection once audited.
  bill_ = std::make_shared<refhost::Bill>(
      *host_, Template([](json& t) { t["classType"]["FID"] = 1001905; }));
  bill_->Open(2, 2);
  auto tool = [&](const char* key) { return bill_->Snapshot().at("tools").at(key); };

  bill_->Load(2);
  bill_->SetMultiCheck(true);
  SetCheckMenuState(bill_, true);
  EXPECT_EQ(tool("mnuSelectBill").at("visible"), false);
  EXPECT_EQ(tool("mnuFileSave").at("enabled"), false);
  // The running manager hides the check tools; status 2 still enables them.
  EXPECT_EQ(tool("mnuEditCheck"),
            json({{"caption", "审核"}, {"visible", false}, {"enabled", true}}));
  EXPECT_EQ(tool("mnuEditUnCheck").at("enabled"), true);

  // Unaudited with the lock held: selection stays; status 0 keeps the manager
  // from hiding anything and disables the check tools.
  bill_ = std::make_shared<refhost::Bill>(
      *host_, Template([](json& t) { t["classType"]["FID"] = 1001905; }));
  bill_->Open(2, 0);
  bill_->Load(1);
  bill_->SetMultiCheck(true);
  SetCheckMenuState(bill_, false);
  EXPECT_EQ(tool("mnuSelectBill").at("visible"), true);
  EXPECT_EQ(tool("mnuEditCheck").at("enabled"), false);
  EXPECT_EQ(tool("mnuEditAddRow").at("visible"), false);  // no row tools asked for
  EXPECT_EQ(tool("mnuEditDelEntry").at("visible"), true);
}

TEST(InsertBarToolTest, MissingBandIsSkippedAndTheRestStillRuns) {
  using refhost::ToolDefinition;
  auto source = refhost::Toolbar::Build(
      {"mnuEdit"}, {ToolDefinition{"mnuEditCheck", "审核", true, true, {"mnuEdit"}},
                    ToolDefinition{"mnuEditUnCheck", "反审核", true, true, {"mnuEdit"}}});
  auto bar = refhost::Toolbar::Build(
      {"mnuEdit"}, {ToolDefinition{"mnuEditCopy", "复制", true, true, {"mnuEdit"}},
                    ToolDefinition{"mnuEditDelete", "删除", true, true, {"mnuEdit"}}});
  AddCheckTools(bar, source);  // the bar has no "BandToolBar"
  EXPECT_EQ(bar->Snapshot().at("bands").at("mnuEdit"),
            json({"mnuEditCopy", "mnuEditCheck", "mnuEditUnCheck", "mnuEditDelete"}));
  EXPECT_EQ(bar->LayoutCount(), 3);

  // Nothing to insert: the layout is still recalculated.
  InsertBarTool(bar, "mnuEdit", nullptr, 1);
  EXPECT_EQ(bar->LayoutCount(), 4);
  EXPECT_EQ(bar->ToolList().Count(), 4);
}

}  // namespace
}  // namespace orb
