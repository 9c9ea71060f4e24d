#include "host/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "host/automation_error.h"

namespace orb {

namespace {

constexpr const char* kSource = "OrbGMPBillEvent";

[[noreturn]] void TypeMismatch() {
  Raise(err::kTypeMismatch, kSource, "Type mismatch");
}
[[noreturn]] void Overflow() {
  Raise(err::kOverflow, kSource, "Overflow");
}
[[noreturn]] void InvalidNull() {
  Raise(err::kInvalidNull, kSource, "Invalid use of Null");
}

// Val skips these anywhere in the text.
bool IsValBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
// The conversions trim these around a text.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

int DigitValue(char c, int base) {
  int d = -1;
  if (IsDigit(c)) {
    d = c - '0';
  } else if (Lower(c) >= 'a' && Lower(c) <= 'f') {
    d = Lower(c) - 'a' + 10;
  }
  return d < base ? d : -1;
}

// Accumulates one digit of a "&H"/"&O" literal; false once it no longer fits 32 bits.
bool AddRadixDigit(uint64_t& value, int digit, int base) {
  value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  return value <= 0xFFFFFFFFu;
}

// A "&H"/"&O" literal is an Integer when it fits 16 bits and a Long when it
// fits 32 bits, so &HFFFF is -1 and &H10000 is 65536.
double RadixValue(uint64_t value) {
  if (value <= 0xFFFFu) return static_cast<int16_t>(static_cast<uint16_t>(value));
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// Reads a clean decimal text: [-]digits[.digits][e[+-]digits], at least one
// digit in the mantissa. Sets `overflow` when the value is beyond a Double.
double ReadDecimal(const std::string& text, bool& overflow) {
  overflow = false;
  std::string s = text;
  size_t mant_end = s.find('e');
  if (mant_end == std::string::npos) mant_end = s.size();
  size_t sign = (!s.empty() && s[0] == '-') ? 1 : 0;
  if (sign < s.size() && s[sign] == '.') {
    s.insert(sign, "0");
    ++mant_end;
  }
  if (mant_end > 0 && s[mant_end - 1] == '.') {
    s.erase(mant_end - 1, 1);
    --mant_end;
  }

  double value = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec == std::errc()) return value;
  if (ec != std::errc::result_out_of_range) return 0;

  // Out of range: the order of magnitude tells overflow from underflow.
  std::string_view mant(s.data() + sign, mant_end - sign);
  size_t point = mant.find('.');
  if (point == std::string_view::npos) point = mant.size();
  long order = 0;
  bool nonzero = false;
  for (size_t i = 0, digits = 0; i < mant.size(); ++i) {
    if (mant[i] == '.') continue;
    if (mant[i] != '0') {
      order = static_cast<long>(point) - static_cast<long>(digits);
      nonzero = true;
      break;
    }
    ++digits;
  }
  if (!nonzero) return 0;
  long exponent = 0;
  if (mant_end < s.size()) {
    size_t i = mant_end + 1;
    bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    for (; i < s.size(); ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  if (order + exponent > 0) {
    overflow = true;
    return 0;
  }
  return sign ? -0.0 : 0.0;
}

// A whole numeric text as CDbl accepts it: trimmed, a decimal number, a
// "&H"/"&O" literal, or True/False. nullopt when it is none of these.
std::optional<double> ParseNumberText(std::string_view text, bool& overflow) {
  overflow = false;
  std::string_view s = TrimBlanks(text);
  if (SameText(std::string(s), "True")) return -1.0;
  if (SameText(std::string(s), "False")) return 0.0;

  if (s.size() >= 2 && s[0] == '&') {
    int base = Lower(s[1]) == 'h' ? 16 : Lower(s[1]) == 'o' ? 8 : 0;
    if (base == 0 || s.size() == 2) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 2; i < s.size(); ++i) {
      int d = DigitValue(s[i], base);
      if (d < 0) return std::nullopt;
      if (!AddRadixDigit(value, d, base)) overflow = true;
    }
    if (overflow) return std::nullopt;
    return RadixValue(value);
  }

  std::string clean;
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') clean += '-';
    ++i;
  }
  size_t digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits) clean += s[i];
  if (i < s.size() && s[i] == '.') {
    clean += '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++digits) clean += s[i];
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (Lower(s[i]) == 'e' || Lower(s[i]) == 'd')) {
    clean += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    size_t exp_digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++exp_digits) clean += s[i];
    if (exp_digits == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = ReadDecimal(clean, overflow);
  if (overflow) return std::nullopt;
  return value;
}

double ParseNumberOrRaise(const std::string& s) {
  bool overflow = false;
  std::optional<double> value = ParseNumberText(s, overflow);
  if (overflow) Overflow();
  if (!value) TypeMismatch();
  return *value;
}

// Rounds half to even, as the runtime does when it stores into an integer.
double RoundHalfEven(double x) {
  double fl = std::floor(x);
  double diff = x - fl;
  if (diff > 0.5) return fl + 1;
  if (diff < 0.5) return fl;
  return std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
}

// A Double printed as the runtime prints it: at most 15 significant digits,
// trailing zeros dropped, scientific below 1E-4 and from 1E+15 on.
std::string DoubleText(double v) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  // Whole numbers below 10^15 are their digits (the common case: quantities).
  if (std::abs(v) < 1e15 && v == std::trunc(v)) return std::to_string(static_cast<int64_t>(v));

  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
  bool negative = sci[0] == '-';
  if (negative) sci.remove_prefix(1);
  size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e)) {
    if (IsDigit(c)) digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  std::string_view exp_text = sci.substr(e + 1);
  if (exp_text[0] == '+') exp_text.remove_prefix(1);
  std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -4) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    char exp_buf[16];
    std::snprintf(exp_buf, sizeof exp_buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + exp_buf;
  }
  if (exponent < 0)
    return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  size_t int_len = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= int_len) return out + digits + std::string(int_len - digits.size(), '0');
  return out + digits.substr(0, int_len) + "." + digits.substr(int_len);
}

