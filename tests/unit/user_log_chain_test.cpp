// The user log's hash chain: each row written through the system object is
// sealed, and any later change, removal or insertion is found at its row.
#include "refhost/components/user_log_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/components.h"
#include "refhost/components/system_object.h"
#include "refhost/host.h"

namespace orb::refhost {
namespace {

TEST(Sha256, KnownDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Two blocks: the padding spills over.
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

class UserLogChainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.SetPropsString("UserID=7;UserName=Li");
    auto gl = std::dynamic_pointer_cast<SystemObject>(host_.CreateObject(progid::kSystemObject));
    ASSERT_TRUE(gl);
    for (int i = 1; i <= 5; ++i) gl->WriteLog("DJPT100001", 5, "step " + std::to_string(i));
  }
  std::optional<int64_t> Broken() { return VerifyUserLog(host_.Db()).firstBroken; }

  Host host_{Database::Open(":memory:")};
};

TEST_F(UserLogChainTest, WrittenRowsFormAnIntactChain) {
  EXPECT_EQ(VerifyUserLog(host_.Db()).rows, 5);
  EXPECT_EQ(Broken(), std::nullopt);
  // A row written inside a transaction of the host joins the same chain.
  host_.Db().Begin();
  std::dynamic_pointer_cast<SystemObject>(host_.CreateObject(progid::kSystemObject))
      ->WriteLog("DJPT100001", 5, "in a transaction");
  host_.Db().Commit();
  EXPECT_EQ(Broken(), std::nullopt);
}

TEST_F(UserLogChainTest, ChangedRowIsFound) {
  host_.Db().Exec("UPDATE t_UserLog SET FText = 'step x' WHERE FID = 3");
  EXPECT_EQ(Broken(), 3);
}

TEST_F(UserLogChainTest, ChangedUserOrTypeIsFound) {
  host_.Db().Exec("UPDATE t_UserLog SET FUserID = 8 WHERE FID = 2");
  EXPECT_EQ(Broken(), 2);
  host_.Db().Exec("UPDATE t_UserLog SET FUserID = 7 WHERE FID = 2");
  EXPECT_EQ(Broken(), std::nullopt);
  host_.Db().Exec("UPDATE t_UserLog SET FType = 6 WHERE FID = 4");
  EXPECT_EQ(Broken(), 4);
}

TEST_F(UserLogChainTest, RemovedRowBreaksTheNextOne) {
  host_.Db().Exec("DELETE FROM t_UserLog WHERE FID = 2");
  EXPECT_EQ(Broken(), 3);
}

TEST_F(UserLogChainTest, RowsInsertedOrReorderedAreFound) {
  // A copy of a sealed row with its hash, put in between.
  host_.Db().Exec(
      "INSERT INTO t_UserLog (FID, FUserID, FFuncID, FType, FText, FDate, FHash) "
      "SELECT 10, FUserID, FFuncID, FType, FText, FDate, FHash FROM t_UserLog WHERE FID = 5; "
      "UPDATE t_UserLog SET FID = 6 WHERE FID = 4; UPDATE t_UserLog SET FID = 4 WHERE FID = 10");
  EXPECT_EQ(Broken(), 4);
}

TEST_F(UserLogChainTest, RehashingARowOnItsOwnDoesNotHideTheChange) {
  // Changing a row and recomputing its own hash still breaks the next row.
  host_.Db().Exec("UPDATE t_UserLog SET FText = 'forged' WHERE FID = 2");
  SealUserLogRow(host_.Db(), 2);
  EXPECT_EQ(Broken(), 3);
}

}  // namespace
}  // namespace orb::refhost
