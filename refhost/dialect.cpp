#include "refhost/dialect.h"

#include <cstddef>
#include <string_view>

namespace orb::refhost {

namespace {

bool IsWordChar(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
         u == '$' || u == '@' || u == '#' || u >= 0x80;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool SameWord(std::string_view word, std::string_view lower) {
  if (word.size() != lower.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

size_t SkipBlanks(const std::string& s, size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

// The end of a quoted run starting at `i` (on the opening quote): a doubled
// closing quote stands for itself. An unterminated run goes to the end.
size_t QuotedEnd(const std::string& s, size_t i, char close) {
  for (++i; i < s.size(); ++i) {
    if (s[i] != close) continue;
    if (i + 1 < s.size() && s[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return s.size();
}

// When a literal, a quoted identifier or a comment starts at `i`, the index
// just past it; otherwise `i`.
size_t LiteralEnd(const std::string& s, size_t i) {
  const char c = s[i];
  if (c == '\'' || c == '"') return QuotedEnd(s, i, c);
  if (c == '[') return QuotedEnd(s, i, ']');
  if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
    size_t end = s.find('\n', i);
    return end == std::string::npos ? s.size() : end;
  }
  if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
    size_t end = s.find("*/", i + 2);
    return end == std::string::npos ? s.size() : end + 2;
  }
  return i;
}

bool IsComment(const std::string& s, size_t i) {
  return (s[i] == '-' || s[i] == '/') && LiteralEnd(s, i) != i;
}

}  // namespace

// The mappings, each applied to a whole word that is followed (after optional
// blanks) by an opening parenthesis:
//
//   isnull(a, b)  ->  ifnull(a, b)
//       SQLite reads ISNULL as the postfix operator `x ISNULL`, so no function
//       of that name can be registered; ifnull has the same meaning.
//   getdate()     ->  datetime('now','localtime')
//       The local date and time as 'YYYY-MM-DD HH:MM:SS', which compares with
//       the 'YYYY-MM-DD' date texts of the tables in date order.
//
// len(x) needs no rewriting: the database registers len with T-SQL's meaning
// (trailing blanks not counted), which length() would not have.
std::string TranslateTSql(const std::string& sql) {
  // One pass; the output is only built from the first rewrite on, so a
  // statement with nothing to rewrite costs one scan and is returned as it is.
  std::string out;
  bool rewritten = false;
  size_t copied = 0;  // sql[0, copied) is in out
  auto replace = [&](size_t from, size_t to, std::string_view with) {
    if (!rewritten) {
      out.reserve(sql.size() + 32);
      rewritten = true;
    }
    out.append(sql, copied, from - copied);
    out += with;
    copied = to;
  };
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    size_t end = i + 1;
    if (c == '\'' || c == '"') {
      end = QuotedEnd(sql, i, c);
    } else if (c == '[') {
      end = QuotedEnd(sql, i, ']');
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      end = sql.find('\n', i);
      end = end == std::string::npos ? sql.size() : end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      end = sql.find("*/", i + 2);
      end = end == std::string::npos ? sql.size() : end + 2;
    } else if (IsWordChar(c)) {
      while (end < sql.size() && IsWordChar(sql[end])) ++end;
      const std::string_view word(sql.data() + i, end - i);
      const bool qualified = i > 0 && sql[i - 1] == '.';
      // Only the two mapped names can need the look-ahead for a parenthesis.
      if (!qualified && (word.size() == 6 || word.size() == 7)) {
        const size_t paren = SkipBlanks(sql, end);
        if (paren < sql.size() && sql[paren] == '(') {
          if (SameWord(word, "isnull")) {
            replace(i, end, "ifnull");
          } else if (SameWord(word, "getdate")) {
            const size_t close = SkipBlanks(sql, paren + 1);
            if (close < sql.size() && sql[close] == ')') {
              replace(i, close + 1, "datetime('now','localtime')");
              end = close + 1;
            }
          }
        }
      }
    }
    i = end;
  }
  if (!rewritten) return sql;
  out.append(sql, copied, std::string::npos);
  return out;
}

std::vector<std::string> SplitStatements(const std::string& sql) {
  std::vector<std::string> out;
  size_t start = 0;
  bool content = false;  // the current piece holds more than blanks and comments
  auto finish = [&](size_t end) {
    if (content) out.push_back(sql.substr(start, end - start));
    start = end + 1;
    content = false;
  };
  size_t i = 0;
  while (i < sql.size()) {
    size_t end = LiteralEnd(sql, i);
    if (end != i) {
      content = content || !IsComment(sql, i);
      i = end;
      continue;
    }
    if (sql[i] == ';') {
      finish(i);
    } else if (!IsBlank(sql[i])) {
      content = true;
    }
    ++i;
  }
  finish(sql.size());
  return out;
}

const Dialect& Dialect::TSql() {
  static const Dialect dialect(Kind::kTSql);
  return dialect;
}

const Dialect& Dialect::Sqlite() {
  static const Dialect dialect(Kind::kSqlite);
  return dialect;
}

const Dialect& Dialect::ForProduct(const std::string& dbmsName) {
  std::string lower;
  for (char c : dbmsName) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower.find("sqlite") != std::string::npos ? Sqlite() : TSql();
}

std::string Dialect::Statement(const std::string& sql) const {
  return kind_ == Kind::kSqlite ? TranslateTSql(sql) : sql;
}

std::string Dialect::ReadinessCheck() const {
  return kind_ == Kind::kSqlite ? "SELECT len('x ') WHERE 'A' = 'a ' COLLATE TEXTKEY" : "";
}

std::vector<std::string> Dialect::Calls(const std::string& sql) const {
  if (kind_ == Kind::kSqlite) return SplitStatements(sql);
  return {sql};
}

}  // namespace orb::refhost
