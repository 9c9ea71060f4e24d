#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "error_of.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/dialect.h"
#include "refhost/host.h"
#include "refhost/odbc_connection.h"
#include "refhost/sqlite_connection.h"

namespace orb::refhost {
namespace {

namespace fs = std::filesystem;

// The message of the automation error f() raises ("" when none).
template <class F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Description();
  }
  return "";
}

// A SQLite file reached both natively and through the SQLite ODBC driver.
class OdbcConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_->Exec(
        "CREATE TABLE t (FBillNo TEXT COLLATE TEXTKEY, FQty REAL, FNote TEXT, x INT);"
        "INSERT INTO t VALUES ('BP0001', 95, 'a', NULL), ('BP0001 ', 5, 'b', 7),"
        " ('bp00011', 1, 'c', 3e9), ('BP000', 2, NULL, 1);");
    session_ = OdbcSession::Connect(Odbc());
  }
  void TearDown() override {
    session_.reset();
    db_.reset();
    fs::remove(path_);
  }
  std::string Odbc() const { return "Driver=SQLite3;Database=" + path_ + ";Timeout=2000"; }
  int64_t Count(const std::string& table) {
    return CLng(db_->Query("SELECT count(*) FROM " + table)->Value(0));
  }

  std::string path_ =
      (fs::temp_directory_path() / ("odbc_test_" + std::to_string(getpid()) + ".db")).string();
  std::shared_ptr<Database> db_ = Database::Open(path_);
  std::shared_ptr<OdbcSession> session_;
};

TEST_F(OdbcConnectionTest, ReturnsTheSameRecordsetsAsTheNativeConnection) {
  EXPECT_EQ(session_->GetDialect().GetKind(), Dialect::Kind::kSqlite);
  SqliteConnection native(db_);
  OdbcConnection odbc(session_);
  const std::vector<std::string> queries = {
      "select FNote, x, FQty, fbillno from t order by FQty desc",
      "select count(*) as N, sum(FQty) as Total from t where FBillNo = 'bp0001'",
      "select isnull(FNote, '-') as Note, len(FBillNo) as L from t order by FBillNo",
      "select FBillNo from t group by FBillNo order by 1",
      "select FQty / 100 as Rate, ifnull(max(x), 0) + 1 as NextId from t",
      "select FNote from t where 1 = 0",
      "select FBillNo || hex(zeroblob(5000)) as LongText from t",  // past one fetch buffer
      "select case when getdate() > '2000-01-01' then 1 else 0 end as Today"};
  for (const auto& sql : queries) {
    SCOPED_TRACE(sql);
    auto want = native.Execute(sql);
    auto got = odbc.Execute(sql);
    ASSERT_NE(got, nullptr);
    ASSERT_EQ(got->RecordCount(), want->RecordCount());
    ASSERT_EQ(got->FieldCount(), want->FieldCount());
    for (int32_t i = 0; i < want->FieldCount(); ++i) {
      EXPECT_TRUE(SameText(got->FieldName(i), want->FieldName(i)));
      EXPECT_TRUE(got->HasField(UCase(want->FieldName(i))));
    }
    for (; !want->IsEOF(); want->MoveNext(), got->MoveNext()) {
      for (int32_t i = 0; i < want->FieldCount(); ++i) {
        EXPECT_EQ(got->Value(i).Type(), want->Value(i).Type()) << want->FieldName(i);
        EXPECT_EQ(CStr(got->Value(i).IsNull() ? Variant("") : got->Value(i)),
                  CStr(want->Value(i).IsNull() ? Variant("") : want->Value(i)));
      }
    }
    EXPECT_TRUE(got->IsEOF());
  }
  // Statements return nothing and change rows.
  EXPECT_EQ(odbc.Execute("update t set FNote = 'z' where FBillNo = 'BP0001'"), nullptr);
  EXPECT_EQ(odbc.Execute("update t set FNote = 'z' where FBillNo = 'none'"), nullptr);
  EXPECT_EQ(CLng(native.Execute("select count(*) from t where FNote = 'z'")->Value(0)), 2);
}

