#include "host/convert.h"

#include <gtest/gtest.h>

#include "tests/unit/error_of.h"

#include "host/automation_error.h"
#include "host/dictionary.h"

namespace orb {
namespace {

using namespace std::string_literals;

TEST(ConvertTest, ValReadsTheLeadingNumber) {
  EXPECT_EQ(Val(" 1 2 3"s), 123);
  EXPECT_EQ(Val("\t- 4\n5.5x"s), -45.5);
  EXPECT_EQ(Val("12abc"s), 12);
  EXPECT_EQ(Val("1.2.3"s), 1.2);
  EXPECT_EQ(Val(".5"s), 0.5);
  EXPECT_EQ(Val("1.5D2"s), 150);
  EXPECT_EQ(Val("2e"s), 2);  // an exponent letter without digits ends the number
  EXPECT_EQ(Val("abc"s), 0);
  EXPECT_EQ(Val(""s), 0);
  EXPECT_EQ(Val("&H1F"s), 31);
  EXPECT_EQ(Val("&hFFFF"s), -1);
  EXPECT_EQ(Val("&H10000"s), 65536);
  EXPECT_EQ(Val("&O17"s), 15);
  EXPECT_EQ(Val("&O8"s), 0);

  EXPECT_EQ(Val(Variant()), 0);
  EXPECT_EQ(Val(Variant(true)), 0);  // printed as "True" first
  EXPECT_EQ(Val(Variant(3.5)), 3.5);
  EXPECT_EQ(Val(Variant(1.5e20)), 1.5e20);
  EXPECT_EQ(Val(Variant(MakeDate(2024, 3, 1))), 2024);
  EXPECT_EQ(ErrorOf([] { Val(Variant::Null()); }), err::kInvalidNull);
  EXPECT_EQ(ErrorOf([] { Val("1E999"s); }), err::kOverflow);
}

TEST(ConvertTest, NumericTextsMustBeWhole) {
  EXPECT_EQ(CDbl(Variant(" 12.5 ")), 12.5);
  EXPECT_EQ(CDbl(Variant("-1.5E+3")), -1500);
  EXPECT_EQ(CDbl(Variant("tRUe")), -1);
  EXPECT_EQ(CDbl(Variant("&H10")), 16);
  EXPECT_EQ(CDbl(Variant()), 0);
  EXPECT_EQ(CDbl(Variant(true)), -1);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant("")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant("12abc")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant("1 2")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant("1E")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant::Nothing()); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant(Dictionary::New())); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl(Variant("1E400")); }), err::kOverflow);
  try {
    CDbl(Variant::Null());
    ADD_FAILURE() << "Null converted";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), err::kInvalidNull);
    EXPECT_EQ(e.Source(), "OrbGMPBillEvent");
    EXPECT_EQ(e.Description(), "Invalid use of Null");
  }

  EXPECT_FALSE(CBool(Variant()));
  EXPECT_FALSE(CBool(Variant(" false ")));
  EXPECT_FALSE(CBool(Variant("0")));
  EXPECT_TRUE(CBool(Variant("-0.1")));
  EXPECT_TRUE(CBool(Variant(0.1)));
  EXPECT_EQ(ErrorOf([] { CBool(Variant("yes")); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { CBool(Variant::Null()); }), err::kInvalidNull);

  EXPECT_TRUE(IsNumeric(Variant()));
  EXPECT_TRUE(IsNumeric(Variant(" 7 ")));
  EXPECT_FALSE(IsNumeric(Variant("")));
  EXPECT_FALSE(IsNumeric(Variant::Null()));
  EXPECT_FALSE(IsNumeric(Variant("1E400")));
}

