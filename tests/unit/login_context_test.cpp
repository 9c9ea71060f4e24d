#include "services/login_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/automation_error.h"
#include "host/platform.h"
#include "refhost/host.h"

namespace orb {
namespace {

class LoginContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<refhost::Host>(refhost::Database::Open(":memory:"));
    host_->Install();
    ResetServiceCaches();
  }
  void TearDown() override {
    ResetServiceCaches();
    host_.reset();
  }

  std::unique_ptr<refhost::Host> host_;
};

TEST(PropertyParserTest, TakeTokenKeyAndValue) {
  std::string s = "abXYcdxyef";
  EXPECT_EQ(TakeToken(s, "xy"), "ab");  // the delimiter matches in any letter case
  EXPECT_EQ(s, "cdxyef");
  s = "no delimiter";
  EXPECT_EQ(TakeToken(s, ";"), "no delimiter");
  EXPECT_EQ(s, "");

  s = "  User Name = {Li; Wei}  junk ; Next=1";
  EXPECT_EQ(TakeKey(s), "User Name");
  EXPECT_EQ(TakeValue(s), "Li; Wei");
  EXPECT_EQ(s, " Next=1");  // the braced value's tail up to ";" is dropped
  EXPECT_EQ(TakeKey(s), "Next");
  EXPECT_EQ(TakeValue(s), "1");
  EXPECT_EQ(s, "");
}

TEST_F(LoginContextTest, LoginPropertyReadsBracedValuesAndGoesOn) {
  host_->SetPropsString("A=1;B={DSN=acc;UID=sa};c= 3 ;SubID=QM");
  EXPECT_EQ(GetLoginProperty("b"), "DSN=acc;UID=sa");
  EXPECT_EQ(GetLoginProperty("C"), "3");
  EXPECT_EQ(GetLoginProperty("subid"), "QM");
  EXPECT_EQ(GetLoginProperty("UID"), "");  // inside the braces, no key of its own
  EXPECT_EQ(GetLoginProperty("Missing"), "");

  // The string is read anew on every call.
  host_->SetPropsString("C=4");
  EXPECT_EQ(GetLoginProperty("c"), "4");
}

TEST_F(LoginContextTest, PropsValueFindsTheLastPairWithoutSemicolon) {
  host_->SetPropsString("UserID=16;Language=en");
  EXPECT_EQ(GetPropsValue("Language"), "en");
  EXPECT_EQ(GetPropsValue("LANGUAGE"), "en");
  EXPECT_EQ(GetPropsValue("userid"), "16");
  EXPECT_EQ(GetPropsValue("SubID"), "");

  host_->SetPropsString("");
  EXPECT_EQ(GetPropsValue("Language"), "");
}

TEST_F(LoginContextTest, ParsedPropertiesAndUser) {
  host_->SetPropsString("UserID=7;UserName={Wang; Fang};UserID=9");
  // Nothing parsed yet on this thread: the host's string is parsed on demand.
  EXPECT_EQ(GetUserID(), 7);  // a repeated key keeps its first value
  EXPECT_EQ(GetUserName(), "Wang; Fang");

  EXPECT_TRUE(ParseProperties("userid=12;Language=en"));
  EXPECT_EQ(GetUserID(), 12);
  EXPECT_EQ(GetParsedProperty("LANGUAGE"), "en");
  EXPECT_EQ(GetUserName(), "");

  EXPECT_TRUE(ParseProperties("UserID=abc"));
  EXPECT_EQ(GetUserID(), 0);
  EXPECT_TRUE(ParseProperties(""));
  EXPECT_EQ(GetUserID(), 0);
}

TEST_F(LoginContextTest, SharedObjects) {
  EXPECT_NE(GetLoginObject(), nullptr);
  auto system = GetSystemObject();
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(GetSystemObject(), system);  // cached per thread
  ResetServiceCaches();
  EXPECT_NE(GetSystemObject(), system);
}

TEST_F(LoginContextTest, WriteUserLogReachesTheSystemObjectAndSwallowsErrors) {
  host_->SetPropsString("UserID=3;UserName=Li");
  WriteUserLog(5, "审核[批包装指令],BP0001", "DJPT100001");
  auto logs = host_->Log().Since(0, "log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0]["funcId"], "DJPT100001");
  EXPECT_EQ(logs[0]["type"], 5);
  EXPECT_EQ(logs[0]["text"], "审核[批包装指令],BP0001");

  refhost::Fault fault;
  fault.target = "call";
  fault.match = "ZADUVAvuz.GLData.WriteLog";
  host_->GetFaults().Add(fault);
  EXPECT_NO_THROW(WriteUserLog(5, "x", "DJPT100001"));
  EXPECT_EQ(host_->Log().Since(0, "log").size(), 1u);
}

TEST_F(LoginContextTest, WithoutPlatformLookupsAreEmptyAndObjectsRaise) {
  host_.reset();  // uninstalls the platform
  EXPECT_EQ(GetPropsString(), "");
  EXPECT_EQ(GetLoginProperty("UserID"), "");
  EXPECT_EQ(GetUserID(), 0);
  EXPECT_THROW(GetLoginObject(), AutomationError);
  EXPECT_THROW(GetSystemObject(), AutomationError);
  EXPECT_NO_THROW(WriteUserLog(5, "x", "y"));
}

}  // namespace
}  // namespace orb
