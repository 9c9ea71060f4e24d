// The reference host's grading component and the class link's line ids, on
// the demo data.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/components.h"
#include "refhost/components/class_link.h"
#include "refhost/components/grading_data.h"
#include "refhost/embedded.h"
#include "refhost/host.h"

namespace orb::refhost {
namespace {

class ProcessComponents : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"schema/erp.sql", "schema/link.sql", "fixtures/demo.sql"})
      host_.Db().Exec(std::string(*FindEmbedded(file)));
    host_.Db().Exec(
        "INSERT INTO ICTransactiontype (FID, FName, FHeadTable, FEntryTable) VALUES "
        "(1001820, 'routing', 't_Routing', 't_RoutingOper'), "
        "(691, 'dispatch', 'ICTaskDispBill', 'ICTaskDispBillEntry')");
  }

  // The source rows of `sel` for the link fields `link` of source class `src`.
  std::shared_ptr<MemoryRecordset> Rows(int32_t src, std::vector<LinkField> link,
                                        const VectorPtr& sel) {
    return ReadSelectedRows(host_.Db(), FindSourceTables(host_.Db(), src, "test"), link, sel,
                            "test");
  }

  Host host_{Database::Open(":memory:")};
};

VectorPtr Select(std::initializer_list<std::pair<std::string, Variant>> record) {
  VectorPtr sel = Vector::New();
  sel->Add(Variant(Dictionary::New(record)));
  return sel;
}

TEST_F(ProcessComponents, GradingRecordsAnswerByColumnInAnyCaseAndAFailedQueryIsNothing) {
  HostGradingData grading(host_);
  VectorPtr v = grading.GetData("", "select FBatchManager from t_icitem where FItemID=1003");
  ASSERT_TRUE(v);
  ASSERT_EQ(v->Size(), 1);
  auto record = v->Item(1).As<GradingRecord>();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->GetValue("fbatchmanager", 0).AsLong(), 1);
  EXPECT_TRUE(record->GetValue("FNoSuchColumn", 0).IsEmpty());

  // The connection's dialect: ISNULL is understood.
  v = grading.GetData("",
                      "SELECT ISNULL(FDefaultRoutingID,0) AS r from t_icitem where fitemid=1004");
  ASSERT_TRUE(v && v->Size() == 1);
  EXPECT_EQ(v->Item(1).As<GradingRecord>()->GetValue("R", 0).AsLong(), 2);

  EXPECT_EQ(grading.GetData("", "select FItemID from t_icitem where FItemID=-1")->Size(), 0);
  EXPECT_FALSE(grading.GetData("", "select nothing from no_such_table"));
}

TEST_F(ProcessComponents, ARoutingLineIsLinkedByItsOwnLineIdNotEveryLineOfTheRouting) {
  auto rs = Rows(1001820, {{"FOperID", "e.FOperID"}},
                 Select({{"FInterID", Variant(1)}, {"FNewEntryID", Variant(104)}}));
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value(0).AsLong(), 6104);

  // Without a line id the whole routing comes.
  rs = Rows(1001820, {{"FOperID", "e.FOperID"}}, Select({{"FInterID", Variant(1)}}));
  EXPECT_EQ(rs->RecordCount(), 7);
}

TEST_F(ProcessComponents, ADispatchLineFromTheLookUpFindsTheBillThatOwnsIt) {
  // 20003 is the line's id; bill 1 would be the wrong bill (and bill 20003 none).
  auto rs = Rows(691, {{"FTaskDispBillNo", "h.FBillNo"}, {"FShift", "e.FShift"}},
                 Select({{"FInterID", Variant(20003)}, {"FEntryID", Variant(1)}}));
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value(0).AsString(), "PG2405-005");
}

}  // namespace
}  // namespace orb::refhost
