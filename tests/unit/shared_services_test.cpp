// The shared services that the bills stand on: the end of a committed step,
// the filters handed to the host, entry rows, and the pilots built on them
// (box merge record, deviation report).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bills/packaging/batch_pack_log.h"
#include "bills/process/proc_oper_ext.h"
#include "forms/tool_templates.h"
#include "frame/registry.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "host/platform.h"
#include "refhost/bill.h"
#include "refhost/bill_list.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "services/bill_check.h"
#include "services/bill_values.h"
#include "services/entry_rows.h"
#include "services/error_traps.h"
#include "services/login_context.h"
#include "services/lot_stock.h"
#include "services/source_flows.h"

namespace orb {
namespace {

using nlohmann::json;

// A host with the operation record scheme's tables and two schemes (OP001
// unaudited, OP002 audited), and a box merge record table.
class SharedServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    host_->SetPropsString("UserID=16394;UserName=administrator;SubID=gmp;Language=chs;");
    ResetServiceCaches();
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/operate_proj.sql")));
    host_->Db().Exec(
        "INSERT INTO GMPOperationProj (FID, FBillNO, FSchemeName, FCheckerID, FCheckDate) VALUES "
        "(1, 'OP001', 'Mixing', NULL, ''), (2, 'OP002', 'Drying', 16394, '2024-01-05'),"
        "(3, 'OP003', 'Coating', NULL, '');"
        "INSERT INTO GMPOperationProjEntry (FID, FEntryID, FIndex, FOperation) VALUES "
        "(1, 1, 1, 'Weigh'), (1, 2, 2, ''), (1, 3, 3, 'Mix');"
        "CREATE TABLE GMPBoxUnit (FID INTEGER PRIMARY KEY, FBillNO TEXT, FUDate TEXT, "
        "FLBatchNo TEXT, FTBatchNo TEXT, FLBatchNum REAL, FTBatchNum REAL, FCheckerID INTEGER,"
        "FRouting INTEGER, FWorkPrc INTEGER);"
        "INSERT INTO GMPBoxUnit (FID, FBillNO, FUDate, FLBatchNo, FTBatchNo, FLBatchNum, "
        "FTBatchNum, FCheckerID, FRouting) VALUES (1, 'HX001', '2024-05-02', '240501', '240502', "
        "10, 20, "
        "16394, 12), (2, 'HX002', '2024-05-03', '240502', '240503', 5, 6, 0, NULL);");
  }
  void TearDown() override {
    plugin_.reset();
    bill_.reset();
    list_.reset();
    ResetServiceCaches();
    host_.reset();
  }

  static json SchemeTemplate() {
    return json::parse(*refhost::FindEmbedded("templates/operate_proj.json"));
  }
  // The scheme's toolbar over a box merge record's head (with a routing, so
  // the operation filter can be tried on it).
  static json BoxTemplate() {
    json t = SchemeTemplate();
    t["classType"]["FID"] = 1001815;
    t["classType"]["FName"] = "合箱管理记录";
    t["headTable"]["name"] = "GMPBoxUnit";
    t["entryTables"] = json::array();
    json fields = json::array();
    for (const auto& [key, type] : std::vector<std::pair<std::string, int>>{{"FID", 56},
                                                                            {"FBillNO", 167},
                                                                            {"FUDate", 61},
                                                                            {"FLBatchNo", 167},
                                                                            {"FTBatchNo", 167},
                                                                            {"FLBatchNum", 106},
                                                                            {"FTBatchNum", 106},
                                                                            {"FCheckerID", 56},
                                                                            {"FRouting", 56}}) {
      fields.push_back({{"FKey", key}, {"FFieldName", key}, {"FValueType", type}});
    }
    t["pages"] = json::array({{{"fields", fields}}});
    return t;
  }
  void OpenBill(const json& tpl, const char* progId = nullptr, int32_t status = 2) {
    bill_ = std::make_shared<refhost::Bill>(
        *host_, std::make_shared<refhost::BillTemplate>(refhost::BillTemplate::Parse(tpl)));
    if (progId) {
      plugin_ = CreatePlugin(progId);
      plugin_->Show(bill_);
    }
    bill_->Open(2, status);
  }
  void Fault(const std::string& target, const std::string& match) {
    refhost::Fault fault;
    fault.target = target;
    fault.match = match;
    host_->GetFaults().Add(fault);
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : host_->Log().Since(0, "message")) texts.push_back(m.at("text"));
    return texts;
  }
  std::vector<json> LogLines() const { return host_->Log().Since(0, "log"); }
  // The kinds of the records, in order, of the kinds named.
  std::vector<std::string> Order(const std::vector<std::string>& kinds) const {
    std::vector<std::string> out;
    for (const auto& r : host_->Log().Records()) {
      for (const auto& k : kinds) {
        if (r.kind == k) out.push_back(k);
      }
    }
    return out;
  }

  std::unique_ptr<refhost::Host> host_;
  std::shared_ptr<refhost::Bill> bill_;
  std::shared_ptr<refhost::BillList> list_;
  PluginPtr plugin_;
};

