#include "services/language.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/platform.h"
#include "refhost/host.h"
#include "services/login_context.h"
#include "services/wait_cursor.h"

namespace orb {
namespace {

class LanguageTest : public ::testing::Test {
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
  void Login(const std::string& language) {
    host_->SetPropsString("UserID=1;UserName=Li;Language=" + language + ";");
    ResetServiceCaches();
  }
  void Fail(const std::string& call) {
    refhost::Fault fault;
    fault.target = "call";
    fault.match = call;
    host_->GetFaults().Add(fault);
  }

  std::unique_ptr<refhost::Host> host_;
};

TEST_F(LanguageTest, EnglishKeepsBlanksAndAddsThemByMode) {
  Login("en");
  EXPECT_EQ(LoadTVString("审核"), "Audit");
  EXPECT_EQ(LoadTVString("  审核 "), "  Audit ");
  EXPECT_EQ(LoadTVString("审核", 1), " Audit");
  EXPECT_EQ(LoadTVString("审核", 2), "Audit ");
  EXPECT_EQ(LoadTVString("审核", 3), " Audit ");
  EXPECT_EQ(LoadTVString("  审核 ", 3), "  Audit ");  // blanks present are not doubled
  EXPECT_EQ(LoadTVString(" 没有这个键 "), " 没有这个键 ");
  EXPECT_EQ(LoadTVString("   "), "   ");
}

TEST_F(LanguageTest, ChineseAddsNoBlanksAndPipeKeysArePassedWhole) {
  Login("chs");
  EXPECT_EQ(LoadTVString("审核", 3), "审核");
  EXPECT_EQ(LoadTVString("  审核 "), "  审核 ");

  size_t from = host_->Log().Size();
  EXPECT_EQ(LoadTVString(" 审核成功| "), " 审核成功| ");
  bool asked = false;
  for (const auto& call : host_->Log().Since(from, "call")) {
    if (call["member"] == "LoadString") asked = call["args"][0] == "审核成功|";
  }
  EXPECT_TRUE(asked);
}

TEST_F(LanguageTest, LanguageComesFromPropertiesThenTheHost) {
  host_->SetLanguage("en");
  host_->SetPropsString("UserID=1;Language=chs");
  EXPECT_EQ(GetLanguage(), "chs");

  ResetServiceCaches();
  host_->SetPropsString("UserID=1");
  EXPECT_EQ(GetLanguage(), "en");
  EXPECT_EQ(LoadTVString("审核"), "Audit");

  // The loader is put back on the login language whenever it strays.
  GetResLoader()->SetLanguageID("chs");
  GetResLoader()->SetResFileBaseName("Other");
  EXPECT_EQ(GetResLoader()->LanguageID(), "en");
  EXPECT_EQ(GetResLoader()->ResFileBaseName(), "OrbHYManufacture");
}

TEST_F(LanguageTest, LanguageFallsBackToChineseOnceWithAMessage) {
  host_->SetLanguage("en");
  host_->SetPropsString("UserID=1");
  Fail("OrbLangInfo.LangInfo.CurrentLanguage");
  EXPECT_EQ(GetLanguage(), "chs");
  EXPECT_EQ(GetLanguage(), "chs");
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"], "Get Language Error!");
  EXPECT_EQ(messages[0]["style"], 64);
  EXPECT_EQ(messages[0]["title"], "TALVERN");
}

TEST_F(LanguageTest, LoadTVStringNeverThrows) {
  Login("en");
  Fail("OrbResLoader.Loader.LoadString");
  EXPECT_EQ(LoadTVString(" 审核 ", 3), " 审核 ");
  host_.reset();
  ResetServiceCaches();
  EXPECT_EQ(LoadTVString("审核", 3), "审核");
  EXPECT_EQ(FormatTVString("所选[%1]单据已不存在,请检查。", Variant(12)),
            "所选[12]单据已不存在,请检查。");
}

TEST_F(LanguageTest, MessagesCarryTheTranslatedTitle) {
  Login("en");
  host_->User().answers.push_back(mb::kYes);
  EXPECT_EQ(ShowMessage("Go on?", 36), mb::kYes);
  Login("chs");
  EXPECT_EQ(ShowMessage("好", 64), mb::kOk);
  auto messages = host_->Log().Since(0, "message");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0]["title"], "Notice");
  EXPECT_EQ(messages[0]["style"], 36);
  EXPECT_EQ(messages[1]["title"], "澜帆提示");
  EXPECT_EQ(messages[1]["text"], "好");
}

TEST_F(LanguageTest, FormatReplacesThePlaceholderInTheTranslation) {
  Login("chs");
  EXPECT_EQ(FormatTVString("所选[%1]单据已不存在,请检查。", Variant("1024")),
            "所选[1024]单据已不存在,请检查。");
  EXPECT_EQ(FormatTVString("%1-%1", Variant::Null()), "-");
}

TEST_F(LanguageTest, WaitCursorHoldsTheHourglassWhileAlive) {
  {
    WaitCursor wait;
    EXPECT_EQ(wait.Count(), 1);
    EXPECT_EQ(host_->ScreenPointer(), kPointerHourglass);
  }
  EXPECT_EQ(host_->ScreenPointer(), kPointerDefault);
  host_.reset();
  EXPECT_NO_THROW({ WaitCursor wait; });
}

}  // namespace
}  // namespace orb
