#include "services/language.h"

#include <string>

#include "host/platform.h"
#include "service_host.h"

namespace orb {
namespace {

using LanguageTest = ServiceHostTest;

TEST_F(LanguageTest, BlanksAroundTranslations) {
  Login("UserID=1;Language=en");
  EXPECT_EQ(LoadTVString("  审核 "), "  Audit ");
  EXPECT_EQ(LoadTVString("审核", 1), " Audit");
  EXPECT_EQ(LoadTVString("审核", 2), "Audit ");
  EXPECT_EQ(LoadTVString("  审核 ", 3), "  Audit ");  // blanks present are not doubled
  EXPECT_EQ(LoadTVString(" 没有这个键 "), " 没有这个键 ");
  Login("UserID=1;Language=chs");
  EXPECT_EQ(LoadTVString("审核", 3), "审核");

  size_t from = host_->Log().Size();
  EXPECT_EQ(LoadTVString(" 审核成功| "), " 审核成功| ");
  std::string asked;
  for (const auto& call : host_->Log().Since(from, "call"))
    if (call["member"] == "LoadString") asked = call["args"][0];
  EXPECT_EQ(asked, "审核成功|");
}

TEST_F(LanguageTest, LanguageSourcesAndFallback) {
  host_->SetLanguage("en");
  Login("UserID=1;Language=chs");  // the property string comes first
  EXPECT_EQ(GetLanguage(), "chs");
  Login("UserID=1");
  host_->User().answers.push_back(mb::kYes);
  EXPECT_EQ(ShowMessage("Go on?", 36), mb::kYes);
  EXPECT_EQ(host_->Log().Since(0, "message").at(0)["title"], "Notice");

  Login("UserID=1");
  Fail("OrbLangInfo.LangInfo.CurrentLanguage");
  EXPECT_EQ(GetLanguage(), "chs");
  EXPECT_EQ(GetLanguage(), "chs");
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 2u);  // shown once
  EXPECT_EQ(messages[1]["text"], "Get Language Error!");
  EXPECT_EQ(messages[1]["style"], 64);
  EXPECT_EQ(messages[1]["title"], "TALVERN");
}

TEST_F(LanguageTest, TextsSurviveFailures) {
  Login("UserID=1;Language=en");
  Fail("OrbResLoader.Loader.LoadString");
  EXPECT_EQ(LoadTVString(" 审核 ", 3), " 审核 ");
  // A loader with no text for the key gives the key, not a blank message.
  refhost::Fault empty;
  empty.target = "call";
  empty.match = "OrbResLoader.Loader.LoadString";
  empty.mode = "fail";
  host_->GetFaults().Add(empty);
  EXPECT_EQ(LoadTVString(" 审核 ", 3), " 审核 ");
  host_.reset();
  ResetServiceCaches();
  EXPECT_EQ(LoadTVString("审核", 3), "审核");
  EXPECT_EQ(FormatTVString("所选[%1]单据已不存在,请检查。", Variant(12)),
            "所选[12]单据已不存在,请检查。");
}

}  // namespace
}  // namespace orb
