#include "refhost/components/system_object.h"

#include <cstddef>

#include "host/convert.h"
#include "refhost/components/user_log_chain.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::optional<std::string> LoginProperty(const std::string& props, const std::string& key) {
  size_t i = 0;
  while (i < props.size()) {
    size_t eq = props.find_first_of("=;", i);
    if (eq == std::string::npos) break;
    if (props[eq] == ';') {  // a part without '=' carries no value
      i = eq + 1;
      continue;
    }
    std::string name = TrimBlanks(props.substr(i, eq - i));
    size_t v = eq + 1;
    while (v < props.size() && IsBlank(props[v])) ++v;
    std::string value;
    if (v < props.size() && props[v] == '{') {
      // Braces nest; the value runs to the brace that closes the first one.
      int depth = 0;
      size_t j = v;
      for (; j < props.size(); ++j) {
        if (props[j] == '{') ++depth;
        if (props[j] == '}' && --depth == 0) break;
      }
      value = props.substr(v + 1, (j < props.size() ? j : props.size()) - v - 1);
      size_t next = props.find(';', j);
      i = next == std::string::npos ? props.size() : next + 1;
    } else {
      size_t next = props.find(';', v);
      size_t end = next == std::string::npos ? props.size() : next;
      value = TrimBlanks(props.substr(v, end - v));
      i = end + 1;
    }
    if (SameText(name, key)) return value;
  }
  return std::nullopt;
}

HostSystemObject::HostSystemObject(Host& host) : ComponentBase(host, progid::kSystemObject) {}

std::optional<std::string> HostSystemObject::UserId() const {
  auto id = LoginProperty(host_.PropsString(), "UserID");
  if (!id || id->empty()) return std::nullopt;
  return id;
}

bool HostSystemObject::AccessCheck(const Variant& objectType, const Variant& objectId,
                                   int32_t right) {
  if (Enter("AccessCheck", {CallArg(objectType), CallArg(objectId), right})) {
    return false;
  }
  auto user = UserId();
  if (!user) return false;
  Statement check(host_.Db(),
                  "SELECT 1 FROM t_UserRight WHERE FUserID = ? AND FObjectType = ? "
                  "AND FObjectID = ? AND (FRights & ?) = ? LIMIT 1",
                  progId_);
  check.Bind(1, *user)
      .Bind(2, CStr(objectType))
      .Bind(3, CStr(objectId))
      .Bind(4, int64_t{right})
      .Bind(5, int64_t{right});
  return check.Step();
}

void HostSystemObject::WriteLog(const std::string& funcId, int32_t type, const std::string& text) {
  if (Enter("WriteLog", {funcId, type, text})) return;
  auto user = UserId();
  Statement insert(host_.Db(),
                   "INSERT INTO t_UserLog (FUserID, FFuncID, FType, FText, FDate) "
                   "VALUES (?, ?, ?, ?, datetime('now', 'localtime'))",
                   progId_);
  // The row and its place in the hash chain are written together, so that
  // two writers never chain to the same row.
  Database& db = host_.Db();
  std::optional<Database::Transaction> tx;
  if (!db.InTransaction()) tx.emplace(db);
  insert.Bind(1, user ? Variant(*user) : Variant::Null())
      .Bind(2, funcId)
      .Bind(3, int64_t{type})
      .Bind(4, text);
  insert.Step();
  SealUserLogRow(db, sqlite3_last_insert_rowid(db.Handle()));
  if (tx) tx->Commit();
  host_.Log().Add("log", {{"funcId", funcId}, {"type", type}, {"text", text}});
}

}  // namespace orb::refhost
