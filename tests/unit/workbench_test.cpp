// The workbench as the page's requests reach it: bad input refused with a
// message, bills worked on through their windows, questions handed to the
// user, and two logins contending for one bill.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/serve/web_server.h"
#include "app/serve/workbench.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using orb::serve::Response;
using orb::serve::Workbench;
using orb::serve::WorkbenchOptions;

class WorkbenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("workbench_test_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    options_.database = (dir_ / "web.db").string();
    bench_ = std::make_unique<Workbench>(options_);
  }
  void TearDown() override {
    bench_.reset();
    fs::remove_all(dir_);
  }

  Response Post(const std::string& path, const json& body) {
    return bench_->Handle("POST", path, body.dump());
  }
  // A request that must succeed.
  json Ok(const std::string& path, const json& body) {
    Response r = Post(path, body);
    EXPECT_EQ(r.status, 200) << path << " " << body.dump() << " -> " << r.body.dump();
    return r.body;
  }
  std::string Login(int user = 16394, const std::string& language = "chs") {
    return Ok("/api/login", {{"user", user}, {"language", language}}).at("session");
  }
  json Act(const std::string& session, int window, json action) {
    action["session"] = session;
    action["window"] = window;
    return Ok("/api/act", action);
  }
  // A saved operation record scheme with one row; returns its window.
  int SavedScheme(const std::string& session, const std::string& number) {
    json s = Ok("/api/open", {{"session", session}, {"type", "operate_proj"}});
    const int w = s.at("window");
    Act(session, w, {{"do", "set"}, {"field", "FBillNO"}, {"value", number}});
    Act(session, w, {{"do", "addRow"}});
    Act(session, w, {{"do", "set"}, {"field", "FOperation"}, {"row", 1}, {"value", "压片"}});
    s = Act(session, w, {{"do", "click"}, {"tool", "mnuFileSave"}});
    EXPECT_GT(s.at("bill").at("billId").get<int>(), 0) << s.dump();
    return w;
  }
  static json Tool(const json& state, const std::string& key) {
    return state.at("bill").at("tools").at(key);
  }

  fs::path dir_;
  WorkbenchOptions options_;
  std::unique_ptr<Workbench> bench_;
};

TEST_F(WorkbenchTest, BadRequestsAreRefusedWithAMessageInTheUsersLanguage) {
  const std::string s = Login(16394, "en");
  const int w = Ok("/api/open", {{"session", s}, {"type", "operate_proj"}}).at("window");
  struct Case {
    std::string path;
    std::string body;
    int status;
    std::string message;
  };
  const std::string sw = "\"session\":\"" + s + "\",\"window\":" + std::to_string(w);
  const Case cases[] = {
      // Without a login the workbench's own language answers.
      {"/api/act", "{not json", 400, "JSON"},
      {"/api/act", "[1,2]", 400, "JSON"},
      {"/api/nowhere", "{}", 404, "/api/nowhere"},
      {"/api/open", "{\"session\":\"" + s + "\",\"type\":\"no_such_bill\"}", 400,
       "Unknown bill type"},
      {"/api/act", "{" + sw + ",\"do\":\"set\",\"field\":\"FNope\",\"value\":1}", 400,
       "Unknown field: FNope"},
      {"/api/act", "{" + sw + ",\"do\":\"click\",\"tool\":\"mnuNope\"}", 400, "Unknown tool"},
      {"/api/act", "{" + sw + ",\"do\":\"fly\"}", 400, "Unknown action"},
      {"/api/act", "{" + sw + ",\"do\":\"set\",\"field\":\"FOperation\",\"row\":3,\"value\":1}",
       400, "No such row: 3"},
      {"/api/act", "{" + sw + ",\"do\":\"set\",\"field\":\"FBillNO\",\"value\":{\"a\":1}}", 400,
       "wrong kind"},
      {"/api/act",
       "{" + sw + ",\"do\":\"set\",\"field\":\"FBillNO\",\"value\":\"" +
           std::string(orb::serve::kMaxValueLength + 1, 'x') + "\"}",
       400, "too long"},
      {"/api/act", "{\"session\":\"" + s + "\",\"window\":999,\"do\":\"new\"}", 400,
       "Unknown window"},
      {"/api/act", "{\"session\":\"" + s + "\",\"window\":\"1\",\"do\":\"new\"}", 400,
       "wrong kind"},
      {"/api/act", "{\"session\":\"forged\",\"window\":1,\"do\":\"new\"}", 401, ""},
      {"/api/answer", "{" + sw + ",\"answer\":{\"answer\":\"yes\"}}", 409, "asks nothing"},
      {"/api/login", "{\"user\":1,\"language\":\"en\"}", 400, "Unknown user: 1"},
      {"/api/login", "{\"user\":16394,\"language\":\"fr\"}", 400, ""},
      {"/api/open", "{\"session\":\"" + s + "\",\"type\":\"operate_proj\",\"bill\":777}", 400,
       "No such bill: 777"},
  };
  for (const auto& c : cases) {
    Response r = bench_->Handle("POST", c.path, c.body);
    EXPECT_EQ(r.status, c.status) << c.body.substr(0, 120);
    ASSERT_TRUE(r.body.contains("error")) << c.body.substr(0, 120);
    EXPECT_NE(r.body.at("error").get<std::string>().find(c.message), std::string::npos)
        << r.body.dump();
  }
  EXPECT_EQ(bench_->Handle("GET", "/api/act", "").status, 405);
  // Nothing of it reached the bill.
  json state = Ok("/api/state", {{"session", s}, {"window", w}});
  EXPECT_EQ(state.at("bill").at("head").at("FBillNO"), "");
  EXPECT_EQ(state.at("bill").at("entries").at("page2").size(), 0u);
}

