#include "app/verify_log.h"

#include <filesystem>
#include <iostream>

#include "host/automation_error.h"
#include "refhost/components/user_log_chain.h"
#include "refhost/sqlite_database.h"

int VerifyLogCommand(const std::vector<std::string>& args) {
  std::string path;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::cout << "usage: gmpbill verify-log --database FILE\n\n"
                   "Checks that no row of the user log (t_UserLog) was changed, removed or\n"
                   "inserted out of order since it was written. Exits 0 when the log is\n"
                   "intact, 1 naming the first row that is not.\n";
      return 0;
    }
    if (args[i] == "--database" && i + 1 < args.size()) {
      path = args[++i];
    } else {
      std::cerr << "gmpbill verify-log: unexpected argument '" << args[i] << "'\n";
      return 2;
    }
  }
  if (path.empty()) {
    std::cerr << "gmpbill verify-log: name the database with --database FILE\n";
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    std::cerr << "gmpbill verify-log: no database file '" << path << "'\n";
    return 2;
  }
  try {
    auto db = orb::refhost::Database::Open(path);
    const auto check = orb::refhost::VerifyUserLog(*db);
    if (check.firstBroken) {
      std::cout << "user log broken at row " << *check.firstBroken
                << ": it was changed, or a row before it was removed or inserted out of order\n";
      return 1;
    }
    std::cout << "user log intact: " << check.rows << " rows\n";
    return 0;
  } catch (const orb::AutomationError& e) {
    std::cerr << "gmpbill verify-log: " << e.Description() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "gmpbill verify-log: " << e.what() << "\n";
  }
  return 2;
}
