#include "refhost/scenario_limits.h"

#include <cstdint>
#include <filesystem>
#include <limits>

namespace orb::refhost {

namespace {

using nlohmann::json;

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
  throw ScenarioLimitError(where + ": " + what);
}

// A whole number that fits a 32-bit field, within [low, high].
void CheckWhole(const json& value, const std::string& where, int64_t low = INT32_MIN,
                int64_t high = INT32_MAX) {
  const bool whole = value.is_number_integer() || value.is_number_unsigned();
  if (!whole)
    Refuse(where, "must be a whole number, not " +
                      value.dump(-1, ' ', false, json::error_handler_t::replace));
  const bool fits = value.is_number_unsigned()
                        ? value.get<uint64_t>() <= static_cast<uint64_t>(high)
                        : value.get<int64_t>() >= low && value.get<int64_t>() <= high;
  if (!fits) Refuse(where, value.dump() + " is out of range");
}

// A data file is named relative to the scenario's folder and stays inside it.
void CheckDataPath(const json& name, const std::string& where) {
  if (!name.is_string()) Refuse(where, "a data file is named by a text");
  const std::filesystem::path path(name.get<std::string>());
  if (path.empty()) Refuse(where, "names no data file");
  if (path.is_absolute() || path.has_root_name() || path.has_root_directory())
    Refuse(where, "a data file must be named relative to the scenario's folder");
  for (const auto& part : path) {
    if (part == "..") Refuse(where, "a data file may not lie outside the scenario's folder");
  }
}

// "FKey" or "FKey[row]" with a row from 0 to the largest 32-bit number.
void CheckFieldKey(const std::string& key, const std::string& where) {
  const size_t bracket = key.find('[');
  if (bracket == std::string::npos) return;
  const std::string row = key.substr(bracket + 1);
  bool digits = row.size() >= 2 && row.back() == ']' && row.size() <= 12;
  for (size_t i = 0; digits && i + 1 < row.size(); ++i) digits = row[i] >= '0' && row[i] <= '9';
  if (!digits || std::stoll(row.substr(0, row.size() - 1)) > INT32_MAX)
    Refuse(where, "field key \"" + key + "\" must be FKey or FKey[row] with a row number");
}

void CheckStep(const json& step, const std::string& where) {
  if (!step.is_object()) return;  // the player reports steps of the wrong kind
  if (step.contains("row")) CheckWhole(step.at("row"), where + " row");
  if (step.value("do", std::string()) == "setStatus" && step.contains("value"))
    CheckWhole(step.at("value"), where + " value");
  if (step.contains("faults") && step.at("faults").is_array()) {
    for (const auto& fault : step.at("faults")) {
      if (!fault.is_object()) continue;
      if (fault.contains("nth")) CheckWhole(fault.at("nth"), where + " fault nth", 0);
      if (fault.contains("times")) CheckWhole(fault.at("times"), where + " fault times", 0);
      if (fault.contains("number")) CheckWhole(fault.at("number"), where + " fault number");
    }
  }
  if (step.contains("expect") && step.at("expect").is_object()) {
    const json& expect = step.at("expect");
    if (expect.contains("fields") && expect.at("fields").is_object()) {
      for (auto it = expect.at("fields").begin(); it != expect.at("fields").end(); ++it)
        CheckFieldKey(it.key(), where + " fields");
    }
  }
}

}  // namespace

int JsonDepth(const std::string& text) {
  int depth = 0;
  int deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > deepest) deepest = depth;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

json ParseScenarioText(const std::string& text) {
  if (JsonDepth(text) > kMaxScenarioDepth) {
    throw ScenarioLimitError("the document is nested deeper than " +
                             std::to_string(kMaxScenarioDepth) + " levels");
  }
  json scenario = json::parse(text);
  CheckScenarioDocument(scenario);
  return scenario;
}

void CheckScenarioDocument(const json& scenario) {
  if (!scenario.is_object()) return;
  if (scenario.contains("template")) CheckDataPath(scenario.at("template"), "template");
  if (scenario.contains("database") && scenario.at("database").is_object()) {
    for (const char* list : {"schema", "fixtures"}) {
      const json& files = scenario.at("database").value(list, json::array());
      if (!files.is_array()) continue;
      for (size_t i = 0; i < files.size(); ++i)
        CheckDataPath(files[i], std::string("database ") + list + " " + std::to_string(i + 1));
    }
  }
  if (scenario.contains("steps") && scenario.at("steps").is_array()) {
    const json& steps = scenario.at("steps");
    for (size_t i = 0; i < steps.size(); ++i) CheckStep(steps[i], "step " + std::to_string(i + 1));
  }
}

}  // namespace orb::refhost