TEST_F(WorkbenchTest, ASchemeIsSavedAndAuditedAndListedWithItsAuditor) {
  const std::string s = Login();
  const int w = SavedScheme(s, "OP-WEB-1");
  json state = Act(s, w, {{"do", "click"}, {"tool", "mnuEditCheck"}});
  ASSERT_TRUE(state.at("finished"));
  ASSERT_EQ(state.at("messages").size(), 1u) << state.at("messages").dump();
  EXPECT_EQ(state.at("messages")[0].at("style"), 64);
  EXPECT_EQ(state.at("bill").at("head").at("FCheckerID"), 16394);
  // Audited: the bill is read again and may no longer be edited.
  EXPECT_FALSE(Tool(state, "mnuFileSave").at("enabled"));
  bool logged = false;
  for (const auto& r : state.at("transcript")) logged = logged || r.at("kind") == "log";
  EXPECT_TRUE(logged);

  json list = Ok("/api/list", {{"session", s}, {"type", "operate_proj"}}).at("bills");
  // Newest first, before the demo's audited coating scheme.
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].at("number"), "OP-WEB-1");
  EXPECT_EQ(list[0].at("auditor"), "administrator");
}

TEST_F(WorkbenchTest, TypedNumbersKeepTheirTypeAndTextStaysText) {
  const std::string s = Login();
  const int w = Ok("/api/open", {{"session", s}, {"type", "operate_proj"}}).at("window");
  Act(s, w, {{"do", "addRow"}});
  json state = Act(s, w, {{"do", "set"}, {"field", "FIndex"}, {"row", 1}, {"value", "12"}});
  EXPECT_EQ(state.at("bill").at("entries").at("page2")[0].at("FIndex"), 12);
  state = Act(s, w, {{"do", "set"}, {"field", "FOperation"}, {"row", 1}, {"value", "007"}});
  EXPECT_EQ(state.at("bill").at("entries").at("page2")[0].at("FOperation"), "007");
  state = Act(s, w, {{"do", "set"}, {"field", "FBillNO"}, {"value", "x' or '1'='1"}});
  EXPECT_EQ(state.at("bill").at("head").at("FBillNO"), "x' or '1'='1");
}

