#include <gtest/gtest.h>

#include "host/application.h"
#include "host/range.h"
#include "host/value.h"

namespace korvane::host {
namespace {

TEST(HostTimeOfDay, ValueAssignmentTurnsTypedTimesIntoTimes) {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& ws = book.Sheet(1);
  const std::pair<const char*, bool> cases[] = {
      {"8:30", true},  {"23:59", true},  {"0:00", true},        {"24:00", false},  {"8:3", false},
      {"8:60", false}, {"10101", false}, {"8:30_5分钟", false}, {"123:00", false}, {"a8:30", false}};
  int r = 0;
  for (const auto& [typed, time] : cases) {
    ws.Cells(++r, 1).SetValue(CellValue(typed));
    EXPECT_EQ(ws.ValueAt(r, 1).IsNumber(), time) << typed;
    EXPECT_EQ(ws.StyleAt(r, 1).numberFormat == "h:mm", time) << typed;
    if (!time) {
      EXPECT_EQ(ws.ValueAt(r, 1).ToText(), typed);
    }
  }
  EXPECT_DOUBLE_EQ(ws.ValueAt(1, 1).Number(), 8.5 / 24);
  // Literal writes (copied values) keep texts as they are.
  ws.Cells(20, 1).SetLiteral(CellValue("8:30"));
  EXPECT_TRUE(ws.ValueAt(20, 1).IsText());
}

TEST(HostTimeOfDay, FormattedToTheNearestMinute) {
  EXPECT_EQ(FormatTimeOfDay(8.5 / 24), "8:30");
  EXPECT_EQ(FormatTimeOfDay(8.0 / 24 + 39.9999 / 1440), "8:40");
  EXPECT_EQ(FormatTimeOfDay(1 + 14.0 / 24), "14:00");
  EXPECT_EQ(FormatTimeOfDay(0), "0:00");
}

}  // namespace
}  // namespace korvane::host