// ---- The end of a committed step ---------------------------------------------------

TEST_F(SharedServicesTest, AuditedBillThatCannotBeReadAgainIsStillLoggedThenReported) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  host_->Log().Clear();
  Fault("sql", "FSchemeName, FCheckerID");  // the host's re-read of the bill
  EXPECT_TRUE(DoCheckBill(bill_, true, 0, false));

  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(LogLines()[0].at("text"), "审核[操作记录方案],单据编号：OP001");
  EXPECT_EQ(Messages().back(), "操作已完成，但单据未能重新读取，原因：injected fault");
  EXPECT_EQ(Order({"log", "message"}), (std::vector<std::string>{"message", "log", "message"}));
  EXPECT_TRUE(bill_->Isok());
}

TEST_F(SharedServicesTest, ALogLineThatCannotBeWrittenIsReportedAndTheAuditStands) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  host_->Log().Clear();
  Fault("call", "ZADUVAvuz.GLData.WriteLog");
  EXPECT_TRUE(DoCheckBill(bill_, true, 0, false));
  EXPECT_EQ(Messages().back(), "操作已完成，但日志未能写入，原因：injected fault");
  EXPECT_EQ(host_->Db().Query("SELECT FCheckerID FROM GMPOperationProj WHERE FID = 1")->Value(0),
            Variant(16394));

  // The list side reports it the same way.
  list_ = std::make_shared<refhost::BillList>(
      *host_,
      std::make_shared<refhost::BillTemplate>(refhost::BillTemplate::Parse(SchemeTemplate())));
  list_->Select({3});
  host_->Log().Clear();
  Fault("call", "ZADUVAvuz.GLData.WriteLog");
  EXPECT_EQ(CheckBillsFromList(list_, 1001828, true, false), 1);
  EXPECT_EQ(Messages().back(), "操作已完成，但日志未能写入，原因：injected fault");
}

TEST_F(SharedServicesTest, ListAuditEndedByAnErrorStillShowsTheBillsItCommitted) {
  list_ = std::make_shared<refhost::BillList>(
      *host_,
      std::make_shared<refhost::BillTemplate>(refhost::BillTemplate::Parse(SchemeTemplate())));
  list_->Select({1, 3});
  Fault("sql", "where FID=3");
  EXPECT_THROW(CheckBillsFromList(list_, 1001828, true, true), AutomationError);
  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(LogLines()[0].at("text"), "审核,单据编号：OP001");
  EXPECT_EQ(list_->RefreshCount(), 1);
}

// ---- Filters, values and rows --------------------------------------------------------

TEST_F(SharedServicesTest, OperationLookupFollowsTheRouting) {
  OpenBill(BoxTemplate());
  bill_->Load(1);
  DictionaryPtr info = Dictionary::New({{"FFilter", Variant("stale")}});
  RestrictToRoutingOperations(bill_, info, "FRouting");
  EXPECT_EQ(CStr(info->Get("FFilter")),
            "FInterID in (SELECT FOperID FROM t_routingoper  WHERE FInterID= 12)");
  bill_->Load(2);  // no routing: every operation
  RestrictToRoutingOperations(bill_, info, "FRouting");
  EXPECT_EQ(CStr(info->Get("FFilter")), "");

  DictionaryPtr filter = Dictionary::New({{"FStatus", Variant(1)}});
  HideUncheckedSources(filter);
  EXPECT_EQ(filter->Count(), 2);
  EXPECT_EQ(filter->Get("HideType"), Variant::Int(1));
  EXPECT_EQ(CStr(filter->Get("FCheckerID")), "FCheckerID");
}

