#include "app/serve/bill_window.h"

#include <charconv>
#include <utility>

#include "app/serve/web_host.h"
#include "frame/registry.h"
#include "host/automation_error.h"
#include "host/convert.h"
#include "host/platform.h"
#include "refhost/bill.h"
#include "refhost/variant_json.h"

namespace orb::serve {

namespace {

using nlohmann::json;

// The most transcript records a state carries (the newest ones).
constexpr size_t kMaxTranscript = 400;
// The most records a window's transcript keeps.
constexpr size_t kMaxKeptRecords = 20000;

// Column types of numbers: a number typed into such a field is stored as one.
bool IsNumericType(int32_t valueType) {
  switch (valueType) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 20:
    case 48:
    case 52:
    case 56:
    case 62:
    case 106:
    case 108:
    case 127:
      return true;
    default:
      return false;
  }
}

// What a user typed, as the value the bill is given: text stays text, except
// a number in a numeric field without a look-up source.
Variant TypedValue(const refhost::FieldTemplate& field, const json& value) {
  if (!value.is_string()) return refhost::JsonToVariant(value);
  const std::string text = value.get<std::string>();
  const int32_t valueType = CLng(field.info->GetOr("FValueType", Variant(0)));
  if (field.HasSource() || !IsNumericType(valueType)) return Variant(text);
  if (text.empty()) return Variant();
  const char* end = text.data() + text.size();
  long long whole = 0;
  auto [p, ec] = std::from_chars(text.data(), end, whole);
  if (ec == std::errc() && p == end && whole >= INT32_MIN && whole <= INT32_MAX) {
    return Variant(static_cast<int32_t>(whole));
  }
  double number = 0;
  auto [q, ec2] = std::from_chars(text.data(), end, number);
  if (ec2 == std::errc() && q == end) return Variant(number);
  return Variant(text);
}

// The whole number under `key`, `fallback` when absent; `refusal` is the
// message for a value of another kind.
int32_t IntOf(const json& action, const char* key, int32_t fallback, const std::string& refusal) {
  if (!action.contains(key)) return fallback;
  const json& v = action.at(key);
  if (!v.is_number_integer() || v.get<int64_t>() < INT32_MIN || v.get<int64_t>() > INT32_MAX) {
    throw BadRequest(refusal + key);
  }
  return v.get<int32_t>();
}

}  // namespace

// What lives on the window's thread and dies there.
struct BillWindow::Parts {
  std::unique_ptr<WebHost> host;
  std::shared_ptr<refhost::Bill> bill;
  PluginPtr plugin;
  int32_t heldBill = 0;  // the saved bill whose mutex the window holds
};

BillWindow::BillWindow(int32_t id, const BillType& type, const Login& login,
                       const std::string& databasePath, MutexClaim claim, Text text)
    : id_(id), type_(type), text_(std::move(text)), claim_(std::move(claim)) {
  thread_ = std::make_unique<WindowThread>(json{{"closed", true}});
  parts_ = std::make_unique<Parts>();
  auto outcome = thread_->Run([&] {
    auto& p = *parts_;
    p.host = std::make_unique<WebHost>(refhost::Database::Open(databasePath),
                                       [this](json q) { return thread_->Ask(std::move(q)); });
    WindowPlatform::Scope scope(p.host.get());
    p.host->SetPropsString("UserID=" + std::to_string(login.userId) + ";UserName=" +
                           login.userName + ";SubID=gmp;Language=" + login.language + ";");
    p.host->SetLanguage(login.language);
    p.host->SetComputerName(login.computer);
    p.bill = std::make_shared<refhost::Bill>(*p.host, type_.tpl);
    p.plugin = CreatePlugin(type_.progId);
    p.plugin->Show(p.bill);
    p.bill->Open(type_.openMode, type_.openStatus);
  });
  if (!outcome.finished || !outcome.error.empty()) {
    // What was made is released on the window's thread, as it was made there.
    if (outcome.finished) thread_->Run([this] { Release(); });
    thread_.reset();
    parts_.reset();
    throw BadRequest(text_("窗口打不开：") + outcome.error, 500);
  }
}

BillWindow::~BillWindow() {
  std::lock_guard<std::mutex> lock(request_);
  try {
    // A question still open is answered as closed, as often as the action asks.
    for (int i = 0; i < 100 && thread_->Pending(); ++i) thread_->Answer(json{{"closed", true}});
    thread_->Run([this] { Release(); });
  } catch (const WindowBusy&) {
    // Still asking: the thread's own end answers it; the parts go after it.
  }
  thread_.reset();
  parts_.reset();
}

