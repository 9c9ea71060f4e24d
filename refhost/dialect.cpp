#include "refhost/dialect.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
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

// Whether some "(" in `sql` follows, blanks apart, a word that may be one of
// the mapped names: when none does there is nothing to rewrite, which most
// statements show with a few memchr calls instead of a full scan.
bool MayNeedRewrite(const std::string& sql) {
  const char* begin = sql.data();
  const char* end = begin + sql.size();
  for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '(', end - p))); ++p) {
    const char* wordEnd = p;
    while (wordEnd > begin && IsBlank(wordEnd[-1])) --wordEnd;
    const char* word = wordEnd;
    while (word > begin && IsWordChar(word[-1])) --word;
    const std::string_view name(word, wordEnd - word);
    if (SameWord(name, "isnull") || SameWord(name, "getdate")) return true;
  }
  return false;
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
  if (!MayNeedRewrite(sql)) return sql;
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

const std::string& Dialect::Statement(const std::string& sql, std::string& storage) const {
  if (kind_ != Kind::kSqlite || !MayNeedRewrite(sql)) return sql;
  storage = TranslateTSql(sql);
  return storage;
}

std::string Dialect::ReadinessCheck() const {
  return kind_ == Kind::kSqlite ? "SELECT len('x ') WHERE 'A' = 'a ' COLLATE TEXTKEY" : "";
}

std::vector<std::string> Dialect::Calls(const std::string& sql) const {
  if (kind_ == Kind::kSqlite) return SplitStatements(sql);
  return {sql};
}

// ---- Schema scripts -------------------------------------------------------

namespace {

// `sql` without its comments (a driver may take a semicolon in one for the
// end of the statement) and without the blanks around it.
std::string WithoutComments(const std::string& sql) {
  std::string out;
  size_t i = 0;
  while (i < sql.size()) {
    const size_t end = LiteralEnd(sql, i);
    if (end == i) {
      out += sql[i++];
      continue;
    }
    if (IsComment(sql, i)) {
      if (sql[i] == '/') out += ' ';  // a line comment leaves its line end
    } else {
      out.append(sql, i, end - i);
    }
    i = end;
  }
  const size_t first = SkipBlanks(out, 0);
  size_t last = out.size();
  while (last > first && IsBlank(out[last - 1])) --last;
  return out.substr(first, last - first);
}

// The statements of a schema script, without comments: the pieces between
// semicolons, joined again while SQLite reads them as unfinished (a trigger's
// body holds semicolons of its own).
std::vector<std::string> ScriptStatements(const std::string& script) {
  std::vector<std::string> out;
  std::string pending;
  for (std::string piece : SplitStatements(script)) {
    piece = WithoutComments(piece);
    pending = pending.empty() ? std::move(piece) : pending + ";\n" + piece;
    if (sqlite3_complete((pending + ";").c_str()) != 0) {
      out.push_back(std::move(pending));
      pending.clear();
    }
  }
  if (!pending.empty()) out.push_back(std::move(pending));
  return out;
}

// A word of a statement: [begin, end) in its text, outside literals and
// comments; begin == end at the end of the text.
struct Word {
  size_t begin = 0, end = 0;
};

// The next word or single punctuation character from `i`, past blanks and comments.
Word NextToken(const std::string& s, size_t i) {
  for (;;) {
    i = SkipBlanks(s, i);
    if (i < s.size() && IsComment(s, i)) {
      i = LiteralEnd(s, i);
      continue;
    }
    break;
  }
  if (i >= s.size()) return {s.size(), s.size()};
  size_t end = LiteralEnd(s, i);
  if (end == i) {
    end = i + 1;
    if (IsWordChar(s[i]))
      while (end < s.size() && IsWordChar(s[end])) ++end;
  }
  return {i, end};
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Reads the expected words in order from `i`; on a match `i` is past them.
bool Expect(const std::string& s, size_t& i, std::initializer_list<std::string_view> words) {
  size_t at = i;
  for (std::string_view want : words) {
    Word w = NextToken(s, at);
    if (!SameWord(std::string_view(s).substr(w.begin, w.end - w.begin), want)) return false;
    at = w.end;
  }
  i = at;
  return true;
}

// A name (a plain identifier) at `i`, or "" when none; `i` is moved past it.
std::string Name(const std::string& s, size_t& i) {
  Word w = NextToken(s, i);
  if (w.begin == w.end || !IsWordChar(s[w.begin])) return "";
  i = w.end;
  return s.substr(w.begin, w.end - w.begin);
}

// The names of a parenthesised list of plain names at `i` ("(a, b)"), or an
// empty list when the text there is anything else.
std::vector<std::string> NameList(const std::string& s, size_t& i) {
  std::vector<std::string> names;
  size_t at = i;
  if (!Expect(s, at, {"("})) return {};
  for (;;) {
    std::string name = Name(s, at);
    if (name.empty()) return {};
    names.push_back(std::move(name));
    Word w = NextToken(s, at);
    at = w.end;
    const std::string_view sep(s.data() + w.begin, w.end - w.begin);
    if (sep == ")") break;
    if (sep != ",") return {};
  }
  i = at;
  return names;
}

std::string Quoted(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += c;
  }
  return out + quote;
}

// The text of [from, to) with its string literals as N'...' and, when
// `columns` is set, its column types as T-SQL's (see the header). The
// text columns in `keys` ("table.column", lower case) are made short enough
// to index.
std::string TSqlBody(const std::string& s, size_t from, size_t to, const std::string& table,
                     bool columns, const std::vector<std::string>& keys, std::string& reason) {
  std::string out;
  std::string lastName;  // the column being defined: the first word after "(" or ","
  bool atColumnStart = true;
  size_t i = from;
  while (i < to) {
    Word w = NextToken(s, i);
    if (w.begin >= to) break;
    out.append(s, i, w.begin - i);  // blanks and comments as they are
    const std::string_view word(s.data() + w.begin, w.end - w.begin);
    i = w.end;
    if (word[0] == '\'') {
      out += 'N';
      out += word;
      continue;
    }
    if (word[0] == '"' || word[0] == '[') {
      out += word;
      continue;
    }
    if (word == "(" || word == ",") {
      out += word;
      atColumnStart = columns;
      continue;
    }
    const bool first = atColumnStart;
    atColumnStart = false;
    if (!columns || !IsWordChar(word[0])) {
      out += word;
      continue;
    }
    if (first) lastName = std::string(word);
    if (SameWord(word, "integer")) {
      size_t at = i;
      if (Expect(s, at, {"primary", "key", "autoincrement"})) {
        out += "INT IDENTITY(1,1) PRIMARY KEY";
        i = at;
      } else {
        out += "INT";
      }
    } else if (SameWord(word, "real")) {
      out += "FLOAT";
    } else if (SameWord(word, "text")) {
      size_t at = i;
      const bool textKey = Expect(s, at, {"collate", "textkey"});
      const bool indexed =
          std::find(keys.begin(), keys.end(), Lower(table + "." + lastName)) != keys.end();
      if (textKey) i = at;
      out += textKey || indexed ? "NVARCHAR(255)" : "NVARCHAR(MAX)";
    } else if (SameWord(word, "collate")) {
      size_t at = i;
      if (!Expect(s, at, {"textkey"})) {
        reason = "only the TEXTKEY collation has a T-SQL counterpart";
        return "";
      }
      i = at;  // the server's default collation does the same
    } else if (SameWord(word, "autoincrement")) {
      reason = "AUTOINCREMENT is only made for an INTEGER PRIMARY KEY column";
      return "";
    } else {
      out += word;
    }
  }
  return out;
}

}  // namespace

