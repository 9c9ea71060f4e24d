#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/bill_list.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"

namespace orb::refhost {
namespace {

using nlohmann::json;

std::shared_ptr<const BillTemplate> SchemeTemplate() {
  static const auto tpl = std::make_shared<const BillTemplate>(
      BillTemplate::LoadEmbedded("templates/operate_proj.json"));
  return tpl;
}

// Records the events it is raised, cancels those named in `cancel` and runs
// the reactions set for an event before it returns.
class RecordingSink : public BillEvents {
 public:
  std::vector<std::string> events;
  std::set<std::string> cancel;
  std::map<std::string, std::function<void()>> react;

  void BarInitialize(const ActiveBarPtr& bar) override {
    this->bar = bar;
    Note("BarInitialize");
  }
  void BarClick(const ToolPtr& tool, bool& c) override {
    clicked = tool ? tool->Name() : "";
    Note("BarClick", c);
  }
  void Change(const DictionaryPtr& dct, const DictionaryPtr& info, int32_t col, int32_t row,
              bool& c) override {
    changeDct = dct;
    changeInfo = info;
    changeCol = col;
    changeRow = row;
    Note("Change", c);
  }
  void BeginEdit(const DictionaryPtr&, int32_t, int32_t) override { Note("BeginEdit"); }
  void BeforeSave(bool& c) override { Note("BeforeSave", c); }
  void BusinessCheck(bool& c) override { Note("BusinessCheck", c); }
  void unBusinessCheck(bool& c) override { Note("unBusinessCheck", c); }
  void AfterSave(bool& c) override { Note("AfterSave", c); }
  void AfterLoadBill() override { Note("AfterLoadBill"); }
  void AfterNewBill() override { Note("AfterNewBill"); }
  void BeforLoadBillFillData() override { Note("BeforLoadBillFillData"); }
  void AfterCopyBill() override { Note("AfterCopyBill"); }
  void AfterSelBill(int32_t) override { Note("AfterSelBill"); }
  void BeforeSelBillShowFilter(DictionaryPtr&) override { Note("BeforeSelBillShowFilter"); }
  void AddNewRow(int32_t, int32_t) override { Note("AddNewRow"); }
  void AfterDeleteRow(int32_t, int32_t) override { Note("AfterDeleteRow"); }

  ActiveBarPtr bar;
  std::string clicked;
  DictionaryPtr changeDct, changeInfo;
  int32_t changeCol = 0, changeRow = -1;

 private:
  void Note(const std::string& name) {
    events.push_back(name);
    if (auto it = react.find(name); it != react.end()) it->second();
  }
  void Note(const std::string& name, bool& c) {
    Note(name);
    if (cancel.count(name)) c = true;
  }
};

class RefhostBillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_->Exec(std::string(*FindEmbedded("schema/operate_proj.sql")));
    db_->Exec("INSERT INTO t_User (FUserID, FName) VALUES (7, '张三')");
    host_.SetPropsString("UserID=7;UserName=张三;SubID=qm;");
    bill_ = NewBillObject();
    bill_->Open(1, 2);
  }
  void TearDown() override { bill_->Unadvise(&sink_); }

  std::shared_ptr<Bill> NewBillObject() {
    auto bill = std::make_shared<Bill>(host_, SchemeTemplate());
    bill->Advise(&sink_);
    return bill;
  }

  Variant One(const std::string& sql) { return db_->Query(sql)->Value(0); }
  int32_t Count(const std::string& table) { return CLng(One("SELECT count(*) FROM " + table)); }
  std::vector<json> Actions(size_t from = 0) { return host_.Log().Since(from, "action"); }
  bool HasAction(const std::string& name, size_t from = 0) {
    for (const auto& a : Actions(from)) {
      if (a.at("name") == name) return true;
    }
    return false;
  }

  // A saved scheme: OP-001 with two lines.
  int32_t SaveScheme() {
    bill_->NewBill();
    bill_->SetValue("FBillNO", 0, "OP-001");
    bill_->SetValue("FSchemeName", 0, "first");
    for (const char* op : {"mix", "dry"}) {
      int32_t row = bill_->AddRow(2);
      bill_->SetValue("FIndex", row, row);
      bill_->SetValue("FOperation", row, op);
    }
    EXPECT_TRUE(bill_->Save());
    return bill_->CurBillID();
  }

  std::shared_ptr<Database> db_ = Database::Open(":memory:");
  Host host_{db_};
  RecordingSink sink_;
  std::shared_ptr<Bill> bill_;
};

// ---- Loading and saving --------------------------------------------------

