#include "refhost/scenario.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "frame/registry.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/bill.h"
#include "refhost/bill_list.h"
#include "refhost/bill_registry.h"
#include "refhost/bill_template.h"
#include "refhost/embedded.h"
#include "refhost/host.h"
#include "refhost/scenario_limits.h"
#include "refhost/system_schema.h"

namespace orb::refhost {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A problem in the scenario file itself; reported with the step it is in.
struct ScenarioError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text of a data file: the scenario's folder first, then the files built
// into the host.
std::string DataText(const std::string& name, const std::string& baseDir) {
  fs::path local = fs::path(baseDir) / name;
  if (!baseDir.empty() && fs::exists(local)) return ReadFile(local.string());
  if (auto text = FindEmbedded(name)) return std::string(*text);
  if (fs::exists(name)) return ReadFile(name);
  throw ScenarioError("no data file '" + name + "' beside the scenario or built into the host");
}

Variant ToVariant(const json& v) {
  if (v.is_null()) return Variant::Null();
  if (v.is_boolean()) return Variant(v.get<bool>());
  if (v.is_number_integer()) {
    auto n = v.get<int64_t>();
    if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
    return Variant(static_cast<double>(n));
  }
  if (v.is_number()) return Variant(v.get<double>());
  if (v.is_string()) return Variant(v.get<std::string>());
  throw ScenarioError("a value must be a number, a text, true/false or null, not " + v.dump());
}

// Loose equality of an expected JSON value and an actual one: numbers compare
// by value, texts exactly, and a number matches a numeric text.
bool SameValue(const json& expected, const json& actual) {
  if (expected.is_number() && actual.is_number()) {
    return std::fabs(expected.get<double>() - actual.get<double>()) < 1e-9;
  }
  if (expected.is_number() && actual.is_string()) {
    Variant a(actual.get<std::string>());
    return IsNumeric(a) && !Trim(a).empty() && std::fabs(expected.get<double>() - CDbl(a)) < 1e-9;
  }
  if (expected.is_string() && actual.is_number()) return SameValue(actual, expected);
  if (expected.is_boolean() && actual.is_number()) {
    return (actual.get<double>() != 0) == expected.get<bool>();
  }
  if (expected.is_object() && actual.is_object()) {
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      if (!actual.contains(it.key()) || !SameValue(it.value(), actual.at(it.key()))) return false;
    }
    return true;
  }
  if (expected.is_array() && actual.is_array()) {
    if (expected.size() != actual.size()) return false;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (!SameValue(expected[i], actual[i])) return false;
    }
    return true;
  }
  return expected == actual;
}

json RecordsetRows(const RecordsetPtr& rs) {
  json rows = json::array();
  if (!rs) return rows;
  for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
    json row = json::array();
    for (int32_t i = 0; i < rs->FieldCount(); ++i) {
      Variant v = rs->Value(i);
      switch (v.Type()) {
        case VarType::Null:
        case VarType::Empty:
          row.push_back(nullptr);
          break;
        case VarType::Integer:
        case VarType::Long:
        case VarType::Double:
          row.push_back(CDbl(v));
          break;
        case VarType::Boolean:
          row.push_back(v.AsBool());
          break;
        default:
          row.push_back(CStr(v));
      }
    }
    rows.push_back(row);
  }
  return rows;
}

std::string Describe(const json& step) {
  std::string what = step.value("do", std::string("?"));
  for (const char* key : {"tool", "field", "row", "value", "bill", "event", "type"}) {
    if (step.contains(key)) {
      what += " " + (step[key].is_string() ? step[key].get<std::string>() : step[key].dump());
    }
  }
  return what;
}

int32_t AnswerCode(const json& a) {
  if (a.is_number_integer()) return a.get<int32_t>();
  std::string s = LCase(a.get<std::string>());
  if (s == "yes") return mb::kYes;
  if (s == "no") return mb::kNo;
  if (s == "ok") return mb::kOk;
  throw ScenarioError("an answer is \"yes\", \"no\", \"ok\" or a button number, not " + a.dump());
}

