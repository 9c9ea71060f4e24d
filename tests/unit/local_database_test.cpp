#include "services/local_database.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "service_host.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

using LocalDatabaseTest = ServiceHostTest;

TEST_F(LocalDatabaseTest, FoundOpenedOrReported) {
  const fs::path dir = fs::temp_directory_path() / "orb_switch_database_test";
  fs::remove_all(dir);
  fs::create_directories(dir / "erpSystem");
  const std::string app = (dir / "bin").string();
  EXPECT_EQ(FindSwitchDatabase(app), "");
  const std::string file = (dir / "erpSystem" / "RodIdorud.sss").string();
  refhost::Database::Open(file)->Exec("create table t_Switch (FKey text)");
  EXPECT_EQ(FindSwitchDatabase(app), file);

  fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(GetDataConnectString(file),
            "PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=" + file + ";");
  EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
  auto only40 = [](const std::string& cnn) { return cnn.find("4.0") != std::string::npos; };
  EXPECT_EQ(BuildJetConnectString(file, only40),
            "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + file + ";");
  EXPECT_TRUE(host_->Log().Since(0, "message").empty());

  std::ofstream(file, std::ios::trunc) << "not a database";
  EXPECT_EQ(GetDataConnectString(file), "");
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"], "由于你的ODBC有误，系统不能与文件:'" + file + "'建立连接。");
  EXPECT_EQ(messages[0]["title"], "澜帆提示");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orb
