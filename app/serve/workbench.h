// The workbench: the bills of the reference host served to a browser.
//
// It keeps the demo database (made on first start from the demo scenarios'
// schemas, fixtures and seeds, kept between starts), the bill types the demo
// scenarios name, the logins of the browser tabs (each tab is a user on a
// machine of its own, so the task lock and the bill mutex work between tabs)
// and their open bill windows.
//
// Handle() answers one request of the page's API; every answer is JSON, and
// a refused request gets an HTTP status other than 200 with {"error": text}
// in the language of the login (or the workbench's). The requests:
//
//   GET  /api/types    {types: [{type, name, plugin}], users: [{id, name}],
//                       languages, language}
//   POST /api/texts    {language, texts: [..]} -> {texts: {text: translation}}
//   POST /api/login    {user, language} -> {session, user, userName, language}
//   POST /api/list     {session, type} -> {bills: [{id, number, date, status,
//                                                   auditor}]}
//   POST /api/open     {session, type, bill?} -> window state (a new bill
//                       without "bill")
//   POST /api/act      {session, window, do, ...} -> window state
//   POST /api/answer   {session, window, answer} -> window state
//   POST /api/state    {session, window} -> window state
//   POST /api/close    {session, window} -> {closed: true}
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/serve/bill_window.h"
#include "host/platform.h"
#include "refhost/sqlite_database.h"

namespace orb::serve {

struct WorkbenchOptions {
  std::string database = "gmpbill-web.db";
  // The language of answers to requests without a login ("chs" or "en").
  std::string language = "chs";
  // A SQL script run on the database at each start, after the demo data:
  // bills and master data of one's own ("" for none).
  std::string seed;
  // Limits on what the browser may open. A login beyond the most sessions
  // ends the one unused for longest, with its windows.
  size_t maxSessions = 64;
  size_t maxWindowsPerSession = 8;
};

struct Response {
  int status = 200;
  nlohmann::json body;
};

class Workbench {
 public:
  // Opens the database, making the demo database when the file is new;
  // installs the window platform for the process.
  explicit Workbench(WorkbenchOptions options);
  // Closes every window and uninstalls the platform.
  ~Workbench();
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  Response Handle(const std::string& method, const std::string& path, const std::string& body);

  const std::vector<BillType>& Types() const { return types_; }
  // A text of the host's own in a language.
  static std::string Text(const std::string& language, const std::string& text);

 private:
  struct Session {
    serve::Login login;
    std::chrono::steady_clock::time_point used;
    std::map<int32_t, std::shared_ptr<BillWindow>> windows;
  };

  nlohmann::json TypesJson();
  nlohmann::json Login(const nlohmann::json& request);
  nlohmann::json List(const nlohmann::json& request);
  nlohmann::json Open(const nlohmann::json& request);
  nlohmann::json Close(const nlohmann::json& request);

  std::shared_ptr<Session> SessionOf(const nlohmann::json& request);
  std::shared_ptr<BillWindow> WindowOf(const nlohmann::json& request, std::string& language);
  const BillType& TypeOf(const nlohmann::json& request, const std::string& language) const;
  bool Claim(int32_t window, int32_t classType, int32_t billId);

  WorkbenchOptions options_;
  std::shared_ptr<refhost::Database> db_;
  std::mutex dbMutex_;
  std::vector<BillType> types_;
  std::shared_ptr<Platform> platform_;

  std::mutex mutex_;  // sessions, windows and bill mutexes
  std::map<std::string, std::shared_ptr<Session>> sessions_;
  std::map<std::pair<int32_t, int32_t>, int32_t> billMutex_;  // (class, bill) -> window
  int32_t nextWindow_ = 1;
};

}  // namespace orb::serve