Fault ParseFault(const json& f) {
  Fault fault;
  fault.target = f.value("target", std::string("sql"));
  fault.match = f.value("match", std::string());
  fault.nth = f.value("nth", 0);
  fault.mode = f.value("mode", std::string("raise"));
  fault.number = f.value("number", fault.number);
  fault.description = f.value("description", fault.description);
  fault.times = f.value("times", 1);
  fault.optional = f.value("optional", false);
  fault.reason = f.value("reason", std::string());
  if (fault.target != "sql" && fault.target != "call" && fault.target != "field") {
    throw ScenarioError("a fault's target is \"sql\", \"call\" or \"field\", not \"" +
                        fault.target + "\"");
  }
  return fault;
}

// The login property string with its Language pair set to `language`.
std::string WithLanguage(const std::string& props, const std::string& language) {
  std::string out;
  std::string rest = props;
  while (!rest.empty()) {
    size_t end = rest.find(';');
    std::string pair = rest.substr(0, end);
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
    if (LCase(Trim(pair)).rfind("language=", 0) == 0 || Trim(pair).empty()) continue;
    out += pair + ";";
  }
  return out + "Language=" + language + ";";
}

// Plays one scenario.
class Player {
 public:
  Player(const json& scenario, std::string baseDir, const ScenarioOptions& options,
         ScenarioResult& result)
      : s_(scenario), baseDir_(std::move(baseDir)), options_(options), result_(result) {}

  void Play() {
    result_.name = s_.value("name", result_.file);
    Setup();
    const json& steps = s_.contains("steps") ? s_.at("steps") : json::array();
    if (!steps.is_array()) throw ScenarioError("\"steps\" must be a list");
    int index = 0;
    for (const auto& step : steps) {
      ++index;
      result_.steps = index;
      stepLabel_ = "step " + std::to_string(index) + " (" + Describe(step) + ")";
      if (options_.observer && bill_) options_.observer->StepStarting(index, step, *host_, *bill_);
      std::string error;
      try {
        PlayStep(step);
      } catch (const ScenarioError& e) {
        error = e.what();
      } catch (const AutomationError& e) {
        error = "the host raised error " + std::to_string(e.Number()) + ": " + e.Description();
      } catch (const json::exception& e) {
        error = std::string("a value of the wrong kind: ") + e.what();
      }
      if (!error.empty()) Fail(error);
      if (options_.observer && bill_)
        options_.observer->StepDone(index, step, error, *host_, *bill_);
    }
    if (options_.observer && bill_) options_.observer->Finished(*host_, *bill_);
    if (options_.transcript) {
      if (bill_ || list_) host_->Log().Add("snapshot", CurrentSnapshot());
      *options_.transcript << host_->Log().ToJsonLines();
    }
  }

 private:
  void Fail(const std::string& what) { result_.failures.push_back(stepLabel_ + ": " + what); }

