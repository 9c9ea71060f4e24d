#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "host/automation_error.h"
#include "refhost/sqlite_connection.h"
#include "refhost/transcript.h"

namespace orb::refhost {
namespace {

class SqliteConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_->Exec(
        "CREATE TABLE t (FBillNo TEXT COLLATE TEXTKEY, FQty REAL, FRate REAL, FNote TEXT, x INT);"
        "INSERT INTO t VALUES ('BP0001', 95, 100, 'a', NULL), ('BP0001 ', 5, 1, 'b', 7),"
        " ('bp00011', 1, 1, 'c', 3e9), ('BP000', 2, 1, x'4142', 1);");
  }
  Variant One(const std::string& sql) { return conn_.Execute(sql)->Value(0); }

  std::shared_ptr<Database> db_ = Database::Open(":memory:");
  SqliteConnection conn_{db_};
};

TEST_F(SqliteConnectionTest, WalksRowsToEofAndConvertsValues) {
  auto rs = conn_.Execute("select FNote, x from t order by FQty desc");
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordCount(), 4);
  std::vector<Variant> xs;
  for (; !rs->IsEOF(); rs->MoveNext()) xs.push_back(rs->Value(1));
  EXPECT_EQ(xs, (std::vector<Variant>{Variant::Null(), Variant(7), Variant(1), Variant(3e9)}));
  EXPECT_THROW(rs->MoveNext(), AutomationError);
  EXPECT_EQ(One("select FNote from t where FQty = 2"), Variant("AB"));  // a BLOB as its bytes

  auto empty = conn_.Execute("select FNote from t where 1 = 0");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_TRUE(empty->IsEOF());
  EXPECT_EQ(empty->FieldCount(), 1);
}

TEST_F(SqliteConnectionTest, FieldsByIndexAndByNameInAnyCase) {
  auto rs = conn_.Execute("select FNote, FQty / FRate AS Ratio from t where FQty = 95");
  EXPECT_EQ(rs->Value("fnote"), Variant("a"));
  EXPECT_EQ(rs->Value("RATIO"), rs->Value(1));
  EXPECT_EQ(rs->Value(1), Variant(0.95));  // REAL columns: no integer division
  rs = conn_.Execute("select sum(FQty) 'FTakeQty' from t");
  EXPECT_EQ(rs->FieldName(0), "FTakeQty");
  EXPECT_EQ(rs->Value("ftakeqty"), Variant(103.0));
}

TEST_F(SqliteConnectionTest, TextKeysIgnoreCaseAndTrailingBlanks) {
  auto rs = conn_.Execute("select FNote from t where FBillNo='bp0001' order by FNote");
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->Value(0), Variant("a"));
  EXPECT_EQ(One("select count(distinct FBillNo) from t"), Variant(3));
}

TEST_F(SqliteConnectionTest, TSqlFunctions) {
  EXPECT_EQ(One("select ISNULL (x, 0) from t where FNote = 'a'"), Variant(0));
  EXPECT_EQ(One("select 'it''s isnull(x' as s"), Variant("it's isnull(x"));
  EXPECT_EQ(One("select len('ab  ') + len(' b') * 10"), Variant(22));
  EXPECT_EQ(One("select len(NULL)"), Variant::Null());
  EXPECT_EQ(One("select len('\xE4\xB8\xAD\xE6\x96\x87')"), Variant(2));  // two characters
  EXPECT_EQ(One("select length(getdate ( ))"), Variant(19));
}

TEST(TranslateTSqlTest, RewritesOnlyWholeWordsOutsideQuotesAndComments) {
  EXPECT_EQ(TranslateTSql("IsNull\n(a,b)+isnull(c,d)"), "ifnull\n(a,b)+ifnull(c,d)");
  EXPECT_EQ(TranslateTSql("where d<getdate()"), "where d<datetime('now','localtime')");
  const char* kept[] = {"myisnull(a)", "isnull_x(a)", "@isnull(a)",       "t.isnull(a)",
                        "a isnull",    "getdate(1)",  "'it''s isnull(a'", "[a]]isnull(]",
                        "\"isnull(\"", "-- isnull(a", "/* getdate() */",  "'open isnull("};
  for (const char* sql : kept) EXPECT_EQ(TranslateTSql(sql), sql);
  EXPECT_EQ(TranslateTSql("'a''' + isnull(b,'')"), "'a''' + ifnull(b,'')");
  // Text before, between and after the rewrites is kept byte for byte.
  EXPECT_EQ(TranslateTSql("select x,\r\n GETDATE ( ) d from t where isnull(y,0)=1; -- end"),
            "select x,\r\n datetime('now','localtime') d from t where ifnull(y,0)=1; -- end");
  EXPECT_EQ(TranslateTSql(""), "");
}