// ---- Dates --------------------------------------------------------------

// Days from 1970-01-01 of a proleptic Gregorian date (month 1..12).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr int64_t kEpoch = DaysFromCivil(1899, 12, 30);

// The earliest and latest serials the runtime accepts (100-01-01, 9999-12-31).
constexpr double kMinSerial = -657434;
constexpr double kMaxSerial = 2958466;

bool InDateRange(double serial) {
  return serial > kMinSerial - 1 && serial < kMaxSerial;
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// A serial stores the day in its whole part and the time of day, always
// positive, in its fraction: -1.25 is 1899-12-29 06:00. Day and time are
// split here, the time rounded to the second.
void SplitSerial(double serial, int64_t& day, int& seconds) {
  if (!std::isfinite(serial)) serial = 0;
  serial = std::fmax(-1e9, std::fmin(1e9, serial));
  double whole = std::trunc(serial);
  day = static_cast<int64_t>(whole);
  seconds = static_cast<int>(std::llround(std::fabs(serial - whole) * 86400));
  if (seconds >= 86400) {
    seconds -= 86400;
    day += 1;
  }
}

double JoinSerial(int64_t day, double time_fraction) {
  return day < 0 ? static_cast<double>(day) - time_fraction
                 : static_cast<double>(day) + time_fraction;
}

// Reads 1..max_len digits at s[i]; false when there are none.
bool ReadInt(std::string_view s, size_t& i, size_t min_len, size_t max_len, int& out) {
  size_t start = i;
  out = 0;
  while (i < s.size() && i - start < max_len && IsDigit(s[i])) out = out * 10 + (s[i++] - '0');
  return i - start >= min_len && (i == s.size() || !IsDigit(s[i]));
}

// "YYYY-MM-DD", "YYYY/MM/DD" or "YYYY.MM.DD" (one or two digit month and day),
// optionally followed by " HH:MM" or " HH:MM:SS".
std::optional<Date> ParseDateText(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  size_t i = 0;
  int y = 0, m = 0, d = 0;
  if (!ReadInt(s, i, 4, 4, y) || i >= s.size()) return std::nullopt;
  char sep = s[i++];
  if (sep != '-' && sep != '/' && sep != '.') return std::nullopt;
  if (!ReadInt(s, i, 1, 2, m) || i >= s.size() || s[i++] != sep) return std::nullopt;
  if (!ReadInt(s, i, 1, 2, d)) return std::nullopt;
  if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return std::nullopt;

  int hh = 0, mi = 0, ss = 0;
  if (i < s.size()) {
    if (s[i] != ' ') return std::nullopt;
    while (i < s.size() && s[i] == ' ') ++i;
    if (!ReadInt(s, i, 1, 2, hh) || i >= s.size() || s[i++] != ':') return std::nullopt;
    if (!ReadInt(s, i, 2, 2, mi)) return std::nullopt;
    if (i < s.size()) {
      if (s[i++] != ':' || !ReadInt(s, i, 2, 2, ss) || i != s.size()) return std::nullopt;
    }
    if (hh > 23 || mi > 59 || ss > 59) return std::nullopt;
  }
  int64_t day = static_cast<int64_t>(MakeDate(y, m, d).serial);
  return Date{JoinSerial(day, (hh * 3600 + mi * 60 + ss) / 86400.0)};
}

// The date a value converts to, or nullopt (Null and Empty included).
std::optional<Date> TryDate(const Variant& v) {
  switch (v.Type()) {
    case VarType::Date:
      return v.AsDate();
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Boolean: {
      double serial = CDbl(v);
      if (!InDateRange(serial)) return std::nullopt;
      return Date{serial};
    }
    case VarType::String:
      return ParseDateText(v.AsString());
    default:
      return std::nullopt;
  }
}

}  // namespace