void BillWindow::Release() {
  if (!parts_ || !parts_->host) return;
  WindowPlatform::Scope scope(parts_->host.get());
  if (parts_->heldBill != 0) claim_(0);
  parts_->plugin.reset();
  parts_->bill.reset();
  parts_->host.reset();
}

std::string BillWindow::FieldKey(const json& action) const {
  if (!action.contains("field") || !action.at("field").is_string()) {
    throw BadRequest(text_("请求缺少参数：") + "field");
  }
  const std::string key = action.at("field").get<std::string>();
  const refhost::FieldTemplate* f = type_.tpl->FindField(key);
  if (f == nullptr) throw BadRequest(text_("未知的字段：") + key);
  return f->key;
}

std::function<void()> BillWindow::Prepare(const json& action) {
  if (!action.is_object() || !action.contains("do") || !action.at("do").is_string()) {
    throw BadRequest(text_("请求缺少参数：") + "do");
  }
  const std::string what = action.at("do").get<std::string>();
  const std::string wrongKind = text_("参数类型不对：");
  auto& p = *parts_;
  refhost::Bill& bill = *p.bill;
  auto claimFor = [this](int32_t billId) {
    auto& parts = *parts_;
    const bool held = billId != 0 && claim_(billId);
    if (billId == 0 && parts.heldBill != 0) claim_(0);
    parts.heldBill = held ? billId : 0;
    parts.bill->SetMutexSuccess(billId == 0 || held);
  };
  auto rowOf = [&](const std::string& key) {
    const int32_t page = type_.tpl->FindField(key)->page;
    const int32_t row = IntOf(action, "row", 0, wrongKind);
    if (page > 1 && (row < 1 || row > bill.RowCount(page))) {
      throw BadRequest(text_("没有这一行：") + std::to_string(row));
    }
    return page > 1 ? row : 0;
  };

  // Changes not saved are given up only when the user says so.
  auto mayDiscard = [this] {
    auto& parts = *parts_;
    if (!parts.bill->BillCtl()->IsChange()) return true;
    return parts.host->MsgBox(text_("当前单据已修改，要放弃修改吗？"), mb::kQuestion | mb::kYesNo,
                              text_("提示")) == mb::kYes;
  };
  if (what == "new") {
    return [&bill, claimFor, mayDiscard] {
      if (!mayDiscard()) return;
      claimFor(0);
      bill.NewBill();
    };
  }
  if (what == "load") {
    const int32_t billId = IntOf(action, "bill", 0, wrongKind);
    if (billId <= 0) throw BadRequest(text_("请求缺少参数：") + "bill");
    return [&bill, claimFor, mayDiscard, billId] {
      if (!mayDiscard()) return;
      const int32_t previous = bill.CurBillID();
      claimFor(billId);
      try {
        bill.Load(billId);
      } catch (...) {
        claimFor(previous);  // the bill stays as it was, and so does its mutex
        throw;
      }
    };
  }
  if (what == "edit") {
    const std::string key = FieldKey(action);
    const int32_t row = rowOf(key);
    return [&bill, key, row] {
      bill.Focus(key, row);
      bill.BeginEdit(key, row);
    };
  }
  if (what == "set") {
    const std::string key = FieldKey(action);
    const int32_t row = rowOf(key);
    if (!action.contains("value")) throw BadRequest(text_("请求缺少参数：") + "value");
    const json& value = action.at("value");
    if (value.is_object() || value.is_array()) {
      throw BadRequest(text_("参数类型不对：") + "value");
    }
    if (value.is_string() && value.get<std::string>().size() > kMaxValueLength) {
      throw BadRequest(text_("值太长：") + key);
    }
    Variant typed = TypedValue(*type_.tpl->FindField(key), value);
    return [&bill, key, row, typed] {
      bill.Focus(key, row);
      bill.SetValue(key, row, typed);
    };
  }
  if (what == "addRow" || what == "deleteRow") {
    const int32_t page = IntOf(action, "page", 2, wrongKind);
    if (page < 2 || page > type_.tpl->PageCount()) {
      throw BadRequest(text_("没有这一页：") + std::to_string(page));
    }
    if (what == "addRow") {
      return [&bill, page] { bill.AddRow(page); };
    }
    const int32_t row = IntOf(action, "row", 0, wrongKind);
    if (row < 1 || row > bill.RowCount(page)) {
      throw BadRequest(text_("没有这一行：") + std::to_string(row));
    }
    return [&bill, page, row] { bill.DeleteRow(page, row); };
  }
  if (what == "click") {
    if (!action.contains("tool") || !action.at("tool").is_string()) {
      throw BadRequest(text_("请求缺少参数：") + "tool");
    }
    const std::string tool = action.at("tool").get<std::string>();
    if (!bill.Bar()->GetTools()->Item(tool)) throw BadRequest(text_("未知的工具：") + tool);
    return [&bill, tool] { bill.ClickTool(tool); };
  }
  if (what == "refresh") {
    return [&bill] {
      if (bill.CurBillID() > 0) bill.RefreshBill();
    };
  }
  throw BadRequest(text_("未知的操作：") + what);
}

