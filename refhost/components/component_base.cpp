#include "refhost/components/component_base.h"

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/host.h"
#include "refhost/variant_json.h"

namespace orb::refhost {

nlohmann::json CallArg(const Variant& v) {
  return VariantToJson(v);
}

ComponentBase::ComponentBase(Host& host, std::string progId)
    : host_(host), progId_(std::move(progId)), hostLifetime_(host.Lifetime()) {}

bool ComponentBase::Enter(const std::string& member, std::initializer_list<nlohmann::json> args) {
  if (hostLifetime_.expired()) {
    Raise(err::kObjectNotSet, progId_, progId_ + "." + member + ": the host has closed");
  }
  host_.Log().Add("call", {{"component", progId_},
                           {"member", member},
                           {"args", nlohmann::json::array_t(args.begin(), args.end())}});
  return host_.GetFaults().OnCall(progId_, member);
}

Statement::Statement(Database& db, const std::string& sql, std::string source)
    : db_(db), source_(std::move(source)) {
  if (sqlite3_prepare_v2(db_.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_,
                         nullptr) != SQLITE_OK) {
    Fail();
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

void Statement::Fail() const {
  Raise(err::kDatabase, source_, sqlite3_errmsg(db_.Handle()));
}

Statement& Statement::Bind(int index, const std::string& text) {
  if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                        SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail();
  }
  return *this;
}

Statement& Statement::Bind(int index, int64_t number) {
  if (sqlite3_bind_int64(stmt_, index, number) != SQLITE_OK) Fail();
  return *this;
}

Statement& Statement::Bind(int index, const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
    case VarType::Null:
      if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail();
      return *this;
    case VarType::Integer:
    case VarType::Long:
    case VarType::Boolean:
      return Bind(index, static_cast<int64_t>(CLng(value)));
    case VarType::Double:
      if (sqlite3_bind_double(stmt_, index, value.AsDouble()) != SQLITE_OK) Fail();
      return *this;
    default:
      return Bind(index, CStr(value));
  }
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
    constrained_ = true;
    return false;
  }
  Fail();
}

int64_t Statement::ColumnInt(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

bool ComponentBase::Answer(const DictionaryPtr& request, bool ok, const std::string& text) {
  request->Set("ReturnString", Variant(text.empty() ? text : host_.Text(text)));
  return ok;
}

}  // namespace orb::refhost
