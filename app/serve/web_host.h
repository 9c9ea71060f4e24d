// The reference host as a bill window in the browser sees it.
//
// WebHost is one window's host: its own connection to the account database,
// its own transcript and login, and a user who is asked in the browser. A
// question (a message box with yes/no buttons) or a list window waits, on the
// window's thread, for the browser's reply through the window's Asker.
// Message boxes that only inform are recorded and shown by the page once the
// action returns.
//
// WindowPlatform is the process's platform while the workbench serves: it
// sends every call of a plug-in to the host of the window whose thread makes
// it, so that windows on different threads stay apart.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "refhost/host.h"

namespace orb::serve {

// Asks the browser and returns its reply (on the window's thread).
using Asker = std::function<nlohmann::json(nlohmann::json question)>;

class WebHost : public refhost::Host {
 public:
  WebHost(std::shared_ptr<refhost::Database> db, Asker asker);

  // A yes/no box asks the browser {"kind": "message", text, style, title};
  // the reply {"answer": "yes"} is Yes, anything else No.
  int32_t MsgBox(const std::string& text, int32_t style, const std::string& title) override;
  // A list window asks {"kind": "list", title, columns, rows, multi}; the
  // reply {"rows": [1-based rows]} picks them, anything else closes it.
  std::vector<int32_t> AskPick(const nlohmann::json& question);

 private:
  Asker asker_;
};

// Routes the platform's calls to the host of the calling thread's window.
class WindowPlatform : public Platform {
 public:
  // The host of the calling thread's window, until the guard goes.
  class Scope {
   public:
    explicit Scope(WebHost* host);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    WebHost* previous_;
  };

  ObjectPtr CreateObject(const std::string& progId) override;
  int32_t MsgBox(const std::string& text, int32_t style, const std::string& title) override;
  void SetScreenPointer(int32_t pointer) override;
  uint32_t ProcessId() override;
  std::string ComputerName() override;
  std::string AppPath() override;

 private:
  // Raises error 91 on a thread that belongs to no window.
  static WebHost& Current();
};

}  // namespace orb::serve
