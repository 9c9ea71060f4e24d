// The plug-in frame: creation by ProgID, event binding and release, the
// saved bill status, and the yield table's choice of bill or list.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bills/process/item_rate.h"
#include "frame/connections.h"
#include "frame/registry.h"
#include "host/automation_error.h"
#include "refhost/bill.h"
#include "refhost/bill_list.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"

namespace orb {
namespace {

using refhost::Bill;
using refhost::BillTemplate;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    host_->Db().Exec(std::string(*refhost::FindEmbedded("schema/operate_proj.sql")));
    host_->Db().Exec(
        "INSERT INTO GMPOperationProj (FID, FBillNO, FSchemeName) VALUES (1, 'OP1', 'a');"
        "INSERT INTO GMPOperationProj (FID, FBillNO, FSchemeName) VALUES (2, 'OP2', 'b');");
    tpl_ = std::make_shared<const BillTemplate>(
        BillTemplate::LoadEmbedded("templates/operate_proj.json"));
  }

  std::shared_ptr<Bill> OpenBill(int32_t status) {
    auto bill = std::make_shared<Bill>(*host_, tpl_);
    bill->Open(2, status);
    return bill;
  }

  std::unique_ptr<refhost::Host> host_;
  std::shared_ptr<const BillTemplate> tpl_;
};

TEST_F(FrameTest, EveryClassIsCreatedByItsProgIdInAnyLetterCase) {
  const auto ids = PluginProgIds();
  ASSERT_EQ(ids.size(), 17u);
  for (const auto& id : ids) {
    std::string lower = id;
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    PluginPtr a = CreatePlugin(id);
    PluginPtr b = CreatePlugin(lower);
    ASSERT_TRUE(a && b) << id;
    EXPECT_EQ(a->TypeName(), id.substr(id.find('.') + 1));
    EXPECT_NE(a, b) << "each creation makes a new object";
  }
  try {
    CreatePlugin("OrbGMPBillEvent.NoSuchBill");
    FAIL() << "an unknown ProgID must raise";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kCannotCreate);
    EXPECT_NE(e.Description().find("OrbGMPBillEvent.NoSuchBill"), std::string::npos);
  }
}

TEST_F(FrameTest, SavedStatusIsCapturedOnceAtTheFirstLoad) {
  auto bill = OpenBill(3);
  auto plugin =
      std::dynamic_pointer_cast<StatusBillPlugin>(CreatePlugin("OrbGMPBillEvent.BoxUnitExt"));
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->SavedBillStatus(), -1);
  plugin->Show(bill);
  bill->NewBill();
  EXPECT_EQ(plugin->SavedBillStatus(), -1) << "only a load captures";
  bill->Load(1);
  EXPECT_EQ(plugin->SavedBillStatus(), 3);
  bill->BillCtl()->SetBillStatus(7);
  bill->Load(2);
  EXPECT_EQ(plugin->SavedBillStatus(), 3) << "the first value is kept";
}

TEST_F(FrameTest, ASecondShowReplacesTheBoundBillAndReleaseUnbinds) {
  auto first = OpenBill(1);
  auto second = OpenBill(2);
  auto plugin =
      std::dynamic_pointer_cast<StatusBillPlugin>(CreatePlugin("OrbGMPBillEvent.BatchPackage"));
  plugin->Show(first);
  plugin->Show(second);
  EXPECT_EQ(plugin->BoundBill(), second);
  first->Load(1);
  EXPECT_EQ(plugin->SavedBillStatus(), -1) << "the replaced bill is no longer handled";
  second->Load(1);
  EXPECT_EQ(plugin->SavedBillStatus(), 2);

  plugin->Show(nullptr);
  EXPECT_EQ(plugin->BoundBill(), nullptr);
  plugin->Show(second);
  plugin.reset();  // termination releases the event connection
  EXPECT_NO_THROW(second->Load(2));
}

TEST_F(FrameTest, ItemRateBindsABillOrAListAndIgnoresAnythingElse) {
  auto rate = std::make_shared<CItemRate>();
  rate->Show(Dictionary::New());
  EXPECT_EQ(rate->BoundBill(), nullptr);
  EXPECT_EQ(rate->BoundList(), nullptr);

  auto list = std::make_shared<refhost::BillList>(*host_, tpl_);
  rate->Show(list);
  EXPECT_EQ(rate->BoundList(), list);
  EXPECT_EQ(rate->BoundBill(), nullptr);

  auto bill = OpenBill(2);
  rate->Show(bill);
  EXPECT_EQ(rate->BoundBill(), bill);
  bill->Load(1);
  EXPECT_EQ(rate->SavedBillStatus(), 2);
}

// A handler that fails in every way a handler can.
class ThrowingHandlers : public BillEvents {
 public:
  void AfterNewBill() override { Raise(err::kTypeMismatch, "test", "Type mismatch"); }
  void BeforeSave(bool& cancel) override {
    cancel = true;
    throw std::runtime_error("not an automation error");
  }
};

TEST_F(FrameTest, NoErrorLeavesAHandlerIntoTheHost) {
  auto bill = OpenBill(2);
  ThrowingHandlers handlers;
  BillConnection connection(handlers);
  connection.Set(bill);
  EXPECT_NO_THROW(bill->NewBill());
  bool saved = true;
  EXPECT_NO_THROW(saved = bill->Save());
  EXPECT_FALSE(saved) << "the cancel set before the failure still stops the save";
}

}  // namespace
}  // namespace orb
