// A bill window's own thread, and the hand-off between it and the requests
// of the browser.
//
// The plug-ins are written for a host's user-interface thread: an event
// handler runs to its end, and a message box or a list window waits for the
// user inside it. Each open window therefore runs its work on a thread of its
// own. A request hands the user's action to the thread with Run() and gets an
// answer when the action has finished, or as soon as the action waits for the
// user (Ask() on the window's thread); the user's reply is handed over with
// Answer(), which resumes the action and again returns at its end or at its
// next question.
//
// One action at a time: Run() while an action is under way, or Answer() when
// nothing is asked, raises WindowBusy. Closing the window (the destructor)
// answers a pending question with `closing` and waits for the thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

namespace orb::serve {

// Raised by Run() and Answer() when the window cannot take them now.
class WindowBusy : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WindowThread {
 public:
  // Where an action stands when a request gets its answer.
  struct Outcome {
    // True when the action has run to its end.
    bool finished = false;
    // What the action asks the user, while it waits (finished is false).
    nlohmann::json question;
    // The message of an exception that ended the action, if any.
    std::string error;
  };

  // `closing` is the reply a question gets when the window closes before
  // the user answers.
  explicit WindowThread(nlohmann::json closing = nullptr);
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // Runs `work` on the window's thread.
  Outcome Run(std::function<void()> work);
  // The user's reply to the pending question.
  Outcome Answer(nlohmann::json reply);
  // The question the window waits on, if any.
  std::optional<nlohmann::json> Pending() const;

  // On the window's thread, inside an action: asks the user and waits for
  // the reply (the `closing` reply when the window closes meanwhile).
  nlohmann::json Ask(nlohmann::json question);
  // True on this window's own thread.
  bool OnThread() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  enum class State { kIdle, kRunning, kAsking, kFinished };

  void Loop();
  Outcome WaitLocked(std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::kIdle;
  std::function<void()> work_;
  nlohmann::json question_;
  std::optional<nlohmann::json> reply_;
  std::string error_;
  nlohmann::json closing_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace orb::serve