TEST(ConvertTest, IntegersRoundHalfToEvenAndOverflowAfterRounding) {
  EXPECT_EQ(CLng(Variant(2.5)), 2);
  EXPECT_EQ(CLng(Variant(3.5)), 4);
  EXPECT_EQ(CLng(Variant(-2.5)), -2);
  EXPECT_EQ(CLng(Variant(-3.5)), -4);
  EXPECT_EQ(CLng(Variant(2.5000001)), 3);
  EXPECT_EQ(CLng(Variant(" 2.5 ")), 2);
  EXPECT_EQ(CLng(Variant(true)), -1);
  EXPECT_EQ(CLng(Variant(2147483647.4)), 2147483647);
  EXPECT_EQ(CLng(Variant(-2147483648.5)), INT32_MIN);
  EXPECT_EQ(ErrorOf([] { CLng(Variant(2147483647.5)); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(Variant(1e300)); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(Variant("")); }), err::kTypeMismatch);

  EXPECT_EQ(CInt(Variant(-32768.5)), -32768);
  EXPECT_EQ(CInt(Variant(0.5)), 0);
  EXPECT_EQ(CInt(Variant(1.5)), 2);
  EXPECT_EQ(ErrorOf([] { CInt(Variant(32767.5)); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(Variant(40000)); }), err::kOverflow);
}

TEST(ConvertTest, CStrPrintsFifteenSignificantDigits) {
  EXPECT_EQ(CStr(Variant(95.0)), "95");
  EXPECT_EQ(CStr(Variant(0.1)), "0.1");
  EXPECT_EQ(CStr(Variant(0.1 + 0.2)), "0.3");
  EXPECT_EQ(CStr(Variant(1.0 / 3)), "0.333333333333333");
  EXPECT_EQ(CStr(Variant(2.0 / 3)), "0.666666666666667");
  EXPECT_EQ(CStr(Variant(-0.5)), "-0.5");
  EXPECT_EQ(CStr(Variant(0.0)), "0");
  EXPECT_EQ(CStr(Variant(-0.0)), "0");
  EXPECT_EQ(CStr(Variant(123456789012345.0)), "123456789012345");
  EXPECT_EQ(CStr(Variant(999999999999999.9)), "1E+15");  // rounding reaches the threshold
  EXPECT_EQ(CStr(Variant(1e15)), "1E+15");
  EXPECT_EQ(CStr(Variant(1.5e20)), "1.5E+20");
  EXPECT_EQ(CStr(Variant(-2.5e300)), "-2.5E+300");
  EXPECT_EQ(CStr(Variant(0.0001)), "0.0001");
  EXPECT_EQ(CStr(Variant(0.00001)), "1E-05");
  EXPECT_EQ(CStr(Variant(1.25e-7)), "1.25E-07");
  EXPECT_EQ(CStr(Variant(100.0)), "100");

  EXPECT_EQ(CStr(Variant::Int(-7)), "-7");
  EXPECT_EQ(CStr(Variant(false)), "False");
  EXPECT_EQ(CStr(Variant()), "");
  EXPECT_EQ(ErrorOf([] { CStr(Variant::Null()); }), err::kInvalidNull);
  EXPECT_EQ(ErrorOf([] { CStr(Variant::Nothing()); }), err::kTypeMismatch);
}

