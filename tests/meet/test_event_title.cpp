// Event titles taken apart, and the event list row of a title.
#include <gtest/gtest.h>

#include "host/application.h"
#include "meet/event_title.h"
#include "meet/layout.h"

using namespace korvane::host;
namespace meet = korvane::meet;

TEST(EventTitle, SplitIntoGradeSexAndEvent) {
  struct Case {
    const char *title, *grade, *sex, *event;
    bool merged;
  };
  const Case cases[] = {
      {"初一男子100米", "初一", "男子", "100米", false},
      {"初中女子4×100米接力", "初中", "女子", "4×100米接力", false},
      {"高中混合4×100米接力", "高中", "混合", "4×100米接力", false},
      {"初一初二男子100米", "初一初二", "男子", "100米", true},
      {"教工其它拔河", "教工", "其它", "拔河", false},  // no sex: split where a plain title has it
      {"高一", "高一", "", "", false},
  };
  for (const Case& c : cases) {
    const meet::EventTitleParts parts = meet::SplitEventTitle(c.title);
    EXPECT_EQ(parts.grade, c.grade) << c.title;
    EXPECT_EQ(parts.sex, c.sex) << c.title;
    EXPECT_EQ(parts.event, c.event) << c.title;
    EXPECT_EQ(parts.merged, c.merged) << c.title;
    EXPECT_EQ(meet::EventTitle(parts.grade, parts.sex, parts.event), c.title);
  }
  EXPECT_EQ(meet::TitleGrade("初一初二男子100米"), "初一");
}

TEST(EventTitle, TheFirstRowOfTheEventListWithTheTitle) {
  WorkbookHost host;
  Worksheet& events = host.Add().AddSheet(nullptr, nullptr, std::string(meet::kEventsSheet));
  events.PutValue(1, meet::events::kTitleCol, CellValue("初一男子100米"));  // above the list
  events.PutValue(meet::events::EventRow(1), meet::events::kTitleCol, CellValue("初一女子100米"));
  events.PutValue(meet::events::EventRow(2), meet::events::kTitleCol, CellValue("初一男子100米"));
  events.PutValue(meet::events::EventRow(3), meet::events::kTitleCol, CellValue("初一男子100米"));
  EXPECT_EQ(meet::EventRowOfTitle(events, "初一男子100米"), meet::events::EventRow(2));
  EXPECT_EQ(meet::EventRowOfTitle(events, "初二男子100米"), 0);
}
