// The demo's readable account: pinned for one scenario in each language, the
// database rows it tells, and the catalog entries of its texts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/demo_changes.h"
#include "app/demo_report.h"
#include "host/convert.h"
#include "refhost/bill_template.h"
#include "refhost/components/res_loader.h"
#include "refhost/embedded.h"
#include "refhost/sqlite_database.h"

namespace {

namespace fs = std::filesystem;
using orb::gmpbill::DemoReport;
using orb::gmpbill::RowWatch;
using orb::gmpbill::WrittenBill;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The account of the batch package demo in a language. The database is kept
// in memory: the account names the file a user would look at.
std::string Account(const std::string& language) {
  std::ostringstream out;
  DemoReport report(out, {});
  report.SetDatabase("gmpbill-demo-batch_package.db");
  orb::refhost::ScenarioOptions options;
  options.language = language;
  options.observer = &report;
  auto text = orb::refhost::FindEmbedded("demo/batch_package.json");
  EXPECT_TRUE(text.has_value());
  auto result = orb::refhost::RunScenario(nlohmann::json::parse(*text), "", options);
  EXPECT_TRUE(result.Passed()) << (result.failures.empty() ? "" : result.failures.front());
  return out.str();
}

// Compares with the golden file; ORB_UPDATE_GOLDEN=1 writes it instead.
void ExpectGolden(const std::string& actual, const std::string& name) {
  const fs::path golden = fs::path(ORB_SOURCE_DIR) / "tests" / "golden" / name;
  if (const char* update = std::getenv("ORB_UPDATE_GOLDEN"); update && *update == '1') {
    std::ofstream(golden, std::ios::binary) << actual;
    return;
  }
  const std::string expected = ReadText(golden);
  EXPECT_EQ(expected, actual) << "the demo's account changed; if that is meant, run the test "
                                 "with ORB_UPDATE_GOLDEN=1 and review the diff of "
                              << golden;
}

TEST(DemoReport, BatchPackageAccountIsPinnedInEachLanguage) {
  const std::string english = Account("en");
  ExpectGolden(english, "demo_batch_package.en.txt");
  ExpectGolden(Account("chs"), "demo_batch_package.chs.txt");
  // A file never gets colour codes.
  EXPECT_EQ(english.find('\x1b'), std::string::npos);
}

// The README's excerpt of the English demo is what the demo prints.
TEST(DemoReport, ReadmeExcerptMatchesTheAccount) {
  const std::string golden =
      ReadText(fs::path(ORB_SOURCE_DIR) / "tests" / "golden" / "demo_batch_package.en.txt");
  std::istringstream readme(ReadText(fs::path(ORB_SOURCE_DIR) / "README.md"));
  bool inExcerpt = false;
  int lines = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.find("An excerpt of `gmpbill demo --language en`") != std::string::npos) {
      inExcerpt = true;
      continue;
    }
    if (!inExcerpt || line.empty()) continue;
    if (line.rfind("    ", 0) != 0) break;
    const std::string text = line.substr(4);
    if (orb::Trim(text) == "...") continue;
    ++lines;
    EXPECT_NE(golden.find(text + "\n"), std::string::npos) << "not in the account: " << text;
  }
  EXPECT_GT(lines, 5);
}

TEST(DemoReport, ColourMarksOnlyStatusAndBillLines) {
  std::ostringstream out;
  DemoReport report(out, {true, false});
  orb::refhost::ScenarioOptions options;
  options.observer = &report;
  auto text = orb::refhost::FindEmbedded("demo/batch_package.json");
  orb::refhost::RunScenario(nlohmann::json::parse(*text), "", options);
  std::istringstream lines(out.str());
  int painted = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\x1b[") == std::string::npos) continue;
    ++painted;
    EXPECT_EQ(line.substr(line.size() - 4), "\x1b[0m") << line;
  }
  EXPECT_GT(painted, 10);
}

// The lines a step printed, from its numbered line up to the next one.
std::string StepBlock(const std::string& account, int index) {
  const std::string start = (index < 10 ? "  " : " ") + std::to_string(index) + ". ";
  const std::string next = (index + 1 < 10 ? "  " : " ") + std::to_string(index + 1) + ". ";
  size_t from = account.find("\n" + start);
  if (from == std::string::npos) return "";
  size_t to = account.find("\n" + next, from + 1);
  if (to == std::string::npos) to = account.find("\n Summary", from + 1);
  return account.substr(from + 1, to == std::string::npos ? std::string::npos : to - from);
}

