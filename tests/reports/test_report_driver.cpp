#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/pagination.h"
#include "reports/report_driver.h"
#include "reports/report_fixture.h"
#include "reports/rosters.h"
#include "shell/menu.h"

namespace korvane::reports {
namespace {

using namespace testing;

MeetSpec SmallMeet() {
  MeetSpec spec;
  spec.classes = Classes(3);
  spec.events = {{"高一男子100米", "1", 9}, {"高一男子跳远", "3", 14}, {"高一男子1500米", "2", 11}};
  return spec;
}

std::vector<std::string> SheetNames(const host::Workbook& book) {
  std::vector<std::string> names;
  for (const host::Worksheet* ws : book.Sheets()) names.push_back(ws->Name());
  return names;
}

int Position(const host::Workbook& book, std::string_view name) {
  const host::Worksheet* ws = book.FindSheet(std::string(name));
  return ws ? book.IndexOf(*ws) : 0;
}

const std::vector<std::string> kEnabledByReports = {"ExportPRF", "MyPrint2", "MyPrint4", "ScoreEdit", "CreateTables"};
const std::vector<std::string> kDisabledByReports = {"MyPrint1", "MyPrint3"};

// ---- the command ----

TEST(CreateReport, SetsTheMenuWhateverItWasBefore) {
  for (bool before : {true, false}) {
    ReportFixture f(SmallMeet());
    for (const shell::MenuNode* item : shell::MenuItems()) f.program.Menu().SetEnabled(item->control, before);
    f.CreateReport();
    for (const std::string& c : kEnabledByReports) EXPECT_TRUE(f.program.Menu().Enabled(c)) << c;
    for (const std::string& c : kDisabledByReports) EXPECT_FALSE(f.program.Menu().Enabled(c)) << c;
    for (const shell::MenuNode* item : shell::MenuItems()) {
      const std::string& c = item->control;
      if (c == "CreateReport" || std::count(kEnabledByReports.begin(), kEnabledByReports.end(), c) ||
          std::count(kDisabledByReports.begin(), kDisabledByReports.end(), c))
        continue;
      EXPECT_EQ(f.program.Menu().Enabled(c), before) << c;
    }
  }
}

TEST(CreateReport, TwoRunsLeaveOneOfEachReportAfterTheEventsAndHideTheScoreRegisterOnTheSecond) {
  ReportFixture f(SmallMeet());
  host::Worksheet& scores = f.Sheet(meet::kScoreRegisterSheet);
  f.CreateReport();
  EXPECT_TRUE(scores.Visible());  // no reports before the first run
  const int events = Position(*f.book, meet::kEventsSheet);
  EXPECT_EQ(Position(*f.book, meet::kNumberReportSheet), events + 1);
  EXPECT_EQ(Position(*f.book, meet::kRosterReportSheet), events + 2);
  EXPECT_EQ(&f.book->ActiveSheet(), &f.Rosters());
  EXPECT_TRUE(f.book->Protection().structure);
  EXPECT_TRUE(f.book->Protection().windows);
  EXPECT_TRUE(f.program.Host().screenUpdating);
  EXPECT_EQ(f.program.Caption(), "Korvane");
  const std::vector<std::string>& captions = f.ui.captions;
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Korvane - 号码对照表报表..."), captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Korvane - 比赛项目名单报表..."), captions.end());
  EXPECT_TRUE(f.ui.boxes.empty());  // no message on success

  // Record sheets of an earlier 创建成绩记录表 go with the old reports.
  f.book->Unprotect();
  host::Worksheet* last = &f.book->Sheet(f.book->Count());
  for (int stage = 5; stage <= 8; ++stage)
    last = &f.book->AddSheet(nullptr, last, std::string(meet::StageSheetName(stage)));
  f.Rosters().PutValue(200, 1, "旧内容");
  f.book->Protect(true, true);
  const int count = f.book->Count();

  f.CreateReport();
  EXPECT_FALSE(scores.Visible());
  EXPECT_EQ(f.book->Count(), count - 4);
  std::vector<std::string> names = SheetNames(*f.book);
  for (int stage = 3; stage <= 8; ++stage)
    EXPECT_EQ(std::count(names.begin(), names.end(), std::string(meet::StageSheetName(stage))), stage <= 4 ? 1 : 0);
  EXPECT_EQ(At(f.Rosters(), 200, 1), "");  // rebuilt from scratch
  EXPECT_EQ(Position(*f.book, meet::kNumberReportSheet), Position(*f.book, meet::kEventsSheet) + 1);
  EXPECT_TRUE(f.book->Protection().structure);
}

