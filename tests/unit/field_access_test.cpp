#include "services/field_access.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/convert.h"
#include "host/recordset.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"
#include "refhost/host.h"

namespace orb {
namespace {

// A head with fields of each value-type family, and one entry page.
constexpr const char* kTemplate = R"({
  "classType": {"FID": 1009901, "FName": "测试单"},
  "headTable": {"name": "TTestHead"},
  "entryTables": [{"name": "TTestEntry"}],
  "pages": [
    {"fields": [
      {"FKey": "FID", "FFieldName": "FID", "FValueType": 56},
      {"FKey": "FBillNo", "FFieldName": "FBillNo", "FValueType": 167},
      {"FKey": "FItemID", "FFieldName": "FItemID", "FValueType": 56},
      {"FKey": "FQty", "FFieldName": "FQty", "FValueType": 62},
      {"FKey": "FDate", "FFieldName": "FDate", "FValueType": 61},
      {"FKey": "FNote", "FFieldName": "FNote", "FValueType": 231},
      {"FKey": "FCode", "FFieldName": "FCode", "FValueType": 122},
      {"FKey": "FSerial", "FFieldName": "FSerial", "FValueType": 127},
      {"FKey": "FKFDate", "FFieldName": "FKFDate", "FValueType": 61},
      {"FKey": "FKFPeriod", "FFieldName": "FKFPeriod", "FValueType": 56},
      {"FKey": "FEndDate", "FFieldName": "FEndDate", "FValueType": 61}
    ]},
    {"FEntryType": 1, "fields": [
      {"FKey": "FRowDate", "FFieldName": "FRowDate", "FValueType": 61},
      {"FKey": "FRowDays", "FFieldName": "FRowDays", "FValueType": 56},
      {"FKey": "FRowEnd", "FFieldName": "FRowEnd", "FValueType": 61}
    ]}
  ]
})";

class FieldAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    auto tpl =
        std::make_shared<const refhost::BillTemplate>(refhost::BillTemplate::Parse(kTemplate));
    bill_ = std::make_shared<refhost::Bill>(*host_, tpl);
    bill_->NewBill();
    bill_->AddRow(2);
    bill_->AddRow(2);
  }
  void TearDown() override {
    bill_.reset();
    host_.reset();
  }

  void Set(const std::string& key, const Variant& value, int32_t row = 0) {
    bill_->SetValueByKey(key, value, row);
  }
  std::string Text(const std::string& key, int32_t row = 0) {
    return CStr(bill_->ValueRecord(key, row)->Get("FFLD"));
  }
  std::string Expand(const std::string& filter) {
    return ExpandFilter(bill_, Dictionary::New({{"FFilter", filter}}));
  }

  std::unique_ptr<refhost::Host> host_;
  std::shared_ptr<refhost::Bill> bill_;
};

TEST_F(FieldAccessTest, GetFieldFLDByRow) {
  Set("FBillNo", "BP0001");
  Set("FRowDays", 7, 2);
  EXPECT_EQ(GetFieldFLD(bill_, "FBillNo", 0), Variant("BP0001"));
  EXPECT_EQ(GetFieldFLD(bill_, "FRowDays", 2), Variant(7));
  EXPECT_TRUE(GetFieldFLD(bill_, "FBillNo", -1).IsEmpty());
  EXPECT_TRUE(GetFieldFLD(bill_, "FNoSuchField", 0).IsEmpty());
  EXPECT_TRUE(GetFieldFLD(bill_, "FRowDays", 9).IsEmpty());
}

TEST_F(FieldAccessTest, FilterWithoutPlaceholdersOrValues) {
  EXPECT_EQ(Expand("  FStatus = 1  "), "FStatus = 1");
  EXPECT_EQ(ExpandFilter(bill_, Dictionary::New()), "");

  // An empty number: compared with 0 and made true (mode 0), or the whole
  // filter dropped (mode 1), whatever else the filter holds.
  EXPECT_EQ(Expand("FItemID=GetFldValue(FItemID,0)"), "FItemID=0 or 1=1");
  EXPECT_EQ(Expand("FNote='a' and FItemID=GetFldValue(FItemID,1)"), "");
  EXPECT_EQ(Expand("FDate>=GetFldValue(FDate,0)"), "FDate>=NULL or 1=1");
  EXPECT_EQ(Expand("FNote=GetFldValue(FNote,0)"), "FNote='' or 1=1");
}

