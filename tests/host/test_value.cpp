// Cell values: error texts, the General number format, numeric reading and
// the whole-number reading of cells.
#include <gtest/gtest.h>

#include <climits>

#include "host/value.h"

using namespace korvane::host;

TEST(ValueErrors, TextsRoundTripCaseInsensitively) {
  const ErrorCode all[] = {ErrorCode::Null, ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref,
                           ErrorCode::Name, ErrorCode::Num,  ErrorCode::NA};
  const char* texts[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_STREQ(ErrorText(all[i]), texts[i]);
    ErrorCode back = ErrorCode::Null;
    ASSERT_TRUE(ParseErrorText(texts[i], back)) << texts[i];
    EXPECT_EQ(back, all[i]);
  }
  ErrorCode e = ErrorCode::Null;
  EXPECT_TRUE(ParseErrorText("#n/a", e));
  EXPECT_EQ(e, ErrorCode::NA);
  EXPECT_FALSE(ParseErrorText("#N/A ", e));
  EXPECT_FALSE(ParseErrorText("#FOO!", e));
  EXPECT_FALSE(ParseErrorText("", e));
}

TEST(ValueGeneralFormat, NumbersShowAsInAStandardColumn) {
  struct Case {
    double value;
    const char* shown;
  };
  const Case cases[] = {
      {0, "0"},
      {1, "1"},
      {-5, "-5"},
      {100, "100"},
      {1.5, "1.5"},
      {0.1 + 0.2, "0.3"},
      {3.14159, "3.14159"},
      {99999999999.0, "99999999999"},
      {-99999999999.0, "-99999999999"},
      {12345678901.0, "12345678901"},
      {123456789012.0, "1.23457E+11"},
      {100000000000.0, "1E+11"},
      {99999999999.6, "1E+11"},
      {1234567890.5, "1234567891"},
      {1.0 / 3, "0.333333333"},
      {2.0 / 3, "0.666666667"},
      {-2.0 / 3, "-0.666666667"},
      {12345.678901234, "12345.6789"},
      {0.0001, "0.0001"},
      {0.000123456789, "0.000123457"},
      {0.0000123456, "1.23456E-05"},
      {0.9999999999, "1"},
      {1e-20, "1E-20"},
      {1.5e15, "1.5E+15"},
      {1e100, "1E+100"},
      {-1.23456789e-100, "-1.2346E-100"},
      {20240501, "20240501"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGeneralNumber(c.value), c.shown) << c.value;
}

TEST(ValueText, EachKindHasItsText) {
  EXPECT_EQ(CellValue().ToText(), "");
  EXPECT_EQ(CellValue(12.0).ToText(), "12");
  EXPECT_EQ(CellValue(0.5).ToText(), "0.5");
  EXPECT_EQ(CellValue("甲组").ToText(), "甲组");
  EXPECT_EQ(CellValue(true).ToText(), "TRUE");
  EXPECT_EQ(CellValue(false).ToText(), "FALSE");
  EXPECT_EQ(CellValue(ErrorCode::Div0).ToText(), "#DIV/0!");
}

TEST(ValueNumber, TextsThatReadAsNumbersConvert) {
  struct Case {
    CellValue value;
    bool ok;
    double number;
  };
  const Case cases[] = {
      {CellValue(7.25), true, 7.25},    {CellValue(), true, 0},
      {CellValue(true), true, 1},       {CellValue(false), true, 0},
      {CellValue("12"), true, 12},      {CellValue(" 3.5 "), true, 3.5},
      {CellValue("-4"), true, -4},      {CellValue("+.5"), true, 0.5},
      {CellValue("1e3"), true, 1000},   {CellValue("1,234,567"), true, 1234567},
      {CellValue("50%"), true, 0.5},    {CellValue("1,23"), false, 0},
      {CellValue("12,3456"), false, 0}, {CellValue(",123"), false, 0},
      {CellValue("abc"), false, 0},     {CellValue("12abc"), false, 0},
      {CellValue("1e"), false, 0},      {CellValue("."), false, 0},
      {CellValue(""), false, 0},        {CellValue("inf"), false, 0},
      {CellValue("0x10"), false, 0},    {CellValue(ErrorCode::NA), false, 0},
  };
  for (const auto& c : cases) {
    double d = -99;
    EXPECT_EQ(c.value.ToNumber(d), c.ok) << c.value.ToText();
    if (c.ok) {
      EXPECT_DOUBLE_EQ(d, c.number) << c.value.ToText();
    }
  }
}

TEST(ValueWhole, RoundsHalfToEvenLikeCLng) {
  EXPECT_EQ(CellValue(2.5).ToWhole(), 2);
  EXPECT_EQ(CellValue(3.5).ToWhole(), 4);
  EXPECT_EQ(CellValue(0.5).ToWhole(), 0);
  EXPECT_EQ(CellValue(1.5).ToWhole(), 2);
  EXPECT_EQ(CellValue(-2.5).ToWhole(), -2);
  EXPECT_EQ(CellValue(-3.5).ToWhole(), -4);
  EXPECT_EQ(CellValue(2.4999).ToWhole(), 2);
  EXPECT_EQ(CellValue(2.5001).ToWhole(), 3);
  EXPECT_EQ(CellValue(-0.6).ToWhole(), -1);
  EXPECT_EQ(CellValue("12").ToWhole(), 12);
  EXPECT_EQ(CellValue(" 12.5 ").ToWhole(), 12);
  EXPECT_EQ(CellValue("13.5").ToWhole(), 14);
  EXPECT_EQ(CellValue(true).ToWhole(), 1);
  EXPECT_EQ(CellValue().ToWhole(), 0);
  EXPECT_EQ(CellValue("abc").ToWhole(), 0);
  EXPECT_EQ(CellValue(ErrorCode::Value).ToWhole(), 0);
  EXPECT_EQ(CellValue(1e30).ToWhole(), LLONG_MAX);
  EXPECT_EQ(CellValue(-1e30).ToWhole(), LLONG_MIN);
  EXPECT_EQ(CellValue(4503599627370497.0).ToWhole(), 4503599627370497LL);
}
