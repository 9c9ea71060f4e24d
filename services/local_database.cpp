#include "services/local_database.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "frame/error_trap.h"
#include "host/convert.h"
#include "host/platform.h"
#include "services/language.h"

namespace orb {

namespace fs = std::filesystem;

namespace {

// A message box with only the OK button.
constexpr int32_t kPlainBox = 0;

constexpr std::array<const char*, 2> kJetProviders = {"Microsoft.Jet.OLEDB.3.51",
                                                      "Microsoft.Jet.OLEDB.4.0"};

std::string JetConnectString(const char* provider, const std::string& file) {
  return std::string("PROVIDER=") + provider + ";Data Source=" + file + ";";
}

// The value of `name` in a "Name=value;..." connection string; nullopt when absent.
std::optional<std::string> ConnectionItem(const std::string& cnn, const std::string& name) {
  std::string rest = cnn;
  while (!rest.empty()) {
    size_t semi = rest.find(';');
    std::string pair = rest.substr(0, semi);
    rest = semi == std::string::npos ? std::string() : rest.substr(semi + 1);
    size_t eq = pair.find('=');
    if (eq != std::string::npos && SameText(Trim(pair.substr(0, eq)), name))
      return Trim(pair.substr(eq + 1));
  }
  return std::nullopt;
}

bool IsSqliteFile(const std::string& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  // SQLite opens an empty file as an empty database.
  if (fs::file_size(file, ec) == 0 && !ec) return true;
  static const char kMagic[] = "SQLite format 3";  // 16 bytes with its NUL
  char header[sizeof kMagic] = {};
  in.read(header, sizeof header);
  return in.gcount() == static_cast<std::streamsize>(sizeof header) &&
         std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

void MakeWritable(const std::string& file) {
  std::error_code ec;
  fs::perms p = fs::status(file, ec).permissions();
  if (!ec && (p & fs::perms::owner_write) == fs::perms::none)
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
}

}  // namespace

std::vector<std::string> SwitchDatabaseCandidates(const std::string& appPath) {
  std::vector<std::string> out;
  if (!appPath.empty()) {
    fs::path app = fs::path(appPath);
    if (!app.has_filename()) app = app.parent_path();  // "/opt/erp/" -> "/opt/erp"
    out.push_back((app / kSwitchDatabaseFile).string());
    out.push_back((app / "erpSystem" / kSwitchDatabaseFile).string());
    if (app.has_parent_path() && app.parent_path() != app)
      out.push_back((app.parent_path() / "erpSystem" / kSwitchDatabaseFile).string());
  }
  out.push_back((fs::path("erpSystem") / kSwitchDatabaseFile).string());
  return out;
}

std::string FindSwitchDatabase(const std::string& appPath) {
  for (const std::string& candidate : SwitchDatabaseCandidates(appPath)) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return "";
}

bool OpenJetDatabase(const std::string& connectString) {
  std::optional<std::string> provider = ConnectionItem(connectString, "PROVIDER");
  std::optional<std::string> source = ConnectionItem(connectString, "Data Source");
  if (!provider || !source || source->empty()) return false;
  bool known = false;
  for (const char* p : kJetProviders) known = known || SameText(*provider, p);
  return known && IsSqliteFile(*source);
}

std::string GetDataConnectString(const std::optional<std::string>& path) {
  std::string result;
  TrapQuietly([&] {
    std::string file = path ? *path : FindSwitchDatabase(CurrentPlatform().AppPath());
    if (file.empty()) return;
    MakeWritable(file);
    result = BuildJetConnectString(file);
  });
  return result;
}

std::string BuildJetConnectString(const std::string& file, const JetOpener& opener) {
  for (const char* provider : kJetProviders) {
    std::string cnn = JetConnectString(provider, file);
    bool opened = false;
    TrapQuietly([&] { opened = opener(cnn); });
    if (opened) return cnn;
  }
  TrapQuietly([&] {
    CurrentPlatform().MsgBox(
        LoadTVString("由于你的ODBC有误，系统不能与文件:'") + file + LoadTVString("'建立连接。"),
        kPlainBox, LoadTVString("澜帆提示"));
  });
  return "";
}

}  // namespace orb