TEST_F(WorkbenchTest, UnsavedChangesAreGivenUpOnlyWhenTheUserSaysYes) {
  const std::string s = Login();
  const int w = Ok("/api/open", {{"session", s}, {"type", "operate_proj"}}).at("window");
  Act(s, w, {{"do", "set"}, {"field", "FBillNO"}, {"value", "KEEP-ME"}});

  json state = Act(s, w, {{"do", "new"}});
  ASSERT_FALSE(state.at("finished"));
  EXPECT_EQ(state.at("question").at("kind"), "message");
  EXPECT_EQ(state.at("question").at("style"), 36);
  // Until the user answers, the window takes no other action.
  EXPECT_EQ(Post("/api/act", {{"session", s}, {"window", w}, {"do", "addRow"}}).status, 409);

  state = Ok("/api/answer", {{"session", s}, {"window", w}, {"answer", {{"answer", "no"}}}});
  EXPECT_TRUE(state.at("finished"));
  EXPECT_EQ(state.at("bill").at("head").at("FBillNO"), "KEEP-ME");
  EXPECT_TRUE(state.at("bill").at("isChange"));

  state = Act(s, w, {{"do", "new"}});
  state = Ok("/api/answer", {{"session", s}, {"window", w}, {"answer", {{"answer", "yes"}}}});
  EXPECT_EQ(state.at("bill").at("head").at("FBillNO"), "");
}

TEST_F(WorkbenchTest, AListWindowWaitsForThePickAndAClosedOneFillsNothing) {
  const std::string s = Login();
  const int w = Ok("/api/open", {{"session", s}, {"type", "batch_package"}}).at("window");
  auto lookUp = [&] {
    Act(s, w, {{"do", "edit"}, {"field", "FMoBillNO"}});
    json state = Act(s, w, {{"do", "click"}, {"tool", "mnuDataLookUp"}});
    EXPECT_FALSE(state.at("finished"));
    EXPECT_EQ(state.at("question").at("kind"), "list");
    EXPECT_EQ(state.at("question").at("rows").size(), 2u);
    return state;
  };
  lookUp();
  json state =
      Ok("/api/answer", {{"session", s}, {"window", w}, {"answer", {{"rows", json::array()}}}});
  EXPECT_TRUE(state.at("finished"));
  EXPECT_EQ(state.at("bill").at("head").at("FMoBillNO"), "");

  lookUp();
  state = Ok("/api/answer", {{"session", s}, {"window", w}, {"answer", {{"rows", {2}}}}});
  EXPECT_EQ(state.at("bill").at("head").at("FMoBillNO"), "SC2405-002");
  EXPECT_EQ(state.at("bill").at("head").at("FBatchNo"), "240502");
}

TEST_F(WorkbenchTest, TwoLoginsContendForOneBillThroughItsMutex) {
  const std::string first = Login(16394);
  const std::string second = Login(16395);
  const int w1 = SavedScheme(first, "OP-MUTEX");
  const int billId =
      Ok("/api/state", {{"session", first}, {"window", w1}}).at("bill").at("billId").get<int>();
  json other = Ok("/api/open", {{"session", second}, {"type", "operate_proj"}, {"bill", billId}});
  EXPECT_FALSE(Tool(other, "mnuFileSave").at("enabled"));
  EXPECT_FALSE(Tool(other, "mnuEditCheck").at("enabled"));
  json mine = Ok("/api/state", {{"session", first}, {"window", w1}});
  EXPECT_TRUE(Tool(mine, "mnuFileSave").at("enabled"));

  // The first closes the bill: the second, opening it again, may edit it.
  Ok("/api/close", {{"session", first}, {"window", w1}});
  const int w2 = other.at("window");
  other = Act(second, w2, {{"do", "load"}, {"bill", billId}});
  EXPECT_TRUE(Tool(other, "mnuFileSave").at("enabled"));
  // A window of one login is unknown to another.
  EXPECT_EQ(Post("/api/state", {{"session", first}, {"window", w2}}).status, 400);
}

TEST_F(WorkbenchTest, TheDatabaseIsMadeOnceAndKeptBetweenStarts) {
  const std::string s = Login();
  Ok("/api/close", {{"session", s}, {"window", SavedScheme(s, "OP-KEPT")}});
  bench_.reset();
  bench_ = std::make_unique<Workbench>(options_);
  json list = Ok("/api/list", {{"session", Login()}, {"type", "operate_proj"}}).at("bills");
  // Newest first, before the demo's audited coating scheme.
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].at("number"), "OP-KEPT");
  // The old login is gone with the old server.
  EXPECT_EQ(Post("/api/list", {{"session", s}, {"type", "operate_proj"}}).status, 401);
}