TEST_F(FieldAccessTest, FilterValuesByType) {
  Set("FItemID", "12");
  Set("FQty", 2.5);
  Set("FDate", Variant(MakeDate(2008, 3, 5)));
  Set("FCode", "0");
  Set("FSerial", " 42 ");
  EXPECT_EQ(Expand("FItemID=GetFldValue(FItemID,1) and FQty<GetFldValue( FQty ,1)"),
            "FItemID=12 and FQty<2.5");
  EXPECT_EQ(Expand("FDate>=GetFldValue(FDate,1)"), "FDate>='2008/03/05'");
  Set("FDate", "2008-03-05");
  EXPECT_EQ(Expand("FDate>=GetFldValue(FDate,1)"), "FDate>='2008/03/05'");
  // Types outside the numeric list are texts, "0" included.
  EXPECT_EQ(Expand("FCode=GetFldValue(FCode,1) and FSerial=GetFldValue(FSerial,1)"),
            "FCode='0' and FSerial='42'");
  // Placeholders are found and replaced in any letter case.
  EXPECT_EQ(Expand("a=getfldvalue(FItemID,0) or b=GETFLDVALUE(fitemid,0)"), "a=12 or b=12");
}

TEST_F(FieldAccessTest, FilterTextStaysInsideOneLiteral) {
  Set("FNote", "x' or '1'='1");
  EXPECT_EQ(Expand("FNote=GetFldValue(FNote,1)"), "FNote='x'' or ''1''=''1'");
  // A value that reads like a placeholder of the same filter is not expanded.
  Set("FNote", "GetFldValue(FCode,0)");
  Set("FCode", " or 1=1 --");
  EXPECT_EQ(Expand("FNote=GetFldValue(FNote,1) and FCode=GetFldValue(FCode,1)"),
            "FNote='GetFldValue(FCode,0)' and FCode='or 1=1 --'");
  // An unknown field ends the expansion with no filter.
  EXPECT_EQ(Expand("FX=GetFldValue(FNoSuchField,0)"), "");
}

TEST_F(FieldAccessTest, NextGetFldValueListsPlaceholdersInOrder) {
  auto found =
      NextGetFldValue("a=GetFldValue(FA,0) and b in (GetFldValue(FB, 1)) and c=GetFldValue(");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], "GetFldValue(FA,0)");
  EXPECT_EQ(found[1], "GetFldValue(FB, 1)");
}

TEST_F(FieldAccessTest, DateFieldsAddAndSubtractDays) {
  // Head: end = date + days; an empty number of days counts 0; row -1 is the head.
  Set("FKFDate", "2008-02-24");
  Set("FKFPeriod", 10);
  SetDateField(bill_, "FKFDate", "FKFPeriod", "FEndDate", -1);
  EXPECT_EQ(Text("FEndDate"), "2008-03-05");
  Set("FKFPeriod", "");
  SetDateField(bill_, "FKFDate", "FKFPeriod", "FEndDate", 0);
  EXPECT_EQ(Text("FEndDate"), "2008-02-24");
  Set("FKFDate", "");
  SetDateField(bill_, "FKFDate", "FKFPeriod", "FEndDate", 0);
  EXPECT_EQ(Text("FEndDate"), "");

  // Entry row 2: start = end - days; nothing before 1900; no date, no start.
  Set("FRowEnd", "2008-03-05", 2);
  Set("FRowDays", 10, 2);
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 2);
  EXPECT_EQ(Text("FRowDate", 2), "2008-02-24");
  EXPECT_EQ(Text("FRowDate", 1), "");
  Set("FRowEnd", "1900-01-05", 2);
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 2);
  EXPECT_EQ(Text("FRowDate", 2), "");
  Set("FRowDate", "2000-01-01", 2);
  Set("FRowEnd", "", 2);
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 2);
  EXPECT_EQ(Text("FRowDate", 2), "");
}