// The page ends of our pagination, as manual row breaks.
std::vector<int> PageEnds(const host::Worksheet& ws) {
  std::vector<int> ends;
  const host::print::Pagination p = host::print::Paginate(ws);
  for (std::size_t i = 0; i + 1 < p.rowBands.size(); ++i) ends.push_back(p.rowBands[i].last);
  return ends;
}

TEST(CreateReport, BothReportsBreakTheirPagesWhereOurPaginationDoes) {
  MeetSpec spec;
  spec.classes = Classes(12);
  spec.events = {{"高一男子100米", "1", 40}, {"高一男子跳远", "3", 30}, {"高一男子1500米", "2", 25}};
  ReportFixture f(spec);
  f.CreateReport();
  for (host::Worksheet* ws : {&f.Sheet(meet::kNumberReportSheet), &f.Rosters()}) {
    SCOPED_TRACE(ws->Name());
    EXPECT_GE(ws->Page().rowBreaks.size(), 1u);
    EXPECT_EQ(ws->Page().rowBreaks, PageEnds(*ws));
  }
}

TEST(CreateReport, WithoutAMeetWorkbookSaysTheFileIsClosed) {
  ReportFixture f(SmallMeet());
  f.book->SetUnsavedName("Book1.xlsx");
  f.CreateReport();
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Information);
  EXPECT_FALSE(f.program.Menu().Enabled("CreateReport"));  // the menu with no meet workbook
  EXPECT_EQ(f.Find(meet::kNumberReportSheet), nullptr);
}

TEST(CreateReport, GroupsWithoutAGroupSizeAreRefusedNamingTheEventAndTheSetting) {
  for (std::optional<int> h5 : {std::optional<int>(), std::optional<int>(0), std::optional<int>(-3)}) {
    MeetSpec spec = SmallMeet();
    spec.maxPerGroup = h5;
    ReportFixture f(spec);
    for (const shell::MenuNode* item : shell::MenuItems()) f.program.Menu().SetEnabled(item->control, false);
    const std::size_t sheets = f.book->Count();
    f.CreateReport();
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    const shell::testing::Box& box = f.ui.boxes[0];
    EXPECT_NE(box.text.find("高一男子跳远"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("设置!H5"), std::string::npos) << box.text;
    EXPECT_EQ(box.icon, shell::Icon::Exclamation);
    EXPECT_EQ(static_cast<std::size_t>(f.book->Count()), sheets);
    for (const std::string& c : kEnabledByReports) EXPECT_FALSE(f.program.Menu().Enabled(c)) << c;
    EXPECT_TRUE(f.book->Protection().structure);

    // Once 设置!H5 holds a group size, the next run makes the reports.
    f.Sheet(meet::kSettingsSheet).PutValue(5, 8, 12);
    f.CreateReport();
    EXPECT_EQ(f.ui.boxes.size(), 1u);
    ASSERT_NE(f.Find(meet::kRosterReportSheet), nullptr);
    EXPECT_EQ(meet::LoadParameters(*f.book).MaxPerGroup, 12);
    EXPECT_EQ(ReadRosters(f.Rosters()).size(), 3u);
  }
}

TEST(CreateReport, AGroupSizeIsNeededOnlyWhenAGroupedEventHasEntrants) {
  MeetSpec spec = SmallMeet();
  spec.maxPerGroup.reset();
  spec.events[1].entrants = 0;  // the grouped event
  ReportFixture f(spec);
  f.CreateReport();
  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_EQ(ReadRosters(f.Rosters()).size(), 2u);
}

TEST(CreateReport, RefusesWhenConsolidationSheetsOrTheTeamSizeAreMissing) {
  {
    ReportFixture f(SmallMeet());
    f.book->Unprotect();
    f.book->RemoveSheet(f.Sheet(meet::kTempSheet));
    f.book->Protect(true, true);
    f.CreateReport();
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, MissingReportSourceText("temp"));
    EXPECT_EQ(f.Find(meet::kNumberReportSheet), nullptr);
  }
  {
    ReportFixture f(SmallMeet());
    f.Sheet(meet::kSettingsSheet).PutValue(meet::settings::RowsPerTeam.row, meet::settings::RowsPerTeam.col, 0);
    f.CreateReport();
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_NE(f.ui.boxes[0].text.find("设置!H2"), std::string::npos);
    EXPECT_EQ(f.Find(meet::kNumberReportSheet), nullptr);
  }
}

