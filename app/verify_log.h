// gmpbill verify-log: checks the hash chain of a database's user log.
#pragma once

#include <string>
#include <vector>

// Exit code 0 when the chain is intact, 1 when a row was changed, removed or
// inserted out of order, 2 for a bad command line or a file that cannot be
// read.
int VerifyLogCommand(const std::vector<std::string>& args);