TEST_F(FieldAccessTest, PeriodFromDateWritesUntilAnError) {
  auto src = Dictionary::New({{"FKFDate", Variant(MakeDate(2008, 3, 5))}, {"FKFPeriod", 30}});
  SetPeriodFromDate(bill_, src, "FKFDate", "FKFPeriod", "FEndDate", 0);
  EXPECT_EQ(Text("FKFDate"), "2008-03-05");
  EXPECT_EQ(Text("FKFPeriod"), "30");
  EXPECT_EQ(Text("FEndDate"), "2008-04-04");

  // An unknown end field: what came before it stays written, nothing raises.
  src->Set("FKFPeriod", "");
  src->Set("FKFDate", "2009-01-01");
  EXPECT_NO_THROW(SetPeriodFromDate(bill_, src, "FKFDate", "FKFPeriod", "FNoEnd", 0));
  EXPECT_EQ(Text("FKFDate"), "2009-01-01");
  EXPECT_EQ(Text("FKFPeriod"), "30");
}

TEST_F(FieldAccessTest, RecordsetsBecomeDictionaries) {
  auto rs =
      std::make_shared<MemoryRecordset>(std::vector<std::string>{"FInterID", "FEntryID"},
                                        std::vector<std::vector<Variant>>{{1, 1}, {1, 2}, {2, 1}});
  rs->MoveNext();
  VectorPtr rows = RecordsetToVector(rs);
  ASSERT_EQ(rows->Size(), 2);  // from the current record on
  EXPECT_EQ(rows->DictionaryAt(1)->Get("FEntryID"), Variant(2));
  EXPECT_EQ(rows->DictionaryAt(2)->Get("finterid"), Variant(2));
  EXPECT_TRUE(rs->IsEOF());

  auto empty = std::make_shared<MemoryRecordset>(std::vector<std::string>{"FInterID"},
                                                 std::vector<std::vector<Variant>>{});
  VectorPtr none = RecordsetToVector(empty);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->Size(), 0);
}

TEST_F(FieldAccessTest, FillPageTakesTheColumnsTheSourceHas) {
  DictionaryPtr pageTpl = bill_->BillTemplate()->GetDictionary("Page1");
  DictionaryPtr record = bill_->DataSrv()->GetEmptyData(pageTpl, false, 1);
  auto rs = std::make_shared<MemoryRecordset>(std::vector<std::string>{"FNote", "FQty"},
                                              std::vector<std::vector<Variant>>{{"copied", 3.5}});
  // The page template as the key list, with an item that is no field first.
  DictionaryPtr page = Dictionary::New({{"FEntryType", 0}});
  for (const auto& [key, item] : pageTpl->Items()) page->Set(key, item);
  FillPageFromRecordset(bill_, record, rs, page, page);
  DictionaryPtr note = record->GetDictionary("FNote");
  EXPECT_EQ(note->Get("FFLD"), Variant("copied"));
  EXPECT_EQ(note->Get("FModify"), Variant::Int(1));
  EXPECT_EQ(record->GetDictionary("FQty")->Get("FFLD"), Variant(3.5));
  EXPECT_NE(record->GetDictionary("FDate")->Get("FModify"), Variant::Int(1));
}

TEST_F(FieldAccessTest, LockAllFieldsLocksTheBillAndItsTables) {
  LockAllFields(bill_, true);
  auto snap = bill_->Snapshot();
  EXPECT_EQ(snap["locks"]["FID"], true);
  EXPECT_EQ(snap["tableLocks"]["TTestHead"], true);
  EXPECT_EQ(snap["tableLocks"]["TTestEntry"], true);
  LockAllFields(bill_, false);
  snap = bill_->Snapshot();
  EXPECT_EQ(snap["locks"]["FID"], false);
  EXPECT_EQ(snap["tableLocks"]["TTestEntry"], false);
}

}  // namespace
}  // namespace orb
