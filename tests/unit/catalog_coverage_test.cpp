// Every text the library can show has an English translation: each string
// literal with Chinese characters in the library's sources must be a key of
// the English catalog. Literals that are data rather than shown text (a
// status name written into a field, say) carry the comment "// data" on
// their line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "refhost/components/res_loader.h"

namespace {

namespace fs = std::filesystem;

bool HasNonAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return true;
  }
  return false;
}

// The string literals of a C++ source line (escapes are not expected in
// these texts; a literal with one is taken as written).
std::vector<std::string> Literals(const std::string& line) {
  std::vector<std::string> out;
  static const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  for (auto it = std::sregex_iterator(line.begin(), line.end(), literal);
       it != std::sregex_iterator(); ++it) {
    out.push_back((*it)[1].str());
  }
  return out;
}

TEST(CatalogCoverage, EveryChineseLiteralOfTheLibraryHasAnEnglishEntry) {
  std::vector<std::string> missing;
  int checked = 0;
  for (const char* folder : {"frame", "services", "forms", "bills"}) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(ORB_SOURCE_DIR) / folder)) {
      const auto ext = entry.path().extension();
      if (ext != ".cpp" && ext != ".h") continue;
      std::ifstream in(entry.path());
      std::string line;
      int number = 0;
      while (std::getline(in, line)) {
        ++number;
        const auto code = line.substr(0, line.find("//"));
        if (line.find("// data") != std::string::npos) continue;
        for (const auto& text : Literals(code)) {
          if (!HasNonAscii(text)) continue;
          ++checked;
          // Keys are looked up trimmed, as the library does.
          auto begin = text.find_first_not_of(' ');
          auto end = text.find_last_not_of(' ');
          std::string key = begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
          if (!orb::refhost::CatalogHas("OrbHYManufacture", "en", key)) {
            missing.push_back(fs::relative(entry.path(), ORB_SOURCE_DIR).string() + ":" +
                              std::to_string(number) + ": \"" + key + "\"");
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 0);
  std::ostringstream list;
  for (const auto& m : missing) list << "\n  " << m;
  EXPECT_TRUE(missing.empty()) << "texts without an English entry:" << list.str();
}

}  // namespace
