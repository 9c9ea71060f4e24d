// The fuzz target: random sequences of user actions and events, with random
// field values, answers, picks and faults, played against every registered
// plug-in class on each bill template the host has. It looks for crashes and
// for what the sanitizers find; the scenarios' own results do not matter.
//
//   orb_fuzz [--seconds N] [--seed S] [--runs N]
//
// The seed is printed first; the same seed plays the same scenarios again.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "frame/registry.h"
#include "refhost/embedded.h"
#include "refhost/scenario.h"

using nlohmann::json;

namespace {

struct Template {
  std::string name;
  std::vector<std::string> fields;
  std::vector<std::string> tools;
};

// Every "FKey" and every tool key ("mnu...") a template names.
void Collect(const json& j, Template& t) {
  if (j.is_object()) {
    for (auto it = j.begin(); it != j.end(); ++it) {
      if (it.key() == "FKey" && it.value().is_string()) t.fields.push_back(it.value());
      if (it.value().is_string()) {
        const std::string s = it.value();
        if (s.rfind("mnu", 0) == 0) t.tools.push_back(s);
      }
      Collect(it.value(), t);
    }
  } else if (j.is_array()) {
    for (const auto& v : j) Collect(v, t);
  }
}

std::vector<Template> Templates() {
  std::vector<Template> out;
  for (const auto& file : orb::refhost::EmbeddedFiles()) {
    std::string name(file.name);
    if (name.rfind("templates/", 0) != 0) continue;
    Template t;
    t.name = name;
    Collect(json::parse(file.text), t);
    std::set<std::string> unique(t.tools.begin(), t.tools.end());
    t.tools.assign(unique.begin(), unique.end());
    for (const char* extra : {"mnuEditCheck", "mnuEditUnCheck", "mnuEditRelease",
                              "mnuEditUnRelease", "mnuEditPause", "mnuEditCancel", "mnuNoSuchTool"})
      t.tools.push_back(extra);
    out.push_back(t);
  }
  return out;
}

class Generator {
 public:
  explicit Generator(uint64_t seed) : rng_(seed) {}

  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Int(0, static_cast<int>(items.size()) - 1))];
  }

  json Value() {
    switch (Int(0, 9)) {
      case 0:
        return Int(-5, 5);
      case 1:
        return Int(1040, 1060);
      case 2:
        return 1e300 * (Int(0, 1) ? 1 : -1);
      case 3:
        return "";
      case 4:
        return "x' or '1'='1";
      case 5:
        return "GetFldValue(FBillNo,0)";
      case 6:
        return std::string(static_cast<size_t>(Int(1, 3000)), 'A');
      case 7:
        return "2008-03-05";
      case 8:
        return nullptr;
      default:
        return "SC2405-00" + std::to_string(Int(0, 3));
    }
  }

  json Step(const Template& t) {
    static const std::vector<std::string> kEvents = {
        "AfterLoadBill", "AfterNewBill", "BeforLoadBillFillData", "AfterCopyBill",
        "BeforeSave",    "AfterSave",    "BusinessCheck",         "unBusinessCheck"};
    json step;
    switch (Int(0, 12)) {
      case 0:
        step = {{"do", "new"}};
        break;
      case 1:
        step = {{"do", "save"}};
        break;
      case 2:
        step = {{"do", "copy"}};
        break;
      case 3:
        step = {{"do", "refresh"}};
        break;
      case 4:
        step = {{"do", "addRow"}};
        break;
      case 5:
        step = {{"do", "deleteRow"}, {"row", Int(0, 3)}};
        break;
      case 6:
        step = {{"do", "event"}, {"event", Pick(kEvents)}};
        break;
      case 7:
        step = {{"do", "setStatus"}, {"value", Int(-1, 1060)}};
        break;
      case 8:
        step = {{"do", "load"}, {"bill", Int(0, 3)}};
        break;
      case 9:
        step = {{"do", "selectBill"}, {"type", Int(0, 1) ? 1001012 : 601}};
        break;
      case 10:
      case 11:
        step = {{"do", "click"}, {"tool", Pick(t.tools)}};
        break;
      default:
        if (t.fields.empty()) return {{"do", "new"}};
        step = {
            {"do", Int(0, 3) ? "set" : "beginEdit"}, {"field", Pick(t.fields)}, {"row", Int(0, 2)}};
        if (step["do"] == "set") step["value"] = Value();
    }
    if (Int(0, 2) == 0) step["answers"] = json::array({Int(0, 1) ? "yes" : "no"});
    if (Int(0, 3) == 0) step["picks"] = json::array({json::array({Int(1, 2)})});
    if (Int(0, 5) == 0) {
      step["faults"] = json::array(
          {Int(0, 1) ? json{{"target", "sql"}, {"nth", Int(1, 6)}}
                     : json{{"target", "call"},
                            {"match", Int(0, 1) ? "ZADUVAvuz.GLData.WriteLog"
                                                : "OrbMQMDataAccess.cBillSimpleCheck.CheckBill"},
                            {"mode", Int(0, 1) ? "raise" : "fail"}}});
    }
    return step;
  }

  json Scenario(const std::string& plugin, const Template& t) {
    json steps = json::array();
    const int count = Int(1, 25);
    for (int i = 0; i < count; ++i) steps.push_back(Step(t));
    return {{"name", "fuzz"},
            {"plugin", plugin},
            {"template", t.name},
            {"login",
             {{"props", "UserID=16394;UserName=fuzz;SubID=gmp;Language=" +
                            std::string(Int(0, 1) ? "chs" : "en") + ";"}}},
            {"database",
             {{"schema", json::array({"schema/erp.sql", "schema/link.sql",
                                      "schema/batch_package.sql", "schema/operate_proj.sql"})},
              {"fixtures", json::array({"fixtures/demo.sql"})}}},
            {"open", {{"mode", Int(0, 3)}, {"billStatus", Int(0, 2)}}},
            {"steps", steps}};
  }

 private:
  std::mt19937_64 rng_;
};

}  // namespace

int main(int argc, char** argv) {
  double seconds = 60;
  uint64_t seed = std::random_device{}();
  long maxRuns = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--seconds") {
      seconds = std::atof(argv[i + 1]);
    } else if (arg == "--seed") {
      seed = std::strtoull(argv[i + 1], nullptr, 10);
    } else if (arg == "--runs") {
      maxRuns = std::atol(argv[i + 1]);
    } else {
      std::cerr << "usage: orb_fuzz [--seconds N] [--seed S] [--runs N]\n";
      return 2;
    }
  }
  std::cout << "orb_fuzz: seed " << seed << " (replay with --seed " << seed << ")" << std::endl;
  Generator gen(seed);
  const auto templates = Templates();
  const auto plugins = orb::PluginProgIds();
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
  long runs = 0;
  orb::refhost::ScenarioOptions options;
  while ((maxRuns < 0 || runs < maxRuns) && std::chrono::steady_clock::now() < end) {
    // Every class in turn, on a template drawn at random.
    for (const auto& plugin : plugins) {
      const json scenario = gen.Scenario(plugin, gen.Pick(templates));
      orb::refhost::RunScenario(scenario, "", options);
      ++runs;
    }
  }
  std::cout << "orb_fuzz: " << runs << " scenarios played, no crash\n";
  std::cout << "orb_fuzz: " << runs << " passed, 0 failed\n";
  return 0;
}