SchemaStatementError::SchemaStatementError(const std::string& script, int index,
                                           const std::string& statement, const std::string& reason)
    : std::runtime_error([&] {
        // The statement's first line is enough to find it in the script.
        std::string head = statement.substr(NextToken(statement, 0).begin);
        head = head.substr(0, head.find('\n'));
        return script + ", statement " + std::to_string(index) + " (" + head + "): " + reason;
      }()) {}

std::vector<std::string> SchemaKeyColumns(const std::vector<std::string>& statements) {
  std::vector<std::string> keys;
  auto add = [&keys](const std::string& table, const std::vector<std::string>& columns) {
    for (const std::string& column : columns) keys.push_back(Lower(table + "." + column));
  };
  for (const std::string& st : statements) {
    size_t i = 0;
    if (Expect(st, i, {"create", "table", "if", "not", "exists"})) {
      const std::string table = Name(st, i);
      // The table's PRIMARY KEY (a, b), if it has one.
      for (Word w = NextToken(st, i); w.begin < st.size(); w = NextToken(st, w.end)) {
        size_t at = w.begin;
        if (Expect(st, at, {"primary", "key"})) add(table, NameList(st, at));
      }
      continue;
    }
    if (!Expect(st, i, {"create", "unique"})) Expect(st, i, {"create"});
    if (!Expect(st, i, {"index", "if", "not", "exists"}) || Name(st, i).empty() ||
        !Expect(st, i, {"on"}))
      continue;
    const std::string table = Name(st, i);
    add(table, NameList(st, i));
  }
  return keys;
}

