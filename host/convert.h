// Conversions and text functions with the automation runtime's semantics.
//
// Handlers are written in the terms of the rules they implement: Val, CLng,
// Trim, Format... These functions behave as the runtime those rules were
// written for: Val reads the leading number of a text, CLng rounds half to
// even and raises overflow (6) or type mismatch (13), Null raises invalid use
// of Null (94), and a Double prints with at most 15 significant digits.
#pragma once

#include "host/object.h"

#include <cstdint>
#include <string>

#include "host/variant.h"

namespace orb {

// The leading number of a text: blanks skipped, "&H"/"&O" prefixes read,
// 0 for a text without one. Numbers are printed first, then read. Null raises 94.
double Val(const Variant& v);
double Val(const std::string& s);
inline double Val(const char* s) {
  return Val(std::string(s));
}

int32_t CLng(const Variant& v);
int16_t CInt(const Variant& v);
double CDbl(const Variant& v);
bool CBool(const Variant& v);
std::string CStr(const Variant& v);
Date CDate(const Variant& v);

// True when CDbl would succeed (numbers, Booleans, Empty, numeric texts).
bool IsNumeric(const Variant& v);
// True when CDate would succeed.
bool IsDate(const Variant& v);

bool IsEmpty(const Variant& v);
bool IsNull(const Variant& v);

// Trim removes leading and trailing blanks (spaces only). The Variant form
// gives "" for Empty and Null.
std::string Trim(const std::string& s);
std::string Trim(const Variant& v);
inline std::string Trim(const char* s) {
  return Trim(std::string(s));
}
std::string LCase(const std::string& s);
std::string UCase(const std::string& s);
// Letter-case-insensitive comparison of texts (as keys and ProgIDs are compared).
bool SameText(const std::string& a, const std::string& b);

// Format for the date patterns the bills use: "yyyy/mm/dd" and "YYYY-MM-DD"
// (pattern letters in either case). A value that is no date is returned as text.
std::string Format(const Variant& v, const std::string& pattern);

// Date arithmetic and construction.
Date DateAddDays(Date d, double days);
Date MakeDate(int year, int month, int day);
void SplitDate(Date d, int& year, int& month, int& day);
// "YYYY-MM-DD" (with " HH:MM:SS" when the date has a time of day).
std::string DateText(Date d);

}  // namespace orb
