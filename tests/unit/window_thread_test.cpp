// The hand-off between a bill window's thread and the requests of the browser.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/serve/window_thread.h"

namespace {

using nlohmann::json;
using orb::serve::WindowBusy;
using orb::serve::WindowThread;

TEST(WindowThread, ActionsRunInTurnOnOneThreadThatKeepsItsState) {
  WindowThread window;
  thread_local int perThread = 0;
  std::thread::id first;
  auto outcome = window.Run([&] {
    first = std::this_thread::get_id();
    perThread = 41;
  });
  EXPECT_TRUE(outcome.finished);
  EXPECT_NE(first, std::this_thread::get_id());
  int seen = 0;
  window.Run([&] {
    EXPECT_EQ(std::this_thread::get_id(), first);
    seen = ++perThread;
  });
  EXPECT_EQ(seen, 42);
}

TEST(WindowThread, AnExceptionEndsTheActionAndIsReportedNotThrown) {
  WindowThread window;
  auto outcome = window.Run([] { throw std::runtime_error("handler failed"); });
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.error, "handler failed");
  // The window takes the next action.
  EXPECT_TRUE(window.Run([] {}).error.empty());
}

TEST(WindowThread, AQuestionReturnsTheRequestAndTheReplyResumesTheAction) {
  WindowThread window;
  std::vector<std::string> replies;
  auto outcome = window.Run([&] {
    replies.push_back(window.Ask({{"q", 1}}).at("a").get<std::string>());
    replies.push_back(window.Ask({{"q", 2}}).at("a").get<std::string>());
  });
  ASSERT_FALSE(outcome.finished);
  EXPECT_EQ(outcome.question, (json{{"q", 1}}));
  ASSERT_TRUE(window.Pending());

  // While the window waits for the user it takes no other action.
  EXPECT_THROW(window.Run([] {}), WindowBusy);

  outcome = window.Answer({{"a", "no"}});
  ASSERT_FALSE(outcome.finished);
  EXPECT_EQ(outcome.question, (json{{"q", 2}}));
  outcome = window.Answer({{"a", "yes"}});
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(replies, (std::vector<std::string>{"no", "yes"}));
  EXPECT_FALSE(window.Pending());
  EXPECT_THROW(window.Answer({{"a", "late"}}), WindowBusy);
}

TEST(WindowThread, ClosingAWaitingWindowAnswersItsQuestionsAsClosed) {
  std::atomic<int> closedReplies{0};
  {
    auto window = std::make_unique<WindowThread>(json{{"closed", true}});
    auto outcome = window->Run([&] {
      for (int i = 0; i < 3; ++i) {
        if (window->Ask({{"q", i}}).value("closed", false)) ++closedReplies;
      }
    });
    ASSERT_FALSE(outcome.finished);
  }
  EXPECT_EQ(closedReplies, 3);
}

TEST(WindowThread, AnActionCannotStartAnotherOnItsOwnThread) {
  WindowThread window;
  bool refused = false;
  window.Run([&] {
    try {
      window.Run([] {});
    } catch (const WindowBusy&) {
      refused = true;
    }
  });
  EXPECT_TRUE(refused);
}

}  // namespace
