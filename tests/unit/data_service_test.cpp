// Looked-up values of a bill: statements kept prepared across look-ups, and
// each source row read once per load, never remembered past it.
#include "refhost/data_service.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "refhost/scenario.h"
#include "tests/unit/error_of.h"

namespace orb::refhost {
namespace {

class DataServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* script : {"schema/erp.sql", "schema/batch_package.sql"})
      db_->Exec(std::string(*FindEmbedded(script)));
    db_->Exec(
        "INSERT INTO t_ICItem (FItemID, FNumber, FName) VALUES (1, 'M1', 'Carton'), "
        "(2, 'M2', 'Label');"
        "INSERT INTO t_MeasureUnit (FItemID, FMeasureUnitID, FUnitGroupID, FNumber, FName) "
        "VALUES (1, 1, 1, 'PCS', 'Piece');"
        "INSERT INTO gmpbatchpacket (FID, FBillNo, FItemID) VALUES (1, 'BP1', 1);"
        "INSERT INTO gmpbatchpacketEntry (FID, FEntryID, FItemID, FUnitID) VALUES "
        "(1, 1, 1, 1), (1, 2, 2, 1), (1, 3, 1, 1);");
    host_.Install();
  }
  DictionaryPtr Info(const std::string& key) { return tpl_->FindField(key)->info; }
  std::string EntryName(int32_t row) {
    auto line = bill_->Data()->GetVector("page2")->DictionaryAt(row);
    return CStr(line->GetDictionary("FEntryItemID")->Get("FDSP"));
  }

  std::shared_ptr<Database> db_ = Database::Open(":memory:");
  Host host_{db_};
  std::shared_ptr<const BillTemplate> tpl_ = std::make_shared<const BillTemplate>(
      BillTemplate::LoadEmbedded("templates/batch_package.json"));
  std::shared_ptr<Bill> bill_ = std::make_shared<Bill>(host_, tpl_);
  TemplateDataService& service_ = static_cast<TemplateDataService&>(*bill_->DataSrv());
};

TEST_F(DataServiceTest, LoadReadsEachLineAndSeesChangesMadeBetweenLoads) {
  bill_->Load(1);
  EXPECT_EQ(EntryName(1), "Carton");
  EXPECT_EQ(EntryName(2), "Label");
  EXPECT_EQ(EntryName(3), "Carton");  // the same item again, from the remembered row

  db_->Exec("UPDATE t_ICItem SET FName = 'Box' WHERE FItemID = 1");
  bill_->Load(1);
  EXPECT_EQ(EntryName(1), "Box");
  EXPECT_EQ(EntryName(3), "Box");
}

// A load keeps its statements prepared for the next one, but none may stay
// open: an unfinished read would hold back the commit of whatever the
// plug-in writes when it hears of the load.
TEST_F(DataServiceTest, LoadLeavesNoStatementOpenEvenWhenItFails) {
  auto openStatements = [&] {
    int open = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db_->Handle(), nullptr); s;
         s = sqlite3_next_stmt(db_->Handle(), s))
      open += sqlite3_stmt_busy(s);
    return open;
  };
  bill_->Load(1);
  EXPECT_EQ(openStatements(), 0);
  EXPECT_EQ(ErrorOf([&] { bill_->Load(2); }), err::kInvalidCall);  // no such bill
  EXPECT_EQ(openStatements(), 0);
  EXPECT_EQ(EntryName(2), "Label");  // the bill loaded before is kept as it was

  db_->Exec("ALTER TABLE gmpbatchpacketEntry RENAME TO gone");
  EXPECT_EQ(ErrorOf([&] { bill_->Load(1); }), err::kDatabase);
  EXPECT_EQ(openStatements(), 0);
}

TEST_F(DataServiceTest, RemembersWithinAScopeOnly) {
  const DictionaryPtr item = Info("FEntryItemID");
  {
    TemplateDataService::LoadScope scope(service_);
    EXPECT_EQ(service_.Resolve(1, item)->Get("FDSP"), Variant("Carton"));
    db_->Exec("UPDATE t_ICItem SET FName = 'Box' WHERE FItemID = 1");
    EXPECT_EQ(service_.Resolve(1, item)->Get("FDSP"), Variant("Carton"));
    EXPECT_EQ(service_.Resolve(3, item)->Get("FFND"), Variant(""));  // no such row
  }
  EXPECT_EQ(service_.Resolve(1, item)->Get("FDSP"), Variant("Box"));
  EXPECT_EQ(service_.Resolve(1, item)->Get("FFND"), Variant("M1"));

  // A typed number goes through the same kept statements.
  EXPECT_EQ(service_.LookUpNumber(item, "m2")->Get("FFLD"), Variant(2));
  EXPECT_EQ(service_.LookUpNumber(item, "M9")->Get("FFLD"), Variant(""));
  EXPECT_EQ(service_.LookUpNumber(item, "M1")->Get("FDSP"), Variant("Box"));
}

TEST_F(DataServiceTest, FailedLookUpRaisesAndTheNextOneWorks) {
  auto broken = Info("FEntryItemID")->Copy();
  broken->Set("FSRCTableName", "t_Missing");
  EXPECT_EQ(ErrorOf([&] { service_.Resolve(1, broken); }), err::kDatabase);
  EXPECT_EQ(service_.Resolve(1, Info("FEntryItemID"))->Get("FDSP"), Variant("Carton"));

  db_->Exec(
      "CREATE TABLE t_Missing (FItemID INTEGER, FNumber TEXT, FName TEXT);"
      "INSERT INTO t_Missing VALUES (1, 'X1', 'Made later')");
  EXPECT_EQ(service_.Resolve(1, broken)->Get("FDSP"), Variant("Made later"));
}

// The set-up of a scenario is one transaction: a failing seed leaves no
// half-made database behind.
TEST(ScenarioSetupTest, FailingSeedLeavesTheDatabaseFileEmpty) {
  const auto path =
      std::filesystem::temp_directory_path() /
      ("orb-setup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".db");
  std::filesystem::remove(path);
  nlohmann::json scenario = {{"name", "bad seed"},
                             {"template", "batch_package"},
                             {"plugin", "OrbGMPBillEvent.BatchPackage"},
                             {"database",
                              {{"schema", {"schema/erp.sql", "schema/batch_package.sql"}},
                               {"seed",
                                {"INSERT INTO t_ICItem (FItemID, FNumber) VALUES (1, 'M1')",
                                 "INSERT INTO nowhere VALUES (1)"}}}},
                             {"steps", nlohmann::json::array()}};
  ScenarioOptions options;
  options.database = path.string();
  ScenarioResult result = RunScenario(scenario, "", options);
  ASSERT_FALSE(result.Passed());
  {
    auto db = Database::Open(path.string());
    EXPECT_EQ(db->Query("SELECT count(*) FROM sqlite_master WHERE name = 't_ICItem'")->Value(0),
              Variant(0));
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace orb::refhost
