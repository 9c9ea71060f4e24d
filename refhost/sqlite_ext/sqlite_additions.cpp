// Built twice: into the host with SQLITE_CORE defined (plain SQLite calls),
// and as a loadable module without it (calls go through the routines table
// the loading SQLite hands over).
#include <sqlite3ext.h>

#include "refhost/sqlite_ext/sqlite_additions.h"

SQLITE_EXTENSION_INIT1

namespace {

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int TrimmedLength(const unsigned char* s, int n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

// Byte order after folding ASCII capitals to small letters, trailing blanks ignored.
int CompareTextKey(void*, int na, const void* a, int nb, const void* b) {
  const auto* pa = static_cast<const unsigned char*>(a);
  const auto* pb = static_cast<const unsigned char*>(b);
  na = TrimmedLength(pa, na);
  nb = TrimmedLength(pb, nb);
  for (int i = 0; i < na && i < nb; ++i) {
    unsigned char ca = FoldAscii(pa[i]);
    unsigned char cb = FoldAscii(pb[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return na == nb ? 0 : (na < nb ? -1 : 1);
}

void LenFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const unsigned char* s = sqlite3_value_text(argv[0]);
  int n = TrimmedLength(s, sqlite3_value_bytes(argv[0]));
  sqlite3_int64 chars = 0;
  for (int i = 0; i < n; ++i) {
    if ((s[i] & 0xC0) != 0x80) ++chars;  // count lead bytes only
  }
  sqlite3_result_int64(ctx, chars);
}

}  // namespace

extern "C" int sqlite3_orbsqlext_init(sqlite3* db, char**, const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  int rc =
      sqlite3_create_collation_v2(db, "TEXTKEY", SQLITE_UTF8, nullptr, CompareTextKey, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "len", 1,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    LenFunction, nullptr, nullptr, nullptr);
  }
  return rc;
}