// ---- Numbers --------------------------------------------------------------

double Val(const std::string& s) {
  const size_t n = s.size();
  size_t i = 0;
  auto skip = [&] {
    while (i < n && IsValBlank(s[i])) ++i;
  };
  skip();

  if (i < n && s[i] == '&') {
    ++i;
    skip();
    int base = i < n && Lower(s[i]) == 'h' ? 16 : i < n && Lower(s[i]) == 'o' ? 8 : 0;
    if (base == 0) return 0;
    ++i;
    uint64_t value = 0;
    for (skip(); i < n; ++i, skip()) {
      int d = DigitValue(s[i], base);
      if (d < 0) break;
      if (!AddRadixDigit(value, d, base)) Overflow();
    }
    return RadixValue(value);
  }

  std::string clean;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') clean += '-';
    ++i;
  }
  size_t digits = 0;
  for (skip(); i < n && IsDigit(s[i]); ++i, skip(), ++digits) clean += s[i];
  if (i < n && s[i] == '.') {
    clean += '.';
    for (++i, skip(); i < n && IsDigit(s[i]); ++i, skip(), ++digits) clean += s[i];
  }
  if (digits == 0) return 0;

  // An exponent counts only when digits follow its letter.
  if (i < n && (Lower(s[i]) == 'e' || Lower(s[i]) == 'd')) {
    std::string exp = "e";
    ++i;
    skip();
    if (i < n && (s[i] == '+' || s[i] == '-')) {
      exp += s[i++];
      skip();
    }
    size_t exp_digits = 0;
    for (; i < n && IsDigit(s[i]); ++i, skip(), ++exp_digits) exp += s[i];
    if (exp_digits > 0) clean += exp;
  }
  bool overflow = false;
  double value = ReadDecimal(clean, overflow);
  if (overflow) Overflow();
  return value;
}

double Val(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      InvalidNull();
    case VarType::String:
      return Val(v.AsString());
    default:
      return Val(CStr(v));
  }
}

double CDbl(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
      return 0;
    case VarType::Null:
      InvalidNull();
    case VarType::Integer:
      return v.AsInteger();
    case VarType::Long:
      return v.AsLong();
    case VarType::Double:
      return v.AsDouble();
    case VarType::Boolean:
      return v.AsBool() ? -1 : 0;
    case VarType::String:
      return ParseNumberOrRaise(v.AsString());
    case VarType::Date:
      return v.AsDate().serial;
    case VarType::Object:
      break;
  }
  TypeMismatch();
}

int32_t CLng(const Variant& v) {
  switch (v.Type()) {
    case VarType::Integer:
      return v.AsInteger();
    case VarType::Long:
      return v.AsLong();
    default:
      break;
  }
  double r = RoundHalfEven(CDbl(v));
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) Overflow();
  return static_cast<int32_t>(r);
}

int16_t CInt(const Variant& v) {
  if (v.Type() == VarType::Integer) return v.AsInteger();
  double r = RoundHalfEven(CDbl(v));
  if (!(r >= -32768.0 && r <= 32767.0)) Overflow();
  return static_cast<int16_t>(r);
}

bool CBool(const Variant& v) {
  if (v.Type() == VarType::Boolean) return v.AsBool();
  return CDbl(v) != 0;
}

