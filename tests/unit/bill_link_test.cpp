#include "services/bill_link.h"

#include <memory>
#include <string>
#include <vector>

#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/embedded.h"
#include "service_host.h"

namespace orb {
namespace {

// A bill filled from production BOMs (through its look-up field FSrcNo) and
// from schemes; FICMONo, FBOMNo, FWorkNo and FDispNo look up source bills by
// number, FRoutingID a routing.
constexpr const char* kTemplate = R"json({
  "classType": {"FID": 1009950, "FName": "关联测试单"},
  "headTable": {"name": "TLinkBill"}, "entryTables": [{"name": "TLinkBillEntry"}],
  "pages": [
    {"fields": [{"FKey": "FID", "FFieldName": "FID", "FValueType": 56},
      {"FKey": "FBillNo", "FFieldName": "FBillNo", "FValueType": 167},
      {"FKey": "FSrcNo", "FFieldName": "FSrcNo", "FValueType": 167, "FLookUpType": 100},
      {"FKey": "FItemID", "FFieldName": "FItemID", "FValueType": 56, "FLookUpType": 1,
       "FSRCTableName": "t_ICItem", "FSRCFieldName": "FItemID", "FFNDFieldName": "FNumber",
       "FDSPFieldName": "FName"},
      {"FKey": "FNote", "FFieldName": "FNote", "FValueType": 231},
      {"FKey": "FICMONo", "FFieldName": "FICMONo", "FValueType": 167, "FLookUpType": 100,
       "FLookupClassID": 11, "FFNDFieldName": "FBillNo"},
      {"FKey": "FBOMNo", "FFieldName": "FBOMNo", "FValueType": 167, "FLookUpType": 100,
       "FLookupClassID": 12, "FFNDFieldName": "FBillNo",
       "FFilter": "v1.FItemID=GetFldValue(FItemID,0)"
},
      {"FKey": "FWorkNo", "FFieldName": "FWorkNo", "FValueType": 167, "FLookUpType": 100,
       "FLookupClassID": 601, "FFNDFieldName": "FWBNo"},
      {"FKey": "FDispNo", "FFieldName": "FDispNo", "FValueType": 167, "FLookUpType": 100,
       "FLookupClassID": 691, "FFNDFieldName": "FTaskDispInterID"},
      {"FKey": "FRoutingID", "FFieldName": "FRoutingID", "FValueType": 56, "FLookUpType": 1,
       "FSRCTableName": "t_Routing", "FSRCFieldName": "FInterID", "FFNDFieldName": "FBillNo",
       "FDSPFieldName": "FRoutingName"}]
},
    {"FEntryType": 1, "fields": [
      {"FKey": "FItemID_2", "FFieldName": "FItemID", "FValueType": 56, "FLookUpType": 1,
       "FSRCTableName": "t_ICItem", "FSRCFieldName": "FItemID", "FFNDFieldName": "FNumber",
       "FDSPFieldName": "FName"},
      {"FKey": "FQty_2", "FFieldName": "FQty", "FValueType": 62},
      {"FKey": "FBatchNo_2", "FFieldName": "FBatchNo", "FValueType": 167}]}]
})json";

// Source data: items, production orders (look-up class 11), BOMs with lines
// (class 12, transaction type 88), work bill and dispatch lines (601, 691),
// a scheme kept as a GMP bill (class type 1009952), routings, and a stock
// maintenance record (class type 1009951) that generates transfer bills.
constexpr const char* kData = R"sql(
INSERT INTO t_ICItem (FItemID, FNumber, FName) VALUES
  (1, 'P001', 'Product'), (2, 'M001', 'Material A'), (3, 'M002', 'Material B');
INSERT INTO ICTransactiontype (FID, FName, FHeadTable, FEntryTable) VALUES
  (85, 'MO', 'ICMO', ''), (88, 'BOM', 'PPBOM', 'PPBOMEntry'),
  (582, 'Work', 'SHWorkBill', 'SHWorkBillEntry'), (583, 'Disp', 'ICTaskDispBill', 'ICTaskDispBillEntry');
INSERT INTO ICListTemplate (FID, FName, FBillTemplateID, FFilter) VALUES
  (11, 'MO', 85, ''), (12, 'BOM', 88, 'v1.FStatus=1'),
  (601, 'Work', 582, 't3.FStatus IN (1,2)'), (691, 'Disp', 583, 't1.FStatus IN (1,2)');
