#include "app/serve/workbench.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "app/serve/web_host.h"
#include "host/convert.h"
#include "refhost/bill_registry.h"
#include "refhost/bound_statement.h"
#include "refhost/components/res_loader.h"
#include "refhost/embedded.h"
#include "refhost/system_schema.h"
#include "refhost/variant_json.h"

namespace orb::serve {

namespace {

using nlohmann::json;

bool KnownLanguage(const std::string& language) {
  return language == "chs" || language == "en";
}

std::string NewSessionId() {
  static std::mutex m;
  static std::random_device device;
  std::lock_guard<std::mutex> lock(m);
  std::ostringstream id;
  id << std::hex;
  for (int i = 0; i < 4; ++i) id << device();
  return id.str();
}

std::string Embedded(const std::string& name) {
  auto text = refhost::FindEmbedded(name);
  if (!text) throw std::runtime_error("no built-in file " + name);
  return std::string(*text);
}

// The demo scenarios: the bill types they name, and the database they need.
std::vector<json> DemoScenarios() {
  std::vector<json> out;
  for (const auto& file : refhost::EmbeddedFiles()) {
    if (file.name.rfind("demo/", 0) == 0) out.push_back(json::parse(file.text));
  }
  return out;
}

// Every demo scenario's schemas, fixtures and seeds, each once, in one
// transaction: a database is made whole or not at all.
void MakeDemoDatabase(refhost::Database& db, const std::vector<json>& scenarios) {
  std::set<std::string> done;
  refhost::Database::Transaction transaction(db);
  for (const char* part : {"schema", "fixtures", "seed"}) {
    for (const auto& s : scenarios) {
      const json database = s.value("database", json::object());
      for (const auto& item : database.value(part, json::array())) {
        const std::string text = item.get<std::string>();
        if (!done.insert(text).second) continue;
        db.Exec(std::string(part) == "seed" ? text : Embedded(text));
      }
    }
  }
  transaction.Commit();
}

std::string StringOf(const json& request, const char* key, const std::string& language) {
  if (!request.contains(key)) throw BadRequest(Workbench::Text(language, "请求缺少参数：") + key);
  if (!request.at(key).is_string()) {
    throw BadRequest(Workbench::Text(language, "参数类型不对：") + key);
  }
  std::string value = request.at(key).get<std::string>();
  if (value.size() > kMaxValueLength) throw BadRequest(Workbench::Text(language, "值太长：") + key);
  return value;
}

int32_t IntegerOf(const json& request, const char* key, const std::string& language) {
  if (!request.contains(key)) throw BadRequest(Workbench::Text(language, "请求缺少参数：") + key);
  const json& v = request.at(key);
  if (!v.is_number_integer() || v.get<int64_t>() < INT32_MIN || v.get<int64_t>() > INT32_MAX) {
    throw BadRequest(Workbench::Text(language, "参数类型不对：") + key);
  }
  return v.get<int32_t>();
}

}  // namespace

std::string Workbench::Text(const std::string& language, const std::string& text) {
  return refhost::Translate("RefHost", language, text);
}

Workbench::Workbench(WorkbenchOptions options) : options_(std::move(options)) {
  if (!KnownLanguage(options_.language)) {
    throw std::runtime_error("unknown language '" + options_.language + "' (chs or en)");
  }
  const bool fresh = options_.database == ":memory:" ||
                     !std::filesystem::exists(options_.database) ||
                     std::filesystem::file_size(options_.database) == 0;
  if (options_.database == ":memory:") {
    throw std::runtime_error("the workbench needs a database file its windows can share");
  }
  db_ = refhost::Database::Open(options_.database);
  refhost::InstallSystemSchema(*db_);
  const auto scenarios = DemoScenarios();
  if (fresh) MakeDemoDatabase(*db_, scenarios);
  if (!options_.seed.empty()) {
    std::ifstream in(options_.seed, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + options_.seed);
    std::ostringstream script;
    script << in.rdbuf();
    refhost::Database::Transaction transaction(*db_);
    db_->Exec(script.str());
    transaction.Commit();
  }

  std::set<std::string> seen;
  for (const auto& s : scenarios) {
    BillType type;
    type.templateName = s.value("template", std::string());
    type.progId = s.value("plugin", std::string());
    if (type.templateName.empty() || !seen.insert(type.templateName).second) continue;
    type.tpl = std::make_shared<refhost::BillTemplate>(
        refhost::BillTemplate::LoadEmbedded("templates/" + type.templateName + ".json"));
    const json open = s.value("open", json::object());
    type.openMode = open.value("mode", 2);
    type.openStatus = open.value("billStatus", 2);
    types_.push_back(std::move(type));
  }
  // The host registers every bill type it serves (class, source classes, links), as it does
  // before it opens a scenario's bill.
  {
    refhost::Database::Transaction transaction(*db_);
    for (const auto& type : types_) refhost::RegisterBillType(*db_, *type.tpl);
    transaction.Commit();
  }

  platform_ = std::make_shared<WindowPlatform>();
  InstallPlatform(platform_);
}

Workbench::~Workbench() {
  std::map<std::string, std::shared_ptr<Session>> sessions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions.swap(sessions_);
  }
  sessions.clear();  // each window closes on its own thread
  InstallPlatform(nullptr);
}