std::string TranslateSchemaStatement(const std::string& st, const std::vector<std::string>& keys,
                                     std::string& reason) {
  const std::string_view view(st);
  size_t i = 0;
  if (Expect(st, i, {"create", "table", "if", "not", "exists"})) {
    const std::string table = Name(st, i);
    const Word open = NextToken(st, i);
    if (table.empty() || view.substr(open.begin, 1) != "(") {
      reason = "a table is made here only from a column list";
      return "";
    }
    std::string body = TSqlBody(st, open.begin, st.size(), table, true, keys, reason);
    if (body.empty()) return "";
    return "IF OBJECT_ID(N" + Quoted(table, '\'') + ", N'U') IS NULL CREATE TABLE " + table + " " +
           body;
  }
  const bool unique = Expect(st, i, {"create", "unique"});
  if (unique ? Expect(st, i, {"index", "if", "not", "exists"})
             : Expect(st, i, {"create", "index", "if", "not", "exists"})) {
    const std::string index = Name(st, i);
    const std::string table = Expect(st, i, {"on"}) ? Name(st, i) : "";
    size_t at = i;
    const std::vector<std::string> columns = NameList(st, at);
    if (index.empty() || table.empty() || columns.empty()) {
      reason = "an index is made here only on plain columns of one table";
      return "";
    }
    std::string rest = TSqlBody(st, i, st.size(), table, false, keys, reason);
    return "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N" + Quoted(index, '\'') +
           " AND object_id = OBJECT_ID(N" + Quoted(table, '\'') + ")) CREATE " +
           (unique ? "UNIQUE " : "") + "INDEX " + index + " ON " + table + rest;
  }
  i = 0;
  if (Expect(st, i, {"create", "view", "if", "not", "exists"})) {
    const std::string viewName = Name(st, i);
    if (viewName.empty() || !Expect(st, i, {"as"})) {
      reason = "a view is made here only as CREATE VIEW name AS SELECT";
      return "";
    }
    const std::string select = TSqlBody(st, i, st.size(), viewName, false, keys, reason);
    // CREATE VIEW must begin a batch of its own on the server, hence EXEC.
    return "IF OBJECT_ID(N" + Quoted(viewName, '\'') + ", N'V') IS NULL EXEC(N" +
           Quoted("CREATE VIEW " + viewName + " AS" + select, '\'') + ")";
  }
  if (Expect(st, i, {"insert", "or", "ignore", "into"})) {
    const std::string table = Name(st, i);
    const std::vector<std::string> columns = NameList(st, i);
    if (table.empty() || columns.empty() || !Expect(st, i, {"values"})) {
      reason = "rows are added here only as INSERT OR IGNORE INTO t (columns) VALUES ...";
      return "";
    }
    std::string list, match;
    for (const std::string& c : columns) {
      list += (list.empty() ? "" : ", ") + c;
      match += (match.empty() ? "" : " AND ") + ("t." + c + " = v." + c);
    }
    std::string rows = TSqlBody(st, i, st.size(), table, false, keys, reason);
    return "INSERT INTO " + table + " (" + list + ") SELECT " + list + " FROM (VALUES" + rows +
           ") AS v (" + list + ") WHERE NOT EXISTS (SELECT 1 FROM " + table + " t WHERE " + match +
           ")";
  }
  reason = "T-SQL has no counterpart the host makes for this statement";
  i = 0;
  if (Expect(st, i, {"create"})) {
    Word w = NextToken(st, i);
    const std::string kind = Lower(view.substr(w.begin, w.end - w.begin));
    if (kind == "trigger" || kind == "temp" || kind == "temporary")
      reason = "a trigger is written differently in T-SQL and must be made there by hand";
    else if (kind == "table" || kind == "index" || kind == "unique" || kind == "view")
      reason = "only CREATE ... IF NOT EXISTS can run again on an existing database";
  }
  return "";
}

std::vector<std::string> Dialect::SchemaStatements(const std::string& script,
                                                   const std::string& scriptName) const {
  std::vector<std::string> statements = ScriptStatements(script);
  if (kind_ == Kind::kSqlite) return statements;
  const std::vector<std::string> keys = SchemaKeyColumns(statements);
  for (size_t n = 0; n < statements.size(); ++n) {
    std::string reason;
    std::string made = TranslateSchemaStatement(statements[n], keys, reason);
    if (made.empty())
      throw SchemaStatementError(scriptName, static_cast<int>(n + 1), statements[n], reason);
    statements[n] = std::move(made);
  }
  return statements;
}

std::string Dialect::TextLiteral(const std::string& text) const {
  return (kind_ == Kind::kTSql ? "N" : "") + Quoted(text, '\'');
}

}  // namespace orb::refhost