INSERT INTO ICMO (FInterID, FBillNo, FItemID, FStatus) VALUES (1, 'A''B', 1, 1), (2, 'MO2', 1, 1);
INSERT INTO PPBOM (FInterID, FBillNo, FICMOInterID, FItemID, FStatus) VALUES
  (30, 'BOM1', 1, 1, 1);
INSERT INTO PPBOMEntry (FInterID, FEntryID, FItemID, FBatchNo, FQtyMust) VALUES
  (30, 1, 2, 'B1', 100), (30, 2, 3, 'B2', 50);
INSERT INTO SHWorkBill (FInterID, FBillNo, FICMOInterID) VALUES (10, 'WB1', 1);
INSERT INTO SHWorkBillEntry (FInterID, FEntryID, FWBInterID, FWBNo) VALUES
  (10, 1, 5001, 'WB1-1'), (10, 2, 5002, 'WB1-2');
INSERT INTO ICTaskDispBill (FInterID, FBillNo, FICMOInterID, FWorkBillInterID) VALUES
  (20, 'PG1', 1, 5001);
INSERT INTO ICTaskDispBillEntry (FInterID, FEntryID, FTaskDispInterID) VALUES (20, 1, 7001);
INSERT INTO t_Routing (FInterID, FBillNo, FRoutingName, FItemID) VALUES
  (1, 'R-B', 'Route B', 1), (2, 'R-A', 'Route A', 1), (3, 'R-C', 'Route C', 2);

CREATE TABLE TScheme (FID INTEGER PRIMARY KEY, FBillNo TEXT, FName TEXT);
CREATE TABLE TSchemeEntry (FID INTEGER, FEntryID INTEGER, FStep TEXT);
INSERT INTO TScheme VALUES (5, 'S1', 'Scheme one');
INSERT INTO TSchemeEntry VALUES (5, 1, 'wash'), (5, 2, 'dry');
INSERT INTO t_BillClass (FClassTypeID, FName, FHeadTable, FEntryTable) VALUES
  (1009952, 'Scheme', 'TScheme', 'TSchemeEntry'),
  (1009951, 'Maintenance', 'TMaintain', 'TMaintainEntry');

CREATE TABLE TMaintain (FID INTEGER PRIMARY KEY, FBillNo TEXT, FStockBillID INTEGER,
                        FStockBillNo TEXT);
CREATE TABLE TMaintainEntry (FID INTEGER, FEntryID INTEGER, FItemID INTEGER, FQty REAL,
                             FBatchNo TEXT, FStockID INTEGER);
INSERT INTO TMaintain (FID, FBillNo) VALUES (7, 'YH001');
INSERT INTO TMaintainEntry VALUES (7, 1, 2, 12.5, 'B1', 4), (7, 2, 3, 3, 'B2', 4);

INSERT INTO t_ClassLinkLookup VALUES (1009950, 'FSrcNo', 88);
INSERT INTO t_ClassLink (FSrcClassTypeID, FDestClassTypeID, FDestKey, FSrcField) VALUES
  (88, 1009950, 'FItemID', 'h.FItemID'), (88, 1009950, 'FNote', 'FBillNo'),
  (88, 1009950, 'FItemID_2', 'e.FItemID'), (88, 1009950, 'FQty_2', 'FQtyMust'),
  (88, 1009950, 'FBatchNo_2', 'FBatchNo'),
  (1009952, 1009950, 'FNote', 'FName'), (1009952, 1009950, 'FBatchNo_2', 'FStep'),
  (1009951, 41, 'FItemID', 'FItemID'), (1009951, 41, 'FQty', 'FQty'),
  (1009951, 41, 'FBatchNo', 'FBatchNo'), (1009951, 41, 'FSCStockID', 'FStockID');
INSERT INTO t_BillBuildSource VALUES ('D01', 'FGMPStockMaintain', 1009951);
)sql";

class BillLinkTest : public ServiceHostTest {
 protected:
  void SetUp() override {
    ServiceHostTest::SetUp();
    for (const char* schema : {"schema/erp.sql", "schema/link.sql"})
      host_->Db().Exec(std::string(*refhost::FindEmbedded(schema)));
    host_->Db().Exec(kData);
    Login("UserID=16394;UserName=tester");
    bill_ = std::make_shared<refhost::Bill>(*host_, std::make_shared<const refhost::BillTemplate>(
                                                        refhost::BillTemplate::Parse(kTemplate)));
    bill_->NewBill();
    mark_ = host_->Log().Size();
  }
  void TearDown() override {
    bill_.reset();
    ServiceHostTest::TearDown();
  }