TEST_F(SqliteConnectionTest, StatementsChangeRowsAndReturnNothing) {
  EXPECT_EQ(conn_.Execute("update t set FNote = 'A''B' where FBillNo = 'BP000'"), nullptr);
  EXPECT_EQ(db_->Changes(), 1);
  EXPECT_EQ(One("select FNote from t where FQty = 2"), Variant("A'B"));
  // Several statements: the last one with columns gives the rows.
  auto rs = conn_.Execute("select 1 as a; update t set x = 0; select count(*) as n from t; ");
  EXPECT_EQ(rs->FieldName(0), "n");
  EXPECT_EQ(One("select sum(x) from t"), Variant(0));
}

TEST_F(SqliteConnectionTest, FailingStatementRaisesAfterEarlierOnesRan) {
  try {
    conn_.Execute("delete from t where FNote = 'a'; select nope from t");
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kDatabase);
    EXPECT_EQ(e.Source(), "OrbConnection.Appconnection");
    EXPECT_EQ(e.Description(), "no such column: nope");
  }
  EXPECT_EQ(One("select count(*) from t"), Variant(3));
}

TEST_F(SqliteConnectionTest, TransactionRollsBackUnlessCommitted) {
  {
    Database::Transaction tx(*db_);
    conn_.Execute("delete from t");
  }
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(One("select count(*) from t"), Variant(4));
  {
    Database::Transaction tx(*db_);
    conn_.Execute("delete from t where FNote = 'a'");
    tx.Commit();
  }
  EXPECT_EQ(One("select count(*) from t"), Variant(3));
}

TEST_F(SqliteConnectionTest, HookSeesTranslatedTextAndCanStopIt) {
  std::string seen;
  db_->SetStatementHook([&](const std::string& sql) {
    seen = sql;
    if (sql.find("delete") != std::string::npos) Raise(err::kDatabase, "fault", "injected");
  });
  EXPECT_EQ(conn_.Execute("select isnull(x, 1) from t")->RecordCount(), 4);
  EXPECT_EQ(seen, "select ifnull(x, 1) from t");
  EXPECT_THROW(conn_.Execute("delete from t"), AutomationError);
  db_->SetStatementHook(nullptr);
  EXPECT_EQ(One("select count(*) from t"), Variant(4));
}

TEST(DatabaseTest, FileIsSharedAndBadPathRaises) {
  const std::string path = ::testing::TempDir() + "sqlite_connection_test.db";
  std::remove(path.c_str());
  auto a = Database::Open(path);
  auto b = Database::Open(path);
  a->Exec("create table k (v REAL); insert into k values (1.5)");
  EXPECT_EQ(b->Query("select v from k")->Value(0), Variant(1.5));
  std::remove(path.c_str());
  EXPECT_THROW(Database::Open("/nonexistent-dir/x.db"), AutomationError);
}

}  // namespace
}  // namespace orb::refhost

namespace orb::refhost {
namespace {

// A statement's record keeps its place among the others and the text that
// ran, however the transcript is read, and across a Clear.
TEST(TranscriptTest, StatementsKeepTheirPlaceAndTextAcrossReadsAndClears) {
  Transcript log;
  log.AddStatement("select 1");
  log.Add("event", {{"name", "Change"}});
  EXPECT_EQ(log.Since(0, "sql"), (std::vector<nlohmann::json>{{{"text", "select 1"}}}));
  log.AddStatement("select 2");
  EXPECT_EQ(log.ToJsonLines(),
            "{\"kind\":\"sql\",\"text\":\"select 1\"}\n{\"kind\":\"event\",\"name\":\"Change\"}\n"
            "{\"kind\":\"sql\",\"text\":\"select 2\"}\n");
  log.Clear();
  log.AddStatement("select 3");
  ASSERT_EQ(log.Records().size(), 1u);
  EXPECT_EQ(log.Records()[0].data, (nlohmann::json{{"text", "select 3"}}));
}

}  // namespace
}  // namespace orb::refhost
