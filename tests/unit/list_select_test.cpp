// The list-selection window on the reference host's bill lists.
#include "forms/list_select.h"

#include <unistd.h>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "forms/list_form.h"
#include "host/components.h"
#include "refhost/components/list_select.h"
#include "refhost/embedded.h"
#include "service_host.h"

namespace orb {
namespace {

// Source bills 1 and 3 are released (FStatus 1 or above), bill 2 is not.
constexpr const char* kSeed = R"sql(
CREATE TABLE T_SrcBill (FInterID INTEGER PRIMARY KEY, FBillNo TEXT, FStatus INTEGER, FNote TEXT);
CREATE TABLE T_SrcBillEntry (FInterID INTEGER, FEntryID INTEGER, FItem TEXT, FNote TEXT);
INSERT INTO T_SrcBill VALUES (1, 'S001', 1, 'head 1'), (2, 'S002', 0, 'head 2'),
                             (3, 'S003', 2, 'head 3');
INSERT INTO T_SrcBillEntry VALUES (1, 1, 'X', 'line 1.1'), (1, 2, 'Y', 'line 1.2'),
                                  (2, 1, 'W', 'line 2.1'), (3, 1, 'Z', 'line 3.1');
INSERT INTO ICTransactiontype (FID, FName, FHeadTable, FEntryTable) VALUES
  (850, '来源单', 'T_SrcBill', 'T_SrcBillEntry'), (851, '来源单头', 'T_SrcBill', '');
INSERT INTO ICListTemplate (FID, FName, FBillTemplateID, FFilter) VALUES
  (9001, '已下达来源单', 850, 'v1.FStatus >= 1'), (9002, '', 851, ''), (9003, '无类型', 999, '');
)sql";

class ListSelectTest : public ServiceHostTest {
 protected:
  void SetUp() override {
    ServiceHostTest::SetUp();
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/erp.sql")));
    host_->Db().Exec(kSeed);
    Login("UserID=16394;UserName=administrator;Language=chs;");
  }
  // Keeps each list control the host makes, to read what the window set.
  void KeepControls() {
    host_->Factory().Register(progid::kListSelect, [this] {
      control_ = std::make_shared<refhost::HostListSelect>(*host_);
      return control_;
    });
  }
  std::vector<std::string> ActionNames() const {
    std::vector<std::string> names;
    for (const auto& a : host_->Log().Since(0, "action")) names.push_back(a["name"]);
    return names;
  }

  std::shared_ptr<refhost::HostListSelect> control_;
};

TEST_F(ListSelectTest, MarkedRowsOfTheJoinedListUnderBothConditions) {
  // Without parentheses the OR would undo the join and the list's own condition.
  const std::string filter = "u1.FItem = 'Y' OR u1.FItem = 'W' OR u1.FItem = 'Z'";
  host_->User().picks = {{2, 1}};
  VectorPtr rows = ShowListSelect(9001, filter, true);
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->Size(), 2);
  DictionaryPtr first = rows->DictionaryAt(1);
  EXPECT_EQ(first->Get("FInterID"), Variant(3));
  EXPECT_EQ(first->Get("FEntryID"), Variant(1));
  EXPECT_EQ(first->Get("FBillNo"), Variant("S003"));
  EXPECT_EQ(first->Get("FItem"), Variant("Z"));
  EXPECT_EQ(first->Get("FNote"), Variant("head 3"));  // the head's column comes first
  EXPECT_EQ(rows->DictionaryAt(2)->Get("FEntryID"), Variant(2));
  auto calls = host_->Log().Since(0, "call");
  auto load = std::find_if(calls.begin(), calls.end(),
                           [](const auto& c) { return c["component"] == "ICListSel.ListSel"; });
  ASSERT_NE(load, calls.end());
  EXPECT_EQ((*load)["args"], nlohmann::json::array({9001, filter}));

  // One row only when a single row is asked for.
  host_->User().picks = {{2, 1}};
  rows = ShowListSelect(9001, filter, false);
  ASSERT_NE(rows, nullptr);
  ASSERT_EQ(rows->Size(), 1);
  EXPECT_EQ(rows->DictionaryAt(1)->Get("FInterID"), Variant(3));

  // A list without an entry table: bills, no "FEntryID".
  host_->User().picks = {{2}};
  rows = ShowListSelect(9002, "", false);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->DictionaryAt(1)->Get("FInterID"), Variant(2));
  EXPECT_FALSE(rows->DictionaryAt(1)->Exists("FEntryID"));
}

TEST_F(ListSelectTest, ConfirmingWithNoRowMarkedKeepsTheWindowOpen) {
  host_->User().picks = {{7}, {1}};  // the list has two rows
  VectorPtr rows = ShowListSelect(9001, "u1.FItem <> 'X'", false);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->DictionaryAt(1)->Get("FEntryID"), Variant(2));

  host_->Log().Clear();
  host_->User().picks = {{0}};  // nothing marked, then no pick left: closed
  EXPECT_EQ(ShowListSelect(9001, "", true), nullptr);
  EXPECT_EQ(ActionNames(), (std::vector<std::string>{"list", "list select", "list closed"}));
}