TEST_F(RefhostBillTest, SavedBillLoadsBackWithQuotesChineseAndEntries) {
  bill_->NewBill();
  bill_->SetValue("FBillNO", 0, "OP-'01");
  bill_->SetValue("FSchemeName", 0, "O'Brien 的压片方案");
  bill_->AddRow(2);
  bill_->AddRow(2);
  bill_->AddRow(2);
  bill_->SetValue("FIndex", 1, 1);
  bill_->SetValue("FOperation", 1, "称量");
  bill_->SetValue("FMemo", 1, "it's '; DROP TABLE GMPOperationProj; --");
  bill_->SetValue("FIndex", 3, 3);  // row 2 holds nothing and is not stored
  bill_->SetValue("FOperation", 3, "压片");
  ASSERT_TRUE(bill_->Save());

  EXPECT_EQ(bill_->CurBillID(), 1);
  EXPECT_EQ(bill_->GetFieldValue("FID", 0, 1), Variant(1));
  EXPECT_FALSE(bill_->BillCtl()->IsChange());
  EXPECT_TRUE(One("SELECT FCheckerID IS NULL FROM GMPOperationProj").AsLong());
  EXPECT_EQ(One("SELECT group_concat(FEntryID || ':' || FOperation, ',') FROM "
                "GMPOperationProjEntry WHERE FID = 1"),
            Variant("1:称量,2:压片"));

  auto loaded = NewBillObject();
  loaded->Load(1);
  EXPECT_EQ(loaded->GetFieldValue("FBillNO", 0, 1), Variant("OP-'01"));
  EXPECT_EQ(loaded->GetFieldValue("FSchemeName", 0, 1), Variant("O'Brien 的压片方案"));
  EXPECT_EQ(loaded->GetFieldValue("FCheckerID", 0, 1), Variant(""));  // NULL reads as ""
  EXPECT_EQ(Val(loaded->GetFieldValue("FCheckerID", 0, 1)), 0);
  ASSERT_EQ(loaded->RowCount(2), 2);
  EXPECT_EQ(loaded->GetFieldValue("FMemo", 1, 2),
            Variant("it's '; DROP TABLE GMPOperationProj; --"));
  EXPECT_EQ(loaded->GetFieldValue("FIndex", 2, 2), Variant(3));
  EXPECT_EQ(loaded->GetFieldValue("FMemo", 2, 2), Variant(""));
  EXPECT_EQ(loaded->ValueRecord("FOperation", 2)->Get("FModify"), Variant::Int(0));

  // Saving again updates the head and replaces the lines of the same bill.
  loaded->SetValue("FSchemeName", 0, "renamed");
  loaded->DeleteRow(2, 1);
  ASSERT_TRUE(loaded->Save());
  EXPECT_EQ(loaded->CurBillID(), 1);
  EXPECT_EQ(Count("GMPOperationProj"), 1);
  EXPECT_EQ(One("SELECT FSchemeName FROM GMPOperationProj WHERE FID = 1"), Variant("renamed"));
  EXPECT_EQ(One("SELECT group_concat(FEntryID || ':' || FOperation) FROM GMPOperationProjEntry"),
            Variant("1:压片"));

  EXPECT_THROW(loaded->Load(42), AutomationError);
  EXPECT_EQ(loaded->CurBillID(), 1);
  EXPECT_EQ(loaded->GetFieldValue("FSchemeName", 0, 1), Variant("renamed"));
}

TEST_F(RefhostBillTest, LookedUpValuesCarryNumberAndDisplayText) {
  int32_t id = SaveScheme();
  db_->Exec("UPDATE GMPOperationProj SET FCheckerID = 7");
  bill_->Load(id);
  DictionaryPtr checker = bill_->ValueRecord("FCheckerID", 0);
  EXPECT_EQ(checker->Get("FFLD"), Variant(7));
  EXPECT_EQ(checker->Get("FFND"), Variant("张三"));
  EXPECT_EQ(checker->Get("FDSP"), Variant("张三"));

  // A number typed by the user, or set by a plug-in, is looked up.
  bill_->SetValue("FCheckerID", 0, "nobody");
  EXPECT_EQ(bill_->GetFieldValue("FCheckerID", 0, 1), Variant(""));
  bill_->UpdateLookFld(bill_->GetFieldInfoByKey("FCheckerID", "", 0), "张三");
  EXPECT_EQ(bill_->GetFieldValue("FCheckerID", 0, 1), Variant(7));
  EXPECT_EQ(host_.Log().Since(0, "field").back(),
            (json{{"key", "FCheckerID"}, {"row", 0}, {"value", 7}}));

  auto service = std::dynamic_pointer_cast<TemplateDataService>(bill_->DataSrv());
  auto rs = db_->Query("SELECT 7 AS FCheckerID, NULL AS FCheckDate");
  auto packed = service->PackValue(rs, bill_->GetFieldInfoByKey("FCheckerID", "", 0));
  EXPECT_EQ(packed.As<Dictionary>()->Get("FDSP"), Variant("张三"));
  packed = service->PackValue(rs, bill_->GetFieldInfoByKey("FCheckDate", "", 0));
  EXPECT_EQ(packed.As<Dictionary>()->Get("FFLD"), Variant(""));
  try {
    service->PackValue(rs, bill_->GetFieldInfoByKey("FBillNO", "", 0));
    ADD_FAILURE() << "a missing column must raise";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kNoSuchField);
  }
  std::string caption;
  EXPECT_EQ(service->GetExistBillNo(id, caption), "OP-001");
  EXPECT_EQ(caption, "单据编号：");
  EXPECT_EQ(service->GetExistBillNo(99, caption), "");
}