  void Setup() {
    stepLabel_ = "setup";
    auto db = Database::Open(options_.database);
    if (options_.throwAwayDatabase) db->Exec("PRAGMA synchronous = OFF");
    // The whole set-up is one transaction: one write to the disk, not one per
    // statement, and no half-made database when a script fails.
    Database::Transaction setup(*db);
    host_ = std::make_unique<Host>(db);
    host_->Install();
    InstallSystemSchema(*db);

    const json& login = s_.contains("login") ? s_.at("login") : json::object();
    host_->SetPropsString(login.value(
        "props", std::string("UserID=16394;UserName=administrator;SubID=qm;Language=chs;")));
    if (login.contains("language")) host_->SetLanguage(login.at("language").get<std::string>());
    if (!options_.language.empty()) {
      host_->SetPropsString(WithLanguage(host_->PropsString(), options_.language));
      host_->SetLanguage(options_.language);
    }
    if (login.contains("computer")) host_->SetComputerName(login.at("computer").get<std::string>());

    if (!s_.contains("template")) throw ScenarioError("the scenario names no \"template\"");
    template_ = LoadTemplate(s_.at("template").get<std::string>());

    const json& database = s_.contains("database") ? s_.at("database") : json::object();
    // The schema scripts run here, to be made on an ODBC database as well.
    std::vector<SchemaScript> scripts;
    if (auto system = FindEmbedded("schema/system.sql"))
      scripts.push_back({"schema/system.sql", std::string(*system)});
    for (const auto& file : database.value("schema", json::array())) {
      SchemaScript script{file.get<std::string>(), DataText(file.get<std::string>(), baseDir_)};
      db->Exec(script.text);
      scripts.push_back(std::move(script));
    }
    for (const auto& file : database.value("fixtures", json::array())) {
      db->Exec(DataText(file.get<std::string>(), baseDir_));
    }
    for (const auto& sql : database.value("seed", json::array())) db->Exec(sql.get<std::string>());
    RegisterBillType(*db, *template_);
    for (const auto& right : login.value("rights", json::array())) GrantRight(right);
    if (!options_.odbc.empty()) host_->UseOdbc(options_.odbc);
    setup.Commit();
    // Bill types with source classes have the link tables made too.
    if (auto links = FindEmbedded("schema/link.sql"))
      scripts.push_back({"schema/link.sql", std::string(*links)});
    if (!options_.odbc.empty()) host_->MakeOdbcAccount(scripts);

    std::string progId = s_.value("plugin", std::string());
    if (progId.empty()) throw ScenarioError("the scenario names no \"plugin\"");
    if (s_.contains("list")) {
      // A list scenario: the bill type's list window instead of a bill.
      const json& list = s_.at("list");
      list_ = std::make_shared<BillList>(*host_, template_);
      plugin_ = CreatePlugin(progId);
      plugin_->Show(list_);
      list_->Open(list.value("showMode", 0));
      if (list.contains("expect")) {
        stepLabel_ = "open";
        Check(list.at("expect"), 0);
      }
      host_->Log().Clear();
      return;
    }
    const json& open = s_.contains("open") ? s_.at("open") : json::object();
    OpenWindow(template_, progId, open);
    windowName_ = "main";
    if (open.contains("expect")) {
      stepLabel_ = "open";
      Check(open.at("expect"), 0);
    }
    host_->Log().Clear();
    if (options_.observer && bill_) options_.observer->Opened(s_, *host_, *bill_);
  }

  std::shared_ptr<BillTemplate> LoadTemplate(std::string templateName) {
    if (templateName.find('/') == std::string::npos) templateName = "templates/" + templateName;
    if (templateName.size() < 5 || templateName.substr(templateName.size() - 5) != ".json") {
      templateName += ".json";
    }
    return std::make_shared<BillTemplate>(
        BillTemplate::Parse(json::parse(DataText(templateName, baseDir_)), templateName));
  }

  // A bill window of the template, shown to a new plug-in and opened; it
  // becomes the window the steps act on.
  void OpenWindow(std::shared_ptr<BillTemplate> tpl, const std::string& progId, const json& open) {
    template_ = std::move(tpl);
    bill_ = std::make_shared<Bill>(*host_, template_);
    bill_->SetMutexSuccess(open.value("mutexSuccess", true));
    plugin_ = CreatePlugin(progId);
    plugin_->Show(bill_);
    bill_->Open(open.value("mode", 2), open.value("billStatus", 2));
  }

  // Makes the named window the one the steps act on.
  void UseWindow(const std::string& name) {
    if (name == windowName_) return;
    windows_[windowName_] = {template_, bill_, plugin_};
    auto it = windows_.find(name);
    if (it == windows_.end()) throw ScenarioError("no window \"" + name + "\" is open");
    std::tie(template_, bill_, plugin_) = it->second;
    windowName_ = name;
  }

  void GrantRight(const json& right) {
    std::ostringstream sql;
    sql << "INSERT INTO t_UserRight(FUserID, FObjectType, FObjectID, FRights) VALUES("
        << right.value("user", 16394) << ", " << right.at("objectType").get<int64_t>() << ", "
        << right.at("objectId").get<int64_t>() << ", " << right.value("rights", 0x7fffffff) << ")";
    host_->Db().Exec(sql.str());
  }