TEST(DemoReport, FailedSavesRefusedClicksAndRewritesOfTheSameState) {
  const auto scenario = nlohmann::json::parse(R"json({
    "plugin": "OrbGMPBillEvent.OperateProj",
    "template": "operate_proj",
    "login": {"props": "UserID=16394;UserName=administrator;SubID=gmp;Language=en;"},
    "database": {"schema": ["schema/operate_proj.sql"],
                 "seed": ["INSERT INTO t_User (FUserID, FName) VALUES (16394, 'administrator')"]},
    "steps": [
      {"do": "new"},
      {"do": "set", "field": "FBillNO", "value": "OP-9"},
      {"do": "addRow"},
      {"do": "set", "field": "FIndex", "row": 1, "value": 1},
      {"do": "save", "faults": [{"match": "GMPOperationProjEntry"}]},
      {"do": "save"},
      {"do": "event", "event": "AfterNewBill"},
      {"do": "setStatus", "value": 0},
      {"do": "event", "event": "AfterLoadBill"},
      {"do": "click", "tool": "mnuEditCheck"}
    ]
})json");
  std::ostringstream out;
  DemoReport report(out, {});
  orb::refhost::ScenarioOptions options;
  options.observer = &report;
  auto result = orb::refhost::RunScenario(scenario, "", options);
  ASSERT_TRUE(result.Passed()) << result.failures.front();
  const std::string account = out.str();

  // What the user typed is not told again.
  EXPECT_EQ(StepBlock(account, 2), "  2. Type FBillNO = OP-9\n");
  // A save that failed wrote nothing, and says so.
  const std::string failed = StepBlock(account, 5);
  EXPECT_NE(failed.find("the save failed: injected fault"), std::string::npos) << failed;
  EXPECT_EQ(failed.find("database:"), std::string::npos) << failed;
  const std::string saved = StepBlock(account, 6);
  EXPECT_NE(saved.find("database: Operation Record Scheme OP-9 (GMPOperationProj): added, 1 "
                       "entry rows added"),
            std::string::npos)
      << saved;
  // The menu state applied again to an unchanged bill changes nothing.
  EXPECT_EQ(StepBlock(account, 7), "  7. The host raises AfterNewBill\n");
  EXPECT_NE(StepBlock(account, 10).find("the click is refused"), std::string::npos) << account;
  EXPECT_NE(account.find("Operation Record Scheme OP-9: created, final status: Not audited"),
            std::string::npos)
      << account;
}

// ---- rows written --------------------------------------------------------------

class RowWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = orb::refhost::Database::Open(":memory:");
    db_->Exec(std::string(*orb::refhost::FindEmbedded("schema/system.sql")));
    db_->Exec(std::string(*orb::refhost::FindEmbedded("schema/batch_package.sql")));
    db_->Exec(std::string(*orb::refhost::FindEmbedded("schema/clean_field_log.sql")));
    db_->Exec(std::string(*orb::refhost::FindEmbedded("schema/batch_pack_log.sql")));
    db_->Exec(std::string(*orb::refhost::FindEmbedded("schema/item_balance.sql")));
    db_->Exec("CREATE TABLE t_Other (a INTEGER)");
    tpl_ = std::make_unique<orb::refhost::BillTemplate>(
        orb::refhost::BillTemplate::LoadEmbedded("templates/batch_package.json"));
    watch_ = std::make_unique<RowWatch>(db_, *tpl_);
  }
  std::shared_ptr<orb::refhost::Database> db_;
  std::unique_ptr<orb::refhost::BillTemplate> tpl_;
  std::unique_ptr<RowWatch> watch_;
};