  // Types a number into a look-up field and looks its source bills up.
  VectorPtr Lookup(const std::string& key, const std::string& number) {
    bill_->SetValueByKey(key, Variant(number), 0);
    mark_ = host_->Log().Size();
    bool cancel = false;
    VectorPtr found = LookupSourceBill(bill_->GetFieldInfoByKey(key, "", 0), bill_, cancel);
    EXPECT_FALSE(cancel);
    return found;
  }
  std::vector<std::string> Statements() const {
    std::vector<std::string> texts;
    for (const auto& r : host_->Log().Since(mark_, "sql")) texts.push_back(r["text"]);
    return texts;
  }
  // The calls of the bill and data-update components.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const auto& r : host_->Log().Since(mark_, "call")) {
      const std::string component = r["component"];
      if (component == progid::kBills || component == progid::kDataUpdate)
        calls.push_back(component + "." + r["member"].get<std::string>());
    }
    return calls;
  }
  std::string Field(const std::string& key, const char* item = "FFLD", int32_t row = 0) {
    return CStr(bill_->ValueRecord(key, row)->Get(item));
  }
  // "FInterID/FEntryID" of each found record.
  static std::vector<std::string> Ids(const VectorPtr& found) {
    std::vector<std::string> ids;
    for (int32_t i = 1; found && i <= found->Size(); ++i) {
      DictionaryPtr r = found->DictionaryAt(i);
      ids.push_back(CStr(r->Get("FInterID")) +
                    (r->Exists("FEntryID") ? "/" + CStr(r->Get("FEntryID")) : ""));
    }
    return ids;
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
  static DictionaryPtr StockLink() {
    return Dictionary::New({{"NewBillID", 7},
                            {"NewTblName", "TMaintain"},
                            {"OldTblName", "ICStockBill"},
                            {"IDFldName", "FStockBillID"},
                            {"NOFldName", "FStockBillNo"}});
  }
  bool Generate(const DictionaryPtr& link) {
    mark_ = host_->Log().Size();
    return GenerateBill("D01", "FGMPStockMaintain", "GMP", "41", 202, link, 1, 0, true);
  }

  std::shared_ptr<refhost::Bill> bill_;
  size_t mark_ = 0;
};

TEST_F(BillLinkTest, LookupRunsOnlyForSourceFieldsWithAListTemplate) {
  bill_->SetValueByKey("FNote", Variant("BOM1"), 0);
  bool cancel = false;
  EXPECT_EQ(LookupSourceBill(bill_->GetFieldInfoByKey("FNote", "", 0), bill_, cancel), nullptr);
  EXPECT_TRUE(Statements().empty());
  EXPECT_EQ(Field("FNote"), "BOM1");

  DictionaryPtr info = bill_->GetFieldInfoByKey("FICMONo", "", 0)->Copy();
  info->Set("FLookupClassID", 999);
  bill_->SetValueByKey("FICMONo", Variant("MO2"), 0);
  mark_ = host_->Log().Size();
  EXPECT_EQ(LookupSourceBill(info, bill_, cancel), nullptr);
  EXPECT_EQ(Statements(), std::vector<std::string>{
                              "SELECT FBillTemplateID,FFilter FROM ICListTemplate WHERE FID=999"});
  EXPECT_EQ(Field("FICMONo"), "MO2");
}