  void PlayStep(const json& step) {
    if (!step.is_object() || !step.contains("do")) {
      throw ScenarioError("a step is an object with \"do\"");
    }
    for (const auto& a : step.value("answers", json::array())) {
      host_->User().answers.push_back(AnswerCode(a));
    }
    for (const auto& p : step.value("picks", json::array())) {
      host_->User().picks.push_back(p.get<std::vector<int32_t>>());
    }
    for (const auto& f : step.value("faults", json::array())) host_->GetFaults().Add(ParseFault(f));
    if (step.contains("window")) UseWindow(step.at("window").get<std::string>());

    const size_t mark = host_->Log().Size();
    try {
      Do(step);
    } catch (...) {
      host_->GetFaults().Clear();
      throw;
    }
    for (const auto& f : host_->GetFaults().Unfired()) {
      Fail("the fault on " + f.target + " \"" +
           (f.match.empty() ? std::to_string(f.nth) : f.match) + "\" never fired");
    }
    host_->GetFaults().Clear();
    host_->User().answers.clear();
    host_->User().picks.clear();

    if (step.contains("expect")) Check(step.at("expect"), mark);
  }

  // The keys each kind of step takes besides the common ones.
  static void CheckStepKeys(const json& step) {
    static const std::map<std::string, std::set<std::string>> kKeys = {
        {"new", {}},
        {"load", {"bill"}},
        {"set", {"field", "row", "value"}},
        {"focus", {"field", "row"}},
        {"beginEdit", {"field", "row"}},
        {"click", {"tool", "force"}},
        {"check", {}},
        {"release", {}},
        {"select", {"ids"}},
        {"openWindow", {"name", "template", "plugin", "mode", "billStatus", "mutexSuccess"}},
        {"script",
         {"getItem", "multiCheck", "doSelBill", "props", "data", "mutex", "computer", "taskexec",
          "bills"}},
        {"save", {}},
        {"copy", {}},
        {"refresh", {}},
        {"selectBill", {"type"}},
        {"addRow", {}},
        {"deleteRow", {"row"}},
        {"event", {"event", "field", "row", "col", "ctlIndex", "selType"}},
        {"sql", {"sql"}},
        {"setStatus", {"value"}},
        {"mutex", {"value"}},
    };
    static const std::set<std::string> kCommon = {"do",     "note",   "answers", "picks",
                                                  "faults", "expect", "window"};
    const std::string what = step.at("do").get<std::string>();
    auto kind = kKeys.find(what);
    if (kind == kKeys.end()) throw ScenarioError("unknown step \"" + what + "\"");
    for (auto it = step.begin(); it != step.end(); ++it) {
      if (!kCommon.count(it.key()) && !kind->second.count(it.key())) {
        throw ScenarioError("a \"" + what + "\" step takes no \"" + it.key() + "\"");
      }
    }
  }

  void Do(const json& step) {
    CheckStepKeys(step);
    const std::string what = step.at("do").get<std::string>();
    if (what == "check") return;
    if (what == "script") return Script(step);
    if (what == "openWindow") {
      if (!step.contains("name")) throw ScenarioError("the step names no window (\"name\")");
      const std::string name = step.at("name").get<std::string>();
      if (name == windowName_ || windows_.count(name))
        throw ScenarioError("a window \"" + name + "\" is open already");
      windows_[windowName_] = {template_, bill_, plugin_};
      auto tpl = step.contains("template") ? LoadTemplate(step.at("template").get<std::string>())
                                           : template_;
      RegisterBillType(host_->Db(), *tpl);
      OpenWindow(tpl, step.value("plugin", s_.value("plugin", std::string())), step);
      windowName_ = name;
      return;
    }
    if (list_) return DoOnList(step, what);
    if (!bill_) throw ScenarioError("the plug-in was released; no bill is open");
    auto field = [&] {
      if (!step.contains("field")) throw ScenarioError("the step names no \"field\"");
      std::string key = step.at("field").get<std::string>();
      if (!template_->HasField(key)) {
        throw ScenarioError("the template has no field \"" + key + "\"");
      }
      return key;
    };
    const int32_t row = step.value("row", 0);
    if (what == "new") {
      bill_->NewBill();
    } else if (what == "load") {
      bill_->Load(step.at("bill").get<int32_t>());
    } else if (what == "set") {
      if (!step.contains("value")) throw ScenarioError("the step gives no \"value\"");
      bill_->SetValue(field(), row, ToVariant(step.at("value")));
    } else if (what == "focus") {
      bill_->Focus(field(), row);
    } else if (what == "beginEdit") {
      bill_->BeginEdit(field(), row);
    } else if (what == "click") {
      bill_->ClickTool(step.at("tool").get<std::string>(), step.value("force", false));
    } else if (what == "release") {
      // The host lets the plug-in go; the bill stays open without it.
      plugin_.reset();
    } else if (what == "save") {
      bill_->Save();
    } else if (what == "copy") {
      bill_->CopyBill();
    } else if (what == "refresh") {
      bill_->RefreshBill();
    } else if (what == "selectBill") {
      bill_->SelectBill(step.value("type", 0));
    } else if (what == "addRow") {
      bill_->AddRow();
    } else if (what == "deleteRow") {
      bill_->DeleteRow(row);
    } else if (what == "event") {
      RaiseEvent(step, field, row);
    } else if (what == "sql") {
      host_->Db().Exec(step.at("sql").get<std::string>());
    } else if (what == "setStatus") {
      bill_->BillCtl()->SetBillStatus(step.at("value").get<int32_t>());
    } else if (what == "mutex") {
      bill_->SetMutexSuccess(step.at("value").get<bool>());
    } else {
      throw ScenarioError("unknown step \"" + what + "\"");
    }
  }

