#include "services/follow_on_bill.h"

#include <string>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/components/class_update.h"
#include "refhost/embedded.h"
#include "service_host.h"
#include "services/language.h"

namespace orb {
namespace {

// Two stock maintenance records: record 1 linked to the unaudited transfer
// bill 4 (two lines), record 2 to the audited transfer bill 5; record 3 names
// no stock bill.
constexpr const char* kData = R"sql(
INSERT INTO ICTransactiontype (FID, FName, FHeadTable, FEntryTable) VALUES
  (41, 'Transfer', 'ICStockBill', 'ICStockBillEntry');
INSERT INTO ICStockBill (FInterID, FBillNo, FTranType, FCheckerID) VALUES
  (4, 'DB000004', 41, NULL), (5, 'DB000005', 41, 16394);
INSERT INTO ICStockBillEntry (FInterID, FEntryID, FItemID, FQty) VALUES
  (4, 1, 1001, 10), (4, 2, 1001, 5), (5, 1, 1001, 3);
INSERT INTO GMPStockMaintain (FID, FBillNo, FStockBillID, FStockBillNo) VALUES
  (1, 'YH1', 4, 'DB000004'), (2, 'YH2', 5, 'DB000005'), (3, 'YH3', NULL, NULL);
)sql";

class FollowOnBillTest : public ServiceHostTest {
 protected:
  void SetUp() override {
    ServiceHostTest::SetUp();
    for (const char* schema : {"schema/erp.sql", "schema/link.sql", "schema/stock_bills.sql"})
      host_->Db().Exec(std::string(*refhost::FindEmbedded(schema)));
    host_->Db().Exec(kData);
  }
  std::string Query(const std::string& sql) {
    auto rs = host_->Db().Query(sql);
    std::string out;
    for (; rs && !rs->IsEOF(); rs->MoveNext()) {
      for (int32_t i = 0; i < rs->FieldCount(); ++i)
        out += (i ? "," : "") + (rs->Value(i).IsNull() ? "null" : CStr(rs->Value(i)));
      out += ";";
    }
    return out;
  }
  static DictionaryPtr Link(int32_t record) {
    return Dictionary::New({{"NewBillID", record},
                            {"NewTblName", "GMPStockMaintain"},
                            {"OldTblName", "ICStockBill"},
                            {"IDFldName", "FStockBillID"},
                            {"NOFldName", "FStockBillNo"}});
  }
};

TEST_F(FollowOnBillTest, RemovalDeletesTheStockBillWithItsLinesAndClearsTheLink) {
  RemoveFollowOnBill(Link(1), "41");
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBill WHERE FInterID = 4"), "0;");
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBillEntry WHERE FInterID = 4"), "0;");
  EXPECT_EQ(Query("SELECT FStockBillID, FStockBillNo FROM GMPStockMaintain WHERE FID = 1"), "0,;");
  // The other bills stay.
  EXPECT_EQ(Query("SELECT FInterID FROM ICStockBill ORDER BY FInterID"), "5;");
}

TEST_F(FollowOnBillTest, ARecordWithoutStockBillOrAnAuditedStockBillIsLeftAlone) {
  RemoveFollowOnBill(Link(3), "41");
  RemoveFollowOnBill(Link(99), "41");
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBill"), "2;");

  // An audited stock bill is refused by the host, and the link kept.
  EXPECT_THROW(RemoveFollowOnBill(Link(2), "41"), AutomationError);
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBillEntry WHERE FInterID = 5"), "1;");
  EXPECT_EQ(Query("SELECT FStockBillID FROM GMPStockMaintain WHERE FID = 2"), "5;");
}

TEST_F(FollowOnBillTest, ClassUpdateRefusesAnUnknownClassTypeAndAMissingStockBill) {
  refhost::HostClassUpdate update(*host_);
  EXPECT_THROW(update.DeleteBill("", {Variant(4242), Variant(4)}), AutomationError);
  EXPECT_THROW(update.DeleteBill("", {Variant(41), Variant(77)}), AutomationError);
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBill"), "2;");
}

TEST(FormatTVStringTest, TwoValuesFillTheirOwnMarks) {
  EXPECT_EQ(FormatTVString("第%1行[%2]与第%1行", Variant(2), Variant(37.4)), "第2行[37.4]与第2行");
  EXPECT_EQ(FormatTVString("%2%1", Variant(), Variant("x")), "x");
}

}  // namespace
}  // namespace orb
