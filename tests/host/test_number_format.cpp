// The text a cell shows for its value and number format.
#include <gtest/gtest.h>

#include "host/number_format.h"

namespace korvane::host {
namespace {

struct Shown {
  CellValue value;
  const char* format;
  const char* text;
};

TEST(NumberFormat, ShowsValuesAsTheApplicationDoes) {
  const Shown cases[] = {
      {CellValue(), "0.00", ""},
      {CellValue(12.5), "General", "12.5"},
      {CellValue(3.0), "0", "3"},
      {CellValue(2.345), "0.00", "2.35"},
      {CellValue(-2.5), "0.0", "-2.5"},
      {CellValue(1234567.0), "#,##0", "1,234,567"},
      {CellValue(0.256), "0.0%", "25.6%"},
      {CellValue(3.0), "\"第\"0\"组\"", "第3组"},
      {CellValue(12.0), "\"共\"0\"组\"", "共12组"},
      {CellValue(-4.0), "0;(0)", "(4)"},
      {CellValue(0.0), "0;-0;\"零\"", "零"},
      {CellValue(0.3645833333), "h:mm", "8:45"},
      {CellValue(0.3645833333), "hh:mm:ss", "08:45:00"},
      {CellValue(1.5), "[h]:mm", "36:00"},
      {CellValue(46363.0), "yyyy-mm-dd", "2026-12-07"},
      {CellValue(46363.0), "yyyy\"年\"m\"月\"d\"日\"", "2026年12月7日"},
      {CellValue(46363.0), "aaaa", "星期一"},
      {CellValue(0.75), "h:mm AM/PM", "6:00 PM"},
      {CellValue("高一"), "0.00", "高一"},
      {CellValue("高一"), "\"组：\"@", "组：高一"},
      {CellValue(true), "0", "TRUE"},
      {CellValue(ErrorCode::Div0), "0.00", "#DIV/0!"},
  };
  for (const Shown& c : cases) EXPECT_EQ(FormatValue(c.value, c.format), c.text) << c.format << " " << c.value.ToText();
}

constexpr double kSecond = 1.0 / 86400;
constexpr double kApril9th2026 = 46121;  // a Thursday
constexpr double kHalfPastThreePm = 15.5 / 24;

// Excel's documented results, as Chinese (zh-CN) Excel shows them. Built-in
// formats are given as a read of their id spells them.
TEST(NumberFormat, ShowsWhatExcelShows) {
  const Shown cases[] = {
      // Rounding half away from zero on the decimal value.
      {CellValue(0.5), "0", "1"},
      {CellValue(84.5), "0", "85"},
      {CellValue(736.5), "0", "737"},
      {CellValue(-736.5), "0", "-737"},
      {CellValue(2.05), "0.0", "2.1"},
      {CellValue(0.045), "0%", "5%"},
      // A number in a text-formatted cell shows its number.
      {CellValue(20260409.0), "@", "20260409"},
      // Fractions of seconds.
      {CellValue(12.53 * kSecond), "mm:ss.00", "00:12.53"},
      {CellValue(155.4 * kSecond), "mmss.0", "02:35.4"},  // built-in 47
      // Conditional sections.
      {CellValue(95.0), "[>=90]\"优秀\";[>=60]\"及格\";\"不及格\"", "优秀"},
      {CellValue(75.0), "[>=90]\"优秀\";[>=60]\"及格\";\"不及格\"", "及格"},
      {CellValue(50.0), "[>=90]\"优秀\";[>=60]\"及格\";\"不及格\"", "不及格"},
      // Hidden zeros and sections.
      {CellValue(0.0), "0;-0;;@", ""},
      {CellValue(-5.0), "[Red]0.0;[Blue](0.0)", "(5.0)"},
      // Chinese dates, weekdays, digits and currency.
      {CellValue(kApril9th2026), "aaaa", "星期四"},
      {CellValue(kApril9th2026), "aaa", "四"},
      {CellValue(kApril9th2026), "[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\"", "二〇二六年四月九日"},
      {CellValue(123.0), "[DBNum1][$-804]G/通用格式", "一百二十三"},
      {CellValue(123.0), "[DBNum2][$-804]G/通用格式", "壹佰贰拾叁"},
      {CellValue(kHalfPastThreePm), "上午/下午h\"时\"mm\"分\"", "下午3时30分"},
      {CellValue(1234.5), "[$¥-804]#,##0.00", "¥1,234.50"},
      {CellValue(kApril9th2026), "[$-409]mmmm d, yyyy", "April 9, 2026"},
      // Built-in formats 0-49.
      {CellValue(1234.567), "General", "1234.567"},
      {CellValue(1234.567), "0", "1235"},
      {CellValue(1234.567), "0.00", "1234.57"},
      {CellValue(1234.567), "#,##0", "1,235"},
      {CellValue(1234.567), "#,##0.00", "1,234.57"},
      {CellValue(-1234.5), "\"¥\"#,##0;\"¥\"\\-#,##0", "¥-1,235"},
      {CellValue(1234.5), "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00", "¥1,234.50"},
      {CellValue(0.125), "0%", "13%"},
      {CellValue(0.1234), "0.00%", "12.34%"},
      {CellValue(12345.0), "0.00E+00", "1.23E+04"},
      {CellValue(0.00012345), "0.00E+00", "1.23E-04"},
      {CellValue(1.25), "# ?/?", "1 1/4"},
      {CellValue(kApril9th2026), "m/d/yy", "2026/4/9"},                                // built-in 14
      {CellValue(kApril9th2026 + kHalfPastThreePm), "m/d/yy h:mm", "2026/4/9 15:30"},  // built-in 22
      {CellValue(kHalfPastThreePm), "h:mm AM/PM", "3:30 PM"},
      {CellValue(kHalfPastThreePm + 5 * kSecond), "h:mm:ss", "15:30:05"},
      {CellValue(kApril9th2026), "yyyy\"年\"m\"月\"", "2026年4月"},
      {CellValue(kApril9th2026), "m\"月\"d\"日\"", "4月9日"},
      {CellValue(kApril9th2026), "yyyy\"年\"m\"月\"d\"日\"", "2026年4月9日"},
      {CellValue(kHalfPastThreePm), "h\"时\"mm\"分\"", "15时30分"},
      {CellValue(-1234.0), "#,##0 ;(#,##0)", "(1,234)"},
      {CellValue(155.4 * kSecond), "mm:ss", "02:35"},
      {CellValue(1.5), "[h]:mm:ss", "36:00:00"},
      {CellValue(12345.0), "##0.0E+0", "12.3E+3"},
      {CellValue("高一"), "@", "高一"},
  };
  for (const Shown& c : cases) EXPECT_EQ(FormatValue(c.value, c.format), c.text) << c.format << " " << c.value.ToText();
}

TEST(NumberFormat, DatesOfThe1904SystemCountFrom1904) {
  EXPECT_EQ(FormatValue(CellValue(kApril9th2026 - 1462), "yyyy-mm-dd", true), "2026-04-09");
}

}  // namespace
}  // namespace korvane::host