  void RaiseEvent(const json& step, const std::function<std::string()>& field, int32_t row) {
    const std::string name = step.at("event").get<std::string>();
    if (SameText(name, "Change")) {
      const std::string key = field();
      const int32_t col = step.value("col", template_->FindField(key)->position);
      bill_->RaiseChange(key, row, col, step.value("ctlIndex", col));
    } else if (SameText(name, "BeginEdit")) {
      bill_->BeginEdit(field(), row);
    } else if (SameText(name, "AfterSelBill")) {
      bill_->FireAfterSelBill(step.value("selType", 0));
    } else {
      bill_->RaiseNamedEvent(name);
    }
  }

  void DoOnList(const json& step, const std::string& what) {
    if (what == "select") {
      list_->Select(step.value("ids", std::vector<int32_t>{}));
    } else if (what == "click") {
      list_->ClickTool(step.at("tool").get<std::string>());
    } else if (what == "release") {
      plugin_.reset();
    } else if (what == "sql") {
      host_->Db().Exec(step.at("sql").get<std::string>());
    } else {
      throw ScenarioError("a list scenario has no \"" + what + "\" step");
    }
  }

  // The object of a scripted component's answers (null: none scripted, as an
  // empty object), with only the keys it takes.
  static json Answers(const json& step, const char* key, const std::set<std::string>& keys) {
    const json& answers = step.at(key);
    if (answers.is_null()) return json::object();
    if (!answers.is_object())
      throw ScenarioError(std::string("\"") + key + "\" is an object or null");
    for (auto it = answers.begin(); it != answers.end(); ++it) {
      if (!keys.count(it.key()))
        throw ScenarioError(std::string("\"") + key + "\" takes no \"" + it.key() + "\"");
    }
    return answers;
  }
  template <typename T>
  static std::optional<T> Optional(const json& answers, const char* key) {
    if (!answers.contains(key) || answers.at(key).is_null()) return std::nullopt;
    return answers.at(key).get<T>();
  }