TEST_F(ListSelectTest, MarksKeepTheUsersOrderOnceEachWithinTheList) {
  refhost::HostListSelect list(*host_);
  list.SetListID(9001);  // rows: bill 1 lines 1 and 2, bill 3 line 1
  list.SetSelectFlag(1);
  ASSERT_TRUE(list.Load());
  host_->User().picks = {{3, 1, 3, 9, 0, -1, 1, 2}};
  EXPECT_EQ(list.WaitCommand(), "SelectOK");
  VectorPtr rows = list.Selected();
  ASSERT_EQ(rows->Size(), 3);
  EXPECT_EQ(rows->DictionaryAt(1)->Get("FInterID"), Variant(3));
  EXPECT_EQ(rows->DictionaryAt(2)->Get("FEntryID"), Variant(1));
  EXPECT_EQ(rows->DictionaryAt(3)->Get("FEntryID"), Variant(2));
  auto select = host_->Log().Since(0, "action").back();
  EXPECT_EQ(select["rows"], nlohmann::json::array({3, 1, 2}));

  // A new pick replaces the marks.
  host_->User().picks = {{2}};
  EXPECT_EQ(list.WaitCommand(), "SelectOK");
  ASSERT_EQ(list.Selected()->Size(), 1);
  EXPECT_EQ(list.Selected()->DictionaryAt(1)->Get("FEntryID"), Variant(2));
}

TEST_F(ListSelectTest, ListsThatCannotBeShownGiveNothingWithoutOpening) {
  host_->User().picks = {{1}};
  EXPECT_EQ(ShowListSelect(4711, "", false), nullptr);  // no ICListTemplate row
  EXPECT_EQ(ShowListSelect(9003, "", false), nullptr);  // no transaction type
  EXPECT_EQ(ShowListSelect(9001, "FNoSuchColumn = 1", false), nullptr);
  EXPECT_EQ(host_->User().picks.size(), 1u);  // no window was shown
  EXPECT_EQ(ActionNames(),
            (std::vector<std::string>{"list refused", "list refused", "list refused"}));
}

// A list control whose user marks rows and then leaves the window.
class LeavingUser : public refhost::HostListSelect {
 public:
  LeavingUser(refhost::Host& host, std::deque<std::string> commands)
      : HostListSelect(host), commands_(std::move(commands)) {}
  bool Load() override { return true; }
  VectorPtr Selected() override {
    VectorPtr marked = Vector::New();
    marked->Add(Variant(Dictionary::New({{"FInterID", Variant(1)}})));
    return marked;
  }
  std::string WaitCommand() override {
    if (commands_.empty()) return "";
    std::string command = commands_.front();
    commands_.pop_front();
    return command;
  }

 private:
  std::deque<std::string> commands_;
};

TEST_F(ListSelectTest, LeavingTheWindowGivesNothingEvenWithRowsMarked) {
  for (const auto& commands : {std::deque<std::string>{""}, std::deque<std::string>{"Exit"},
                               std::deque<std::string>{"Refresh", ""}}) {
    host_->Factory().Register(progid::kListSelect, [this, commands] {
      return std::make_shared<LeavingUser>(*host_, commands);
    });
    EXPECT_EQ(ShowListSelect(9001, "", true), nullptr) << commands.front();
  }
  host_->Factory().Register(progid::kListSelect, [this] {
    return std::make_shared<LeavingUser>(*host_, std::deque<std::string>{"SelectOK"});
  });
  EXPECT_NE(ShowListSelect(9001, "", true), nullptr);
}

TEST_F(ListSelectTest, WhatTheWindowTellsTheList) {
  KeepControls();
  const auto folder =
      std::filesystem::temp_directory_path() / ("list_select_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "RodIdorud.sss").close();  // an empty SQLite file
  host_->SetDataFolder(folder.string());

  // A braced value holding ";" and "UserID=" is the account's connection.
  Login("DBInfo={Provider=SQLOLEDB;UserID=sa;Data Source=.};UserName=张三;UserID=16394;");
  host_->User().picks = {{1}};
  ASSERT_NE(ShowListSelect(9001, "", true), nullptr);
  EXPECT_EQ(control_->BaseInfo(), "Provider=SQLOLEDB;UserID=sa;Data Source=.|16394|张三");
  EXPECT_EQ(control_->LocalCnn(), "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=" +
                                      (folder / "RodIdorud.sss").string() + ";");
  EXPECT_EQ(control_->ListShowStatus(), 2);
  EXPECT_EQ(control_->MultiSelect(), 0);
  EXPECT_EQ(control_->SelectFlag(), 1);
  EXPECT_EQ(control_->GetListRs(), nullptr);  // released when the window closed

  Login("UserName=x;UserID=abc;");
  ShowListSelect(9001, "", false);
  EXPECT_EQ(control_->BaseInfo(), "|0|x");
  EXPECT_EQ(control_->SelectFlag(), 2);
  std::filesystem::remove_all(folder);
}

TEST_F(ListSelectTest, CaptionNamesTheList) {
  Login("UserID=16394;Language=en;");
  auto form = frmList::Create();
  form->SetListID(9001);
  form->InitData();
  EXPECT_EQ(form->Caption(), "已下达来源单 List");
  Login("UserID=16394;Language=chs;");
  form->SetListID(9002);  // the list has no name of its own: its bill type's
  form->InitData();
  EXPECT_EQ(form->Caption(), "来源单头序时薄");
  EXPECT_FALSE(form->OK());
}

TEST_F(ListSelectTest, DemoListsOfTheSourceLookUps) {
  host_->Db().Exec(std::string(*refhost::FindEmbedded("fixtures/demo.sql")));
  struct Case {
    int32_t list;
    Variant interId;
  };
  // Orders in state 1 or 2; work bill lines and dispatch lines of such orders.
  for (const Case& c :
       {Case{11, Variant(1)}, Case{601, Variant(10001)}, Case{691, Variant(20001)}}) {
    host_->User().picks = {{1}};
    VectorPtr rows = ShowListSelect(c.list, "", false);
    ASSERT_NE(rows, nullptr) << c.list;
    EXPECT_EQ(rows->DictionaryAt(1)->Get("FInterID"), c.interId) << c.list;
  }
}

}  // namespace
}  // namespace orb
