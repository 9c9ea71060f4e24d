#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "error_of.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/dialect.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "refhost/odbc_account.h"
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

// The account tables made through the SQLite ODBC driver in a second, empty
// file: the same tables and columns as the host's own database, its rows
// added once however often the set-up runs.
TEST_F(OdbcConnectionTest, MakesTheAccountTablesInAnotherDatabase) {
  const std::string otherPath = path_ + ".account";
  std::vector<SchemaScript> scripts;
  for (const char* name : {"schema/system.sql", "schema/erp.sql", "schema/batch_package.sql"})
    scripts.push_back({name, std::string(*FindEmbedded(name))});
  for (const auto& script : scripts) db_->Exec(script.text);
  db_->Exec(
      "INSERT INTO t_ICItem (FItemID, FNumber, FName) VALUES (1, 'A.01', '片剂'), (2, 'B''1', '');"
      "INSERT INTO t_TaskLock (FSubSysID, FNumber, FArgA) VALUES (3, 'N', NULL);"
      "INSERT INTO t_UserRight (FUserID, FObjectType, FObjectID, FRights) VALUES (7, 'b', '1', 3);"
      "INSERT INTO t_MeasureUnit (FItemID, FMeasureUnitID, FUnitGroupID, FCoefficient)"
      " VALUES (11, 11, 1, 0.1);"
      "INSERT INTO gmpbatchpacket (FID, FBillNo) VALUES (5, 'BP5');");
  EXPECT_TRUE(ReachesDatabase(*session_, *db_));
  {
    auto other = OdbcSession::Connect("Driver=SQLite3;Database=" + otherPath + ";Timeout=2000");
    EXPECT_FALSE(ReachesDatabase(*other, *db_));
    MakeAccountTables(*other, *db_, scripts);
    MakeAccountTables(*other, *db_, scripts);  // each scenario's set-up runs it again
  }
  auto made = Database::Open(otherPath);
  const std::string tables =
      "SELECT name FROM sqlite_master WHERE type IN ('table', 'index', 'trigger') "
      "AND name NOT LIKE 'sqlite_%' AND name <> 't' ORDER BY name";
  const std::string columns = "SELECT name, type, pk FROM pragma_table_info('";
  auto listed = [](const RecordsetPtr& rs) {
    std::string text;
    for (; !rs->IsEOF(); rs->MoveNext())
      for (int32_t i = 0; i < rs->FieldCount(); ++i) text += CStr(rs->Value(i)) + "|";
    return text;
  };
  EXPECT_EQ(listed(made->Query(tables)), listed(db_->Query(tables)));
  for (const char* table : {"t_ICItem", "t_UserLog", "t_MeasureUnit", "gmpbatchpacketEntry"}) {
    SCOPED_TRACE(table);
    const std::string sql = columns + table + "')";
    EXPECT_NE(listed(made->Query(sql)), "");
    EXPECT_EQ(listed(made->Query(sql)), listed(db_->Query(sql)));
  }
  const std::string rows =
      "SELECT (SELECT group_concat(FItemID || FNumber || FName) FROM t_ICItem),"
      " (SELECT count(*) FROM t_UserRight), (SELECT FCoefficient FROM t_MeasureUnit),"
      " (SELECT count(*) FROM t_GMPBillStatus), (SELECT count(*) FROM icclassgroupinfo),"
      " (SELECT count(*) FROM t_TaskLock WHERE FArgA IS NULL)";
  EXPECT_EQ(listed(made->Query(rows)), listed(db_->Query(rows)));
  EXPECT_EQ(listed(made->Query(rows)), "1A.01片剂,2B'1|1|0.1|5|1|1|");
  made.reset();
  fs::remove(otherPath);
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

// The host's schema scripts as a T-SQL server is given them.
TEST(DialectTest, MakesTheSchemaScriptsInTSqlOrSaysWhichStatementItCannot) {
  auto made = [](const char* script) {
    return Dialect::TSql().SchemaStatements(std::string(*FindEmbedded(script)), script);
  };
  const std::vector<std::string> system = made("schema/system.sql");
  ASSERT_EQ(system.size(), 7u);
  EXPECT_EQ(system[0],
            "IF OBJECT_ID(N't_User', N'U') IS NULL CREATE TABLE t_User (\n"
            "  FUserID INT PRIMARY KEY,\n"
            "  FName   NVARCHAR(255) NOT NULL DEFAULT N''\n)");
  EXPECT_EQ(system[2],
            "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N'ix_UserRight' AND object_id = "
            "OBJECT_ID(N't_UserRight')) CREATE INDEX ix_UserRight ON t_UserRight (FUserID, "
            "FObjectType, FObjectID)");
  EXPECT_NE(system[3].find("FID     INT IDENTITY(1,1) PRIMARY KEY,"), std::string::npos);
  EXPECT_NE(system[3].find("FText   NVARCHAR(MAX) NOT NULL DEFAULT N'',"), std::string::npos);
  EXPECT_NE(system[5].find("IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N'ux_TaskLock'"),
            std::string::npos);
  EXPECT_NE(system[5].find("CREATE UNIQUE INDEX ux_TaskLock ON"), std::string::npos);
  for (const auto& file : EmbeddedFiles()) {
    const std::string name(file.name);
    if (name.rfind("schema/", 0) != 0 || name == "schema/batch_package.sql") continue;
    SCOPED_TRACE(name);
    for (const std::string& st : made(file.name.data())) {
      EXPECT_EQ(st.find("TEXTKEY"), std::string::npos) << st;
      EXPECT_EQ(st.find(" REAL"), std::string::npos) << st;
      EXPECT_EQ(st.find(" TEXT"), std::string::npos) << st;
    }
  }
  const std::vector<std::string> erp = made("schema/erp.sql");
  EXPECT_NE(erp[2].find("FCoefficient   FLOAT NOT NULL DEFAULT 1,"), std::string::npos);
  // The lot's production date is text, but the lot index names it: a key.
  const auto lots = std::find_if(erp.begin(), erp.end(), [](const std::string& st) {
    return st.find("CREATE TABLE ICInventory") != std::string::npos;
  });
  ASSERT_NE(lots, erp.end());
  EXPECT_NE(lots->find("FKFDate       NVARCHAR(255) NOT NULL DEFAULT N'',"), std::string::npos);
  const std::string view = made("schema/proc_oper.sql").back();
  EXPECT_EQ(view.substr(0, view.find(" AS\n")),
            "IF OBJECT_ID(N'GMPProcOperTaskMaterial', N'V') IS NULL EXEC(N'CREATE VIEW "
            "GMPProcOperTaskMaterial");
  // Reference rows: added unless an equal row is there, the text kept as Unicode.
  const std::string rows = made("schema/stock_bills.sql").back();
  EXPECT_EQ(rows.substr(0, rows.find(" FROM (VALUES")),
            "INSERT INTO t_ClassLink (FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField) "
            "SELECT FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField");
  EXPECT_NE(rows.find("(1001802, 41, N'FItemID', N'FItemID'),"), std::string::npos);
  EXPECT_NE(rows.find(") AS v (FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField) WHERE NOT "
                      "EXISTS (SELECT 1 FROM t_ClassLink t WHERE t.FSrcClassTypeID = "
                      "v.FSrcClassTypeID AND "),
            std::string::npos);
  // What T-SQL cannot be given is named, never left out.
  try {
    made("schema/batch_package.sql");
    ADD_FAILURE() << "the trigger was made";
  } catch (const SchemaStatementError& e) {
    EXPECT_EQ(std::string(e.what()),
              "schema/batch_package.sql, statement 9 (CREATE TRIGGER IF NOT EXISTS "
              "tr_gmpbatchpacket_ClassGroup AFTER INSERT ON gmpbatchpacket): a trigger is written "
              "differently in T-SQL and must be made there by hand");
  }
  // A text column an index names is short enough to be a key; other text is long.
  const std::vector<std::string> inventory = {
      "CREATE TABLE IF NOT EXISTS n (FID INTEGER, FDate TEXT, FNote TEXT, PRIMARY KEY (FID, FKey))",
      "CREATE INDEX IF NOT EXISTS ix ON n (fdate)"};
  const std::vector<std::string> keys = SchemaKeyColumns(inventory);
  EXPECT_EQ(keys, (std::vector<std::string>{"n.fid", "n.fkey", "n.fdate"}));
  std::string reason;
  EXPECT_EQ(TranslateSchemaStatement(inventory[0], keys, reason),
            "IF OBJECT_ID(N'n', N'U') IS NULL CREATE TABLE n (FID INT, FDate NVARCHAR(255), FNote "
            "NVARCHAR(MAX), PRIMARY KEY (FID, FKey))");
  for (const char* refused : {"CREATE TABLE t (a INTEGER)", "PRAGMA foreign_keys = ON",
                              "CREATE TABLE IF NOT EXISTS t (a TEXT COLLATE NOCASE)",
                              "INSERT OR REPLACE INTO t VALUES (1)"}) {
    reason.clear();
    EXPECT_EQ(TranslateSchemaStatement(refused, keys, reason), "") << refused;
    EXPECT_FALSE(reason.empty()) << refused;
  }
  // SQLite is given the scripts' own statements, the trigger whole.
  const auto sqlite = Dialect::Sqlite().SchemaStatements(
      std::string(*FindEmbedded("schema/batch_package.sql")), "schema/batch_package.sql");
  EXPECT_NE(sqlite.back().find("VALUES (NEW.FID, 1001012);\nEND"), std::string::npos);
}

}  // namespace
}  // namespace orb::refhost