TEST_F(WorkbenchTest, ALoginBeyondTheLimitEndsTheLongestUnusedOneAndFreesItsBills) {
  bench_.reset();
  options_.maxSessions = 2;
  bench_ = std::make_unique<Workbench>(options_);
  const std::string first = Login(16394);
  const int w = SavedScheme(first, "OP-LIMIT");
  const int billId =
      Ok("/api/state", {{"session", first}, {"window", w}}).at("bill").at("billId").get<int>();
  const std::string second = Login(16395);
  Ok("/api/list", {{"session", first}, {"type", "operate_proj"}});  // first used again
  Login(16396);                                                     // ends the second
  EXPECT_EQ(Post("/api/list", {{"session", second}, {"type", "operate_proj"}}).status, 401);
  const std::string fourth = Login(16395);  // ends the first, and its window
  EXPECT_EQ(Post("/api/state", {{"session", first}, {"window", w}}).status, 401);
  json s = Ok("/api/open", {{"session", fourth}, {"type", "operate_proj"}, {"bill", billId}});
  EXPECT_TRUE(Tool(s, "mnuFileSave").at("enabled"));
}

TEST_F(WorkbenchTest, ClosingTheServerWithAQuestionOpenEndsCleanly) {
  const std::string s = Login();
  const int w = Ok("/api/open", {{"session", s}, {"type", "operate_proj"}}).at("window");
  Act(s, w, {{"do", "set"}, {"field", "FBillNO"}, {"value", "OPEN-Q"}});
  ASSERT_FALSE(Act(s, w, {{"do", "new"}}).at("finished"));
  bench_.reset();  // must neither hang nor crash
  SUCCEED();
}

TEST(ServeArgs, DefaultsListenOnLoopbackAndAnyOtherAddressNeedsAToken) {
  std::ostringstream out, err;
  bool help = false;
  auto o = orb::serve::ParseServeArgs({}, out, err, help);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->address, "127.0.0.1");
  EXPECT_TRUE(o->token.empty());

  EXPECT_FALSE(orb::serve::ParseServeArgs({"--listen", "0.0.0.0"}, out, err, help));
  EXPECT_FALSE(
      orb::serve::ParseServeArgs({"--listen", "0.0.0.0", "--token", "short"}, out, err, help));
  o = orb::serve::ParseServeArgs({"--listen", "0.0.0.0", "--token", "0123456789abcdef"}, out, err,
                                 help);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->address, "0.0.0.0");
  for (auto bad : {std::vector<std::string>{"--port", "70000"},
                   {"--port", "8x"},
                   {"--port"},
                   {"--language", "fr"},
                   {"--verbose"}}) {
    EXPECT_FALSE(orb::serve::ParseServeArgs(bad, out, err, help)) << bad.front();
    EXPECT_FALSE(help);
  }
  EXPECT_FALSE(orb::serve::ParseServeArgs({"--help"}, out, err, help));
  EXPECT_TRUE(help);
}

TEST(ServeArgs, LoopbackAddressesAndTokens) {
  EXPECT_TRUE(orb::serve::IsLoopback("127.0.0.1"));
  EXPECT_TRUE(orb::serve::IsLoopback("127.1.2.3"));
  EXPECT_TRUE(orb::serve::IsLoopback("::1"));
  EXPECT_FALSE(orb::serve::IsLoopback("0.0.0.0"));
  EXPECT_FALSE(orb::serve::IsLoopback("192.168.1.5"));
  EXPECT_FALSE(orb::serve::IsLoopback("::"));
  EXPECT_TRUE(orb::serve::SameToken("0123456789abcdef", "0123456789abcdef"));
  EXPECT_FALSE(orb::serve::SameToken("0123456789abcdeX", "0123456789abcdef"));
  EXPECT_FALSE(orb::serve::SameToken("0123456789abcdef0", "0123456789abcdef"));
  EXPECT_FALSE(orb::serve::SameToken("", "0123456789abcdef"));
  EXPECT_EQ(orb::serve::CookieValue("a=1; workbench_token=xyz; b=2", "workbench_token"), "xyz");
  EXPECT_EQ(orb::serve::CookieValue("my_workbench_token=xyz", "workbench_token"), "");
  EXPECT_EQ(orb::serve::CookieValue("", "workbench_token"), "");
  EXPECT_TRUE(orb::serve::WebFile("index.html").has_value());
  EXPECT_FALSE(orb::serve::WebFile("../index.html").has_value());
}

}  // namespace
