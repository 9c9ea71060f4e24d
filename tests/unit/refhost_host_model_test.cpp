// The host model the plug-ins rely on: bill types registered from their
// templates, the standard toolbar, what a typed value and a cancelled Change
// leave, the look-up filter a plug-in writes at BeginEdit, source-bill
// selection, and the scenario runner's expectations.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/bill_registry.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "refhost/scenario.h"

namespace orb::refhost {
namespace {

using nlohmann::json;

// Runs the handler set for an event and records what it was handed.
class Sink : public BillEvents {
 public:
  std::vector<std::string> events;
  std::function<void(const DictionaryPtr&, const DictionaryPtr&, bool&)> onChange;
  std::function<void(const DictionaryPtr&)> onBeginEdit;
  DictionaryPtr selData, selLink;
  std::vector<int32_t> filledRows;

  void Change(const DictionaryPtr& dct, const DictionaryPtr& dctFld, int32_t, int32_t,
              bool& cancel) override {
    events.push_back("Change");
    if (onChange) onChange(dct, dctFld, cancel);
  }
  void BeginEdit(const DictionaryPtr& dct, int32_t, int32_t) override {
    events.push_back("BeginEdit");
    if (onBeginEdit) onBeginEdit(dct);
  }
  void BeforeSelBillShowFilter(DictionaryPtr&) override {
    events.push_back("BeforeSelBillShowFilter");
  }
  void AfterSelBillBeforeFillData(const DictionaryPtr& data, const DictionaryPtr& link) override {
    events.push_back("AfterSelBillBeforeFillData");
    selData = data;
    selLink = link;
  }
  void AfterFillRow(int32_t row, const DictionaryPtr&, const DictionaryPtr&,
                    const DictionaryPtr&) override {
    events.push_back("AfterFillRow");
    filledRows.push_back(row);
  }
  void AfterSelBill(int32_t) override { events.push_back("AfterSelBill"); }
};

std::string Embedded(const char* name) {
  return std::string(*FindEmbedded(name));
}

class HostModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_->Exec(Embedded("schema/erp.sql"));
    db_->Exec(Embedded("fixtures/demo.sql"));
    db_->Exec(Embedded("schema/warp_report.sql"));
    db_->Exec(Embedded("fixtures/warp_report.sql"));
    db_->Exec(Embedded("schema/box_merge.sql"));
  }
  void TearDown() override {
    if (bill_) bill_->Unadvise(&sink_);
  }

  std::shared_ptr<Bill> Open(const BillTemplate& tpl) {
    RegisterBillType(*db_, tpl);
    bill_ = std::make_shared<Bill>(host_, std::make_shared<const BillTemplate>(tpl));
    bill_->Advise(&sink_);
    bill_->Open(2, 2);
    bill_->NewBill();
    return bill_;
  }
  std::shared_ptr<Bill> OpenReport() {
    return Open(BillTemplate::LoadEmbedded("templates/warp_report.json"));
  }
  std::string Text(const std::string& sql) { return CStr(db_->Query(sql)->Value(0)); }
  bool HasAction(const std::string& name) {
    for (const auto& a : host_.Log().Since(0, "action")) {
      if (a.at("name") == name) return true;
    }
    return false;
  }

  std::shared_ptr<Database> db_ = Database::Open(":memory:");
  Host host_{db_};
  Sink sink_;
  std::shared_ptr<Bill> bill_;
};

// ---- Bill types from templates ---------------------------------------------

TEST_F(HostModelTest, TemplatesRegisterTheirClassAndSourceRows) {
  // Every built-in template has its class row without any script writing it.
  EXPECT_EQ(Text("SELECT FHeadTable FROM t_BillClass WHERE FClassTypeID=1001815"), "GMPBoxUnit");
  EXPECT_EQ(Text("SELECT FName FROM t_BillClass WHERE FClassTypeID=1001017"), "偏差处理报告");

  // A database's own rows for a source class win over the template's.
  db_->Exec("DELETE FROM ICListTemplate WHERE FID=11");
  db_->Exec("INSERT INTO ICListTemplate VALUES (11, 'own', 85, 'v1.FStatus=2')");
  RegisterBillType(*db_, BillTemplate::LoadEmbedded("templates/warp_report.json"));
  EXPECT_EQ(Text("SELECT FFilter FROM ICListTemplate WHERE FID=11"), "v1.FStatus=2");
  EXPECT_EQ(Text("SELECT FSrcClassTypeID FROM t_ClassLinkLookup "
                 "WHERE FDestClassTypeID=1001017 AND FLookupKey='FManTaskBillNo'"),
            "85");
  EXPECT_EQ(Text("SELECT FSrcField FROM t_ClassLink WHERE FDestClassTypeID=1001017 "
                 "AND FDestKey='FRouting'"),
            "FRoutingID");

  // Without the account schema the template's list template has nowhere to go.
  auto bare = Database::Open(":memory:");
  Host other(bare);
  try {
    RegisterBillType(*bare, BillTemplate::LoadEmbedded("templates/warp_report.json"));
    FAIL() << "registered without ICTransactiontype";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("ICTransactiontype"), std::string::npos);
  }
}