TEST_F(RefhostBillTest, FailedEntryInsertRollsBackTheWholeSave) {
  int32_t id = SaveScheme();
  bill_->SetValue("FSchemeName", 0, "changed");
  bill_->SetValue("FOperation", 1, "changed");
  host_.GetFaults().Add({.target = "sql", .match = "INSERT INTO GMPOperationProjEntry"});
  size_t mark = host_.Log().Size();
  sink_.events.clear();

  EXPECT_FALSE(bill_->Save());
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(One("SELECT FSchemeName FROM GMPOperationProj"), Variant("first"));
  EXPECT_EQ(One("SELECT group_concat(FOperation) FROM GMPOperationProjEntry WHERE FID = " +
                std::to_string(id)),
            Variant("mix,dry"));
  EXPECT_TRUE(bill_->BillCtl()->IsChange());
  EXPECT_EQ(sink_.events, std::vector<std::string>{"BeforeSave"});
  auto actions = Actions(mark);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0].at("name"), "save failed");
  EXPECT_EQ(actions[0].at("description"), "injected fault");
  // The user sees that nothing was saved, and why.
  auto shown = host_.Log().Since(mark, "message");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["text"], "保存失败，原因：injected fault");
  EXPECT_EQ(shown[0]["style"], 16);

  // A new bill whose lines fail leaves no head behind and stays new.
  bill_->NewBill();
  bill_->SetValue("FBillNO", 0, "OP-002");
  bill_->SetValue("FOperation", bill_->AddRow(2), "x");
  host_.GetFaults().Add({.target = "sql", .match = "INSERT INTO GMPOperationProjEntry"});
  EXPECT_FALSE(bill_->Save());
  EXPECT_EQ(bill_->CurBillID(), 0);
  EXPECT_EQ(bill_->GetFieldValue("FID", 0, 1), Variant(0));
  EXPECT_EQ(Count("GMPOperationProj"), 1);

  // The fault is spent: the same bill saves now.
  EXPECT_TRUE(bill_->Save());
  EXPECT_EQ(bill_->CurBillID(), 2);
  EXPECT_EQ(Count("GMPOperationProjEntry"), 3);
}

TEST_F(RefhostBillTest, BlankTextsInNumericColumnsAreStoredAsNull) {
  bill_->NewBill();
  bill_->SetValue("FBillNO", 0, "OP-003");
  bill_->SetValue("FCheckDate", 0, "");
  bill_->SetValue("FOperation", bill_->AddRow(2), "weigh");  // FIndex stays ""
  ASSERT_TRUE(bill_->Save());
  // '' in an INTEGER column would compare greater than any number.
  EXPECT_EQ(One("SELECT count(*) FROM GMPOperationProj WHERE FCheckerID > 0"), Variant(0));
  EXPECT_EQ(One("SELECT typeof(FIndex) FROM GMPOperationProjEntry"), Variant("null"));
  EXPECT_EQ(One("SELECT typeof(FCheckDate) FROM GMPOperationProj"), Variant("text"));
}

// ---- Events ----------------------------------------------------------------

TEST_F(RefhostBillTest, EventsComeInTheHostsOrder) {
  EXPECT_EQ(sink_.events, std::vector<std::string>{"BarInitialize"});
  EXPECT_EQ(sink_.bar, bill_->Bar());

  sink_.events.clear();
  bill_->NewBill();
  bill_->SetValue("FBillNO", 0, "OP-010");
  bill_->Save();
  EXPECT_EQ(sink_.events,
            (std::vector<std::string>{"AfterNewBill", "Change", "BeforeSave", "AfterSave"}));

  // The loaded data is there before the plug-in is told to look at it.
  auto loaded = NewBillObject();
  Variant seen;
  sink_.react["BeforLoadBillFillData"] = [&] { seen = loaded->GetFieldValue("FBillNO", 0, 1); };
  sink_.events.clear();
  size_t mark = host_.Log().Size();
  loaded->Load(1);
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"BeforLoadBillFillData", "AfterLoadBill"}));
  EXPECT_EQ(seen, Variant("OP-010"));
  sink_.react.clear();

  sink_.events.clear();
  EXPECT_TRUE(loaded->ClickTool("mnuFileSave"));
  EXPECT_EQ(sink_.clicked, "mnuFileSave");
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"BarClick", "BeforeSave", "AfterSave"}));

  std::vector<std::string> recorded;
  for (const auto& e : host_.Log().Since(mark, "event")) recorded.push_back(e.at("name"));
  EXPECT_EQ(recorded, (std::vector<std::string>{"BeforLoadBillFillData", "AfterLoadBill",
                                                "BarClick", "BeforeSave", "AfterSave"}));

  // A cancelled BeforeSave writes nothing; a cancelled BarClick runs no save.
  loaded->SetValue("FSchemeName", 0, "not saved");
  sink_.cancel = {"BeforeSave"};
  sink_.events.clear();
  EXPECT_FALSE(loaded->Save());
  EXPECT_EQ(sink_.events, std::vector<std::string>{"BeforeSave"});
  sink_.cancel = {"BarClick"};
  sink_.events.clear();
  EXPECT_FALSE(loaded->ClickTool("mnuFileSave"));
  EXPECT_EQ(sink_.events, std::vector<std::string>{"BarClick"});
  EXPECT_EQ(host_.Log().Since(0, "event").back(), (json{{"name", "BarClick"}, {"cancel", true}}));
  EXPECT_EQ(One("SELECT FSchemeName FROM GMPOperationProj"), Variant(""));

  sink_.cancel.clear();
  sink_.events.clear();
  loaded->CopyBill();
  EXPECT_EQ(loaded->CurBillID(), 0);
  EXPECT_EQ(loaded->GetFieldValue("FID", 0, 1), Variant(0));
  EXPECT_TRUE(loaded->BillCtl()->IsChange());
  loaded->SelectBill(1001828);
  EXPECT_EQ(sink_.events,
            (std::vector<std::string>{"AfterCopyBill", "BeforeSelBillShowFilter", "AfterSelBill"}));
}

