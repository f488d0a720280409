// The meet workbook's layout constants and the program-wide tables.
#include <gtest/gtest.h>

#include <set>

#include "host/application.h"
#include "host/errors.h"
#include "host/utf8.h"
#include "meet/layout.h"

using namespace korvane::host;
using namespace std::chrono;
namespace meet = korvane::meet;

namespace {

constexpr year_month_day Ymd(int y, unsigned m, unsigned d) { return year_month_day{year(y), month(m), day(d)}; }

}  // namespace

TEST(MeetExtensions, ChosenByTheWholePartOfTheHostVersion) {
  const meet::ExtensionTable old = meet::ExtensionsForVersion("11.0");
  EXPECT_EQ(old.meetWorkbook, ".xls");
  EXPECT_EQ(old.meetTemplate, ".xlt");
  EXPECT_EQ(old.plainWorkbook, ".xls");
  EXPECT_EQ(old.plainTemplate, ".xlt");
  for (const char* version : {"12.0", "16.0"}) {
    const meet::ExtensionTable t = meet::ExtensionsForVersion(version);
    EXPECT_EQ(t[0], ".xlsm") << version;
    EXPECT_EQ(t[1], ".xltm") << version;
    EXPECT_EQ(t[2], ".xlsx") << version;
    EXPECT_EQ(t[3], ".xltx") << version;
  }
  EXPECT_THROW(old[4], std::out_of_range);
  EXPECT_FALSE(meet::IsNewerFileFamily("11.9"));  // whole part 11
  EXPECT_TRUE(meet::IsNewerFileFamily("12"));
  EXPECT_FALSE(meet::IsNewerFileFamily(""));
  EXPECT_FALSE(meet::IsNewerFileFamily("abc"));
  WorkbookHost host;
  EXPECT_EQ(meet::ExtensionsForVersion(host.Version()).meetWorkbook, ".xlsm");
}

TEST(MeetFileNames, DatedNamesAreFormattedAndReadBack) {
  EXPECT_EQ(meet::MeetWorkbookFileName(Ymd(2024, 4, 9), 3715, ".xlsm"),
            "号码对照表及分组分道编排表_2024-04-09_03715.xlsm");
  EXPECT_EQ(meet::MeetWorkbookFileName(Ymd(2024, 12, 31), 5, ".xls"),
            "号码对照表及分组分道编排表_2024-12-31_00005.xls");
  EXPECT_EQ(meet::DatedFileName(meet::kScheduleWorkbookPrefix, Ymd(2026, 5, 10), 36000, ".xlsx"),
            "日程安排表_2026-05-10_36000.xlsx");
  EXPECT_THROW(meet::MeetWorkbookFileName(Ymd(2023, 2, 29), 0, ".xlsm"), HostError);
  EXPECT_THROW(meet::MeetWorkbookFileName(Ymd(2024, 4, 9), 86400, ".xlsm"), HostError);
  EXPECT_THROW(meet::MeetWorkbookFileName(Ymd(2024, 4, 9), -1, ".xlsm"), HostError);

  const std::string name = meet::MeetWorkbookFileName(Ymd(2024, 2, 29), 86399, ".xlsm");
  const meet::DatedName read = meet::MatchMeetWorkbookFileName(name, ".xlsm");
  EXPECT_EQ(read.match, meet::DatedNameMatch::Match);
  EXPECT_EQ(read.date, Ymd(2024, 2, 29));
  EXPECT_EQ(read.secondsOfDay, 86399);
}

