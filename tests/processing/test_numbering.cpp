// Athlete numbers: grade codes, two-digit team and row numbers, the team
// blocks of 号码对照表 and the teams that take no part.
#include <gtest/gtest.h>

#include "meet/athlete_number.h"
#include "processing/numbering.h"
#include "processing_fixture.h"

namespace korvane::processing::testing {
namespace {

namespace nt = meet::numbers;

TEST(GradeCode, KnownGradesAndEverythingElse) {
  const std::pair<const char*, const char*> cases[] = {{"高一", "1"}, {"高二", "2"}, {"高三", "3"},  {"初一", "7"},
                                                       {"初二", "8"}, {"初三", "9"}, {"初中", "C"},  {"高中", "G"},
                                                       {"教工", "T"}, {"", "T"},     {"初一班", "T"}};
  for (const auto& [grade, code] : cases) EXPECT_EQ(meet::GradeCode(grade), code) << grade;
}

TEST(AthleteNumber, TwoDigitsEachForTeamAndRow) {
  EXPECT_EQ(meet::AthleteNumber("7", 3, 12), "70312");
  EXPECT_EQ(meet::AthleteNumber("1", 12, 1), "11201");
  EXPECT_EQ(meet::AthleteNumber("T", 1, 40), "T0140");
  // Above 99 only the last two digits stay.
  EXPECT_EQ(meet::AthleteNumber("9", 105, 100), "90500");
  EXPECT_EQ(meet::TwoDigits(7), "07");
  EXPECT_EQ(meet::TwoDigits(101), "01");
}

class NumberTable : public ::testing::Test {
 protected:
  Fixture fx;
  std::string At(int row, int col) { return fx.Sheet(meet::kNumberTableSheet).ValueAt(row, col).ToText(); }
};

TEST_F(NumberTable, NumbersFollowGradeTeamAndBlockRow) {
  MeetSpec spec;
  spec.grades = {{"初一", 3}, {"高二", 12}, {"教工", 1}};
  spec.rowsPerTeam = 6;
  fx.Open(spec);
  fx.Athlete(3, fx.MaleRow(1), "初一三班甲");
  fx.Athlete(3, fx.FemaleRow(3), "初一三班乙");   // block row 6
  fx.Athlete(15, fx.MaleRow(2), "高二十二班甲");  // team 12 of 高二, sheet 15
  fx.Athlete(15, fx.MaleRow(1), "高二十二班乙");
  fx.Athlete(16, fx.MaleRow(1), "老师");
  fx.program.Run("consolidate");
  ASSERT_TRUE(fx.ui.boxes.empty()) << fx.ui.boxes[0].text;

  const int rowsPerTeam = spec.rowsPerTeam;
  const int t3 = nt::BlockFirstRow(3, rowsPerTeam);
  EXPECT_EQ(At(t3, nt::kNameCol), "初一三班甲");
  EXPECT_EQ(At(t3, nt::kNumberCol), "70301");
  EXPECT_EQ(At(t3 + 5, nt::kNumberCol), "70306");
  EXPECT_EQ(At(t3 + 5, nt::kNameCol), "初一三班乙");
  EXPECT_EQ(At(t3 + 1, nt::kNumberCol), "") << "an empty row keeps its number unused";
  const int t15 = nt::BlockFirstRow(15, rowsPerTeam);
  EXPECT_EQ(At(t15, nt::kNumberCol), "21201");
  EXPECT_EQ(At(t15 + 1, nt::kNumberCol), "21202");
  EXPECT_EQ(At(t15, nt::kTeamCol), "高二(12)班");
  EXPECT_EQ(At(nt::BlockFirstRow(16, rowsPerTeam), nt::kNumberCol), "T0101");
  // The row of an athlete is (t - 1) * RowsPerTeam + form row - 2.
  EXPECT_EQ(At(nt::RowOf(3, fx.FemaleRow(3), rowsPerTeam), nt::kNameCol), "初一三班乙");
}

TEST_F(NumberTable, TeamBlocksAreMergedAndEmptyTeamsLeaveTheirBlockEmpty) {
  MeetSpec spec;
  spec.grades = {{"初一", 3}};
  spec.rowsPerTeam = 4;
  fx.Open(spec);
  fx.Athlete(1, fx.MaleRow(1), "甲");
  // Team 2 has no first man: its woman takes no part.
  fx.Athlete(2, fx.MaleRow(2), "乙");
  fx.Athlete(2, fx.FemaleRow(1), "丙", {"100米"});
  fx.Athlete(3, fx.MaleRow(1), "丁");
  fx.program.Run("consolidate");

  host::Worksheet& table = fx.Sheet(meet::kNumberTableSheet);
  EXPECT_EQ(At(1, 1), "姓名");
  EXPECT_EQ(At(1, 2), "号码");
  EXPECT_EQ(At(1, 3), "班级");
  for (int r = nt::BlockFirstRow(2, 4); r < nt::BlockFirstRow(3, 4); ++r)
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(At(r, c), "") << r << "," << c;
  EXPECT_EQ(table.MergeAt(nt::BlockFirstRow(2, 4), nt::kTeamCol), nullptr);
  for (int t : {1, 3}) {
    const int first = nt::BlockFirstRow(t, 4);
    const host::RangeRef* merged = table.MergeAt(first, nt::kTeamCol);
    ASSERT_NE(merged, nullptr) << t;
    EXPECT_EQ(merged->r1, first);
    EXPECT_EQ(merged->r2, first + 3);
    EXPECT_EQ(At(first, nt::kTeamCol), ClassName("初一", t));
  }
  EXPECT_EQ(At(nt::BlockFirstRow(3, 4), nt::kNumberCol), "70301");
  EXPECT_EQ(host::Range(&table, {nt::kFirstRow, nt::kTeamCol, nt::kFirstRow, nt::kTeamCol}).Orientation(),
            host::xl::Vertical);
  // The grid covers every block, taking part or not.
  EXPECT_EQ(host::Range(&table, {13, 1, 13, 1}).Border(host::xl::EdgeBottom), host::xl::Continuous);
  EXPECT_EQ(fx.Count("初一女子100米"), "0");
}

TEST_F(NumberTable, RowsAbove99RepeatTheirLastTwoDigits) {
  MeetSpec spec;
  spec.grades = {{"初二", 1}};
  spec.rowsPerTeam = 98;  // the most 新建 makes; the form is then grown by hand
  fx.Open(spec);
  // 102 men and 102 women: a form grown by inserting rows into each block,
  // with 设置!H2 changed to match.
  host::Worksheet& team = fx.Team(1);
  team.Unprotect();
  team.InsertRows(meet::form::MaleLastRow(98) + 1, 53);
  team.InsertRows(meet::form::LastAthleteRow(98) + 53 + 1, 53);
  host::Worksheet& settings = fx.Sheet(meet::kSettingsSheet);
  settings.Unprotect();
  settings.PutValue(meet::settings::RowsPerTeam.row, meet::settings::RowsPerTeam.col, 204);
  fx.spec.rowsPerTeam = 204;
  fx.Athlete(1, fx.MaleRow(1), "第一");
  fx.Athlete(1, fx.MaleRow(100), "第一百");
  fx.Athlete(1, fx.FemaleRow(1), "第一百零三");  // block row 103
  fx.program.Run("consolidate");
  const int first = nt::BlockFirstRow(1, 204);
  EXPECT_EQ(At(first, nt::kNumberCol), "80101");
  EXPECT_EQ(At(first + 99, nt::kNumberCol), "80100");
  EXPECT_EQ(At(first + 102, nt::kNumberCol), "80103");
}

TEST_F(NumberTable, TeamModeHeadingAndStableNumbersAcrossRuns) {
  MeetSpec spec;
  spec.grades = {{"高一", 2}};
  spec.teamMode = true;
  fx.Open(spec);
  fx.Athlete(2, fx.MaleRow(1), "赵");
  fx.Athlete(2, fx.MaleRow(2), "钱");
  fx.Athlete(2, fx.MaleRow(3), "孙");
  fx.program.Run("consolidate");
  EXPECT_EQ(At(1, 3), "代表队");
  const int first = nt::BlockFirstRow(2, spec.rowsPerTeam);
  EXPECT_EQ(At(first + 2, nt::kNumberCol), "10203");
  // A name taken away leaves a gap; the others keep their numbers.
  fx.Team(2).Cells(fx.MaleRow(2), meet::form::kAthleteNameCol).SetLiteral(host::CellValue());
  fx.program.Run("consolidate");
  EXPECT_EQ(At(first, nt::kNumberCol), "10201");
  EXPECT_EQ(At(first + 1, nt::kNumberCol), "");
  EXPECT_EQ(At(first + 2, nt::kNumberCol), "10203");
}

}  // namespace
}  // namespace korvane::processing::testing