TEST_F(RefhostBillTest, AnUnadvisedSinkHearsNothingMore) {
  RecordingSink other;
  bill_->Advise(&other);
  sink_.react["AfterNewBill"] = [&] { bill_->Unadvise(&other); };
  bill_->NewBill();  // `other` comes after `sink_` and is gone by its turn
  EXPECT_TRUE(other.events.empty());
  bill_->NewBill();
  EXPECT_TRUE(other.events.empty());
}

TEST_F(RefhostBillTest, CancelledChangePutsTheOldValueBack) {
  bill_->Load(SaveScheme());
  sink_.cancel = {"Change"};
  Variant during;
  sink_.react["Change"] = [&] { during = bill_->GetFieldValue("FOperation", 2, 2); };

  EXPECT_FALSE(bill_->SetValue("FOperation", 2, "blend"));
  EXPECT_EQ(during, Variant("blend"));  // the handler sees the new value
  EXPECT_EQ(sink_.changeCol, 2);
  EXPECT_EQ(sink_.changeRow, 2);
  EXPECT_EQ(sink_.changeDct->Get("CtlIndex"), Variant(2));
  EXPECT_EQ(sink_.changeDct->Get("FKey"), Variant("FOperation"));
  EXPECT_EQ(bill_->GetDataFld(sink_.changeDct, 2)->Get("FFLD"), Variant("dry"));
  DictionaryPtr record = bill_->ValueRecord("FOperation", 2);
  EXPECT_EQ(record->Get("FDSP"), Variant("dry"));
  EXPECT_EQ(record->Get("FModify"), Variant::Int(0));
  EXPECT_FALSE(bill_->BillCtl()->IsChange());
  EXPECT_TRUE(HasAction("edit undone"));

  sink_.cancel.clear();
  EXPECT_TRUE(bill_->SetValue("FOperation", 2, "blend"));
  EXPECT_EQ(bill_->GetFieldValue("FOperation", 2, 2), Variant("blend"));
  EXPECT_EQ(bill_->ValueRecord("FOperation", 2)->Get("FModify"), Variant::Int(1));
  EXPECT_TRUE(bill_->BillCtl()->IsChange());
}

// ---- Toolbar -----------------------------------------------------------------

TEST_F(RefhostBillTest, ClicksOnHiddenOrDisabledToolsAreRefused) {
  bill_->Load(SaveScheme());
  bill_->SetValue("FSchemeName", 0, "unsaved");
  sink_.events.clear();
  EXPECT_FALSE(bill_->ClickTool("mnuEditCheck"));  // hidden by the template
  bill_->SetBarStatus("mnuFileSave", "Enabled", false);
  EXPECT_FALSE(bill_->ClickTool("MNUFILESAVE"));
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_EQ(One("SELECT FSchemeName FROM GMPOperationProj"), Variant("first"));
  int refused = 0;
  for (const auto& a : Actions()) {
    if (a.at("name") == "click refused") ++refused;
  }
  EXPECT_EQ(refused, 2);
  EXPECT_THROW(bill_->ClickTool("mnuNoSuchTool"), AutomationError);
}

TEST_F(RefhostBillTest, SetBarStatusShowsInTheSnapshotOfEveryBand) {
  bill_->SetBarStatus("MNUEDITCHECK", "visible", true);
  bill_->SetBarStatus("mnuEditCheck", "Enabled", Variant(0));
  json tools = bill_->Snapshot().at("tools");
  EXPECT_EQ(tools.at("mnuEditCheck").at("visible"), true);
  EXPECT_EQ(tools.at("mnuEditCheck").at("enabled"), false);
  EXPECT_EQ(tools.at("mnuFileSave").at("enabled"), true);
  ToolPtr onBar = bill_->Bar()->Bands("BandToolBar")->GetTools()->Item("mnuEditCheck");
  ToolPtr inMenu = bill_->Bar()->Bands("mnuEdit")->GetTools()->Item("mnueditcheck");
  EXPECT_EQ(onBar, inMenu);
  EXPECT_TRUE(inMenu->Visible());
  EXPECT_EQ(host_.Log().Since(0, "tool").front(),
            (json{{"tool", "mnuEditCheck"}, {"property", "Visible"}, {"value", true}}));

  // A plug-in's own change to a tool during BarInitialize shows as well.
  bill_->Bar()->GetTools()->Item("mnuEditUnCheck")->SetVisible(true);
  EXPECT_EQ(bill_->Snapshot().at("tools").at("mnuEditUnCheck").at("visible"), true);

  // A tool the bar lacks is ignored, as a host that finds no such tool does,
  // so the rule that asked goes on; the attempt is recorded.
  bill_->SetBarStatus("mnuNoSuchTool", "Visible", true);
  bill_->SetBarStatus("mnuFileSave", "Enabled", false);
  EXPECT_EQ(host_.Log().Since(0, "tool").end()[-2].at("error"), "no such tool");
  EXPECT_EQ(bill_->Snapshot().at("tools").at("mnuFileSave").at("enabled"), false);
  EXPECT_FALSE(bill_->Snapshot().at("tools").contains("mnuNoSuchTool"));
  EXPECT_THROW(bill_->SetBarStatus("mnuFileSave", "Caption", true), AutomationError);

  EXPECT_EQ(bill_->GetToolIndex("BandToolBar", "mnuFilePreview"), 1);
  EXPECT_EQ(bill_->GetToolIndex("bandtoolbar", "mnuEditUnCheck"), -1);
  EXPECT_EQ(bill_->GetToolIndex("NoBand", "mnuFileSave"), -1);
}