  // Answers the host and its components give from now on.
  void Script(const json& step) {
    if (step.contains("props")) host_->SetPropsString(step.at("props").get<std::string>());
    if (step.contains("computer")) host_->SetComputerName(step.at("computer").get<std::string>());
    ScriptedAnswers& scripted = host_->Scripted();
    if (step.contains("taskexec")) {
      const json lock = Answers(step, "taskexec", {"handle", "commit"});
      scripted.taskHandle = Optional<int32_t>(lock, "handle");
      scripted.commitTask = Optional<bool>(lock, "commit");
    }
    if (step.contains("bills")) {
      const json bills = Answers(step, "bills", {"changed", "billId"});
      scripted.billChanged = Optional<bool>(bills, "changed");
      scripted.billId = Optional<int32_t>(bills, "billId");
    }
    if (!bill_) return;
    if (step.contains("getItem")) bill_->SetGetItemAnswer(ToVariant(step.at("getItem")));
    if (step.contains("mutex")) bill_->SetMutexSuccess(step.at("mutex").get<bool>());
    if (step.contains("multiCheck")) {
      if (step.at("multiCheck").is_null())
        bill_->ClearMultiCheck();
      else
        bill_->SetMultiCheck(step.at("multiCheck").get<bool>());
    }
    if (step.contains("doSelBill")) {
      const json& e = step.at("doSelBill");
      if (e.is_null()) {
        bill_->SetDoSelBillError(std::nullopt);
      } else {
        bill_->SetDoSelBillError(AutomationError(e.value("number", 5), "BillCtl",
                                                 e.value("description", std::string("failed"))));
      }
    }
    // Items of the bill data beside the pages (as some hosts give).
    // Held here: the loop must not walk the items of a temporary.
    const json data = step.value("data", json::object());
    for (const auto& [key, value] : data.items()) bill_->Data()->Set(key, ToVariant(value));
  }

  // ---- expectations --------------------------------------------------------

  void Check(const json& expect, size_t mark) {
    static const std::map<std::string, void (Player::*)(const json&, size_t)> kChecks = {
        {"messages", &Player::CheckMessages},
        {"cancel", &Player::CheckCancel},
        {"events", &Player::CheckEvents},
        {"tools", &Player::CheckTools},
        {"fields", &Player::CheckFields},
        {"locks", &Player::CheckLocks},
        {"billStatus", &Player::CheckStatus},
        {"isChange", &Player::CheckIsChange},
        {"sql", &Player::CheckSql},
        {"calls", &Player::CheckCalls},
        {"log", &Player::CheckLog},
        {"rows", &Player::CheckRows},
        {"snapshot", &Player::CheckSnapshot},
        {"transcript", &Player::CheckTranscript},
        {"none", &Player::CheckNone},
        {"pointer", &Player::CheckPointer},
        {"refreshList", &Player::CheckRefreshList},
    };
    for (auto it = expect.begin(); it != expect.end(); ++it) {
      if (!options_.language.empty() && (it.key() == "messages" || it.key() == "log")) continue;
      auto check = kChecks.find(it.key());
      if (check == kChecks.end()) {
        throw ScenarioError("unknown expectation \"" + it.key() + "\"");
      }
      (this->*check->second)(it.value(), mark);
    }
  }

  void Mismatch(const std::string& what, const json& expected, const json& actual) {
    Fail(what + ": expected " + expected.dump() + ", got " +
         actual.dump(-1, ' ', false, json::error_handler_t::replace));
  }

  void CheckMessages(const json& expected, size_t mark) {
    json actual = json::array();
    for (const auto& m : host_->Log().Since(mark, "message")) actual.push_back(m);
    json wanted = json::array();
    for (const auto& m : expected) wanted.push_back(m.is_string() ? json{{"text", m}} : m);
    if (!SameValue(wanted, actual)) {
      json shown = json::array();
      for (const auto& m : actual) shown.push_back(m.value("text", std::string()));
      Mismatch("messages", expected, shown);
    }
  }

  // true/false: the last event with a cancel flag; {"event", "value"}: the
  // last event of that name.
  void CheckCancel(const json& expected, size_t mark) {
    const bool named = expected.is_object();
    if (named && (!expected.contains("event") || !expected.contains("value")))
      throw ScenarioError("a \"cancel\" object has \"event\" and \"value\"");
    json actual = nullptr;
    for (const auto& e : host_->Log().Since(mark, "event")) {
      if (named &&
          !SameText(e.value("name", std::string()), expected.at("event").get<std::string>()))
        continue;
      if (e.contains("cancel")) actual = e.at("cancel");
    }
    json wanted = named ? expected.at("value") : expected;
    if (actual != wanted)
      Mismatch(named ? "cancel of " + expected.at("event").get<std::string>() : "cancel", wanted,
               actual);
  }

