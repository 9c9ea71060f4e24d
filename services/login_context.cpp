#include "services/login_context.h"

#include <map>
#include <utility>

#include "forms/tool_templates.h"
#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/language.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent.SysObjects";

// Position of `needle` in `hay` from `from` on, ASCII letter case ignored
// (bytes of multi-byte characters compare as they are).
size_t FindNoCase(const std::string& hay, const std::string& needle, size_t from = 0) {
  return LCase(hay).find(LCase(needle), from);
}

struct ParsedProperties {
  bool parsed = false;
  std::string source;
  // By upper-cased key.
  std::map<std::string, std::string> items;
};

thread_local ParsedProperties t_props;
thread_local std::shared_ptr<SystemObject> t_systemObject;

}  // namespace

// ---- Parser ----------------------------------------------------------------

std::string TakeToken(std::string& s, const std::string& delim) {
  size_t pos = delim.empty() ? std::string::npos : FindNoCase(s, delim);
  if (pos == std::string::npos) {
    std::string all = std::move(s);
    s.clear();
    return all;
  }
  std::string head = s.substr(0, pos);
  s.erase(0, pos + delim.size());
  return head;
}

std::string TakeKey(std::string& s) {
  return Trim(TakeToken(s, "="));
}

std::string TakeValue(std::string& s) {
  s = Trim(s);
  std::string value;
  if (!s.empty() && s[0] == '{') {
    s.erase(0, 1);
    value = TakeToken(s, "}");
    TakeToken(s, ";");
  } else {
    value = TakeToken(s, ";");
  }
  return Trim(value);
}

std::string LoginPropertyIn(const std::string& props, const std::string& name) {
  std::string rest = props;
  const std::string wanted = UCase(name);
  while (!rest.empty()) {
    std::string key = TakeKey(rest);
    std::string value = TakeValue(rest);
    if (UCase(key) == wanted) return value;
  }
  return "";
}

std::string PropsValueIn(const std::string& props, const std::string& key) {
  std::string s = props;
  if (s.empty() || s.back() != ';') s += ';';
  const std::string marker = key + "=";
  size_t pos = FindNoCase(s, marker);
  if (pos == std::string::npos) return "";
  size_t begin = pos + marker.size();
  size_t end = s.find(';', begin);
  return s.substr(begin, end - begin);
}

// ---- The property string -----------------------------------------------------

std::string GetPropsString() {
  std::string props;
  TrapQuietly([&] { props = CStr(GetSharedProperty("PropsString")); });
  return props;
}

std::string GetLoginProperty(const std::string& name) {
  return LoginPropertyIn(GetPropsString(), name);
}

std::string GetPropsValue(const std::string& key) {
  return PropsValueIn(GetPropsString(), key);
}

bool ParseProperties(const std::string& props) {
  t_props = ParsedProperties{};
  t_props.parsed = true;
  t_props.source = props;
  std::string rest = props;
  for (;;) {
    std::string key = TakeKey(rest);
    if (key.empty()) break;
    std::string value = TakeValue(rest);
    t_props.items.emplace(UCase(key), std::move(value));  // the first value stays
  }
  return true;
}

std::string GetParsedProperty(const std::string& key) {
  if (!t_props.parsed) ParseProperties(GetPropsString());
  auto it = t_props.items.find(UCase(key));
  return it == t_props.items.end() ? std::string() : it->second;
}

std::string GetUserName() {
  return GetParsedProperty("UserName");
}

int32_t GetUserID() {
  int32_t id = 0;
  TrapQuietly([&] { id = CLng(Variant(GetParsedProperty("UserID"))); });
  return id;
}

// ---- Shared objects ------------------------------------------------------------

Variant GetSharedProperty(const std::string& name) {
  auto props = CreateObjectAs<SharedProperties>(progid::kShareProps);
  return props->GetProperty(CurrentPlatform().ProcessId(), name);
}

std::shared_ptr<LoginObject> GetLoginObject() {
  auto login = GetSharedProperty("TVLogin").As<LoginObject>();
  if (!login) Raise(err::kObjectNotSet, kSource, "Object variable not set: TVLogin");
  return login;
}

std::shared_ptr<SystemObject> GetSystemObject() {
  if (!t_systemObject) t_systemObject = CreateObjectAs<SystemObject>(progid::kSystemObject);
  return t_systemObject;
}

void WriteUserLog(int32_t type, const std::string& text, const std::string& funcId) {
  TrapQuietly([&] { WriteUserLogOrRaise(type, text, funcId); });
}

void WriteUserLogOrRaise(int32_t type, const std::string& text, const std::string& funcId) {
  GetSystemObject()->WriteLog(funcId, type, text);
}

void ResetServiceCaches() {
  t_props = ParsedProperties{};
  t_systemObject.reset();
  ResetLanguageCaches();
  ResetToolTemplates();
}

}  // namespace orb