TEST_F(HostModelTest, TemplatesCheckTheirSourceClassesAndExtraItems) {
  auto parse = [](const std::string& extra) {
    return BillTemplate::Parse(
        R"({"classType": {"FID": 9, "FName": "x"}, "headTable": {"name": "T"},
            "pages": [{"fields": [{"FKey": "FID", "FFieldName": "FID"},
                                  {"FKey": "FNo", "FFieldName": "FNo"}]}])" +
        extra + "}");
  };
  EXPECT_THROW(parse(R"(, "sourceClasses": [{"FID": 85, "links": {"FMissing": "FBillNo"}}])"),
               std::runtime_error);
  EXPECT_THROW(parse(R"(, "sourceClasses": [{"FID": 85}, {"FID": 85}])"), std::runtime_error);
  EXPECT_THROW(parse(R"(, "sourceClasses": [{"FID": 85, "lookupKey": "FNone"}])"),
               std::runtime_error);
  EXPECT_NO_THROW(parse(R"(, "sourceClasses": [{"FID": 85, "links": {"FNo": "FBillNo"}}])"));
}

TEST_F(HostModelTest, EveryBillHasTheStandardToolbarAndAMissingToolIsIgnored) {
  auto bill = Open(BillTemplate::LoadEmbedded("templates/box_merge.json"));
  json tools = bill->Snapshot().at("tools");
  for (const char* key : {"mnuEditCheck", "mnuEditUnCheck", "mnuDataRedBill", "mnuEditAddRow",
                          "mnuSelectBill", "mnuOptionLinkBill", "mnuBatchFillField"}) {
    EXPECT_TRUE(tools.contains(key)) << key;
  }
  EXPECT_EQ(tools.at("mnuEditCheck").at("visible"), false);
  // A rule that names a tool the bar lacks goes on with the next tool.
  bill->SetBarStatus("mnuEditRelease", "Enabled", false);
  bill->SetBarStatus("mnuEditCheck", "Visible", true);
  EXPECT_EQ(bill->Snapshot().at("tools").at("mnuEditCheck").at("visible"), true);
  EXPECT_EQ(host_.Log().Since(0, "tool").front().at("error"), "no such tool");
}

// ---- Typing, Change and cancelling ---------------------------------------

TEST_F(HostModelTest, ChangeIsHandedTheLiveValueRecord) {
  auto bill = OpenReport();
  sink_.onChange = [&](const DictionaryPtr& dct, const DictionaryPtr& value, bool&) {
    EXPECT_EQ(CStr(dct->Get("FKey")), "FItemID");
    EXPECT_EQ(CStr(value->Get("FFND")), "01.03");
    value->Set("FDSP", "shown");  // the live record, not a copy
  };
  bill->SetValue("FItemID", 0, "01.03");
  EXPECT_EQ(CStr(bill->ValueRecord("FItemID", 0)->Get("FDSP")), "shown");
}

TEST_F(HostModelTest, CancelledChangeKeepsWhatTheHandlerWrote) {
  auto bill = OpenReport();
  bill->SetValue("FBatchNo", 0, "B1");
  // A handler that clears the field and cancels: the cleared field stays.
  sink_.onChange = [&](const DictionaryPtr&, const DictionaryPtr&, bool& cancel) {
    bill->SetValueByKey("FBatchNo", "", 0);
    cancel = true;
  };
  EXPECT_FALSE(bill->SetValue("FBatchNo", 0, "B2"));
  EXPECT_EQ(bill->FieldSnapshot("FBatchNo", 0), "");
  EXPECT_TRUE(HasAction("edit kept"));
  // A handler that only cancels: the old value comes back.
  sink_.onChange = [&](const DictionaryPtr&, const DictionaryPtr&, bool& cancel) { cancel = true; };
  bill->SetValueByKey("FBatchNo", "B3", 0);
  EXPECT_FALSE(bill->SetValue("FBatchNo", 0, "B4"));
  EXPECT_EQ(bill->FieldSnapshot("FBatchNo", 0), "B3");
}

