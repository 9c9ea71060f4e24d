// Scenario files that would crash or mislead the runner are refused with an
// error naming the step or key.
#include "refhost/scenario_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace orb::refhost {
namespace {

// The error ParseScenarioText gives for `text`, "" when it accepts it.
std::string Refusal(const std::string& text) {
  try {
    ParseScenarioText(text);
    return "";
  } catch (const ScenarioLimitError& e) {
    return e.what();
  }
}

TEST(ScenarioLimits, DeepDocumentsAreRefusedBeforeParsing) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(JsonDepth(deep), 100000);
  EXPECT_NE(Refusal(deep).find("nested deeper than 64"), std::string::npos);
  // Brackets inside texts, escaped quotes included, do not count.
  EXPECT_EQ(JsonDepth(R"({"a": "[[[[\"[[[", "b": [{}]})"), 3);
  EXPECT_EQ(Refusal(std::string(64, '[') + std::string(64, ']')), "");
}

TEST(ScenarioLimits, NumbersMustFitTheirFields) {
  EXPECT_EQ(Refusal(R"({"steps": [{"do": "setStatus", "value": 1050}]})"), "");
  EXPECT_NE(Refusal(R"({"steps": [{"do": "new"}, {"do": "setStatus", "value": 1e300}]})")
                .find("step 2 value"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"steps": [{"do": "setStatus", "value": 4294967296}]})").find("range"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"steps": [{"do": "save", "faults": [{"nth": 1e300}]}]})")
                .find("step 1 fault nth"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"steps": [{"do": "save", "faults": [{"nth": -1}]}]})").find("range"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"steps": [{"do": "set", "field": "F", "row": 2.5}]})").find("whole"),
            std::string::npos);
}

TEST(ScenarioLimits, FieldKeysNameARowByNumber) {
  auto fields = [](const std::string& key) {
    return Refusal(R"({"steps": [{"do": "save", "expect": {"fields": {")" + key + R"(": 1}}}]})");
  };
  EXPECT_EQ(fields("FBillNO"), "");
  EXPECT_EQ(fields("FQty[2]"), "");
  for (const char* bad : {"FBillNO[abc]", "FQty[]", "FQty[2", "FQty[-1]", "FQty[99999999999]"}) {
    SCOPED_TRACE(bad);
    EXPECT_NE(fields(bad).find("step 1 fields"), std::string::npos);
  }
}

TEST(ScenarioLimits, DataFilesStayInsideTheScenarioFolder) {
  EXPECT_EQ(Refusal(R"({"template": "batch_package", "database": {"schema": ["schema/erp.sql"]}})"),
            "");
  EXPECT_NE(Refusal(R"({"database": {"schema": ["../../etc/passwd"]}})").find("outside"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"database": {"fixtures": ["a/../../b.sql"]}})").find("fixtures 1"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"database": {"schema": ["/etc/passwd"]}})").find("relative"),
            std::string::npos);
  EXPECT_NE(Refusal(R"({"template": "../secret"})").find("template"), std::string::npos);
}

}  // namespace
}  // namespace orb::refhost