TEST(MeetFileNames, PatternMatchingTellsUnreadableStampsApart) {
  using M = meet::DatedNameMatch;
  auto match = [](std::string_view name) { return meet::MatchMeetWorkbookFileName(name, ".xlsm").match; };
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_03715.xlsm"), M::Match);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_03715.XLSM"), M::Match);
  // Not the pattern.
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_03715.xlsx"), M::NoMatch);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_3715.xlsm"), M::NoMatch);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_037150.xlsm"), M::NoMatch);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024_04-09_03715.xlsm"), M::NoMatch);
  EXPECT_EQ(match("号码对照表及分组分道编排_2024-04-09_03715.xlsm"), M::NoMatch);
  EXPECT_EQ(match("号码对照表及分组分道编排.xltm"), M::NoMatch);
  EXPECT_EQ(match(".xlsm"), M::NoMatch);
  // The pattern, but no date or stamp to read: callers skip these.
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-13-09_03715.xlsm"), M::Unreadable);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2023-02-29_03715.xlsm"), M::Unreadable);
  EXPECT_EQ(match("号码对照表及分组分道编排表_abcd-ef-gh_03715.xlsm"), M::Unreadable);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_0371x.xlsm"), M::Unreadable);
  EXPECT_EQ(match("号码对照表及分组分道编排表_2024-04-09_99999.xlsm"), M::Unreadable);
  // Each ? is one character, also a Chinese one.
  EXPECT_EQ(match("号码对照表及分组分道编排表_二〇二四-04-09_03715.xlsm"), M::Unreadable);
}

TEST(MeetFileNames, TheMostRecentStampIsTheLaterDateThenTheGreaterStamp) {
  auto at = [](year_month_day d, int s) {
    return meet::MatchMeetWorkbookFileName(meet::MeetWorkbookFileName(d, s, ".xlsm"), ".xlsm");
  };
  EXPECT_TRUE(meet::IsMoreRecent(at(Ymd(2024, 4, 9), 41002), at(Ymd(2024, 4, 9), 3715)));
  EXPECT_FALSE(meet::IsMoreRecent(at(Ymd(2024, 4, 9), 3715), at(Ymd(2024, 4, 9), 41002)));
  EXPECT_TRUE(meet::IsMoreRecent(at(Ymd(2024, 5, 1), 0), at(Ymd(2024, 4, 9), 86000)));
  EXPECT_TRUE(meet::IsMoreRecent(at(Ymd(2025, 1, 1), 0), at(Ymd(2024, 12, 31), 0)));
  EXPECT_FALSE(meet::IsMoreRecent(at(Ymd(2024, 4, 9), 3715), at(Ymd(2024, 4, 9), 3715)));
}

TEST(MeetWorkbook, TheLastOpenWorkbookWithTheTwelveCharactersIsTheMeet) {
  EXPECT_EQ(utf8::Length(meet::kRecognitionPrefix), 12u);
  EXPECT_EQ(meet::kRecognitionPrefixChars, 12);
  EXPECT_TRUE(meet::IsMeetWorkbookName(meet::MeetWorkbookFileName(Ymd(2024, 4, 9), 1, ".xlsm")));
  EXPECT_TRUE(meet::IsMeetWorkbookName(std::string(meet::kTemplateBaseName) + ".xltm"));

  WorkbookHost host;
  EXPECT_EQ(meet::FindMeetWorkbook(host), nullptr);
  host.Add().SetUnsavedName("工作簿1");
  EXPECT_EQ(meet::FindMeetWorkbook(host), nullptr);
  Workbook& first = host.Add();
  first.SetUnsavedName("号码对照表及分组分道编排表_2024-04-09_03715.xlsm");
  host.Add().SetUnsavedName("号码对照表及分组分道编.xlsx");  // 11 characters only
  EXPECT_EQ(meet::FindMeetWorkbook(host), &first);
  Workbook& second = host.Add();
  second.SetUnsavedName("号码对照表及分组分道编排2");  // the template, opened for editing
  host.Add().SetUnsavedName("运动会报名登记表.xlsm");
  EXPECT_EQ(meet::FindMeetWorkbook(host), &second);
  host.Close(second);
  EXPECT_EQ(meet::FindMeetWorkbook(host), &first);
}

