#include "app/serve/web_host.h"

#include <algorithm>
#include <utility>

#include "host/components.h"
#include "refhost/components/list_select.h"
#include "refhost/variant_json.h"

namespace orb::serve {

namespace {

// The most rows a list window sends to the browser.
constexpr int32_t kMaxListRows = 500;

thread_local WebHost* t_host = nullptr;

bool AsksYesNo(int32_t style) {
  const int32_t buttons = style & 7;
  return buttons == 3 || buttons == 4;
}

// The list window: the host's own, with the pick asked in the browser.
class WebListSelect : public refhost::HostListSelect {
 public:
  explicit WebListSelect(WebHost& host) : HostListSelect(host), web_(host) {}

  std::string WaitCommand() override {
    nlohmann::json columns = nlohmann::json::array();
    nlohmann::json rows = nlohmann::json::array();
    if (RecordsetPtr rs = GetListRs()) {
      for (int32_t c = 0; c < rs->FieldCount(); ++c) columns.push_back(rs->FieldName(c));
      int32_t n = 0;
      if (rs->RecordCount() > 0) rs->MoveFirst();
      while (!rs->IsEOF() && n < kMaxListRows) {
        nlohmann::json row = nlohmann::json::array();
        for (int32_t c = 0; c < rs->FieldCount(); ++c) {
          row.push_back(refhost::VariantToJson(rs->Value(c)));
        }
        rows.push_back(std::move(row));
        rs->MoveNext();
        ++n;
      }
      if (rs->RecordCount() > 0) rs->MoveFirst();
    }
    auto pick = web_.AskPick({{"kind", "list"},
                              {"title", ListName()},
                              {"columns", std::move(columns)},
                              {"rows", std::move(rows)},
                              {"multi", SelectFlag() == 1}});
    web_.User().picks.push_back(std::move(pick));
    return HostListSelect::WaitCommand();
  }

 private:
  WebHost& web_;
};

}  // namespace

WebHost::WebHost(std::shared_ptr<refhost::Database> db, Asker asker)
    : Host(std::move(db)), asker_(std::move(asker)) {
  Factory().Register(progid::kListSelect,
                     [this] { return std::make_shared<WebListSelect>(*this); });
}

int32_t WebHost::MsgBox(const std::string& text, int32_t style, const std::string& title) {
  if (AsksYesNo(style)) {
    nlohmann::json reply =
        asker_({{"kind", "message"}, {"text", text}, {"style", style}, {"title", title}});
    const bool yes = reply.is_object() && reply.value("answer", std::string()) == "yes";
    User().answers.push_back(yes ? mb::kYes : mb::kNo);
  }
  return Host::MsgBox(text, style, title);
}

std::vector<int32_t> WebHost::AskPick(const nlohmann::json& question) {
  nlohmann::json reply = asker_(question);
  std::vector<int32_t> rows;
  if (!reply.is_object() || !reply.contains("rows") || !reply.at("rows").is_array()) return rows;
  for (const auto& r : reply.at("rows")) {
    if (r.is_number_integer()) rows.push_back(r.get<int32_t>());
  }
  return rows;
}

WindowPlatform::Scope::Scope(WebHost* host) : previous_(t_host) {
  t_host = host;
}

WindowPlatform::Scope::~Scope() {
  t_host = previous_;
}

WebHost& WindowPlatform::Current() {
  if (t_host == nullptr) {
    Raise(err::kObjectNotSet, "OrbRefHost.Web", "No bill window on this thread");
  }
  return *t_host;
}

ObjectPtr WindowPlatform::CreateObject(const std::string& progId) {
  return Current().CreateObject(progId);
}

int32_t WindowPlatform::MsgBox(const std::string& text, int32_t style, const std::string& title) {
  return Current().MsgBox(text, style, title);
}

void WindowPlatform::SetScreenPointer(int32_t pointer) {
  Current().SetScreenPointer(pointer);
}

uint32_t WindowPlatform::ProcessId() {
  return Current().ProcessId();
}

std::string WindowPlatform::ComputerName() {
  return Current().ComputerName();
}

std::string WindowPlatform::AppPath() {
  return Current().AppPath();
}

}  // namespace orb::serve
