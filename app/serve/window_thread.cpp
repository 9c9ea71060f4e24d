#include "app/serve/window_thread.h"

#include <exception>
#include <utility>

namespace orb::serve {

WindowThread::WindowThread(nlohmann::json closing) : closing_(std::move(closing)) {
  thread_ = std::thread([this] { Loop(); });
}

WindowThread::~WindowThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void WindowThread::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || state_ == State::kRunning; });
    if (state_ != State::kRunning) return;  // stopping with nothing to do
    auto work = std::move(work_);
    work_ = nullptr;
    lock.unlock();
    std::string error;
    try {
      work();
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "error";
    } catch (...) {
      error = "unknown error";
    }
    // The work's own objects are released here, on this thread.
    work = nullptr;
    lock.lock();
    error_ = std::move(error);
    state_ = State::kFinished;
    changed_.notify_all();
    if (stopping_) return;
  }
}

WindowThread::Outcome WindowThread::WaitLocked(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return state_ == State::kAsking || state_ == State::kFinished; });
  Outcome out;
  if (state_ == State::kAsking) {
    out.question = question_;
    return out;
  }
  out.finished = true;
  out.error = std::move(error_);
  error_.clear();
  state_ = State::kIdle;
  return out;
}

WindowThread::Outcome WindowThread::Run(std::function<void()> work) {
  if (OnThread()) throw WindowBusy("an action of the window cannot start another");
  std::unique_lock<std::mutex> lock(mutex_);
  if (state_ != State::kIdle) throw WindowBusy("the window is busy");
  work_ = std::move(work);
  state_ = State::kRunning;
  changed_.notify_all();
  return WaitLocked(lock);
}

WindowThread::Outcome WindowThread::Answer(nlohmann::json reply) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (state_ != State::kAsking || reply_) throw WindowBusy("the window asks nothing");
  reply_ = std::move(reply);
  state_ = State::kRunning;
  changed_.notify_all();
  return WaitLocked(lock);
}

std::optional<nlohmann::json> WindowThread::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state_ != State::kAsking) return std::nullopt;
  return question_;
}

nlohmann::json WindowThread::Ask(nlohmann::json question) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_) return closing_;
  question_ = std::move(question);
  reply_.reset();
  state_ = State::kAsking;
  changed_.notify_all();
  changed_.wait(lock, [this] { return stopping_ || reply_.has_value(); });
  nlohmann::json reply = reply_ ? std::move(*reply_) : closing_;
  reply_.reset();
  question_ = nullptr;
  if (state_ == State::kAsking) state_ = State::kRunning;
  return reply;
}

}  // namespace orb::serve