json BillWindow::Act(const json& action) {
  std::lock_guard<std::mutex> lock(request_);
  if (thread_->Pending()) throw BadRequest(text_("窗口正忙，请先回答它的提问。"), 409);
  auto work = Prepare(action);
  // A window open for long starts its transcript anew rather than grow it.
  if (parts_->host->Log().Size() > kMaxKeptRecords) parts_->host->Log().Clear();
  mark_ = parts_->host->Log().Size();
  auto outcome = thread_->Run([this, work = std::move(work)] {
    WindowPlatform::Scope scope(parts_->host.get());
    work();
    // A new bill once saved is this window's: it holds the saved bill's mutex.
    auto& p = *parts_;
    const int32_t billId = p.bill->CurBillID();
    if (billId > 0 && p.heldBill == 0 && p.bill->BillCtl()->MutexSuccess()) {
      p.heldBill = claim_(billId) ? billId : 0;
      p.bill->SetMutexSuccess(p.heldBill != 0);
    }
  });
  return Describe(outcome);
}

json BillWindow::Reply(const json& reply) {
  std::lock_guard<std::mutex> lock(request_);
  if (!thread_->Pending()) throw BadRequest(text_("窗口没有在提问。"), 409);
  if (!reply.is_object()) throw BadRequest(text_("参数类型不对：") + "answer");
  return Describe(thread_->Answer(reply));
}

json BillWindow::State() {
  std::lock_guard<std::mutex> lock(request_);
  WindowThread::Outcome outcome;
  outcome.finished = true;
  if (auto q = thread_->Pending()) {
    outcome.finished = false;
    outcome.question = *q;
  }
  return Describe(outcome);
}

json BillWindow::Describe(const WindowThread::Outcome& outcome) {
  json state = {{"window", id_},
                {"type", type_.templateName},
                {"finished", outcome.finished},
                {"bill", Bill()},
                {"transcript", Transcript()}};
  if (!outcome.finished) state["question"] = outcome.question;
  if (!outcome.error.empty()) state["error"] = outcome.error;
  // The messages the action showed, for the page to show them in turn.
  json messages = json::array();
  for (const auto& m : parts_->host->Log().Since(mark_, "message")) messages.push_back(m);
  state["messages"] = messages;
  return state;
}

json BillWindow::Bill() const {
  const refhost::Bill& bill = *parts_->bill;
  const refhost::BillTemplate& tpl = *type_.tpl;
  json snap = bill.Snapshot();
  // Display texts of looked-up values (a number shown for an id).
  auto shown = [&](const refhost::FieldTemplate& f, int32_t row) -> json {
    if (!f.HasSource()) return nullptr;
    DictionaryPtr record = bill.ValueRecord(f.key, row);
    if (!record) return nullptr;
    std::string number = CStr(record->GetOr("FFND", Variant("")));
    return number.empty() ? json(nullptr) : json(number);
  };
  json pages = json::array();
  for (const auto& page : tpl.Pages()) {
    json fields = json::array();
    for (const auto& f : page.fields) fields.push_back(f.key);
    json display = json::object();
    if (page.number == 1) {
      for (const auto& f : page.fields) {
        json d = shown(f, 0);
        if (!d.is_null()) display[f.key] = d;
      }
    } else {
      json rows = json::array();
      for (int32_t r = 1; r <= bill.RowCount(page.number); ++r) {
        json row = json::object();
        for (const auto& f : page.fields) {
          json d = shown(f, r);
          if (!d.is_null()) row[f.key] = d;
        }
        rows.push_back(row);
      }
      display = rows;
    }
    pages.push_back(
        {{"page", page.number}, {"table", page.table}, {"fields", fields}, {"display", display}});
  }
  snap["pages"] = pages;
  for (auto& [key, tool] : snap["tools"].items()) {
    if (tool.contains("caption") && tool["caption"].is_string()) {
      tool["caption"] = text_(tool["caption"].get<std::string>());
    }
  }
  snap["name"] = text_(tpl.Name());
  return snap;
}

json BillWindow::Transcript() const {
  const auto& records = parts_->host->Log().Records();
  json out = json::array();
  const size_t from = records.size() > kMaxTranscript ? records.size() - kMaxTranscript : 0;
  for (size_t i = from; i < records.size(); ++i) {
    json line = records[i].data;
    line["kind"] = records[i].kind;
    line["seq"] = i + 1;
    out.push_back(std::move(line));
  }
  return out;
}

}  // namespace orb::serve