TEST_F(SharedServicesTest, SelectedHeadValueComesFromTheFillDataBeforeTheBill) {
  OpenBill(BoxTemplate());
  bill_->Load(1);  // routing 12
  auto fill = [](const Variant& value) {
    return Dictionary::New({{"page1", Dictionary::New({{"frouting", value}})}});
  };
  EXPECT_EQ(
      CLng(SelectedHeadValue(bill_, fill(Dictionary::New({{"FFLD", Variant(7)}})), "FRouting")), 7);
  EXPECT_EQ(CLng(SelectedHeadValue(bill_, fill(Variant(8)), "FRouting")), 8);
  // A blank in the fill data, no head page or no data: the bill's own value.
  EXPECT_EQ(CLng(SelectedHeadValue(bill_, fill(Variant("  ")), "FRouting")), 12);
  EXPECT_EQ(CLng(SelectedHeadValue(bill_, Dictionary::New(), "FRouting")), 12);
  EXPECT_EQ(CLng(SelectedHeadValue(bill_, nullptr, "FRouting")), 12);
}

TEST_F(SharedServicesTest, ValuesBlankAsZeroAndMissingFieldsRaise) {
  OpenBill(BoxTemplate());
  bill_->Load(2);
  EXPECT_FALSE(IsAudited(bill_));  // auditor 0
  EXPECT_EQ(HeadNumber(bill_, "FRouting"), 0);
  EXPECT_EQ(HeadText(bill_, "FRouting"), "");
  EXPECT_TRUE(IsBlank(bill_, "FRouting"));
  bill_->Load(1);
  EXPECT_TRUE(IsAudited(bill_));
  EXPECT_THROW(HeadValue(bill_, "FNoSuchField"), AutomationError);
  EXPECT_THROW(HeadValue(nullptr, "FID"), AutomationError);
}

TEST_F(SharedServicesTest, EntryRowsAreCountedPastABlankAndBlankedInPlace) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FOperation"), 2);  // row 2 is blank, row 3 counts
  BlankEntryRows(bill_, 2);
  EXPECT_EQ(EntryRows(bill_, 2)->Size(), 3);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FOperation"), 0);
  EXPECT_EQ(CountFilledRows(bill_, 3, "FOperation"), 0);  // no such page
}

TEST_F(SharedServicesTest, KeepFirstRowDropsTheOthersOfThePageTheHostSaves) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);  // Weigh, '', Mix
  EXPECT_EQ(KeepFirstRow(bill_, 2), 2);
  ASSERT_EQ(EntryRows(bill_, 2)->Size(), 1);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FOperation"), 1);
  EXPECT_EQ(FindRowWithSameItem(bill_, 2, "FOperation", 1), 0);
  EXPECT_EQ(KeepFirstRow(bill_, 2), 0);
  EXPECT_EQ(KeepFirstRow(bill_, 3), 0);  // no such page: none is made
  EXPECT_FALSE(bill_->Data()->Exists("page3"));

  // The host writes the one row left.
  ASSERT_TRUE(bill_->Save());
  bill_->Load(1);
  ASSERT_EQ(EntryRows(bill_, 2)->Size(), 1);
  EXPECT_EQ(CStr(EntryRows(bill_, 2)->DictionaryAt(1)->GetDictionary("FOperation")->Get("FFLD")),
            "Weigh");
}

TEST_F(SharedServicesTest, ToolbarFormIsBuiltAgainInTheNewLanguage) {
  EXPECT_EQ(ToolTemplateBar()->GetTools()->Item("mnuEditRelease")->Caption(), "下达");
  host_->SetPropsString("UserID=16394;UserName=administrator;Language=en;");
  ResetServiceCaches();
  EXPECT_EQ(ToolTemplateBar()->GetTools()->Item("mnuEditRelease")->Caption(), "Release");
}