TEST_F(BillLinkTest, LookupFindsBillsByTheTypedNumberQuoted) {
  EXPECT_EQ(Ids(Lookup("FICMONo", "A'B")), std::vector<std::string>{"1"});
  EXPECT_EQ(Statements().back(), "SELECT v1.FInterID FROM ICMO v1 WHERE (FBillNo= 'A''B')");

  bill_->SetValueByKey("FItemID", Variant(1), 0);
  EXPECT_EQ(Ids(Lookup("FBOMNo", "BOM1")), (std::vector<std::string>{"30/1", "30/2"}));
  EXPECT_EQ(Statements(), (std::vector<std::string>{
                              "SELECT FBillTemplateID,FFilter FROM ICListTemplate WHERE FID=12",
                              "SELECT FHeadTable,FEntryTable FROM ICTransactiontype WHERE FID=88",
                              "SELECT v1.FInterID,u1.FEntryID FROM PPBOM v1, PPBOMEntry u1  WHERE "
                              "v1.FInterID=u1.FinterID AND (FBillNo= 'BOM1') AND (v1.FItemID=1) "
                              "AND (v1.FStatus=1)"}));

  // A number matching no bill (an attempt to widen the condition included)
  // empties the field.
  for (const char* number : {"x' or '1'='1", "MO9"}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(Lookup("FICMONo", number), nullptr);
    DictionaryPtr record = bill_->ValueRecord("FICMONo", 0);
    for (const char* item : {"FFLD", "FFND", "FDSP"}) EXPECT_EQ(CStr(record->Get(item)), "");
    EXPECT_EQ(record->Get("FModify"), Variant::Int(1));
  }
  EXPECT_EQ(Statements().back(), "SELECT v1.FInterID FROM ICMO v1 WHERE (FBillNo= 'MO9')");
}

TEST_F(BillLinkTest, LookupOfWorkAndDispatchLines) {
  EXPECT_EQ(Ids(Lookup("FWorkNo", "WB1-2")), std::vector<std::string>{"5002/2"});
  EXPECT_EQ(Statements().back(),
            " SELECT u1.FWBInterID as FInterID,u1.FEntryID FROM SHWorkBill v1, SHWorkBillEntry "
            "u1, icmo t3 \r\n WHERE v1.FInterID=u1.FinterID AND v1.FICMOInterId = t3.FInterID "
            "AND  (FWBNo= 'WB1-2') AND (t3.FStatus IN (1,2))");

  EXPECT_EQ(Ids(Lookup("FDispNo", "7001")), std::vector<std::string>{"7001/1"});
  EXPECT_EQ(
      Statements().back(),
      " Select v2.FTaskDispInterID as FInterID,v2.FEntryID from ICTaskDispBillEntry v2 "
      "\r\n left join ICTaskDispBill v1 on v1.FInterID=v2.FInterID \r\n left join ICMO t1 "
      "on t1.FInterID=v1.FICMOInterID \r\n left join SHWorkBillEntry t3 on "
      "v1.FWorkBillInterID=t3.FWBInterID \r\nWHERE (FTaskDispInterID= '7001') AND (t1.FStatus IN "
      "(1,2))");
}

// A filter that widens its own condition with OR (an empty field in mode 0,
// text in a numeric field, a list filter written with OR) never lets a number
// that no source bill has match every bill.
TEST_F(BillLinkTest, LookupFiltersWithOrDoNotWidenTheNumber) {
  for (const char* item : {"", "abc"}) {
    SCOPED_TRACE(item);
    bill_->SetValueByKey("FItemID", Variant(item), 0);
    EXPECT_EQ(Lookup("FBOMNo", "NOSUCH"), nullptr);
    EXPECT_EQ(Field("FBOMNo"), "");
    EXPECT_EQ(Statements().back(),
              "SELECT v1.FInterID,u1.FEntryID FROM PPBOM v1, PPBOMEntry u1  WHERE "
              "v1.FInterID=u1.FinterID AND (FBillNo= 'NOSUCH') AND (v1.FItemID=0 or 1=1) AND "
              "(v1.FStatus=1)");
  }
  host_->Db().Exec(
      "UPDATE ICListTemplate SET FFilter = 'v1.FStatus=1 or v1.FStatus=2' WHERE FID=12");
  EXPECT_EQ(Lookup("FBOMNo", "NOSUCH"), nullptr);
  EXPECT_EQ(Ids(Lookup("FBOMNo", "BOM1")), (std::vector<std::string>{"30/1", "30/2"}));
}