  // An ordered sub-sequence of the step's records: each expected item is
  // {"kind": ..., and any items its record must have}, found after the one
  // before it.
  void CheckTranscript(const json& expected, size_t mark) {
    const auto& records = host_->Log().Records();
    size_t at = mark;
    for (const auto& want : expected) {
      if (!want.is_object() || !want.contains("kind"))
        throw ScenarioError("a \"transcript\" item is an object with \"kind\"");
      json fields = want;
      fields.erase("kind");
      const std::string kind = want.at("kind").get<std::string>();
      while (at < records.size() &&
             !(records[at].kind == kind && SameValue(fields, records[at].data))) {
        ++at;
      }
      if (at == records.size()) {
        Fail("transcript: " + want.dump() + " does not follow the records before it");
        return;
      }
      ++at;
    }
  }

  // Kinds of record the step must not have made ("tool", "lock", "sql"...).
  void CheckNone(const json& expected, size_t mark) {
    for (const auto& kind : expected) {
      auto found = host_->Log().Since(mark, kind.get<std::string>());
      if (!found.empty()) Mismatch("none of " + kind.get<std::string>(), json::array(), found);
    }
  }

  // The screen pointers set during the step, in order.
  void CheckPointer(const json& expected, size_t mark) {
    json actual = json::array();
    for (const auto& p : host_->Log().Since(mark, "pointer"))
      actual.push_back(p.value("value", json()));
    if (!SameValue(expected, actual)) Mismatch("pointer", expected, actual);
  }

  void CheckRefreshList(const json& expected, size_t mark) {
    int count = 0;
    for (const auto& a : host_->Log().Since(mark, "action")) {
      if (a.value("name", std::string()) == "refresh list") ++count;
    }
    if (!SameValue(expected, json(count))) Mismatch("refreshList", expected, json(count));
  }

  void CheckEvents(const json& expected, size_t mark) {
    json actual = json::array();
    for (const auto& e : host_->Log().Since(mark, "event")) actual.push_back(e.at("name"));
    if (actual != expected) Mismatch("events", expected, actual);
  }

  json CurrentSnapshot() const {
    if (list_) return list_->Snapshot();
    if (!bill_) throw ScenarioError("no bill is open");
    return bill_->Snapshot();
  }