// ---- Box merge record -----------------------------------------------------------------

TEST_F(SharedServicesTest, BoxMergeIsCheckedInOrderBeforeItIsSaved) {
  OpenBill(BoxTemplate(), "OrbGMPBillEvent.BoxUnitExt");
  bill_->NewBill();
  auto refusedWith = [&](const std::string& text) {
    host_->Log().Clear();
    EXPECT_FALSE(bill_->Save());
    const auto shown = host_->Log().Since(0, "message");
    return shown.size() == 1 && shown[0].at("text") == text ? shown[0].at("style").get<int>() : -1;
  };
  EXPECT_EQ(refusedWith("合箱日期不能为空，请更正！"), mb::kInformation);
  bill_->SetValue("FUDate", 0, Variant("2024-05-04"));
  EXPECT_EQ(refusedWith("单据体1上批产品批号不允许为空！"), mb::kExclamation);
  bill_->SetValue("FLBatchNo", 0, Variant("240503"));
  EXPECT_EQ(refusedWith("单据体1本批产品批号不允许为空！"), mb::kExclamation);
  // Equal batch numbers are refused before the (still empty) quantities.
  bill_->SetValue("FTBatchNo", 0, Variant("240503 "));
  EXPECT_EQ(refusedWith("上批产品批号和本批产品批号不能相同，请更正！"), mb::kExclamation);
  bill_->SetValue("FTBatchNo", 0, Variant("240504"));
  EXPECT_EQ(refusedWith("上批产品数量不能为0，请更正！"), mb::kInformation);
  bill_->SetValue("FLBatchNum", 0, Variant(-3));  // negative passes
  EXPECT_EQ(refusedWith("本批产品数量不能为0，请更正！"), mb::kInformation);
  bill_->SetValue("FTBatchNum", 0, Variant(8));

  Fault("field", "FTBatchNum");
  EXPECT_EQ(refusedWith("[合箱记录]保存出错，原因：injected fault"), mb::kInformation);
  EXPECT_TRUE(bill_->Save());
  EXPECT_EQ(CStr(host_->Db().Query("SELECT count(*) FROM GMPBoxUnit")->Value(0)), "3");
}

TEST_F(SharedServicesTest, BoxMergeOpensAnAuditedRecordWithStatusZero) {
  OpenBill(BoxTemplate(), "OrbGMPBillEvent.BoxUnitExt", 3);
  bill_->Load(1);
  EXPECT_EQ(bill_->BillCtl()->BillStatus(), 0);
  // An auditor of 0 is no auditor: the status remembered at the first load.
  bill_->Load(2);
  EXPECT_EQ(bill_->BillCtl()->BillStatus(), 3);
}

// ---- Deviation report -------------------------------------------------------------------

TEST_F(SharedServicesTest, DeviationReportOperationFilterFailureIsShownAndEditingGoesOn) {
  json t = BoxTemplate();
  t["classType"]["FID"] = 1001017;
  t["pages"][0]["fields"].push_back(
      {{"FKey", "FWorkPrc"}, {"FFieldName", "FWorkPrc"}, {"FValueType", 56}});
  OpenBill(t, "OrbGMPBillEvent.WarpReportExt");
  bill_->Load(1);
  host_->Log().Clear();
  Fault("field", "FRouting");
  bill_->BeginEdit("FWorkPrc", 0);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"[偏差处理BeginEdit]出错，原因：injected fault"}));
}

TEST_F(SharedServicesTest, PackingLinesAreBlankedAndColumnsCleared) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  ClearEntryColumn(bill_, "FOperation");
  EXPECT_EQ(CountFilledRows(bill_, 2, "FOperation"), 0);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FIndex"), 3);

  auto packLog = std::make_shared<BatchPackLog>();
  packLog->ClearEntry();  // no bill yet: nothing happens
  packLog->Show(bill_);
  packLog->ClearEntry();
  EXPECT_EQ(EntryRows(bill_, 2)->Size(), 3);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FIndex"), 0);
}

