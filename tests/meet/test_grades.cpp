// The grade list of 设置: at most seven grades, their team sheets, school
// levels and the merge flags of the event list.
#include <gtest/gtest.h>

#include "host/application.h"
#include "meet/grades.h"

using namespace korvane::host;
namespace meet = korvane::meet;

TEST(MeetGrades, SevenGradesAtMostWithTheirTeamSheetsInOrder) {
  WorkbookHost host;
  Worksheet& settings = host.Add().AddSheet(nullptr, nullptr, std::string(meet::kSettingsSheet));
  const char* names[] = {"初一", "初二", "初三", "高一", "高二", "高三", "教工", "家长"};
  for (int i = 0; i < 8; ++i) {
    settings.PutValue(meet::settings::kFirstGradeRow + i, meet::settings::kGradeCol, CellValue(names[i]));
    settings.PutValue(meet::settings::kFirstGradeRow + i, meet::settings::kTeamsCol, CellValue(i == 1 ? -3 : 2));
  }
  const std::vector<meet::Grade> grades = meet::ReadGrades(settings);
  ASSERT_EQ(grades.size(), 7u);
  EXPECT_EQ(grades[1].teams, 0);  // a negative count is no teams
  EXPECT_EQ(grades[2].firstTeam, 3);
  EXPECT_EQ(grades[6].lastTeam, 12);
  EXPECT_EQ(meet::GradeNames(grades).back(), "教工");
  EXPECT_EQ(meet::FindPosition(grades, "高中").first, 5);
  EXPECT_EQ(meet::FindPosition(grades, "高中").last, 10);
  EXPECT_EQ(meet::SchoolLevel("初二"), meet::events::kAllJunior);
  EXPECT_EQ(meet::SchoolLevel("高三"), meet::events::kAllSenior);
  EXPECT_EQ(meet::SchoolLevel("教工"), "");
}

TEST(MeetGrades, MergeFlagsAreTheOnesOfF1ToI1) {
  WorkbookHost host;
  Worksheet& events = host.Add().AddSheet(nullptr, nullptr, std::string(meet::kEventsSheet));
  events.PutValue(1, meet::events::kMergeFlagsFirst.col, CellValue(1));
  events.PutValue(1, meet::events::kMergeFlagsFirst.col + 2, CellValue(2));
  events.PutValue(1, meet::events::kMergeFlagsFirst.col + 3, CellValue(1));
  EXPECT_EQ(meet::MergeFlags(events), (std::array<bool, 4>{true, false, false, true}));
}
