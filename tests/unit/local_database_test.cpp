#include "services/local_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "refhost/host.h"
#include "services/login_context.h"
#include "services/sql_text.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

TEST(SqlQuoteTest, DoublesEmbeddedQuotes) {
  EXPECT_EQ(SqlQuote(""), "''");
  EXPECT_EQ(SqlQuote("BP0001"), "'BP0001'");
  EXPECT_EQ(SqlQuote("x' or '1'='1"), "'x'' or ''1''=''1'");
}

class LocalDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orb_switch_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "bin");
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    ResetServiceCaches();
  }
  void TearDown() override {
    host_.reset();
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  std::string MakeSqliteFile(const fs::path& file) {
    fs::create_directories(file.parent_path());
    refhost::Database::Open(file.string())->Exec("create table t_Switch (FKey text)");
    return file.string();
  }

  fs::path dir_;
  std::unique_ptr<refhost::Host> host_;
};

TEST_F(LocalDatabaseTest, SearchEndsWithTheErpSystemFolder) {
  const std::string app = (dir_ / "bin").string();
  auto candidates = SwitchDatabaseCandidates(app);
  ASSERT_GE(candidates.size(), 2u);
  EXPECT_EQ(candidates.front(), (dir_ / "bin" / "RodIdorud.sss").string());
  EXPECT_EQ(candidates.back(), "erpSystem/RodIdorud.sss");

  EXPECT_EQ(FindSwitchDatabase(app), "");
  std::string beside = MakeSqliteFile(dir_ / "erpSystem" / "RodIdorud.sss");
  EXPECT_EQ(FindSwitchDatabase(app), beside);
  std::string inside = MakeSqliteFile(dir_ / "bin" / "RodIdorud.sss");
  EXPECT_EQ(FindSwitchDatabase(app), inside);
}

TEST_F(LocalDatabaseTest, ProvidersAreTriedInOrder) {
  std::string file = MakeSqliteFile(dir_ / "RodIdorud.sss");
  EXPECT_EQ(BuildJetConnectString(file),
            "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=" + file + ";");
  auto only40 = [](const std::string& cnn) { return cnn.find("4.0") != std::string::npos; };
  EXPECT_EQ(BuildJetConnectString(file, only40),
            "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + file + ";");
  EXPECT_TRUE(host_->Log().Since(0, "message").empty());
}

TEST_F(LocalDatabaseTest, AFileThatDoesNotOpenIsReported) {
  fs::path file = dir_ / "RodIdorud.sss";
  std::ofstream(file) << "not a database";
  EXPECT_EQ(GetDataConnectString(file.string()), "");
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"],
            "由于你的ODBC有误，系统不能与文件:'" + file.string() + "'建立连接。");
  EXPECT_EQ(messages[0]["title"], "澜帆提示");
}

TEST_F(LocalDatabaseTest, AReadOnlyFileIsMadeWritable) {
  std::string file = MakeSqliteFile(dir_ / "RodIdorud.sss");
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(GetDataConnectString(file),
            "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=" + file + ";");
  EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace orb