TEST_F(OdbcConnectionTest, BadConnectionStringsFailClearly) {
  EXPECT_NE(MessageOf([] { OdbcSession::Connect("  "); }).find("empty"), std::string::npos);
  EXPECT_NE(MessageOf([] { OdbcSession::Connect("Database=x.db"); }).find("neither a DSN"),
            std::string::npos);
  const std::string unknown = MessageOf([] { OdbcSession::Connect("Driver=NoSuchDriver;"); });
  EXPECT_NE(unknown.find("NoSuchDriver"), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("(SQLSTATE "), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("Cannot connect"), std::string::npos) << unknown;
  // A SQLite database without the host's additions would miscompare text keys.
  const std::string bare = MessageOf([&] { OdbcSession::Connect(Odbc(), ""); });
  EXPECT_NE(bare.find("LoadExt"), std::string::npos) << bare;
  EXPECT_NE(bare.find("no such function: len"), std::string::npos) << bare;
}

TEST_F(OdbcConnectionTest, RefusedStatementLeavesTheBatchUnwritten) {
  OdbcConnection odbc(session_);
  const std::string refused = MessageOf([&] {
    odbc.Execute("insert into t (FBillNo) values ('N1'); insert into nowhere values (1)");
  });
  EXPECT_NE(refused.find("nowhere"), std::string::npos) << refused;
  EXPECT_NE(refused.find("SQLSTATE"), std::string::npos) << refused;
  EXPECT_EQ(Count("t"), 4);
  // The session stays usable, and a good batch takes effect as a whole.
  odbc.Execute("insert into t (FBillNo) values ('N1'); insert into t (FBillNo) values ('N2');");
  EXPECT_EQ(Count("t"), 6);
}

TEST_F(OdbcConnectionTest, ServerGoingAwayMidBatchWritesNothing) {
  OdbcConnection odbc(session_);
  session_->DropAfter(1);
  const std::string lost =
      MessageOf([&] { odbc.Execute("delete from t; insert into t (FBillNo) values ('N1')"); });
  EXPECT_NE(lost.find("SQLSTATE 08003"), std::string::npos) << lost;
  EXPECT_FALSE(session_->IsOpen());
  EXPECT_EQ(Count("t"), 4);
  // Every later statement fails the same way instead of crashing.
  EXPECT_NE(MessageOf([&] { odbc.Execute("select 1"); }).find("08003"), std::string::npos);
}

TEST_F(OdbcConnectionTest, HostRoutesPluginStatementsThroughOdbcWithItsLogAndFaults) {
  Host host(db_);
  host.UseOdbc(Odbc());
  auto conn = host.NewConnection();
  ASSERT_NE(std::dynamic_pointer_cast<OdbcConnection>(conn), nullptr);
  EXPECT_EQ(CLng(conn->Execute("select count(*) from t where FBillNo = 'bp0001'")->Value(0)), 2);
  host.GetFaults().Add(Fault{"sql", "delete", 0});
  EXPECT_EQ(ErrorOf([&] { conn->Execute("delete from t"); }), err::kDatabase);
  EXPECT_EQ(Count("t"), 4);
  EXPECT_NE(host.Log().ToJsonLines().find("delete from t"), std::string::npos);
  EXPECT_NE(MessageOf([&] { host.UseOdbc("Driver=NoSuchDriver"); }).find("NoSuchDriver"),
            std::string::npos);
}

TEST(DialectTest, SplitsBatchesOnlyAtStatementEnds) {
  EXPECT_EQ(SplitStatements("select 1; select ';' as a -- x;y\n;\n  ;/* ; */ update t set a = 1"),
            (std::vector<std::string>{"select 1", " select ';' as a -- x;y\n",
                                      "/* ; */ update t set a = 1"}));
  EXPECT_TRUE(SplitStatements(" -- only a comment; \n ").empty());
  EXPECT_EQ(Dialect::TSql().Calls("select 1; select 2"),
            (std::vector<std::string>{"select 1; select 2"}));
  EXPECT_EQ(Dialect::TSql().Statement("select isnull(a, getdate())"),
            "select isnull(a, getdate())");
  EXPECT_EQ(&Dialect::ForProduct("SQLite"), &Dialect::Sqlite());
  EXPECT_EQ(&Dialect::ForProduct("Microsoft SQL Server"), &Dialect::TSql());
}

}  // namespace
}  // namespace orb::refhost