TEST(RefhostBillToolbarTest, ToolsAreSharedByKeyAndInsertClampsThePosition) {
  auto bar = Toolbar::Build({"mnuEdit"}, {{"mnuA", "A", true, true, {"mnuEdit", "Band2"}},
                                          {"mnuB", "B", true, true, {"mnuEdit"}}});
  EXPECT_NE(bar->FindBand("band2"), nullptr);  // named by a tool, so added
  EXPECT_THROW(bar->Bands("mnuNone"), AutomationError);

  // A template tool from elsewhere is copied into the bar once and the band
  // takes the bar's copy.
  auto outside = std::make_shared<HostTool>("miRedo", "Redo", true, false);
  ToolPtr held = bar->GetTools()->Insert(99, outside);
  EXPECT_NE(held, outside);
  EXPECT_EQ(held->Caption(), "Redo");
  EXPECT_FALSE(held->Enabled());
  EXPECT_EQ(bar->ToolList().IndexOf("MIREDO"), 2);
  ToolsPtr edit = bar->Bands("mnuEdit")->GetTools();
  EXPECT_EQ(edit->Insert(-5, outside), held);
  EXPECT_EQ(edit->ItemAt(1), held);
  EXPECT_EQ(bar->ToolList().Count(), 3);

  // Inserting a tool the band holds moves it.
  edit->Insert(1, bar->FindTool("mnuB"));
  EXPECT_EQ(bar->FindBand("mnuEdit")->ToolList().IndexOf("mnuB"), 1);
  EXPECT_EQ(edit->Count(), 3);
  EXPECT_THROW(edit->ItemAt(4), AutomationError);
}

TEST_F(RefhostBillTest, AuditClickRunsTheHostsCheckUnlessThePluginDidIt) {
  const int32_t id = SaveScheme();
  bill_->Load(id);
  bill_->SetBarStatus("mnuEditCheck", "Visible", true);
  bill_->SetBarStatus("mnuEditUnCheck", "Visible", true);

  sink_.cancel = {"BusinessCheck"};
  EXPECT_FALSE(bill_->ClickTool("mnuEditCheck"));
  EXPECT_TRUE(One("SELECT FCheckerID IS NULL FROM GMPOperationProj").AsLong());

  sink_.cancel.clear();
  sink_.events.clear();
  EXPECT_TRUE(bill_->ClickTool("mnuEditCheck"));
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"BarClick", "BusinessCheck",
                                                    "BeforLoadBillFillData", "AfterLoadBill"}));
  EXPECT_EQ(bill_->GetFieldValue("FCheckerID", 0, 1), Variant(7));
  EXPECT_EQ(bill_->ValueRecord("FCheckerID", 0)->Get("FDSP"), Variant("张三"));
  EXPECT_FALSE(bill_->Bar()->FindTool("mnuEditUnCheck")->Visible())
      << "the reload rebuilds the window as it was after BarInitialize";
  bill_->SetBarStatus("mnuEditUnCheck", "Visible", true);

  // The plug-in ran the unaudit itself and said so: the host does nothing more.
  sink_.react["BarClick"] = [&] { bill_->BillCtl()->SetIsok(true); };
  sink_.events.clear();
  EXPECT_TRUE(bill_->ClickTool("mnuEditUnCheck"));
  EXPECT_EQ(sink_.events, std::vector<std::string>{"BarClick"});
  EXPECT_FALSE(bill_->Isok());
  EXPECT_EQ(One("SELECT FCheckerID FROM GMPOperationProj"), Variant(7));

  sink_.react.clear();
  EXPECT_TRUE(bill_->ClickTool("mnuEditUnCheck"));
  EXPECT_EQ(bill_->GetFieldValue("FCheckerID", 0, 1), Variant(""));
  EXPECT_TRUE(HasAction("uncheck"));
}

// ---- Fields, pages and controls --------------------------------------------------