TEST(MeetStage, FollowsTheSheetCount) {
  // 12 teams: b = 19.
  EXPECT_EQ(meet::StageFromSheetCount(19, 12), meet::MeetStage::NotConsolidated);
  EXPECT_EQ(meet::StageFromSheetCount(20, 12), meet::MeetStage::Consolidated);
  EXPECT_EQ(meet::StageFromSheetCount(21, 12), meet::MeetStage::Consolidated);
  EXPECT_EQ(meet::StageFromSheetCount(22, 12), meet::MeetStage::Reports);
  EXPECT_EQ(meet::StageFromSheetCount(23, 12), meet::MeetStage::Reports);
  EXPECT_EQ(meet::StageFromSheetCount(24, 12), meet::MeetStage::RecordTables);
  EXPECT_EQ(meet::StageFromSheetCount(7, 0), meet::MeetStage::NotConsolidated);
  EXPECT_EQ(meet::StageFromSheetCount(8, 0), meet::MeetStage::Consolidated);
}

TEST(MeetParameters, LoadedFromSettingsAsWholeNumbers) {
  WorkbookHost host;
  Workbook& book = host.Add();
  EXPECT_THROW(meet::LoadParameters(book), HostError);

  Worksheet& settings = book.AddSheet(nullptr, nullptr, std::string(meet::kSettingsSheet));
  settings.PutValue(2, 8, CellValue(20));
  settings.PutValue(3, 8, CellValue(2.6));  // rounded, not cut
  settings.PutValue(4, 8, CellValue(3));
  settings.PutValue(5, 8, CellValue(8));
  settings.PutValue(6, 8, CellValue(99));  // not a parameter
  meet::Parameters p = meet::LoadParameters(book);
  EXPECT_EQ(p.RowsPerTeam, 20);
  EXPECT_EQ(p.MaxPerTeamPerEvent, 3);
  EXPECT_EQ(p.MaxEventsPerAthlete, 3);
  EXPECT_EQ(p.MaxPerGroup, 8);

  settings.ClearCell(5, 8);
  EXPECT_EQ(meet::LoadParameters(book).MaxPerGroup, 0);  // empty reads as 0
}

TEST(MeetNames, TheElevenNamesApplyToAMeetWorkbook) {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& events = book.AddSheet(nullptr, nullptr, std::string(meet::kEventsSheet));
  Worksheet& scores = book.AddSheet(nullptr, nullptr, std::string(meet::kScoreRegisterSheet));
  for (const meet::NameDefinition& def : meet::kDefinedNames)
    book.AddName(meet::QualifiedName(def), std::string(def.refersTo));
  ASSERT_EQ(book.NameCount(), 11);

  std::set<std::pair<std::string, std::string>> seen;
  for (const meet::NameDefinition& def : meet::kDefinedNames) {
    const Worksheet* scope = def.sheet == meet::kEventsSheet ? &events : &scores;
    const DefinedName* n = book.FindName(std::string(def.name), scope);
    ASSERT_NE(n, nullptr) << def.name;
    EXPECT_EQ(n->refersTo, def.refersTo);
    seen.emplace(def.sheet, def.name);
  }
  EXPECT_EQ(seen.size(), 11u);

  // Row 1048576 is the row above row 1 on our sheets.
  EXPECT_EQ(book.FindName("计法2", &scores)->refersTo, "=OFFSET(成绩登记表!$B1,-1,0)");
  EXPECT_EQ(book.FindName("数目2", &scores)->refersTo, "=OFFSET(成绩登记表!$C1,-1,0)");
  EXPECT_EQ(book.FindName("人数", &events)->refersTo, "=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))");

  const Workbook::PrintTitles eventTitles = book.PrintTitlesOf(events);
  EXPECT_EQ(eventTitles.row1, 1);
  EXPECT_EQ(eventTitles.row2, 2);
  EXPECT_EQ(eventTitles.col1, 1);
  EXPECT_EQ(eventTitles.col2, 5);
  const Workbook::PrintTitles scoreTitles = book.PrintTitlesOf(scores);
  EXPECT_EQ(scoreTitles.row2, 2);
  EXPECT_EQ(scoreTitles.col1, 0);
}

