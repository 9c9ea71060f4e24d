#include "refhost/host.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "host/convert.h"
#include "refhost/components/register.h"
#include "refhost/components/res_loader.h"
#include "refhost/components/system_object.h"
#include "refhost/sqlite_connection.h"
#include "refhost/system_schema.h"

namespace orb::refhost {

namespace {

// Message box button sets that ask the user something (Yes/No, Yes/No/Cancel).
bool AsksYesNo(int32_t style) {
  int32_t buttons = style & 7;
  return buttons == 4 || buttons == 3;
}

std::string ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec).string();
  return exe.parent_path().string();
}

}  // namespace

Host::Host(std::shared_ptr<Database> db) : db_(std::move(db)) {
  if (!db_) db_ = Database::Open(":memory:");
  InstallSystemSchema(*db_);

  const char* file = sqlite3_db_filename(db_->Handle(), "main");
  if (file != nullptr && *file != '\0') {
    dataFolder_ = std::filesystem::path(file).parent_path().string();
  } else {
    dataFolder_ = ExecutableFolder();
  }

  // Every statement a connection sends is logged before it runs, so that a
  // statement the faults make fail still shows in the transcript.
  db_->SetStatementHook([this](const std::string& sql) {
    transcript_.AddStatement(sql);
    faults_.OnStatement(sql);
  });

  RegisterHostComponents(*this);
}

Host::~Host() {
  db_->SetStatementHook(nullptr);
  if (installed_) InstallPlatform(nullptr);
}

void Host::Install() {
  // The host outlives its installation: the platform pointer does not own it.
  InstallPlatform(std::shared_ptr<Platform>(this, [](Platform*) {}));
  installed_ = true;
}

void Host::UseOdbc(const std::string& connectionString) {
  odbc_ = OdbcSession::Connect(connectionString);
}

void Host::MakeOdbcAccount(const std::vector<SchemaScript>& scripts) {
  if (!odbc_ || ReachesDatabase(*odbc_, *db_)) return;
  MakeAccountTables(*odbc_, *db_, scripts);
}

std::shared_ptr<Connection> Host::NewConnection() {
  if (!odbc_) return std::make_shared<SqliteConnection>(db_);
  return std::make_shared<OdbcConnection>(odbc_, [db = db_](const std::string& sql) {
    if (auto hook = db->Hook()) hook(sql);
  });
}

ObjectPtr Host::CreateObject(const std::string& progId) {
  return factory_.Create(progId);
}

int32_t Host::MsgBox(const std::string& text, int32_t style, const std::string& title) {
  int32_t answer = mb::kOk;
  if (AsksYesNo(style)) {
    answer = mb::kNo;
    if (!user_.answers.empty()) {
      answer = user_.answers.front();
      user_.answers.pop_front();
    }
  }
  transcript_.Add("message",
                  {{"text", text}, {"style", style}, {"title", title}, {"answer", answer}});
  return answer;
}

void Host::SetScreenPointer(int32_t pointer) {
  if (pointer == pointer_) return;
  pointer_ = pointer;
  transcript_.Add("pointer", {{"value", pointer}});
}

uint32_t Host::ProcessId() {
  return static_cast<uint32_t>(getpid());
}

std::string Host::ComputerName() {
  return computer_;
}

std::string Host::UserLanguage() const {
  auto language = LoginProperty(props_, "Language");
  return language && !Trim(*language).empty() ? Trim(*language) : language_;
}

std::string Host::Text(const std::string& text) const {
  return Translate("RefHost", UserLanguage(), text);
}

// The reference host keeps its local files (the switch database) in its data
// folder, so that folder stands for the program's folder.
std::string Host::AppPath() {
  return dataFolder_.empty() ? ExecutableFolder() : dataFolder_;
}

}  // namespace orb::refhost
