// Text files built into the reference host: the host's table schemas
// (refhost/schema/*.sql), the message catalogs (refhost/lang/*.po), the bill
// templates, the demo fixtures and the demo scenarios, so that
// the host program and the tests need no files beside them at run time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb::refhost {

struct EmbeddedFile {
  // The path under refhost/ with forward slashes: "schema/system.sql",
  // "lang/OrbHYManufacture.en.po".
  std::string_view name;
  std::string_view text;
};

// Every embedded file, ordered by name.
const std::vector<EmbeddedFile>& EmbeddedFiles();

// The text of the embedded file `name`; letter case is ignored.
std::optional<std::string_view> FindEmbedded(std::string_view name);

}  // namespace orb::refhost