// A look-up that cannot be carried out (a filter value that cannot become
// SQL, a failing statement) tells the user why and empties the field, so an
// unchecked number is never saved.
TEST_F(BillLinkTest, FailedLookupIsShownAndEmptiesTheField) {
  auto lastMessage = [&] {
    auto messages = host_->Log().Since(mark_, "message");
    return messages.empty() ? std::string() : messages.back()["text"].get<std::string>();
  };
  bill_->SetValueByKey("FItemID", Variant("1e400"), 0);
  EXPECT_EQ(Lookup("FBOMNo", "BOM1"), nullptr);
  EXPECT_TRUE(Statements().empty());  // nothing ran unfiltered
  EXPECT_EQ(Field("FBOMNo"), "");
  EXPECT_NE(lastMessage().find("来源单据查询失败"), std::string::npos);
  EXPECT_NE(lastMessage().find("FItemID"), std::string::npos);

  bill_->SetValueByKey("FItemID", Variant(1), 0);
  for (const char* statement : {"ICListTemplate", "ICTransactiontype", "PPBOMEntry"}) {
    SCOPED_TRACE(statement);
    refhost::Fault fault;
    fault.target = "sql";
    fault.match = statement;
    fault.description = "disk I/O error";
    host_->GetFaults().Add(fault);
    EXPECT_EQ(Lookup("FBOMNo", "BOM1"), nullptr);
    EXPECT_EQ(Field("FBOMNo"), "");
    EXPECT_NE(lastMessage().find("disk I/O error"), std::string::npos);
    EXPECT_EQ(bill_->ValueRecord("FBOMNo", 0)->Get("FModify"), Variant::Int(1));
  }
  EXPECT_EQ(Ids(Lookup("FBOMNo", "BOM1")), (std::vector<std::string>{"30/1", "30/2"}));
}

TEST_F(BillLinkTest, FillFromSourceMapsTheLinkTemplate) {
  VectorPtr sel = Vector::New();
  sel->Add(Dictionary::New({{"FInterID", 30}}));
  DictionaryPtr data = FillBillFromSource(bill_, "1009950", "FSrcNo", sel, bill_->Data(), "");
  ASSERT_NE(data, nullptr);
  bill_->BillCtl()->DoFillData(data);
  EXPECT_EQ(Field("FItemID"), "1");
  EXPECT_EQ(Field("FItemID", "FDSP"), "Product");
  EXPECT_EQ(Field("FNote"), "BOM1");
  ASSERT_EQ(bill_->RowCount(2), 2);
  EXPECT_EQ(Field("FItemID_2", "FFND", 1), "M001");
  EXPECT_EQ(Field("FItemID_2", "FFND", 2), "M002");
  EXPECT_EQ(Field("FQty_2", "FFLD", 1), "100");
  EXPECT_EQ(Field("FBatchNo_2", "FFLD", 2), "B2");

  // The head only, from one line; the rows stay.
  bill_->SetValueByKey("FNote", Variant("before"), 0);
  sel = Vector::New();
  sel->Add(Dictionary::New({{"FInterID", 30}, {"FEntryID", 2}}));
  data = FillBillFromSource(bill_, "1009950", "FSrcNo", sel, nullptr, "1,");
  ASSERT_NE(data, nullptr);
  EXPECT_FALSE(data->Exists("page2"));
  bill_->BillCtl()->DoFillData(data);
  EXPECT_EQ(Field("FNote"), "BOM1");
  EXPECT_EQ(bill_->RowCount(2), 2);

  // Selected records the source no longer has fill nothing.
  sel = Vector::New();
  sel->Add(Dictionary::New({{"FInterID", 31}}));
  EXPECT_EQ(FillBillFromSource(bill_, "1009950", "FSrcNo", sel, bill_->Data(), ""), nullptr);
  EXPECT_EQ(Field("FNote"), "BOM1");
  EXPECT_EQ(bill_->RowCount(2), 2);
}

TEST_F(BillLinkTest, LinkFromSchemeFoundByDataInfo) {
  auto info = CreateObjectAs<DataInfo>(progid::kDataInfo);
  VectorPtr sel = info->GetBillData("", "TScheme", "TSchemeEntry", "FBillNo = 'S1'");
  ASSERT_EQ(Ids(sel), (std::vector<std::string>{"5/1", "5/2"}));
  int32_t srcClass = 1009952;
  LinkFromSourceBills(bill_, sel, srcClass);
  EXPECT_EQ(Field("FNote"), "Scheme one");
  ASSERT_EQ(bill_->RowCount(2), 2);
  EXPECT_EQ(Field("FBatchNo_2", "FFLD", 2), "dry");

  // Bills the source class does not have, or a class without a link
  // template to this bill, fill nothing.
  bill_->SetValueByKey("FNote", Variant("mine"), 0);
  srcClass = 88;
  LinkFromSourceBills(bill_, sel, srcClass);
  srcClass = 1009951;
  LinkFromSourceBills(bill_, sel, srcClass);
  EXPECT_EQ(Field("FNote"), "mine");
}