TEST_F(HostModelTest, LockedFieldsTakeNoTypedValueAndCopiesAreUnaudited) {
  auto bill = OpenReport();
  bill->BillCtl()->SetLockProperty(true, bill->GetFieldInfoByKey("FBatchNo", "", 0), true);
  EXPECT_FALSE(bill->SetValue("FBatchNo", 0, "B1"));
  EXPECT_TRUE(HasAction("edit refused"));
  EXPECT_EQ(sink_.events, std::vector<std::string>{});

  bill->Load(2);  // an audited report
  ASSERT_EQ(bill->FieldSnapshot("FCheckerID", 0), 16394);
  bill->CopyBill();
  EXPECT_EQ(bill->FieldSnapshot("FCheckerID", 0), "");
  EXPECT_EQ(bill->FieldSnapshot("FCheckDate", 0), "");
  EXPECT_EQ(bill->FieldSnapshot("FID", 0), 0);
  EXPECT_EQ(bill->FieldSnapshot("FBatchNo", 0), "240501");
}

// ---- Look-ups -------------------------------------------------------------

TEST_F(HostModelTest, FilterWrittenAtBeginEditLimitsTheTypedLookUp) {
  auto bill = OpenReport();
  sink_.onBeginEdit = [](const DictionaryPtr& dct) {
    dct->Set("FFilter", "FInterID in (SELECT FOperID FROM t_routingoper  WHERE FInterID= 2)");
  };
  bill->BeginEdit("FWorkPrc", 0);
  bill->SetValue("FWorkPrc", 0, "GX04");  // tablet pressing: not on capsule routing 2
  EXPECT_EQ(bill->FieldSnapshot("FWorkPrc", 0), "");
  bill->SetValue("FWorkPrc", 0, "GX06");
  EXPECT_EQ(bill->FieldSnapshot("FWorkPrc", 0), 6106);

  sink_.onBeginEdit = [](const DictionaryPtr& dct) { dct->Set("FFilter", ""); };
  bill->BeginEdit("FWorkPrc", 0);
  bill->SetValue("FWorkPrc", 0, "GX04");
  EXPECT_EQ(bill->FieldSnapshot("FWorkPrc", 0), 6104);
}

TEST_F(HostModelTest, LookedUpValueRecordsCarryTheExtraItems) {
  auto bill = Open(BillTemplate::Parse(R"({
    "classType": {"FID": 9001, "FName": "lots"}, "headTable": {"name": "TLot"},
    "pages": [{"fields": [
      {"FKey": "FID", "FFieldName": "FID"},
      {"FKey": "FBatch", "FFieldName": "FBatch", "FLookUpType": 1, "FSRCTableName": "ICInventory",
       "FSRCFieldName": "FBatchNo", "FFNDFieldName": "FBatchNo", "FDSPFieldName": "FBatchNo",
       "extraItems": ["FKFDate", "FKFPeriod", "FStockPlaceID"]}]}]})"));
  DictionaryPtr seen;
  sink_.onChange = [&](const DictionaryPtr&, const DictionaryPtr& value, bool&) { seen = value; };
  bill->SetValue("FBatch", 0, "DY240112");
  ASSERT_TRUE(seen);
  EXPECT_EQ(CStr(seen->Get("FKFDate")), "2024-01-12");
  EXPECT_EQ(CLng(seen->Get("FKFPeriod")), 1095);
  EXPECT_EQ(CLng(seen->Get("FStockPlaceID")), 511);
}

// ---- Source-bill selection ------------------------------------------------------

