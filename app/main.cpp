// gmpbill: the command-line program of the reference host.
//
//   gmpbill classes            lists the ProgIDs of the plug-in classes
//   gmpbill run SCENARIO...    runs scenario files and checks their expectations
//   gmpbill demo               plays the bundled example scenarios on a demo database
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "frame/registry.h"

namespace {

const char* kUsage =
    "usage: gmpbill <command> [options]\n"
    "\n"
    "commands:\n"
    "  classes   list the ProgIDs of the plug-in classes\n"
    "\n"
    "Run 'gmpbill <command> --help' for the options of a command.\n";

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& a : args) {
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int Classes(const std::vector<std::string>& args) {
  if (WantsHelp(args)) {
    std::cout << "usage: gmpbill classes\n\nLists the ProgID of every plug-in class the "
                 "library registers, one per line.\n";
    return 0;
  }
  if (!args.empty()) {
    std::cerr << "gmpbill classes: unexpected argument '" << args.front() << "'\n";
    return 2;
  }
  for (const auto& id : orb::PluginProgIds()) std::cout << id << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args.front() == "--help" || args.front() == "-h" ||
      args.front() == "help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "classes") return Classes(args);
  std::cerr << "gmpbill: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
