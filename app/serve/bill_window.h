// One bill window of the workbench: a host, a bill of one type and its
// plug-in, all living on the window's own thread.
//
// Every user action (a new bill, a saved bill opened, a value typed, a row
// added or deleted, a tool clicked) is checked here first: an unknown field,
// tool or row, or a value too long, raises BadRequest before anything reaches
// the bill. The action then runs on the window's thread; the request returns
// the window's state when the action ends or waits for the user.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "app/serve/window_thread.h"
#include "refhost/bill_template.h"

namespace orb::serve {

// A request the workbench refuses; what() is the message for the user.
class BadRequest : public std::runtime_error {
 public:
  explicit BadRequest(const std::string& message, int status = 400)
      : std::runtime_error(message), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

// The longest value a user may type into a field, in bytes.
inline constexpr size_t kMaxValueLength = 2000;

// A bill type the workbench offers: its template and the plug-in serving it.
struct BillType {
  std::string templateName;  // "operate_proj"
  std::string progId;        // "OrbGMPBillEvent.OperateProj"
  std::shared_ptr<const refhost::BillTemplate> tpl;
  int32_t openMode = 2;
  int32_t openStatus = 2;
};

// Who works in the window.
struct Login {
  int32_t userId = 0;
  std::string userName;
  std::string language;  // "chs" or "en"
  std::string computer;  // the machine name the task lock is keyed by
};

class BillWindow {
 public:
  // Decides whether the window may hold the bill's mutex: called with the
  // bill id (0 releases what the window holds); true when it holds it.
  using MutexClaim = std::function<bool(int32_t billId)>;
  // Translates a text of the host's own into the user's language.
  using Text = std::function<std::string(const std::string&)>;

  // Opens the window on `databasePath` (its own connection) with the
  // plug-in shown and the toolbar initialised; raises BadRequest when the
  // plug-in cannot be made.
  BillWindow(int32_t id, const BillType& type, const Login& login, const std::string& databasePath,
             MutexClaim claim, Text text);
  // Answers a pending question as closed and releases the bill on its thread.
  ~BillWindow();
  BillWindow(const BillWindow&) = delete;
  BillWindow& operator=(const BillWindow&) = delete;

  int32_t Id() const { return id_; }
  const BillType& Type() const { return type_; }

  // Runs one action {"do": "new" | "load" | "edit" | "set" | "addRow" |
  // "deleteRow" | "click" | "refresh", ...}; returns the window's state.
  nlohmann::json Act(const nlohmann::json& action);
  // The user's reply to the question the window waits on.
  nlohmann::json Reply(const nlohmann::json& reply);
  // The state as it is, without running anything.
  nlohmann::json State();

 private:
  struct Parts;

  // Checks an action and returns the work that carries it out.
  std::function<void()> Prepare(const nlohmann::json& action);
  std::string FieldKey(const nlohmann::json& action) const;
  nlohmann::json Describe(const WindowThread::Outcome& outcome);
  nlohmann::json Bill() const;
  nlohmann::json Transcript() const;
  // On the window's thread: the plug-in, the bill and the host go, and the
  // bill's mutex is freed.
  void Release();

  int32_t id_;
  BillType type_;
  Text text_;
  MutexClaim claim_;
  std::mutex request_;  // one request of the window at a time
  std::unique_ptr<WindowThread> thread_;
  std::unique_ptr<Parts> parts_;
  size_t mark_ = 0;  // where the current action's records begin
};

}  // namespace orb::serve