TEST_F(HostModelTest, SelectingASourceBillFillsTheBillAndRaisesEachStep) {
  auto bill = Open(BillTemplate::Parse(R"({
    "classType": {"FID": 9002, "FName": "from BOM"}, "headTable": {"name": "TH"},
    "entryTables": [{"name": "TE"}],
    "pages": [{"fields": [{"FKey": "FID", "FFieldName": "FID"},
                          {"FKey": "FBomNo", "FFieldName": "FBomNo"}]},
              {"FEntryType": 1, "fields": [{"FKey": "FMat", "FFieldName": "FMat"}]}],
    "sourceClasses": [{"FID": 88, "links": {"FBomNo": "h.FBillNo", "FMat": "e.FItemID"}}]})"));
  host_.User().picks.push_back({3});  // TL2405-003 (one line), the third BOM by id
  bill->SelectBill(88);
  EXPECT_EQ(sink_.events,
            (std::vector<std::string>{"BeforeSelBillShowFilter", "AfterSelBillBeforeFillData",
                                      "AfterFillRow", "AfterSelBill"}));
  EXPECT_EQ(bill->FieldSnapshot("FBomNo", 0), "TL2405-003");
  EXPECT_EQ(bill->RowCount(2), 1);
  EXPECT_EQ(bill->FieldSnapshot("FMat", 1), 1007);
  EXPECT_EQ(CLng(sink_.selLink->Get("SRCClassTypeID")), 88);

  // A closed selection fills nothing; a failing DoSelBill raises to its caller.
  sink_.events.clear();
  bill->SelectBill(88);
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"BeforeSelBillShowFilter", "AfterSelBill"}));
  bill->SetDoSelBillError(AutomationError(440, "BillCtl", "no selection"));
  EXPECT_THROW(bill->BillCtl()->DoSelBill(88), AutomationError);
}

// ---- The scenario runner ----------------------------------------------------

ScenarioResult RunSteps(const json& steps, const json& open = json::object()) {
  json s = {{"plugin", "OrbGMPBillEvent.OperateProj"},
            {"template", "operate_proj"},
            {"database", {{"schema", {"schema/operate_proj.sql"}}}},
            {"open", open},
            {"steps", steps}};
  return RunScenario(s, "", ScenarioOptions{});
}

TEST(ScenarioRunnerTest, AFaultThatNeverFiresFailsItsStepUnlessOptional) {
  json fault = {{"target", "sql"}, {"match", "no statement has this text"}};
  auto result = RunSteps(json::array({{{"do", "new"}, {"faults", {fault}}}}));
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_NE(result.failures[0].find("never fired"), std::string::npos);
  fault["optional"] = true;
  EXPECT_TRUE(RunSteps(json::array({{{"do", "new"}, {"faults", {fault}}}})).Passed());
}

TEST(ScenarioRunnerTest, ExpectationsOnOrderAbsenceAndNamedCancels) {
  // The save is refused by BeforeSave (no bill number): its cancel, not the
  // click's, is true.
  json click = {{"do", "click"},
                {"tool", "mnuFileSave"},
                {"expect",
                 {{"cancel", {{"event", "BarClick"}, {"value", false}}},
                  {"none", {"sql", "lock"}},
                  {"transcript",
                   {{{"kind", "event"}, {"name", "BarClick"}},
                    {{"kind", "event"}, {"name", "BeforeSave"}}}}}}};
  auto passed = RunSteps(json::array({{{"do", "new"}}, click}));
  EXPECT_TRUE(passed.Passed()) << (passed.failures.empty() ? "" : passed.failures[0]);

  // The same records in the wrong order, and a kind that did happen, fail.
  click["expect"] = {
      {"transcript",
       {{{"kind", "event"}, {"name", "BeforeSave"}}, {{"kind", "event"}, {"name", "BarClick"}}}},
      {"none", {"event"}}};
  EXPECT_EQ(RunSteps(json::array({{{"do", "new"}}, click})).failures.size(), 2u);
}

TEST(ScenarioRunnerTest, OpeningForcedClicksReleaseAndASecondWindow) {
  // Open mode 1 shows the check tools at BarInitialize; status 0 disables them.
  json open = json::parse(R"({"mode": 1, "billStatus": 0, "expect": {
      "events": ["BarInitialize"], "tools": {"mnuEditCheck": {"visible": true}}}})");
  json steps = json::parse(R"([
    {"do": "new", "expect": {"tools": {"mnuEditCheck": {"enabled": false}}}},
    {"do": "click", "tool": "mnuEditCheck", "expect": {"events": []}},
    {"do": "click", "tool": "mnuEditCheck", "force": true,
     "expect": {"transcript": [{"kind": "action", "name": "forced click"}]}},
    {"do": "openWindow", "name": "second", "mode": 2},
    {"do": "new", "expect": {"tools": {"mnuEditCheck": {"enabled": true}}}},
    {"do": "release"},
    {"do": "new", "expect": {"events": ["AfterNewBill"], "none": ["tool"]}},
    {"do": "check", "window": "main",
     "expect": {"snapshot": {"openMode": 1}, "tools": {"mnuEditCheck": {"enabled": false}}}}
  ])");
  auto result = RunSteps(steps, open);
  EXPECT_TRUE(result.Passed()) << (result.failures.empty() ? "" : result.failures[0]);
}

}  // namespace
}  // namespace orb::refhost