  void CheckTools(const json& expected, size_t) {
    json tools = CurrentSnapshot().at("tools");
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      json actual = tools.contains(it.key()) ? tools.at(it.key()) : json();
      if (!SameValue(it.value(), actual)) Mismatch("tool " + it.key(), it.value(), actual);
    }
  }

  void CheckFields(const json& expected, size_t) {
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      // "FKey" is the head; "FKey[2]" row 2 of the key's page.
      std::string key = it.key();
      int32_t row = 0;
      if (auto bracket = key.find('['); bracket != std::string::npos) {
        row = std::stoi(key.substr(bracket + 1));
        key = key.substr(0, bracket);
      }
      if (!template_->HasField(key))
        throw ScenarioError("the template has no field \"" + key + "\"");
      json actual = bill_->FieldSnapshot(key, row);
      if (!SameValue(it.value(), actual)) Mismatch("field " + it.key(), it.value(), actual);
    }
  }

  void CheckLocks(const json& expected, size_t) {
    json locks = bill_->Snapshot().at("locks");
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      json actual = locks.contains(it.key()) ? locks.at(it.key()) : json(false);
      if (actual != it.value()) Mismatch("lock " + it.key(), it.value(), actual);
    }
  }

  void CheckStatus(const json& expected, size_t) {
    json actual = bill_->BillCtl()->BillStatus();
    if (!SameValue(expected, actual)) Mismatch("billStatus", expected, actual);
  }

  void CheckIsChange(const json& expected, size_t) {
    json actual = bill_->BillCtl()->IsChange();
    if (actual != expected) Mismatch("isChange", expected, actual);
  }

  void CheckSql(const json& expected, size_t mark) {
    json actual = json::array();
    for (const auto& r : host_->Log().Since(mark, "sql")) actual.push_back(r.at("text"));
    if (actual != expected) Mismatch("sql", expected, actual);
  }

  // The outside-component calls of the step, leaving out the ambient ones
  // every message makes (shared properties, language and resources).
  void CheckCalls(const json& expected, size_t mark) {
    static const std::set<std::string> kAmbient = {
        LCase("PropsMgr.ShareProps"), LCase("OrbResLoader.Loader"), LCase("OrbLangInfo.LangInfo"),
        LCase("FrmRes.FrmResLoader")};
    // An expected call is "Component.Member", or {"call": "Component.Member",
    // "args": [...]} to match its arguments too.
    json actual = json::array();
    json withArgs = json::array();
    for (const auto& c : host_->Log().Since(mark, "call")) {
      if (kAmbient.count(LCase(c.value("component", std::string())))) continue;
      std::string name =
          c.value("component", std::string()) + "." + c.value("member", std::string());
      actual.push_back(name);
      withArgs.push_back({{"call", name}, {"args", c.value("args", json::array())}});
    }
    bool same = expected.is_array() && expected.size() == actual.size();
    for (size_t i = 0; same && i < expected.size(); ++i) {
      same =
          expected[i].is_object() ? SameValue(expected[i], withArgs[i]) : expected[i] == actual[i];
    }
    if (!same) Mismatch("calls", expected, withArgs);
  }

  void CheckLog(const json& expected, size_t mark) {
    json actual = json::array();
    for (const auto& l : host_->Log().Since(mark, "log")) actual.push_back(l);
    if (!SameValue(expected, actual)) Mismatch("log", expected, actual);
  }

  // Any part of the bill's snapshot; objects match when every expected key does.
  void CheckSnapshot(const json& expected, size_t) {
    json actual = CurrentSnapshot();
    for (auto it = expected.begin(); it != expected.end(); ++it) {
      json part = actual.contains(it.key()) ? actual.at(it.key()) : json();
      if (!SameValue(it.value(), part)) Mismatch("snapshot " + it.key(), it.value(), part);
    }
  }

  void CheckRows(const json& expected, size_t) {
    for (const auto& q : expected) {
      if (!q.contains("query") || !q.contains("rows")) {
        throw ScenarioError("a \"rows\" expectation has \"query\" and \"rows\"");
      }
      json actual = RecordsetRows(host_->Db().Query(q.at("query").get<std::string>()));
      if (!SameValue(q.at("rows"), actual))
        Mismatch("rows of " + q.at("query").get<std::string>(), q.at("rows"), actual);
    }
  }

  const json& s_;
  std::string baseDir_;
  const ScenarioOptions& options_;
  ScenarioResult& result_;
  std::string stepLabel_;
  std::unique_ptr<Host> host_;
  std::shared_ptr<BillTemplate> template_;
  std::shared_ptr<Bill> bill_;
  std::shared_ptr<BillList> list_;
  PluginPtr plugin_;
  // The open bill windows other than the current one, by name.
  std::string windowName_ = "main";
  std::map<std::string, std::tuple<std::shared_ptr<BillTemplate>, std::shared_ptr<Bill>, PluginPtr>>
      windows_;
};

}  // namespace

ScenarioResult RunScenario(const json& scenario, const std::string& baseDir,
                           const ScenarioOptions& options) {
  ScenarioResult result;
  // Each scenario runs on a thread of its own, as a host's user-interface
  // thread would: the library's per-thread caches (system object, language,
  // resource loader) start empty and die with the scenario's host.
  std::thread ui([&] {
    Player player(scenario, baseDir, options, result);
    try {
      player.Play();
    } catch (const std::exception& e) {
      result.failures.push_back(std::string("setup: ") + e.what());
    }
  });
  ui.join();
  return result;
}

ScenarioResult RunScenarioFile(const std::string& path, const ScenarioOptions& options) {
  ScenarioResult result;
  result.file = path;
  json scenario;
  try {
    scenario = ParseScenarioText(ReadFile(path));
  } catch (const std::exception& e) {
    result.failures.push_back(path + ": " + e.what());
    return result;
  }
  result = RunScenario(scenario, fs::path(path).parent_path().string(), options);
  result.file = path;
  for (auto& f : result.failures) f = path + ": " + f;
  return result;
}

}  // namespace orb::refhost