TEST_F(RefhostBillTest, FieldsAreReachedByKeyInAnyCaseAndRowsAreChecked) {
  bill_->NewBill();
  DictionaryPtr info = bill_->GetFieldInfoByKey("fbillno", "", 0);
  EXPECT_EQ(info->Get("FKey"), Variant("FBillNO"));
  EXPECT_EQ(info, bill_->BillTemplate()->GetDictionary("Page1")->GetDictionary("FBillNO"));
  try {
    bill_->GetFieldInfoByKey("FNoSuchKey", "", 0);
    ADD_FAILURE() << "an unknown key must raise";
  } catch (const AutomationError& e) {
    EXPECT_NE(e.Description().find("FNoSuchKey"), std::string::npos);
  }

  DictionaryPtr memo = bill_->GetFieldInfoByKey("FMemo", "", 0);
  try {
    bill_->GetDataFld(memo, 1);  // the new bill has no lines
    ADD_FAILURE() << "a row beyond the page must raise";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kSubscript);
  }
  EXPECT_EQ(bill_->GetDataFld(info, -1), bill_->GetDataFld(info, 0));  // the head ignores rows

  // Plug-in writes: a value record sets its three parts, a plain value its text.
  bill_->SetFieldValue(info, Dictionary::New({{"FFLD", 5}, {"FFND", "N5"}, {"FDSP", "five"}}), 0);
  DictionaryPtr record = bill_->GetDataFld(info, 0);
  EXPECT_EQ(record->Get("FFND"), Variant("N5"));
  EXPECT_EQ(record->Get("FDSP"), Variant("five"));
  EXPECT_EQ(record->Get("FModify"), Variant::Int(1));
  bill_->SetValueByKey("FBillNO", 2.5, -1);
  EXPECT_EQ(record->Get("FDSP"), Variant("2.5"));
  EXPECT_EQ(host_.Log().Since(0, "field").back(),
            (json{{"key", "FBillNO"}, {"row", 0}, {"value", 2.5}}));
  EXPECT_FALSE(bill_->BillCtl()->IsChange());  // plug-in writes are no user edits

  host_.GetFaults().Add({.target = "field", .match = "fbillno", .number = 13});
  EXPECT_THROW(bill_->GetFieldValue("FBillNO", 0, 1), AutomationError);
  EXPECT_NO_THROW(bill_->GetFieldValue("FBillNO", 0, 1));  // fired once

  bill_->Focus("FOperation", 0);
  DictionaryPtr cur;
  int32_t row = -1, col = -1;
  bill_->GetCurFieldInfo(cur, row, col);
  EXPECT_EQ(cur->Get("FKey"), Variant("FOperation"));
  EXPECT_EQ(col, 2);
  bill_->Focus("", 0);
  bill_->GetCurFieldInfo(cur, row, col);
  EXPECT_EQ(cur, nullptr);
}

TEST_F(RefhostBillTest, FilledDataReplacesLinesButKeepsTheBillsId) {
  bill_->Load(SaveScheme());
  auto line = [](const char* op) {
    return Variant(
        Dictionary::New({{"FOperation", Dictionary::New({{"FFLD", op}})}, {"FNotAField", 1}}));
  };
  auto lines = Vector::New();
  lines->Add(line("a"));
  lines->Add(line("b"));
  lines->Add(line("c"));
  auto data =
      Dictionary::New({{"page1", Dictionary::New({{"FSchemeName", "from source"}, {"FID", 99}})},
                       {"Page2", lines}});
  bill_->BillCtl()->DoFillData(data);
  EXPECT_EQ(bill_->GetFieldValue("FSchemeName", 0, 1), Variant("from source"));
  EXPECT_EQ(bill_->GetFieldValue("FID", 0, 1), Variant(1));
  ASSERT_EQ(bill_->RowCount(2), 3);
  EXPECT_EQ(bill_->GetFieldValue("FOperation", 3, 2), Variant("c"));
  EXPECT_EQ(bill_->ValueRecord("FOperation", 3)->Get("FModify"), Variant::Int(1));
  EXPECT_TRUE(bill_->BillCtl()->IsHaveData(2, 3));

  // Records made empty and left unmodified (a source that gave nothing for
  // them) neither blank the head nor replace the lines.
  DictionaryPtr empty =
      bill_->DataSrv()->GetEmptyData(bill_->BillTemplate()->GetDictionary("Page1"), false, 1);
  auto emptyLines = Vector::New();
  emptyLines->Add(
      bill_->DataSrv()->GetEmptyData(bill_->BillTemplate()->GetDictionary("Page2"), true, 1));
  bill_->BillCtl()->DoFillData(Dictionary::New({{"page1", empty}, {"page2", emptyLines}}));
  EXPECT_EQ(bill_->GetFieldValue("FSchemeName", 0, 1), Variant("from source"));
  EXPECT_EQ(bill_->RowCount(2), 3);

  // A plug-in that replaces a page of Data replaces the bill's page.
  auto blank = Vector::New();
  blank->Add(
      bill_->DataSrv()->GetEmptyData(bill_->BillTemplate()->GetDictionary("Page2"), true, 1));
  EXPECT_EQ(blank->DictionaryAt(1)->Count(), 3);  // "FEntryType" is no field
  bill_->Data()->Set("Page2", blank);
  EXPECT_EQ(bill_->RowCount(2), 1);
  EXPECT_FALSE(bill_->BillCtl()->IsHaveData(2, 1));

  bill_->InsertPageRow(2, 1, Variant(Dictionary::New({{"FOperation", "first"}})));
  bill_->InsertPageRow(2, 99, Variant());
  EXPECT_EQ(bill_->RowCount(2), 3);
  EXPECT_EQ(bill_->GetFieldValue("FOperation", 1, 2), Variant("first"));
  EXPECT_THROW(bill_->InsertPageRow(1, 1, Variant()), AutomationError);
  bill_->Save();
  EXPECT_EQ(One("SELECT group_concat(FOperation) FROM GMPOperationProjEntry"), Variant("first"));

  bill_->ClearPage(2);
  EXPECT_EQ(bill_->RowCount(2), 0);
  bill_->ClearPage(1);
  EXPECT_EQ(bill_->GetFieldValue("FSchemeName", 0, 1), Variant(""));
  EXPECT_EQ(bill_->GetFieldValue("FID", 0, 1), Variant(1));
}