TEST(FirstReportPage, EmptyZeroOrNoPageNumberMeans21) {
  host::WorkbookHost host;
  host::Worksheet& ws = host.Add().Sheet(1);
  EXPECT_EQ(FirstReportPageOf(ws), 21);
  for (const host::CellValue& v :
       {host::CellValue(0), host::CellValue("abc"), host::CellValue(-4), host::CellValue(1e12)}) {
    ws.PutValue(1, 3, v);
    EXPECT_EQ(FirstReportPageOf(ws), 21) << v.ToText();
  }
  ws.PutValue(1, 3, 7);
  EXPECT_EQ(FirstReportPageOf(ws), 7);
  ws.PutValue(1, 3, "31");
  EXPECT_EQ(FirstReportPageOf(ws), 31);
}

// ---- the printed pages agree with the blocks ----

// Every band of rows the host's page model prints is one whole page of
// `rowsPerPage` rows (the last one up to the last printed row), the sheet is
// one page wide, and no block crosses from one band into the next.
void ExpectPagesHoldTheBlocks(const host::Worksheet& ws, int rowsPerPage,
                              const std::vector<std::pair<int, int>>& blocks) {
  ASSERT_FALSE(blocks.empty());
  const host::print::Pagination p = host::print::Paginate(ws);
  ASSERT_EQ(p.colBands.size(), 1u) << ws.Name() << ": the blocks do not fit the page's width";
  const int lastRow =
      std::max_element(blocks.begin(), blocks.end(), [](auto& a, auto& b) { return a.second < b.second; })->second;
  const int pages = (lastRow - 1) / rowsPerPage + 1;
  ASSERT_EQ(static_cast<int>(p.rowBands.size()), pages) << ws.Name();
  EXPECT_EQ(p.PageCount(), pages);
  for (int i = 0; i < pages; ++i) {
    EXPECT_EQ(p.rowBands[i].first, i * rowsPerPage + 1) << ws.Name() << " page " << i;
    if (i + 1 < pages) {
      EXPECT_EQ(p.rowBands[i].last, (i + 1) * rowsPerPage) << ws.Name() << " page " << i;
    }
  }
  EXPECT_EQ(p.rowBands.back().last, lastRow);
  for (const auto& [first, last] : blocks) {
    const auto band = std::find_if(p.rowBands.begin(), p.rowBands.end(),
                                   [&](const host::print::Band& b) { return b.first <= first && first <= b.last; });
    ASSERT_NE(band, p.rowBands.end());
    EXPECT_LE(last, band->last) << ws.Name() << ": block " << first << "-" << last << " crosses a page";
  }
}

TEST(ReportPagination, TheHostsPagesAreThePagesTheBlocksWerePlacedOn) {
  MeetSpec spec;
  spec.classes = Classes(11, 10, 10);  // 66 rows: three pages of the number report
  spec.maxPerGroup = 10;
  const char* rules[] = {"1", "2", "3"};
  for (int i = 0; i < 36; ++i) {
    const std::string title = "高一" + std::string(i % 2 ? "女子" : "男子") + "项目" + std::to_string(i + 1);
    spec.events.push_back({i % 9 == 4 ? title + "接力" : title, rules[i % 3], 1 + (i * 13) % 75});
  }
  ReportFixture f(spec);
  f.CreateReport();

  std::vector<std::pair<int, int>> numberBlocks;
  const host::Worksheet& numbers = f.Numbers();
  for (int r = 3; r <= numbers.LastUsedRow(); ++r)
    for (int c : {1, 2})
      if (At(numbers, r, c) == "姓名(男)") numberBlocks.emplace_back(r - 2, r + 3);
  ASSERT_EQ(numberBlocks.size(), 11u);
  ExpectPagesHoldTheBlocks(numbers, meet::kNumberReportRowsPerPage, numberBlocks);

  std::vector<std::pair<int, int>> rosterBlocks;
  for (const RosterEvent& e : ReadRosters(f.Rosters()))
    for (const RosterHeat& h : e.heats) rosterBlocks.emplace_back(h.firstRow, h.lastRow);
  ASSERT_GT(rosterBlocks.size(), 36u);
  ExpectPagesHoldTheBlocks(f.Rosters(), meet::kRosterRowsPerPage, rosterBlocks);
  EXPECT_GT((rosterBlocks.back().second - 1) / meet::kRosterRowsPerPage + 1, 5);
}

}  // namespace
}  // namespace korvane::reports