Response Workbench::Handle(const std::string& method, const std::string& path,
                           const std::string& body) {
  std::string language = options_.language;
  try {
    if (path == "/api/types") {
      if (method != "GET") throw BadRequest(Text(language, "请求方法不对：") + method, 405);
      return {200, TypesJson()};
    }
    static const std::set<std::string> kPosts = {"/api/texts", "/api/login", "/api/list",
                                                 "/api/open",  "/api/act",   "/api/answer",
                                                 "/api/state", "/api/close"};
    if (!kPosts.count(path)) throw BadRequest(Text(language, "未知的地址：") + path, 404);
    if (method != "POST") throw BadRequest(Text(language, "请求方法不对：") + method, 405);
    json request = json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) {
      throw BadRequest(Text(language, "请求不是有效的 JSON 对象。"));
    }
    // Refusals speak the login's language, else the one the request names.
    if (request.contains("language") && request.at("language").is_string() &&
        KnownLanguage(request.at("language").get<std::string>())) {
      language = request.at("language").get<std::string>();
    }
    if (request.contains("session") && request.at("session").is_string()) {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = sessions_.find(request.at("session").get<std::string>());
      if (it != sessions_.end()) language = it->second->login.language;
    }
    if (path == "/api/texts") {
      const json& texts = request.value("texts", json::array());
      if (!texts.is_array() || texts.size() > 500) {
        throw BadRequest(Text(language, "参数类型不对：") + "texts");
      }
      json out = json::object();
      for (const auto& t : texts) {
        if (t.is_string()) out[t.get<std::string>()] = Text(language, t.get<std::string>());
      }
      return {200, {{"texts", out}}};
    }
    if (path == "/api/login") return {200, Login(request)};
    if (path == "/api/list") return {200, List(request)};
    if (path == "/api/open") return {200, Open(request)};
    if (path == "/api/close") return {200, Close(request)};
    auto window = WindowOf(request, language);
    if (path == "/api/act") return {200, window->Act(request)};
    if (path == "/api/answer") {
      if (!request.contains("answer"))
        throw BadRequest(Text(language, "请求缺少参数：") + "answer");
      return {200, window->Reply(request.at("answer"))};
    }
    return {200, window->State()};
  } catch (const BadRequest& e) {
    return {e.Status(), {{"error", e.what()}}};
  } catch (const std::exception& e) {
    return {500, {{"error", Text(language, "操作出错：") + e.what()}}};
  }
}

json Workbench::TypesJson() {
  json types = json::array();
  for (const auto& t : types_) {
    types.push_back(
        {{"type", t.templateName},
         {"name", Text(options_.language, t.tpl->Name())},
         {"names", {{"chs", Text("chs", t.tpl->Name())}, {"en", Text("en", t.tpl->Name())}}},
         {"plugin", t.progId}});
  }
  json users = json::array();
  {
    std::lock_guard<std::mutex> lock(dbMutex_);
    auto rs =
        refhost::BoundStatement(*db_, "SELECT FUserID, FName FROM t_User ORDER BY FUserID").Fetch();
    for (const auto& row : rs->Rows()) {
      users.push_back({{"id", CLng(row[0])}, {"name", CStr(row[1])}});
    }
  }
  return {{"types", types},
          {"users", users},
          {"languages", json::array({"chs", "en"})},
          {"language", options_.language}};
}

json Workbench::Login(const json& request) {
  std::string language = options_.language;
  if (request.contains("language")) {
    const json& wanted = request.at("language");
    if (!wanted.is_string() || !KnownLanguage(wanted.get<std::string>())) {
      throw BadRequest(Text(options_.language, "未知的语言：") + wanted.dump());
    }
    language = wanted.get<std::string>();
  }
  const int32_t user = IntegerOf(request, "user", language);
  std::string name;
  {
    std::lock_guard<std::mutex> lock(dbMutex_);
    auto rs = refhost::BoundStatement(*db_, "SELECT FName FROM t_User WHERE FUserID = ?")
                  .Bind(1, Variant(user))
                  .Fetch();
    if (rs->RecordCount() == 0) {
      throw BadRequest(Text(language, "未知的用户：") + std::to_string(user));
    }
    name = CStr(rs->Rows()[0][0]);
  }
  auto session = std::make_shared<Session>();
  const std::string id = NewSessionId();
  session->login = {user, name, language, "WEB-" + id.substr(0, 8)};
  session->used = std::chrono::steady_clock::now();
  std::shared_ptr<Session> ended;  // closes its windows outside the lock
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sessions_.size() >= options_.maxSessions) {
      auto oldest = sessions_.begin();
      for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (it->second->used < oldest->second->used) oldest = it;
      }
      ended = oldest->second;
      sessions_.erase(oldest);
    }
    sessions_[id] = session;
  }
  ended.reset();
  return {{"session", id}, {"user", user}, {"userName", name}, {"language", language}};
}