TEST_F(RowWatchTest, RowsAreToldByBillWithTheirEntryRows) {
  db_->Exec("INSERT INTO gmpbatchpacket (FID, FBillNo) VALUES (7, 'BP-7')");
  db_->Exec("INSERT INTO gmpbatchpacketEntry (FID, FEntryID) VALUES (7, 1), (7, 2)");
  db_->Exec("INSERT INTO t_Other VALUES (1)");
  db_->Exec("INSERT INTO t_UserLog (FFuncID, FText) VALUES ('X', 'y')");
  auto bills = watch_->Take();
  ASSERT_EQ(bills.size(), 2u);
  EXPECT_EQ(bills[0], (WrittenBill{"批包装指令", "BP-7", "gmpbatchpacket", 1, 0, 0, 2, 0, 0}));
  EXPECT_EQ(bills[1], (WrittenBill{"", "", "t_Other", 0, 0, 0, 1, 0, 0}));
  // Told once: the next step starts afresh.
  EXPECT_TRUE(watch_->Take().empty());

  db_->Exec("UPDATE gmpbatchpacket SET FNote = 'x' WHERE FID = 7");
  db_->Exec("DELETE FROM gmpbatchpacketEntry WHERE FEntryID = 2");
  bills = watch_->Take();
  ASSERT_EQ(bills.size(), 1u);
  EXPECT_EQ(bills[0], (WrittenBill{"批包装指令", "BP-7", "gmpbatchpacket", 0, 1, 0, 0, 0, 1}));
}

TEST_F(RowWatchTest, WhatIsRolledBackOrUndoneIsNotTold) {
  db_->Exec("BEGIN; INSERT INTO gmpbatchpacket (FID, FBillNo) VALUES (8, 'BP-8'); ROLLBACK");
  EXPECT_TRUE(watch_->Take().empty());
  db_->Exec(
      "BEGIN; SAVEPOINT s; INSERT INTO gmpbatchpacket (FID, FBillNo) VALUES (9, 'BP-9'); "
      "ROLLBACK TO s; RELEASE s; COMMIT");
  EXPECT_TRUE(watch_->Take().empty());
  db_->Exec("INSERT INTO t_Other VALUES (2)");
  db_->Exec("DELETE FROM t_Other WHERE a = 2");
  EXPECT_TRUE(watch_->Take().empty());
}

TEST(DemoDatabase, EachScenarioGetsItsOwnFileBesideTheNamedOne) {
  EXPECT_EQ(orb::gmpbill::ScenarioDatabase("gmpbill-demo.db", "demo/batch_package.json"),
            "gmpbill-demo-batch_package.db");
  EXPECT_EQ(orb::gmpbill::ScenarioDatabase("out/x.sqlite", "demo/operate_proj.json"),
            "out/x-operate_proj.sqlite");
  EXPECT_EQ(orb::gmpbill::ScenarioDatabase(":memory:", "demo/operate_proj.json"), ":memory:");
}

TEST(DemoCommand, BadCommandLinesAreRefusedBeforeAnythingIsMade) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--language", "fr"}, {"--database"}, {"--language"}, {"--colour"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(orb::gmpbill::RunDemo(args, out, err), 2) << args.front();
    EXPECT_TRUE(out.str().empty()) << out.str();
    EXPECT_FALSE(err.str().empty());
  }
}

// Every Chinese text of the account has an English entry in the host's
// catalog, and every name and note of the demo scenarios a Chinese one.
TEST(DemoReport, EveryTextHasAnEnglishEntry) {
  std::vector<std::string> missing;
  static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  auto check = [&](const std::string& text, const std::string& where) {
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; })) return;
    if (!orb::refhost::CatalogHas("RefHost", "en", text)) missing.push_back(where + ": " + text);
  };
  for (const char* file : {"app/demo_report.cpp", "app/demo_command.cpp"}) {
    std::istringstream lines(ReadText(fs::path(ORB_SOURCE_DIR) / file));
    for (std::string line; std::getline(lines, line);) {
      const std::string code = line.substr(0, line.find("//"));
      for (auto it = std::sregex_iterator(code.begin(), code.end(), literal);
           it != std::sregex_iterator(); ++it)
        check((*it)[1].str(), file);
    }
  }
  for (const auto& f : orb::refhost::EmbeddedFiles()) {
    if (std::string(f.name).rfind("demo/", 0) != 0) continue;
    auto scenario = nlohmann::json::parse(f.text);
    auto chinese = [&](const std::string& text) {
      if (!text.empty() && !orb::refhost::CatalogHas("RefHost", "chs", text))
        missing.push_back(std::string(f.name) + " (no Chinese): " + text);
    };
    chinese(scenario.value("name", std::string()));
    for (const auto& step : scenario.value("steps", nlohmann::json::array()))
      chinese(step.value("note", std::string()));
  }
  std::string list;
  for (const auto& m : missing) list += "\n  " + m;
  EXPECT_TRUE(missing.empty()) << "texts without an English entry:" << list;
}

}  // namespace
