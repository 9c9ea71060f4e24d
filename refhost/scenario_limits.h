// What a scenario file must keep to before it is played: a nesting depth the
// parser and the player can handle, numbers that fit where they go, field
// keys the expectations can read, and data files inside the scenario's own
// folder (or built into the host). A file that breaks one is refused as a
// whole with an error naming the step or key, before anything runs.
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace orb::refhost {

// Deeper documents are refused before they are parsed.
inline constexpr int kMaxScenarioDepth = 64;

class ScenarioLimitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses a scenario file's text after checking its depth, then checks the
// document with CheckScenarioDocument. Raises ScenarioLimitError (or the
// parser's error for text that is no JSON).
nlohmann::json ParseScenarioText(const std::string& text);

// The nesting depth of the arrays and objects of a JSON text (strings
// skipped), counted without parsing it.
int JsonDepth(const std::string& text);

// Raises ScenarioLimitError for the first value the document may not hold.
void CheckScenarioDocument(const nlohmann::json& scenario);

}  // namespace orb::refhost