TEST(ConvertTest, DatesParseValidateAndPrint) {
  EXPECT_EQ(MakeDate(1899, 12, 30).serial, 0);
  EXPECT_EQ(MakeDate(1900, 3, 1).serial, 61);
  EXPECT_EQ(DateText(MakeDate(2024, 13, 1)), "2025-01-01");
  EXPECT_EQ(DateText(MakeDate(2024, 3, 0)), "2024-02-29");
  EXPECT_EQ(DateText(Date{-1.25}), "1899-12-29 06:00:00");
  EXPECT_EQ(DateText(DateAddDays(Date{0.25}, -1)), "1899-12-29 06:00:00");
  EXPECT_EQ(DateText(Date{45000.9999999999}), "2023-03-16");  // no "24:00:00"

  EXPECT_EQ(CDate(Variant("2024-02-29")), MakeDate(2024, 2, 29));
  EXPECT_EQ(CDate(Variant(" 2024/2/9 ")), MakeDate(2024, 2, 9));
  EXPECT_EQ(CDate(Variant("2024.12.31")), MakeDate(2024, 12, 31));
  EXPECT_EQ(DateText(CDate(Variant("2024-01-05 08:30"))), "2024-01-05 08:30:00");
  EXPECT_EQ(DateText(CDate(Variant("2024-01-05 23:59:59"))), "2024-01-05 23:59:59");
  EXPECT_EQ(CDate(Variant()).serial, 0);
  EXPECT_EQ(CDate(Variant(45000)).serial, 45000);
  for (const char* bad :
       {"2023-02-29", "2024-02-30", "2024-04-31", "2024-13-01", "2024-00-10", "2024-01/05",
        "24-01-05", "2024-01-05 24:00", "2024-01-05 8:3", "2024-01-05x", "", "45000"}) {
    EXPECT_EQ(ErrorOf([&] { CDate(Variant(bad)); }), err::kTypeMismatch) << bad;
    EXPECT_FALSE(IsDate(Variant(bad))) << bad;
  }
  EXPECT_EQ(ErrorOf([] { CDate(Variant::Null()); }), err::kInvalidNull);
  EXPECT_FALSE(IsDate(Variant()));
  EXPECT_FALSE(IsDate(Variant::Null()));
  EXPECT_TRUE(IsDate(Variant(45000)));
}

TEST(ConvertTest, TextsTouchOnlyWhatTheyShould) {
  EXPECT_EQ(Trim("  a b  "s), "a b");
  EXPECT_EQ(Trim("\t a \t"s), "\t a \t");
  EXPECT_EQ(Trim("   "s), "");
  EXPECT_EQ(Trim(Variant::Null()), "");
  EXPECT_EQ(Trim(Variant(2.5)), "2.5");
  EXPECT_EQ(LCase("订单ABC"), "订单abc");
  EXPECT_EQ(UCase("单据no.1"), "单据NO.1");
  EXPECT_TRUE(SameText("ProgID", "PROGid"));
  EXPECT_TRUE(SameText("客户Name", "客户NAME"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_FALSE(SameText("客户", "客戶"));
}

TEST(ConvertTest, FormatHandlesDatesAndPassesOtherValuesThrough) {
  EXPECT_EQ(Format(Variant(MakeDate(2024, 1, 5)), "yyyy/mm/dd"), "2024/01/05");
  EXPECT_EQ(Format(Variant("2024-1-5 10:00"), "YYYY-MM-DD"), "2024-01-05");
  EXPECT_EQ(Format(Variant(MakeDate(2024, 1, 5).serial), "YyYy-Mm-dD"), "2024-01-05");
  EXPECT_EQ(Format(Variant("abc"), "yyyy-mm-dd"), "abc");
  EXPECT_EQ(Format(Variant(3.5), "0.00"), "3.5");
  EXPECT_EQ(Format(Variant(), "yyyy-mm-dd"), "");
  EXPECT_EQ(Format(Variant::Null(), "yyyy-mm-dd"), "");
}

TEST(ConvertTest, DebugTextsAndTypeNames) {
  EXPECT_EQ(Variant().Debug(), "Empty");
  EXPECT_EQ(Variant::Null().Debug(), "Null");
  EXPECT_EQ(Variant::Nothing().Debug(), "Nothing");
  EXPECT_EQ(Variant(0.5).Debug(), "0.5");
  EXPECT_EQ(Variant("say \"hi\"").Debug(), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(Variant(MakeDate(2024, 1, 5)).Debug(), "#2024-01-05#");
  EXPECT_EQ(Variant(Dictionary::New()).Debug(), "<KFODictionary>");
  EXPECT_EQ(std::string(VarTypeName(Variant::Int(1).Type())), "Integer");
  EXPECT_EQ(std::string(VarTypeName(Variant(1).Type())), "Long");
  EXPECT_TRUE(Variant(true).IsNumber());
  EXPECT_FALSE(Variant("1").IsNumber());
  EXPECT_FALSE(Variant(Date{1}).IsNumber());
}

}  // namespace
}  // namespace orb
