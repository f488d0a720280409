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

}  // namespace
}  // namespace korvane::host