std::shared_ptr<Workbench::Session> Workbench::SessionOf(const json& request) {
  const std::string id = StringOf(request, "session", options_.language);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) {
    throw BadRequest(Text(options_.language, "未知的会话，请重新登录。"), 401);
  }
  it->second->used = std::chrono::steady_clock::now();
  return it->second;
}

std::shared_ptr<BillWindow> Workbench::WindowOf(const json& request, std::string& language) {
  auto session = SessionOf(request);
  language = session->login.language;
  const int32_t id = IntegerOf(request, "window", language);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = session->windows.find(id);
  if (it == session->windows.end()) {
    throw BadRequest(Text(language, "未知的窗口：") + std::to_string(id));
  }
  return it->second;
}

const BillType& Workbench::TypeOf(const json& request, const std::string& language) const {
  const std::string name = StringOf(request, "type", language);
  for (const auto& t : types_) {
    if (t.templateName == name) return t;
  }
  throw BadRequest(Text(language, "未知的单据类型：") + name);
}

json Workbench::List(const json& request) {
  auto session = SessionOf(request);
  const std::string& language = session->login.language;
  const refhost::BillTemplate& tpl = *TypeOf(request, language).tpl;
  // Only column names the template holds (plain identifiers) reach the text.
  auto column = [&](const char* key) -> std::string {
    const refhost::FieldTemplate* f = tpl.FindField(key);
    if (f == nullptr || f->page != 1 || f->column.empty()) return "NULL";
    return "h." + f->column;
  };
  const std::string checker = column("FCheckerID");
  const std::string sql = "SELECT h." + tpl.Head().idColumn + ", h." + tpl.Head().billNoColumn +
                          ", " + column("FDate") + ", " + column("FBillStatus") +
                          ", u.FName FROM " + tpl.Head().name +
                          " h LEFT JOIN t_User u ON u.FUserID = " + checker + " ORDER BY h." +
                          tpl.Head().idColumn + " DESC LIMIT 500";
  json bills = json::array();
  std::lock_guard<std::mutex> lock(dbMutex_);
  auto rs = refhost::BoundStatement(*db_, sql).Fetch();
  for (const auto& row : rs->Rows()) {
    bills.push_back({{"id", CLng(row[0])},
                     {"number", refhost::VariantToJson(row[1])},
                     {"date", refhost::VariantToJson(row[2])},
                     {"status", refhost::VariantToJson(row[3])},
                     {"auditor", refhost::VariantToJson(row[4])}});
  }
  return {{"bills", bills}};
}

bool Workbench::Claim(int32_t window, int32_t classType, int32_t billId) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = billMutex_.begin(); it != billMutex_.end();) {
    if (it->second == window && it->first.second != billId) {
      it = billMutex_.erase(it);
    } else {
      ++it;
    }
  }
  if (billId == 0) return true;
  auto [it, added] = billMutex_.emplace(std::make_pair(classType, billId), window);
  return added || it->second == window;
}

json Workbench::Open(const json& request) {
  auto session = SessionOf(request);
  const serve::Login& login = session->login;
  const BillType& type = TypeOf(request, login.language);
  const int32_t billId = request.contains("bill") ? IntegerOf(request, "bill", login.language) : 0;
  if (billId < 0) throw BadRequest(Text(login.language, "参数类型不对：") + "bill");
  int32_t id = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (session->windows.size() >= options_.maxWindowsPerSession) {
      throw BadRequest(Text(login.language, "打开的窗口太多，请先关闭一些。"), 429);
    }
    id = nextWindow_++;
  }
  const int32_t classType = type.tpl->ClassTypeId();
  auto window = std::make_shared<BillWindow>(
      id, type, login, options_.database,
      [this, id, classType](int32_t bill) { return Claim(id, classType, bill); },
      [language = login.language](const std::string& text) { return Text(language, text); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    session->windows[id] = window;
  }
  json action = billId > 0 ? json{{"do", "load"}, {"bill", billId}} : json{{"do", "new"}};
  json state = window->Act(action);
  if (billId > 0 && state.contains("error")) {
    // No such bill: the window is not kept (it closes outside the lock).
    {
      std::lock_guard<std::mutex> lock(mutex_);
      session->windows.erase(id);
    }
    window.reset();
    throw BadRequest(Text(login.language, "单据不存在：") + std::to_string(billId));
  }
  return state;
}

json Workbench::Close(const json& request) {
  std::string language;
  auto window = WindowOf(request, language);
  auto session = SessionOf(request);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    session->windows.erase(window->Id());
  }
  window.reset();  // the last holder closes it, on its thread
  return {{"closed", true}};
}

}  // namespace orb::serve