TEST_F(RefhostBillTest, RowToolsWorkOnTheFocusedPageWithinTheGridsLimit) {
  bill_->Load(SaveScheme());
  bill_->Focus("FOperation", 1);
  sink_.events.clear();
  EXPECT_TRUE(bill_->ClickTool("mnuEditDelRow"));
  EXPECT_EQ(bill_->GetFieldValue("FOperation", 1, 2), Variant("dry"));
  bill_->BillCtl()->SetGridMaxRows(0, 2);
  EXPECT_TRUE(bill_->ClickTool("mnuEditAddRow"));
  EXPECT_FALSE(bill_->ClickTool("mnuEditAddRow"));  // the grid is full
  EXPECT_EQ(bill_->RowCount(2), 2);
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"BarClick", "AfterDeleteRow", "BarClick",
                                                    "AddNewRow", "BarClick"}));
  EXPECT_EQ(bill_->BillCtl()->GetGridMaxRows(0), 2);
  EXPECT_EQ(bill_->BillCtl()->GetGridMaxRows(1), 0);
}

TEST_F(RefhostBillTest, LocksAndStatusAreRecordedAndShown) {
  bill_->Load(SaveScheme());
  size_t mark = host_.Log().Size();
  bill_->BillCtl()->SetLockProperty(true, bill_->GetFieldInfoByKey("fschemename", "", 0), false);
  auto controls = bill_->EntryControls()->Item(1).As<ControlGroup>();
  ASSERT_NE(controls, nullptr);
  ControlPtr billNo = controls->Item("FBillNO");
  EXPECT_EQ(billNo->Text(), "OP-001");
  billNo->SetLocked(true);
  controls->Item("FSchemeName")->SetLocked(false);  // the last lock set wins
  controls->Item("FOperation")->LockCell("FOperation", 2, true);
  bill_->LockCell(bill_->DataSrv()->TableInfo()->Item(2), 1, true);
  bill_->BillCtl()->SetBillStatus(0);
  EXPECT_EQ(controls->Item("FNoSuchKey"), nullptr);

  json snap = bill_->Snapshot();
  EXPECT_EQ(snap.at("locks"), (json{{"FBillNO", true}, {"FSchemeName", false}}));
  EXPECT_EQ(snap.at("lockFlags"), (json{{"FSchemeName", false}}));
  EXPECT_EQ(snap.at("cellLocks"), (json{{"FOperation", {{"2", true}}}}));
  EXPECT_EQ(snap.at("tableLocks"), (json{{"GMPOperationProjEntry", true}}));
  EXPECT_EQ(snap.at("billStatus"), 0);
  EXPECT_EQ(snap.at("head").at("FBillNO"), "OP-001");
  EXPECT_EQ(snap.at("entries").at("page2")[1].at("FOperation"), "dry");
  EXPECT_TRUE(billNo->Locked());
  EXPECT_EQ(host_.Log().Since(mark, "lock").size(), 5u);
  auto status = host_.Log().Since(mark, "status");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0], (json{{"value", 0}}));

  // The status given at Open comes back with a new bill.
  bill_->NewBill();
  EXPECT_EQ(bill_->BillStatus(), 2);
  EXPECT_EQ(bill_->OpenMode(), 1);
}

// ---- Templates -------------------------------------------------------------------

TEST(RefhostBillTemplateTest, ExampleTemplateGivesTheBillInterfacesDictionaries) {
  const BillTemplate& t = *SchemeTemplate();
  EXPECT_EQ(t.ClassTypeId(), 1001828);
  DictionaryPtr ct = t.ClassTypeDictionary();
  EXPECT_EQ(ct->Get("FName"), Variant("操作记录方案"));
  ASSERT_EQ(ct->GetVector("Mutex")->Size(), 2);
  EXPECT_EQ(ct->GetVector("Mutex")->DictionaryAt(1)->Get("FOpareteType"), Variant(4));

  DictionaryPtr tpl = t.TemplateDictionary();
  EXPECT_EQ(tpl->Get("PageCount"), Variant(2));
  EXPECT_FALSE(tpl->GetDictionary("Page1")->Exists("FEntryType"));
  EXPECT_EQ(tpl->GetDictionary("Page2")->Get("FEntryType"), Variant(1));
  DictionaryPtr op = tpl->GetDictionary("Page2")->GetDictionary("FOperation");
  EXPECT_EQ(op->Count(), 12);
  EXPECT_EQ(op->Get("FTableName"), Variant("GMPOperationProjEntry"));  // the page's table
  EXPECT_EQ(op->Get("FEntryType"), Variant(1));
  EXPECT_EQ(op->Get("FLookupClassID"), Variant(0));
  EXPECT_EQ(op->Get("FSRCTableName"), Variant(""));

  VectorPtr tables = t.TableInfo();
  EXPECT_EQ(tables->DictionaryAt(1)->Get("FBillNoField"), Variant("FBillNO"));
  EXPECT_EQ(tables->DictionaryAt(2)->Get("FTableName"), Variant("GMPOperationProjEntry"));
  EXPECT_EQ(t.Tools().size(), 17u);
}