TEST_F(SharedServicesTest, DuplicateItemsPastBlankRows) {
  host_->Db().Exec(
      "INSERT INTO GMPOperationProjEntry (FID, FEntryID, FIndex, FOperation) VALUES "
      "(1, 4, 4, ''), (1, 5, 5, 'Weigh ')");
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  // Rows: Weigh, '', Mix, '', 'Weigh ': the blanks never match, row 5 repeats row 1.
  EXPECT_EQ(FindDuplicateRow(bill_, 2, "FOperation"), 5);
  EXPECT_EQ(FindRowWithSameItem(bill_, 2, "FOperation", 5), 1);
  EXPECT_EQ(FindRowWithSameItem(bill_, 2, "FOperation", 3), 0);
  EXPECT_EQ(FindRowWithSameItem(bill_, 2, "FOperation", 2), 0);
  EXPECT_EQ(FindRowWithSameItem(bill_, 2, "FOperation", 9), 0);
  EXPECT_EQ(FindDuplicateRow(bill_, 2, "FIndex"), 0);
}

TEST_F(SharedServicesTest, MaterialRecordsAreClearedOnlyWhenTheUserAgrees) {
  json t = SchemeTemplate();
  t["pages"][1]["fields"].push_back(
      {{"FKey", "FItemID_2"}, {"FFieldName", "FItemID_2"}, {"FValueType", 167}});
  OpenBill(t);
  bill_->NewBill();
  bill_->AddRow(2);
  bill_->SetValue("FItemID_2", 1, Variant("4.02.001"));
  auto record = std::make_shared<ProcOperExt>();
  record->Show(bill_);

  host_->Log().Clear();
  host_->User().answers = {mb::kNo};
  record->ClearEntry2(false);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"录入的源单据号不存在，是否清空备料记录？"}));
  EXPECT_EQ(CountFilledRows(bill_, 2, "FItemID_2"), 1);

  host_->User().answers = {mb::kYes};
  record->ClearEntry2(false);
  EXPECT_EQ(CountFilledRows(bill_, 2, "FItemID_2"), 0);
  EXPECT_EQ(EntryRows(bill_, 2)->Size(), 1);

  // Forced: no question.
  bill_->SetValue("FItemID_2", 1, Variant("4.02.002"));
  host_->Log().Clear();
  record->ClearEntry2(true);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CountFilledRows(bill_, 2, "FItemID_2"), 0);
}

TEST_F(SharedServicesTest, LinkByStatementWithoutRecordsLinksNothing) {
  OpenBill(SchemeTemplate());
  bill_->Load(1);
  host_->Log().Clear();
  EXPECT_EQ(LinkByStatement(bill_, "SELECT FID FROM GMPOperationProj WHERE FID = 99", 1001828), 0);
  EXPECT_TRUE(host_->Log().Since(0, "call").empty());
}

TEST_F(SharedServicesTest, TrapsShowCancelOrBoth) {
  auto fail = [] { Raise(5, "test", "坏了"); };
  bool cancel = false;
  EXPECT_FALSE(TrapCancelling(cancel, fail));
  EXPECT_TRUE(cancel);
  EXPECT_TRUE(Messages().empty());
  cancel = false;
  EXPECT_TRUE(TrapShowingAndCancel("[测试]出错，原因：", cancel, [] {}));
  EXPECT_FALSE(cancel);
  EXPECT_FALSE(TrapShowingAndCancel("[测试]出错，原因：", cancel, fail));
  EXPECT_TRUE(cancel);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"[测试]出错，原因：坏了"}));
}

// ---- Stock lots -------------------------------------------------------------------------