std::string CStr(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
      return "";
    case VarType::Null:
      InvalidNull();
    case VarType::Integer:
      return std::to_string(v.AsInteger());
    case VarType::Long:
      return std::to_string(v.AsLong());
    case VarType::Double:
      return DoubleText(v.AsDouble());
    case VarType::Boolean:
      return v.AsBool() ? "True" : "False";
    case VarType::String:
      return v.AsString();
    case VarType::Date:
      return DateText(v.AsDate());
    case VarType::Object:
      break;
  }
  TypeMismatch();
}

Date CDate(const Variant& v) {
  switch (v.Type()) {
    case VarType::Empty:
      return Date{0};
    case VarType::Null:
      InvalidNull();
    case VarType::Date:
      return v.AsDate();
    case VarType::String: {
      std::optional<Date> d = ParseDateText(v.AsString());
      if (!d) TypeMismatch();
      return *d;
    }
    case VarType::Object:
      TypeMismatch();
    default: {
      double serial = CDbl(v);
      if (!InDateRange(serial)) Overflow();
      return Date{serial};
    }
  }
}

bool IsNumeric(const Variant& v) {
  switch (v.Type()) {
    case VarType::Null:
    case VarType::Object:
      return false;
    case VarType::String: {
      bool overflow = false;
      return ParseNumberText(v.AsString(), overflow).has_value();
    }
    default:
      return true;
  }
}

bool IsDate(const Variant& v) {
  return TryDate(v).has_value();
}

bool IsEmpty(const Variant& v) {
  return v.IsEmpty();
}
bool IsNull(const Variant& v) {
  return v.IsNull();
}

// ---- Texts ----------------------------------------------------------------

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string Trim(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return "";
  return Trim(CStr(v));
}

std::string LCase(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = Lower(c);
  return out;
}

std::string UCase(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = Upper(c);
  return out;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string Format(const Variant& v, const std::string& pattern) {
  if (v.IsEmpty() || v.IsNull()) return "";
  const std::string lower = LCase(pattern);
  bool has_date_part = lower.find("yyyy") != std::string::npos ||
                       lower.find("mm") != std::string::npos ||
                       lower.find("dd") != std::string::npos;
  std::optional<Date> date = has_date_part ? TryDate(v) : std::nullopt;
  if (!date) return CStr(v);

  int y = 0, m = 0, d = 0;
  SplitDate(*date, y, m, d);
  std::string out;
  char buf[16];
  for (size_t i = 0; i < lower.size();) {
    if (lower.compare(i, 4, "yyyy") == 0) {
      std::snprintf(buf, sizeof buf, "%04d", y);
      out += buf;
      i += 4;
    } else if (lower.compare(i, 2, "mm") == 0 || lower.compare(i, 2, "dd") == 0) {
      std::snprintf(buf, sizeof buf, "%02d", lower[i] == 'm' ? m : d);
      out += buf;
      i += 2;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

// ---- Dates ----------------------------------------------------------------

Date DateAddDays(Date d, double days) {
  // Work on a continuous day count, then store back in the serial's form.
  double whole = std::trunc(d.serial);
  double linear = whole + std::fabs(d.serial - whole) + days;
  double day = std::floor(linear);
  return Date{JoinSerial(static_cast<int64_t>(day), linear - day)};
}

Date MakeDate(int year, int month, int day) {
  // Months and days out of range carry over, as DateSerial does.
  int64_t m0 = static_cast<int64_t>(month) - 1;
  int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
  m0 -= (y - year) * 12;
  int64_t days = DaysFromCivil(y, m0 + 1, 1) + (static_cast<int64_t>(day) - 1) - kEpoch;
  return Date{static_cast<double>(days)};
}

void SplitDate(Date d, int& year, int& month, int& day) {
  int64_t days = 0;
  int seconds = 0;
  SplitSerial(d.serial, days, seconds);
  CivilFromDays(days + kEpoch, year, month, day);
}

std::string DateText(Date d) {
  int64_t days = 0;
  int seconds = 0;
  SplitSerial(d.serial, days, seconds);
  int y = 0, m = 0, dd = 0;
  CivilFromDays(days + kEpoch, y, m, dd);
  char buf[48];
  if (seconds == 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, dd);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, dd, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
  }
  return buf;
}

}  // namespace orb