TEST_F(BillLinkTest, RoutingPickedOrDialogClosed) {
  host_->User().picks = {{2}, {}, {3}};
  SelectRouting(bill_, "FRoutingID", 1);  // R-A, R-B of the same product
  EXPECT_EQ(Field("FRoutingID"), "1");
  EXPECT_EQ(Field("FRoutingID", "FFND"), "R-B");
  EXPECT_EQ(Field("FRoutingID", "FDSP"), "Route B");
  SelectRouting(bill_, "FRoutingID", 1);
  EXPECT_EQ(Field("FRoutingID"), "1");
  SelectRouting(bill_, "FRoutingID", -1);  // every routing
  EXPECT_EQ(Field("FRoutingID", "FFND"), "R-C");
}

TEST_F(BillLinkTest, SelectBillFiresAfterSelBillAndRaisesItsErrors) {
  struct Sink : BillEvents {
    int32_t selType = 0;
    bool fail = false;
    void AfterSelBill(int32_t type) override {
      selType = type;
      if (fail) Raise(7, "Sink", "out of memory");
    }
  } sink;
  bill_->Advise(&sink);
  SelectBill(bill_, 1001828);
  EXPECT_EQ(sink.selType, 1001828);
  auto actions = host_->Log().Since(mark_, "action");
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(actions[0]["name"], "do sel bill");

  sink.fail = true;
  try {
    SelectBill(bill_, 1001809);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 7);
    EXPECT_EQ(e.Source(), "Sink:SelBill");
    EXPECT_EQ(e.Description(), "out of memory");
  }
  bill_->Unadvise(&sink);
}

TEST_F(BillLinkTest, GeneratedBillClosedOrSavedAndLinked) {
  host_->User().picks = {{}};
  EXPECT_FALSE(Generate(StockLink()));
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBill"), "0;");
  EXPECT_EQ(Query("SELECT FStockBillID, FStockBillNo FROM TMaintain"), "null,null;");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"OrbBills.Bills.SetOpt", "OrbBills.Bills.Show"}));

  host_->User().picks = {{1}};
  EXPECT_TRUE(Generate(StockLink()));
  EXPECT_EQ(Query("SELECT FInterID, FBillNo, FTranType, FBillerID, FSCStockID FROM ICStockBill"),
            "1,DB000001,41,16394,4;");
  EXPECT_EQ(Query("SELECT FEntryID, FItemID, FQty, FBatchNo, FSourceInterId, FSourceBillNo "
                  "FROM ICStockBillEntry ORDER BY FEntryID"),
            "1,2,12.5,B1,7,YH001;2,3,3,B2,7,YH001;");
  EXPECT_EQ(Query("SELECT FStockBillID, FStockBillNo FROM TMaintain"), "1,DB000001;");
  EXPECT_FALSE(host_->Db().InTransaction());
}

TEST_F(BillLinkTest, FailedLinkLeavesNoGeneratedBill) {
  host_->User().picks = {{1}};
  Fail("OrbMGMPDestroy.DataUpdate.UpdateSrcBillRelateID");
  EXPECT_FALSE(Generate(StockLink()));
  EXPECT_EQ(Calls().back(), "OrbMGMPDestroy.DataUpdate.UpdateSrcBillRelateID");

  // Names that are no plain column names are refused, values are not spliced.
  host_->User().picks = {{1}};
  DictionaryPtr link = StockLink();
  link->Set("NOFldName", "FStockBillNo = 'x', FBillNo");
  EXPECT_FALSE(Generate(link));

  host_->User().picks = {{1}};
  link = StockLink();
  link->Set("IDFldName", "FNoSuchColumn");  // the update fails once the bill is written
  EXPECT_FALSE(Generate(link));

  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBill"), "0;");
  EXPECT_EQ(Query("SELECT count(*) FROM ICStockBillEntry"), "0;");
  EXPECT_EQ(Query("SELECT FBillNo, FStockBillID, FStockBillNo FROM TMaintain"), "YH001,null,null;");
  EXPECT_FALSE(host_->Db().InTransaction());
}

}  // namespace
}  // namespace orb
