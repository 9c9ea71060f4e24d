// "OrbResLoader.Loader": the translated texts of a resource file, read from
// the gettext catalogs built into the host (refhost/lang/<BaseName>.<language>.po).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/components.h"
#include "refhost/components/component_base.h"

namespace orb::refhost {

// The translations of one PO catalog. Only entries with a translation are
// kept: the header (msgid ""), entries marked fuzzy and entries whose msgstr
// is empty are left out, as gettext leaves them out. Keys are taken exactly as
// written ("审核|" is a key of its own, not a context).
class Catalog {
 public:
  // Reads PO text: msgid/msgstr with "..." continuation lines and the escapes
  // \" \\ \n \t \r. Raises err::kInvalidCall for a line it cannot read.
  static Catalog Parse(std::string_view po);

  std::optional<std::string> Find(const std::string& key) const;
  // The keys in the order the catalog lists them.
  const std::vector<std::string>& Keys() const { return keys_; }

 private:
  std::map<std::string, std::string> texts_;
  std::vector<std::string> keys_;
};

// The built-in catalog of a resource file in a language (both in any letter
// case); nullptr when there is none.
const Catalog* FindCatalog(const std::string& base, const std::string& lang);
// The keys the catalog translates; none when there is no such catalog.
std::vector<std::string> CatalogKeys(const std::string& base, const std::string& lang);
// True when the catalog has a translation of `key`.
bool CatalogHas(const std::string& base, const std::string& lang, const std::string& key);
// The translation of `key`, or `key` itself when there is none.
std::string Translate(const std::string& base, const std::string& lang, const std::string& key);

class HostResLoader : public ResLoader, private ComponentBase {
 public:
  explicit HostResLoader(Host& host);

  std::string ResFileBaseName() const override { return base_; }
  void SetResFileBaseName(const std::string& name) override;
  std::string LanguageID() const override { return language_; }
  void SetLanguageID(const std::string& language) override;
  std::string LoadString(const std::string& key) override;

 private:
  std::string base_;
  std::string language_;
};

}  // namespace orb::refhost