TEST(MeetLayout, FormRowsForRowsPerTeam) {
  using namespace meet::form;
  // H2 = 20: athletes in rows 4 to 23, men 4-13, women 14-23, closing row 24, 28 points high.
  EXPECT_EQ(MaleLastRow(20), 13);
  EXPECT_EQ(FemaleFirstRow(20), 14);
  EXPECT_EQ(LastAthleteRow(20), 23);
  EXPECT_EQ(ClosingRow(20), 24);
  EXPECT_DOUBLE_EQ(AthleteRowHeight(20), 28);
  EXPECT_DOUBLE_EQ(AthleteRowHeight(24), 23.33);
  EXPECT_DOUBLE_EQ(AthleteRowHeight(0), 0);
  // The template is the form for 4 athletes per team.
  EXPECT_EQ(MaleLastRow(4), kTemplateMaleLastRow);
  EXPECT_EQ(FemaleFirstRow(4), kTemplateFemaleFirstRow);
  EXPECT_EQ(LastAthleteRow(4), kTemplateFemaleLastRow);
  EXPECT_EQ(ClosingRow(4), kTemplateClosingRow);
}

TEST(MeetLayout, NumberTableBlocksMirrorTheFormRows) {
  using namespace meet;
  for (int rowsPerTeam : {4, 20}) {
    for (int team : {1, 2, 7}) {
      EXPECT_EQ(numbers::RowOf(team, form::kFirstAthleteRow, rowsPerTeam), numbers::BlockFirstRow(team, rowsPerTeam));
      EXPECT_EQ(numbers::RowOf(team, form::LastAthleteRow(rowsPerTeam), rowsPerTeam),
                numbers::BlockFirstRow(team + 1, rowsPerTeam) - 1);
    }
  }
  EXPECT_EQ(ColumnLetters(events::kFirstEntrantCol), "F");
  EXPECT_EQ(ColumnLetters(events::kLastEntrantCol), "CB");
  EXPECT_EQ(events::MaxEntrantsPerEvent, 75);
}

TEST(MeetLayout, CodesAndTheirNames) {
  using namespace meet;
  for (int code = 1; code <= 3; ++code) EXPECT_EQ(LaneRuleCode(LaneRuleName(code)), code);
  for (int code = 1; code <= 5; ++code) EXPECT_EQ(MeasuringMethodCode(MeasuringMethodName(code)), code);
  EXPECT_EQ(LaneRuleName(static_cast<int>(LaneRule::GroupsNoLanes)), "分组不分道/田赛分组");
  EXPECT_EQ(MeasuringMethodName(static_cast<int>(MeasuringMethod::Time)), "计时");
  EXPECT_EQ(LaneRuleName(0), "");
  EXPECT_EQ(LaneRuleName(4), "");
  EXPECT_EQ(MeasuringMethodName(6), "");
  EXPECT_EQ(MeasuringMethodCode("计分"), 0);
  EXPECT_EQ(StageSheetName(1), kNumberTableSheet);
  EXPECT_EQ(StageSheetName(8), kOtherRecordSheet);
  EXPECT_THROW(StageSheetName(9), std::out_of_range);
  EXPECT_EQ(std::set<std::string_view>(kSheetNames.begin(), kSheetNames.end()).size(), kSheetNames.size());
}

TEST(MeetFiles, PrizeTemplatePath) {
  EXPECT_EQ(meet::PrizeTemplatePath("/opt/korvane", ".xltx"), "/opt/korvane/prize/奖项设置.xltx");
  EXPECT_EQ(meet::PrizeTemplatePath("/opt/korvane/", ".xltx"), "/opt/korvane/prize/奖项设置.xltx");
}
