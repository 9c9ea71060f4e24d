#include "refhost/components/res_loader.h"

#include <cstddef>
#include <memory>
#include <mutex>

#include "host/automation_error.h"
#include "host/convert.h"
#include "refhost/embedded.h"
#include "refhost/host.h"

namespace orb::refhost {

namespace {

constexpr const char* kCatalogSource = "OrbResLoader.Loader";

[[noreturn]] void BadLine(size_t line, const std::string& why) {
  Raise(err::kInvalidCall, kCatalogSource, "PO line " + std::to_string(line) + ": " + why);
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// The text of a "..." literal with its escapes read.
std::string Unquote(std::string_view s, size_t line) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') BadLine(line, "expected a \"text\"");
  std::string out;
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    char c = s[i];
    if (c == '"') BadLine(line, "unescaped quote");
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 2 >= s.size()) BadLine(line, "escape at the end of the text");
    switch (char e = s[++i]) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '"':
      case '\\':
        out += e;
        break;
      default:
        BadLine(line, std::string("unknown escape \\") + e);
    }
  }
  return out;
}

}  // namespace

Catalog Catalog::Parse(std::string_view po) {
  Catalog catalog;
  std::string id;
  std::string str;
  std::string ignored;
  std::string* continued = nullptr;  // the text a "..." line continues
  bool hasId = false;
  bool hasStr = false;
  bool fuzzy = false;
  bool skip = false;  // entries with a context or plural forms are no plain keys

  auto finish = [&] {
    if (hasId && !skip && !fuzzy && !id.empty() && !str.empty()) {
      if (catalog.texts_.emplace(id, str).second) catalog.keys_.push_back(id);
    }
    id.clear();
    str.clear();
    continued = nullptr;
    hasId = hasStr = fuzzy = skip = false;
  };

  size_t lineNo = 0;
  while (!po.empty()) {
    size_t eol = po.find('\n');
    std::string_view line = TrimView(po.substr(0, eol));
    po.remove_prefix(eol == std::string_view::npos ? po.size() : eol + 1);
    ++lineNo;

    if (line.empty()) continue;
    if (line.front() == '#') {
      // Comments open the next entry; "#," lists its flags.
      if (hasStr) finish();
      if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) fuzzy = true;
      continue;
    }
    if (line.front() == '"') {
      if (!continued) BadLine(lineNo, "text outside an entry");
      *continued += Unquote(line, lineNo);
      continue;
    }
    size_t space = line.find_first_of(" \t");
    if (space == std::string_view::npos) BadLine(lineNo, "keyword without text");
    std::string_view keyword = line.substr(0, space);
    std::string text = Unquote(TrimView(line.substr(space)), lineNo);
    if (keyword == "msgctxt") {
      if (hasId || hasStr) finish();
      skip = true;
      ignored = text;
      continued = &ignored;
    } else if (keyword == "msgid") {
      if (hasStr) finish();
      if (hasId) BadLine(lineNo, "msgid without msgstr");
      id = text;
      hasId = true;
      continued = &id;
    } else if (keyword == "msgid_plural") {
      if (!hasId) BadLine(lineNo, "msgid_plural without msgid");
      skip = true;
      ignored = text;
      continued = &ignored;
    } else if (keyword == "msgstr") {
      if (!hasId || hasStr) BadLine(lineNo, "msgstr without msgid");
      str = text;
      hasStr = true;
      continued = &str;
    } else if (keyword.starts_with("msgstr[")) {
      if (!hasId) BadLine(lineNo, "msgstr without msgid");
      skip = hasStr = true;
      ignored = text;
      continued = &ignored;
    } else {
      BadLine(lineNo, "unknown keyword " + std::string(keyword));
    }
  }
  if (hasId && !hasStr) BadLine(lineNo, "msgid without msgstr");
  finish();
  return catalog;
}

std::optional<std::string> Catalog::Find(const std::string& key) const {
  auto it = texts_.find(key);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

const Catalog* FindCatalog(const std::string& base, const std::string& lang) {
  // Catalogs are read on first use and kept for the life of the process.
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<Catalog>> cache;
  const std::string name = LCase("lang/" + base + "." + lang + ".po");
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(name);
  if (it == cache.end()) {
    auto text = FindEmbedded(name);
    it = cache.emplace(name, text ? std::make_unique<Catalog>(Catalog::Parse(*text)) : nullptr)
             .first;
  }
  return it->second.get();
}

std::vector<std::string> CatalogKeys(const std::string& base, const std::string& lang) {
  const Catalog* catalog = FindCatalog(base, lang);
  return catalog ? catalog->Keys() : std::vector<std::string>();
}

bool CatalogHas(const std::string& base, const std::string& lang, const std::string& key) {
  const Catalog* catalog = FindCatalog(base, lang);
  return catalog && catalog->Find(key).has_value();
}

std::string Translate(const std::string& base, const std::string& lang, const std::string& key) {
  const Catalog* catalog = FindCatalog(base, lang);
  if (!catalog) return key;
  return catalog->Find(key).value_or(key);
}

HostResLoader::HostResLoader(Host& host) : ComponentBase(host, progid::kResLoader) {}

void HostResLoader::SetResFileBaseName(const std::string& name) {
  if (Enter("ResFileBaseName", {name})) return;
  base_ = name;
}

void HostResLoader::SetLanguageID(const std::string& language) {
  if (Enter("LanguageID", {language})) return;
  language_ = language;
}

std::string HostResLoader::LoadString(const std::string& key) {
  if (Enter("LoadString", {key})) return std::string();
  return Translate(base_, language_, key);
}

}  // namespace orb::refhost
