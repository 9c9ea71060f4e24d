#include "services/login_context.h"

#include "host/automation_error.h"
#include "service_host.h"

namespace orb {
namespace {

using LoginContextTest = ServiceHostTest;

TEST_F(LoginContextTest, PropertyLookups) {
  host_->SetPropsString("A=1;B={DSN=acc;UID=sa};c= 3 ;Language=en");
  EXPECT_EQ(GetLoginProperty("b"), "DSN=acc;UID=sa");
  EXPECT_EQ(GetLoginProperty("C"), "3");  // parsing goes on after the braces
  EXPECT_EQ(GetLoginProperty("UID"), "");
  EXPECT_EQ(GetPropsValue("LANGUAGE"), "en");  // no trailing ";"
  EXPECT_EQ(GetPropsValue("SubID"), "");

  host_->SetPropsString("UserID=7;UserName={Wang; Fang};UserID=9");
  EXPECT_EQ(GetUserID(), 7);  // parsed on first use; a repeated key keeps its first value
  EXPECT_EQ(GetUserName(), "Wang; Fang");
  EXPECT_TRUE(ParseProperties("userid=abc"));
  EXPECT_EQ(GetUserID(), 0);
}

TEST_F(LoginContextTest, UserLogAndItsFailures) {
  WriteUserLog(5, "审核[批包装指令],BP0001", "DJPT100001");
  auto logs = host_->Log().Since(0, "log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0]["funcId"], "DJPT100001");
  EXPECT_EQ(logs[0]["type"], 5);
  EXPECT_EQ(logs[0]["text"], "审核[批包装指令],BP0001");

  Fail("ZADUVAvuz.GLData.WriteLog");
  EXPECT_NO_THROW(WriteUserLog(5, "x", "DJPT100001"));
  host_.reset();  // no platform: look-ups are empty, objects raise
  ResetServiceCaches();
  EXPECT_NO_THROW(WriteUserLog(5, "x", "DJPT100001"));
  EXPECT_EQ(GetLoginProperty("UserID"), "");
  EXPECT_THROW(GetLoginObject(), AutomationError);
}

}  // namespace
}  // namespace orb
