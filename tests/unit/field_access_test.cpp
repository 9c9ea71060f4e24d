#include "services/field_access.h"

#include <memory>
#include <string>

#include "host/convert.h"
#include "refhost/bill.h"
#include "service_host.h"

namespace orb {
namespace {

// A head with fields of each value-type family, and one entry page.
constexpr const char* kTemplate = R"({
  "classType": {"FID": 1009901, "FName": "测试单"},
  "headTable": {"name": "TTestHead"}, "entryTables": [{"name": "TTestEntry"}],
  "pages": [
    {"fields": [{"FKey": "FID", "FFieldName": "FID", "FValueType": 56},
      {"FKey": "FItemID", "FFieldName": "FItemID", "FValueType": 56},
      {"FKey": "FQty", "FFieldName": "FQty", "FValueType": 62},
      {"FKey": "FDate", "FFieldName": "FDate", "FValueType": 61},
      {"FKey": "FNote", "FFieldName": "FNote", "FValueType": 231},
      {"FKey": "FCode", "FFieldName": "FCode", "FValueType": 122},
      {"FKey": "FSerial", "FFieldName": "FSerial", "FValueType": 127},
      {"FKey": "FKFDate", "FFieldName": "FKFDate", "FValueType": 61},
      {"FKey": "FKFPeriod", "FFieldName": "FKFPeriod", "FValueType": 56},
      {"FKey": "FEndDate", "FFieldName": "FEndDate", "FValueType": 61}]},
    {"FEntryType": 1, "fields": [{"FKey": "FRowDate", "FFieldName": "FRowDate", "FValueType": 61},
      {"FKey": "FRowDays", "FFieldName": "FRowDays", "FValueType": 56},
      {"FKey": "FRowEnd", "FFieldName": "FRowEnd", "FValueType": 61}]}]
})";

class FieldAccessTest : public ServiceHostTest {
 protected:
  void SetUp() override {
    ServiceHostTest::SetUp();
    bill_ = std::make_shared<refhost::Bill>(*host_, std::make_shared<const refhost::BillTemplate>(
                                                        refhost::BillTemplate::Parse(kTemplate)));
    bill_->NewBill();
    bill_->AddRow(2);
    bill_->AddRow(2);
  }
  void TearDown() override {
    bill_.reset();
    ServiceHostTest::TearDown();
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

  std::shared_ptr<refhost::Bill> bill_;
};

TEST_F(FieldAccessTest, GetFieldFLDByRow) {
  Set("FRowDays", 7, 2);
  EXPECT_EQ(GetFieldFLD(bill_, "FRowDays", 2), Variant(7));
  EXPECT_TRUE(GetFieldFLD(bill_, "FID", -1).IsEmpty());
  EXPECT_TRUE(GetFieldFLD(bill_, "FNoSuchField", 0).IsEmpty());
}

TEST_F(FieldAccessTest, FilterWithoutPlaceholdersOrValues) {
  EXPECT_EQ(Expand("  FStatus = 1  "), "FStatus = 1");
  EXPECT_EQ(ExpandFilter(bill_, Dictionary::New()), "");
  // An empty field: made true in mode 0, the whole filter dropped in mode 1.
  EXPECT_EQ(Expand("FItemID=GetFldValue(FItemID,0)"), "FItemID=0 or 1=1");
  EXPECT_EQ(Expand("FNote='a' and FItemID=GetFldValue(FItemID,1)"), "");
  EXPECT_EQ(Expand("FDate>=GetFldValue(FDate,0)"), "FDate>=NULL or 1=1");
  EXPECT_EQ(Expand("FX=GetFldValue(FNoSuchField,0)"), "");  // an error drops the filter
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
  // Types outside the numeric list are texts, "0" included.
  EXPECT_EQ(Expand("FCode=GetFldValue(FCode,1) and FSerial=GetFldValue(FSerial,1)"),
            "FCode='0' and FSerial='42'");
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
}

TEST_F(FieldAccessTest, DateFields) {
  Set("FKFDate", "2008-02-24");
  Set("FKFPeriod", 10);
  SetDateField(bill_, "FKFDate", "FKFPeriod", "FEndDate", -1);  // below 1: the head
  EXPECT_EQ(Text("FEndDate"), "2008-03-05");
  Set("FKFDate", "");
  SetDateField(bill_, "FKFDate", "FKFPeriod", "FEndDate", 0);
  EXPECT_EQ(Text("FEndDate"), "");

  Set("FRowEnd", "2008-03-05", 2);
  Set("FRowDays", 10, 2);
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 2);
  EXPECT_EQ(Text("FRowDate", 2), "2008-02-24");
  Set("FRowEnd", "1900-01-05", 2);  // nothing before 1900
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 2);
  EXPECT_EQ(Text("FRowDate", 2), "");
  Set("FRowDate", "2000-01-01", 1);
  CheckDateField(bill_, "FRowDate", "FRowDays", "FRowEnd", 1);  // no date, no start
  EXPECT_EQ(Text("FRowDate", 1), "");

  auto src = Dictionary::New({{"FKFDate", Variant(MakeDate(2008, 3, 5))}, {"FKFPeriod", 30}});
  SetPeriodFromDate(bill_, src, "FKFDate", "FKFPeriod", "FEndDate", 0);
  EXPECT_EQ(Text("FEndDate"), "2008-04-04");
  src->Set("FKFDate", "2009-01-01");  // an unknown end field: the date stays written
  EXPECT_NO_THROW(SetPeriodFromDate(bill_, src, "FKFDate", "", "FNoEnd", 0));
  EXPECT_EQ(Text("FKFDate"), "2009-01-01");
}

TEST_F(FieldAccessTest, Recordsets) {
  auto rs =
      std::make_shared<MemoryRecordset>(std::vector<std::string>{"FNote", "FQty"},
                                        std::vector<std::vector<Variant>>{{"a", 1}, {"b", 3.5}});
  rs->MoveNext();
  VectorPtr rows = RecordsetToVector(rs);
  ASSERT_EQ(rows->Size(), 1);  // from the current record on
  EXPECT_EQ(rows->DictionaryAt(1)->Get("fnote"), Variant("b"));
  auto none = RecordsetToVector(std::make_shared<MemoryRecordset>(
      std::vector<std::string>{"FNote"}, std::vector<std::vector<Variant>>{}));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->Size(), 0);

  // Filling a page: the columns the source has, marked modified; an item that is no field skipped.
  rs->MoveFirst();
  DictionaryPtr pageTpl = bill_->BillTemplate()->GetDictionary("Page1");
  DictionaryPtr record = bill_->DataSrv()->GetEmptyData(pageTpl, false, 1);
  DictionaryPtr keys = Dictionary::New({{"FEntryType", 0}});
  for (const auto& [key, item] : pageTpl->Items()) keys->Set(key, item);
  FillPageFromRecordset(bill_, record, rs, keys, keys);
  EXPECT_EQ(record->GetDictionary("FNote")->Get("FFLD"), Variant("a"));
  EXPECT_EQ(record->GetDictionary("FNote")->Get("FModify"), Variant::Int(1));
  EXPECT_EQ(record->GetDictionary("FQty")->Get("FFLD"), Variant(1));
  EXPECT_NE(record->GetDictionary("FDate")->Get("FModify"), Variant::Int(1));
}

}  // namespace
}  // namespace orb