// The smallest valid template, for the error cases to break.
json MinimalTemplate() {
  return json::parse(R"({
    "classType": {"FID": 1, "FName": "t"},
    "headTable": {"name": "H"},
    "entryTables": [{"name": "E"}],
    "pages": [{"fields": [{"FKey": "FID", "FFieldName": "FID"}]},
              {"FEntryType": 1, "fields": [{"FKey": "FQty", "FFieldName": "FQty"}]}]
  })");
}

TEST(RefhostBillTemplateTest, BadTemplatesAreRejectedNamingTheFileAndThePlace) {
  EXPECT_NO_THROW(BillTemplate::Parse(MinimalTemplate(), "t.json"));
  struct Case {
    std::function<void(json&)> breakIt;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[](json& j) { j["pages"][0]["fields"][0]["FKeys"] = 1; },
       "t.json: pages[0].fields[0]: unknown key \"FKeys\""},
      {[](json& j) {
         j["pages"][1]["fields"].push_back({{"FKey", "fqty"}});
       },
       "t.json: pages[1].fields[1].FKey: \"fqty\" is used by another field"},
      {[](json& j) { j["entryTables"][0]["name"] = "E; DROP TABLE H"; },
       "t.json: entryTables[0].name: \"E; DROP TABLE H\" is not a plain table or column name"},
      {[](json& j) {
         j["pages"][0]["fields"].push_back(
             {{"FKey", "FNo"}, {"FSRCTableName", "T v1"}, {"FSRCFieldName", "v1.F OR 1"}});
       },
       "t.json: pages[0].fields[1].FSRCFieldName: \"v1.F OR 1\" is not a column name"},
      {[](json& j) { j["pages"].erase(1); }, "expected the head page and one page per entry"},
      {[](json& j) { j["pages"][0]["fields"][0]["FFieldName"] = "FNo"; },
       "t.json: pages[0]: no field is stored in the head's id column \"FID\""},
      {[](json& j) { j["pages"][1].erase("FEntryType"); },
       "t.json: pages[1]: \"FEntryType\" is missing"},
      {[](json& j) { j["pages"][0]["fields"][0]["FValueType"] = "56"; },
       "t.json: pages[0].fields[0].FValueType: must be an integer"},
      {[](json& j) { j["classType"].erase("FID"); }, "t.json: classType: \"FID\" is missing"},
      {[](json& j) {
         j["toolbar"] = json::parse(R"({"tools": [{"key": "mnuA"}, {"key": "MNUA"}]})");
       },
       "t.json: toolbar.tools[1].key: tool \"MNUA\" is listed twice"},
  };
  for (const auto& c : cases) {
    json j = MinimalTemplate();
    c.breakIt(j);
    try {
      BillTemplate::Parse(j, "t.json");
      ADD_FAILURE() << "accepted; expected: " << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  try {
    BillTemplate::Parse(std::string("{\"classType\": "), "broken.json");
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("broken.json: not valid JSON", 0), 0u) << e.what();
  }
  try {
    BillTemplate::Load("/nonexistent/dir/x.json");
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/dir/x.json"), std::string::npos);
  }
}

// ---- The list ------------------------------------------------------------------------

class ListSink : public ListEvents {
 public:
  void BarInitialize(const ActiveBarPtr&) override { events.push_back("BarInitialize"); }
  void BarClick(const ToolPtr& tool, bool& cancel) override {
    events.push_back("BarClick " + tool->Name());
    cancel = cancelClicks;
  }
  std::vector<std::string> events;
  bool cancelClicks = false;
};

TEST(RefhostBillListTest, ListGivesItsSelectionAndRaisesItsEvents) {
  Host host(Database::Open(":memory:"));
  BillList list(host, SchemeTemplate());
  ListSink sink;
  list.Advise(&sink);
  list.Open(1);
  EXPECT_EQ(list.List()->ShowMode(), 1);
  EXPECT_EQ(list.Bar()->FindTool("mnuEditCheck"), nullptr);  // the list's own toolbar

  list.Select({3, 5});
  VectorPtr ids = list.List()->GetSelectedBillID();
  ASSERT_EQ(ids->Size(), 2);
  EXPECT_EQ(ids->Item(2), Variant(5));
  list.List()->RefreshList();
  EXPECT_EQ(list.RefreshCount(), 1);
  EXPECT_EQ(list.TableInfo()->DictionaryAt(1)->Get("FBillNoField"), Variant("FBillNO"));
  EXPECT_EQ(list.ClassType()->Get("FID"), Variant(1001828));

  sink.cancelClicks = true;
  EXPECT_FALSE(list.ClickTool("mnuEditDelete"));
  list.Bar()->FindTool("mnuEditCopy")->SetEnabled(false);
  EXPECT_FALSE(list.ClickTool("mnuEditCopy"));
  EXPECT_EQ(sink.events, (std::vector<std::string>{"BarInitialize", "BarClick mnuEditDelete"}));
  EXPECT_EQ(host.Log().Since(0, "event").back(), (json{{"name", "BarClick"}, {"cancel", true}}));
  list.Unadvise(&sink);
}

}  // namespace
}  // namespace orb::refhost
