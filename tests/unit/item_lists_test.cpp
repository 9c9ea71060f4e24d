// The item-list service: duplicate items of an entry grid, scheme items
// loaded through the class link, and the errors that must not pass a check.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/automation_error.h"
#include "refhost/bill.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "services/bill_values.h"
#include "services/item_lists.h"
#include "services/login_context.h"

namespace orb {
namespace {

using nlohmann::json;

// A host with the line clearance scheme and its demo data, and a line
// clearance scheme bill open on it.
class ItemListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    host_->SetPropsString("UserID=16394;UserName=administrator;SubID=gmp;Language=chs;");
    ResetServiceCaches();
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/erp.sql")));
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/rid_scheme.sql")));
    host_->Db().Exec(
        "INSERT INTO GMPRidScheme (FID, FBillNO, FSchemeName, FClassTypeID) VALUES "
        "(1, 'QCFA-001', 'Tableting', 1001809);"
        "INSERT INTO GMPRidSchemeentry (FID, FEntryID, FRidID, FRidName) VALUES "
        "(1, 1, 7001, 'Materials'), (1, 2, NULL, ''), (1, 3, 7003, 'Equipment'),"
        "(1, 4, 7001, 'Materials');");
    auto tpl = std::make_shared<refhost::BillTemplate>(refhost::BillTemplate::Parse(
        json::parse(*refhost::FindEmbedded("templates/rid_scheme.json"))));
    bill_ = std::make_shared<refhost::Bill>(*host_, tpl);
    bill_->Open(2, 2);
    bill_->Load(1);
    host_->Log().Clear();
  }
  void TearDown() override {
    bill_.reset();
    ResetServiceCaches();
    host_.reset();
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : host_->Log().Since(0, "message")) texts.push_back(m.at("text"));
    return texts;
  }
  DuplicateItemRule Rule() const {
    DuplicateItemRule rule;
    rule.itemKey = "FRidID";
    rule.linkedKey = "FRidID75984";
    rule.entryMessage = "entered twice";
    rule.saveMessage = "listed twice";
    rule.checkErrorPrefix = "check failed: ";
    return rule;
  }

  std::unique_ptr<refhost::Host> host_;
  std::shared_ptr<refhost::Bill> bill_;
};

TEST_F(ItemListsTest, DuplicatesAreFoundPastBlankRowsAndNamedByTheirRow) {
  DuplicateItemRule rule = Rule();
  int32_t named = 0;
  rule.saveMessageOf = [&](int32_t row) {
    named = row;
    return "row " + std::to_string(row);
  };
  EXPECT_FALSE(PassesDuplicateCheck(bill_, rule));
  EXPECT_EQ(named, 4);  // rows 1 and 4, a blank row 2 between
  EXPECT_EQ(Messages(), std::vector<std::string>{"row 4"});

  // Blank rows are never duplicates of each other.
  ClearValue(bill_, "FRidID", 4);
  host_->Log().Clear();
  EXPECT_TRUE(PassesDuplicateCheck(bill_, Rule()));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ItemListsTest, AnEnteredDuplicateIsEmptiedWithItsLinkedColumn) {
  EXPECT_FALSE(RefuseDuplicateEntry(bill_, Rule(), 3));  // 7003 is alone
  EXPECT_FALSE(RefuseDuplicateEntry(bill_, Rule(), 2));  // a blank row
  EXPECT_TRUE(Messages().empty());

  EXPECT_TRUE(RefuseDuplicateEntry(bill_, Rule(), 4));
  EXPECT_EQ(Messages(), std::vector<std::string>{"entered twice"});
  EXPECT_TRUE(IsBlank(bill_, "FRidID", 4));
  EXPECT_TRUE(IsBlank(bill_, "FRidID75984", 4));
  EXPECT_EQ(CellNumber(bill_, "FRidID", 1), 7001);  // the row entered first stays
}

TEST_F(ItemListsTest, AnErrorInsideTheCheckFailsItUnderItsPrefix) {
  DuplicateItemRule rule = Rule();
  rule.itemKey = "FRidID";
  rule.saveMessageOf = [](int32_t) -> std::string {
    throw AutomationError(5, "test", "broken message");
  };
  EXPECT_FALSE(PassesDuplicateCheck(bill_, rule));
  EXPECT_EQ(Messages(), std::vector<std::string>{"check failed: broken message"});

  host_->Log().Clear();
  EXPECT_FALSE(PassesDuplicateCheck(nullptr, Rule()));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("check failed: ", 0), 0u);
}

TEST_F(ItemListsTest, SchemeNumbersAreQuotedInTheItemsStatement) {
  const SchemeSource scheme{"GMPRidScheme", "FBillNO", 1001809};
  EXPECT_EQ(SchemeItemsSql(scheme, "QCFA-001"),
            "select b.FID,a.FClassTypeID,b.FEntryID from GMPRidScheme a  inner join  "
            "GMPRidSchemeentry b on a.FID =b.FID where a.FBillNO ='QCFA-001'");
  EXPECT_NE(SchemeItemsSql(scheme, "x' OR '1'='1").find("='x'' OR ''1''=''1'"), std::string::npos);
  // No scheme has the number: nothing is filled and the caller is told.
  EXPECT_FALSE(LoadSchemeItems(bill_, scheme, "x' OR '1'='1"));
  EXPECT_FALSE(LoadSchemeItems(bill_, scheme, "QCFA-404"));
}

}  // namespace
}  // namespace orb