TEST(LotStockTest, InventoryStatementOfALot) {
  StockLot lot{Variant("1003"),  Variant(2.0),          Variant(),
               Variant("24'05"), Variant("2024-05-06"), Variant("730")};
  EXPECT_EQ(LotInventorySql(" select  t1.FQty ", lot),
            " select  t1.FQty \r\n from icinventory  t1 \r\n"
            " inner join t_icitem t4 on t1.FItemID = t4.FItemID \r\n"
            " where t1.FItemID = 1003\r\n and t1.FStockID = 2\r\n"
            " and t1.FStockPlaceId = 0\r\n and t1.FBatchNo = '24''05'\r\n"
            " and t1.FKFDate = '2024-05-06'\r\n and t1.FKFPeriod = 730");
  lot.kfDate = Variant("");
  const std::string sql = LotInventorySql(" select t1.FItemID ", lot, " inner join x t7 on 1=1");
  EXPECT_NE(sql.find("t4.FItemID \r\n inner join x t7 on 1=1\r\n where"), std::string::npos);
  EXPECT_NE(sql.find("t1.FKFDate = ''\r\n"), std::string::npos);
}

TEST_F(SharedServicesTest, StockPlaceAndLotDatesOfALine) {
  host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/erp.sql")));
  host_->Db().Exec(
      "INSERT INTO t_StockPlace (FSPID, FSPGroupID, FNumber, FName) "
      "VALUES (7, 1, 'A-01', 'Shelf A1')");
  json t = BoxTemplate();
  for (const char* key : {"FSPID", "FKFDate", "FKFPeriod", "FDeadLine"}) {
    t["pages"][0]["fields"].push_back({{"FKey", key}, {"FFieldName", key}, {"FValueType", 167}});
  }
  host_->Db().Exec(
      "ALTER TABLE GMPBoxUnit ADD FSPID INTEGER; ALTER TABLE GMPBoxUnit ADD FKFDate "
      "TEXT; ALTER TABLE GMPBoxUnit ADD FKFPeriod TEXT; ALTER TABLE GMPBoxUnit ADD "
      "FDeadLine TEXT;");
  OpenBill(t);
  bill_->Load(1);

  WriteStockPlace(bill_, "FSPID", 0, Variant("7"), Variant(0));
  EXPECT_EQ(CStr(ValueRecordOf(bill_, "FSPID")->Get("FDSP")), "Shelf A1");
  EXPECT_EQ(CStr(ValueRecordOf(bill_, "FSPID")->Get("FFND")), "A-01");
  WriteStockPlace(bill_, "FSPID", 0, Variant(), Variant(0));
  EXPECT_EQ(HeadNumber(bill_, "FSPID"), 0);
  EXPECT_EQ(CStr(ValueRecordOf(bill_, "FSPID")->Get("FDSP")), "");
  // A place t_stockplace does not hold is cleared, not kept as a bare id.
  WriteStockPlace(bill_, "FSPID", 0, Variant("7"), Variant(0));
  WriteStockPlace(bill_, "FSPID", 0, Variant(9999), Variant(0));
  EXPECT_EQ(HeadNumber(bill_, "FSPID"), 0);
  EXPECT_EQ(CStr(ValueRecordOf(bill_, "FSPID")->Get("FFND")), "");

  // The batch brings date and shelf life, and the expiry follows.
  DictionaryPtr batch =
      Dictionary::New({{"FKFDate", Variant("2024-05-06")}, {"FKFPeriod", Variant(30)}});
  EXPECT_TRUE(DispatchLotDateChange(bill_, "FBATCHNO", batch, 0, "FBatchNo", "FKFDate", "FKFPeriod",
                                    "FDeadLine"));
  EXPECT_EQ(HeadText(bill_, "FDeadLine"), "2024-06-05");
  // A new expiry moves the date back.
  bill_->SetValue("FDeadLine", 0, Variant("2024-07-01"));
  EXPECT_TRUE(DispatchLotDateChange(bill_, "fdeadline", nullptr, 0, "FBatchNo", "FKFDate",
                                    "FKFPeriod", "FDeadLine"));
  EXPECT_EQ(HeadText(bill_, "FKFDate"), "2024-06-01");
  EXPECT_FALSE(DispatchLotDateChange(bill_, "FNote", nullptr, 0, "FBatchNo", "FKFDate", "FKFPeriod",
                                     "FDeadLine"));
}

}  // namespace
}  // namespace orb
