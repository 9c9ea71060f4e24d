// The user log as a hash chain: every t_UserLog row carries in FHash the
// SHA-256 of the previous row's FHash and its own content (id, user,
// function, type, text, date), so that a row changed, removed or inserted
// out of order afterwards breaks the chain from that row on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "refhost/sqlite_database.h"

namespace orb::refhost {

// The SHA-256 of `data` as 64 lower-case hex digits.
std::string Sha256Hex(const std::string& data);

// Computes and stores the FHash of the t_UserLog row `id` from the row before
// it. Called right after the row was inserted, in the same transaction.
void SealUserLogRow(Database& db, int64_t id);

// What checking the chain found: nullopt when intact, else the FID of the
// first row whose hash does not follow from the rows before it.
struct UserLogCheck {
  int64_t rows = 0;
  std::optional<int64_t> firstBroken;
};
UserLogCheck VerifyUserLog(Database& db);

}  // namespace orb::refhost
