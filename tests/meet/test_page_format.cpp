#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "host/application.h"
#include "host/pagination.h"
#include "host/range.h"
#include "host/workbook.h"
#include "meet/page_format.h"
#include "shell/program.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::meet {
namespace {

namespace xl = host::xl;
using host::RangeRef;

// ---- block placement ----

ReportLayout Layout(int firstPage, int lastRow, int blockRows, int rowsPerPage = kRosterRowsPerPage) {
  ReportLayout l;
  l.FirstPage = firstPage;
  l.LastRow = lastRow;
  l.BlockRows = blockRows;
  l.RowsPerPage = rowsPerPage;
  return l;
}

TEST(ConfirmPos, ABlockThatDoesNotFitTheRestOfThePageStartsTheNext) {
  ReportLayout l = Layout(1, 23, 5);
  confirm_pos(l);
  EXPECT_EQ(l.LastRow, 26);
  EXPECT_EQ(l.BlockTop, 27);
  EXPECT_EQ(l.BlockRows, 5);  // the writer adds the block's rows itself
}

TEST(ConfirmPos, ABlockThatExactlyFillsTheRestStays) {
  ReportLayout l = Layout(1, 22, 4);
  confirm_pos(l);
  EXPECT_EQ(l.LastRow, 22);
  EXPECT_EQ(l.BlockTop, 23);  // rows 23 to 26: the first page
}

TEST(ConfirmPos, AFullPageLeavesTheWholeNextPageFree) {
  ReportLayout l = Layout(1, 26, 26);
  confirm_pos(l);
  EXPECT_EQ(l.LastRow, 26);
  EXPECT_EQ(l.BlockTop, 27);
  ReportLayout first = Layout(1, 0, 26);
  confirm_pos(first);
  EXPECT_EQ(first.LastRow, 0);
  EXPECT_EQ(first.BlockTop, 1);
}

TEST(ConfirmPos, OddPagesShiftOneColumnCountingFromTheFirstPage) {
  ReportLayout l = Layout(21, 0, 3);
  confirm_pos(l);
  EXPECT_EQ(l.ColShift, 1);  // page 21
  l.LastRow = 24;
  l.BlockRows = 5;
  confirm_pos(l);
  EXPECT_EQ(l.BlockTop, 27);
  EXPECT_EQ(l.ColShift, 0);                       // page 22
  l.LastRow = l.BlockTop + l.BlockRows - 1 + 22;  // well into page 23
  l.BlockRows = 3;
  confirm_pos(l);
  EXPECT_EQ(l.ColShift, 1);
  ReportLayout even = Layout(22, 0, 3);
  confirm_pos(even);
  EXPECT_EQ(even.ColShift, 0);
}

TEST(ConfirmPos, NoBlockEverStraddlesAPage) {
  std::mt19937 rng(7);
  for (int rowsPerPage : {kRosterRowsPerPage, kNumberReportRowsPerPage}) {
    ReportLayout l = Layout(21, 0, 0, rowsPerPage);
    for (int i = 0; i < 500; ++i) {
      l.BlockRows = 3 + static_cast<int>(rng() % (rowsPerPage - 2));
      const int before = l.LastRow;
      confirm_pos(l);
      const int first = l.BlockTop, last = l.BlockTop + l.BlockRows - 1;
      ASSERT_EQ((first - 1) / rowsPerPage, (last - 1) / rowsPerPage) << "block at " << first << " of " << l.BlockRows;
      ASSERT_GT(first, before);
      const int page = l.FirstPage + (first - 1) / rowsPerPage;
      ASSERT_EQ(l.ColShift, page % 2);
      l.LastRow = last;  // as the writer does after writing the block
    }
  }
}

TEST(ConfirmPos, RefusesAPageWithoutRows) {
  ReportLayout l = Layout(1, 0, 3, 0);
  EXPECT_THROW(confirm_pos(l), std::invalid_argument);
}

// ---- rows, columns, borders, titles ----

TEST(NumberReportColumns, HalfTheTeamPlusTwoColumnsSharingEightyOneUnits) {
  EXPECT_EQ(NumberReportColumnsFor(20).count, 12);
  EXPECT_DOUBLE_EQ(NumberReportColumnsFor(20).width, 6.75);
  EXPECT_EQ(NumberReportColumnsFor(16).count, 10);
  EXPECT_DOUBLE_EQ(NumberReportColumnsFor(16).width, 8.1);
  // Halves go to the even neighbour: 12.5 -> 12, 13.5 -> 14.
  EXPECT_EQ(NumberReportColumnsFor(21).count, 12);
  EXPECT_EQ(NumberReportColumnsFor(23).count, 14);
  EXPECT_DOUBLE_EQ(NumberReportColumnsFor(23).width, 5.78);  // 578.57... truncated
}

struct Book {
  host::WorkbookHost host;
  host::Workbook& book = host.Add();
  host::Worksheet& Sheet(const std::string& name) {
    host::Worksheet& ws = book.AddSheet(nullptr, nullptr, name);
    return ws;
  }
};

TEST(RowColSetup, TheNumberReportGetsEqualShrinkingColumns) {
  Book b;
  host::Worksheet& ws = b.Sheet("号码对照表报表");
  RowCol_Setup(ws, 20);
  ws.Cells(30, 5).SetValue("高一(10)班");
  for (int c : {1, 12, 300}) EXPECT_DOUBLE_EQ(ws.ColumnWidth(c), 6.75) << c;
  for (int r : {1, 30, 5000}) EXPECT_DOUBLE_EQ(ws.RowHeight(r), kDataRowHeight) << r;
  const host::Style& s = ws.StyleAt(30, 5);
  EXPECT_TRUE(s.shrink);
  EXPECT_EQ(s.halign, host::HAlign::Center);
  EXPECT_EQ(s.valign, host::VAlign::Center);
  EXPECT_TRUE(ws.StyleAt(7, 2).shrink);
}

TEST(RowColSetup, OtherReportsGetColumnsOfEightWithoutShrinking) {
  Book b;
  host::Worksheet& ws = b.Sheet("比赛项目名单报表");
  RowCol_Setup(ws, 20);
  ws.Cells(3, 2).SetValue("高一男子100米");
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(1), kOtherReportColumnWidth);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(40), kOtherReportColumnWidth);
  EXPECT_DOUBLE_EQ(ws.RowHeight(3), kDataRowHeight);
  EXPECT_FALSE(ws.StyleAt(3, 2).shrink);
  EXPECT_EQ(ws.StyleAt(3, 2).halign, host::HAlign::Center);
  EXPECT_EQ(ws.StyleAt(3, 2).valign, host::VAlign::Center);
}

TEST(RowColSetup, TheNumberReportTakesTheTeamSizeFromTheParameterTable) {
  shell::testing::TempDir dir;
  shell::testing::TestUi ui;
  shell::Program program(std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini"));
  meet::Parameters parameters;
  parameters.RowsPerTeam = 16;
  host::Workbook& book = program.Host().Add();
  host::Worksheet& ws = book.AddSheet(nullptr, nullptr, "号码对照表报表");
  RowCol_Setup(ws, parameters.RowsPerTeam);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(3), 8.1);
}

int Edge(host::Worksheet& ws, int r, int c, int edge) { return ws.Cells(r, c).Border(edge); }

TEST(BordersSetup, OuterEdgesAlwaysInsideLinesOnlyWhereThereAreSeveralCells) {
  Book b;
  host::Worksheet& ws = b.Sheet("s");
  Borders_Setup(ws.RangeAt("B2"), xl::Continuous);
  for (int e : {xl::EdgeLeft, xl::EdgeRight, xl::EdgeTop, xl::EdgeBottom})
    EXPECT_EQ(Edge(ws, 2, 2, e), xl::Continuous) << e;
  EXPECT_EQ(Edge(ws, 2, 3, xl::EdgeLeft), xl::LineNone);  // nothing beyond the cell

  Borders_Setup(ws.RangeAt("B5:E5"), xl::Continuous);         // one row
  EXPECT_EQ(Edge(ws, 5, 3, xl::EdgeLeft), xl::Continuous);    // inside vertical
  EXPECT_EQ(Edge(ws, 5, 3, xl::EdgeBottom), xl::Continuous);  // the outer bottom edge
  EXPECT_EQ(Edge(ws, 6, 3, xl::EdgeTop), xl::LineNone);

  Borders_Setup(ws.RangeAt("B8:B11"), xl::Continuous);       // one column
  EXPECT_EQ(Edge(ws, 9, 2, xl::EdgeTop), xl::Continuous);    // inside horizontal
  EXPECT_EQ(Edge(ws, 9, 2, xl::EdgeRight), xl::Continuous);  // outer edge
  EXPECT_EQ(Edge(ws, 9, 3, xl::EdgeLeft), xl::LineNone);

  Borders_Setup(ws.RangeAt("D8:F10"), xl::Continuous);
  EXPECT_EQ(Edge(ws, 9, 5, xl::EdgeLeft), xl::Continuous);
  EXPECT_EQ(Edge(ws, 9, 5, xl::EdgeTop), xl::Continuous);
  Borders_Setup(ws.RangeAt("D8:F10"), xl::LineNone);
  for (int e : {xl::EdgeLeft, xl::EdgeRight, xl::EdgeTop, xl::EdgeBottom}) {
    EXPECT_EQ(Edge(ws, 9, 5, e), xl::LineNone) << e;
    EXPECT_EQ(Edge(ws, 8, 4, e), xl::LineNone) << e;
  }
}

TEST(TitleFormats, RosterTitleRunsLeftInHeiTiAndTeamHeaderIsLarge) {
  Book b;
  host::Worksheet& ws = b.Sheet("s");
  ws.AllCells().SetHorizontalAlignment(xl::Center);
  title_format1(ws.RangeAt("B3"));
  EXPECT_EQ(ws.Cells(3, 2).HorizontalAlignment(), xl::General);
  EXPECT_EQ(ws.Cells(3, 2).FontName(), "黑体");
  EXPECT_EQ(ws.Cells(3, 3).HorizontalAlignment(), xl::Center);

  title_format2(ws.RangeAt("A5:L6"));
  EXPECT_EQ(ws.Cells(5, 12).FontName(), "黑体");
  EXPECT_DOUBLE_EQ(ws.Cells(6, 1).FontSize(), 18);
  EXPECT_DOUBLE_EQ(ws.RowHeight(5), kTeamHeaderRowHeight);
  EXPECT_DOUBLE_EQ(ws.RowHeight(6), kTeamHeaderRowHeight);
  EXPECT_NE(ws.RowHeight(7), kTeamHeaderRowHeight);
}

// ---- page geometry: the row counts of the report writers hold ----

void FillRows(host::Worksheet& ws, int rows, int cols) {
  for (int r = 1; r <= rows; ++r)
    for (int c = 1; c <= cols; ++c) ws.Cells(r, c).SetValue(std::to_string(r * 100 + c));
}

TEST(PageSetup, A4WithFooterMarginsAndCentring) {
  Book b;
  host::Worksheet& ws = b.Sheet("比赛项目名单报表");
  ws.Page().paperSize = xl::PaperB4;
  Page_Setup(ws);
  const host::PageSetup& p = ws.Page();
  EXPECT_EQ(p.centerFooter, "第 &P 页");
  EXPECT_NEAR(p.left, 28.35, 0.01);
  EXPECT_NEAR(p.right, 28.35, 0.01);
  EXPECT_NEAR(p.top, 56.69, 0.01);
  EXPECT_NEAR(p.bottom, 56.69, 0.01);
  EXPECT_NEAR(p.footer, 28.35, 0.01);
  EXPECT_TRUE(p.centerHorizontally);
  EXPECT_EQ(p.paperSize, xl::PaperA4);
  EXPECT_EQ(p.orientation, xl::Portrait);
  EXPECT_FALSE(p.firstPageNumber.has_value());
}

TEST(PageGeometry, TwentySixRosterRowsFillOnePageAndTheTwentySeventhStartsTheNext) {
  Book b;
  host::Worksheet& ws = b.Sheet("比赛项目名单报表");
  Page_Setup(ws);
  RowCol_Setup(ws, 20);
  FillRows(ws, kRosterRowsPerPage, 9);
  host::print::Pagination p = host::print::Paginate(ws);
  EXPECT_EQ(p.PageCount(), 1);
  ws.Cells(kRosterRowsPerPage + 1, 1).SetValue("x");
  p = host::print::Paginate(ws);
  ASSERT_EQ(p.rowBands.size(), 2u);
  EXPECT_EQ(p.rowBands[0].last, kRosterRowsPerPage);
  EXPECT_EQ(p.PageCount(), 2);
}

TEST(PageGeometry, FourNumberReportTeamBlocksFillOnePage) {
  Book b;
  host::Worksheet& ws = b.Sheet("号码对照表报表");
  Page_Setup(ws);
  RowCol_Setup(ws, 20);
  const int cols = NumberReportColumnsFor(20).count;
  FillRows(ws, kNumberReportRowsPerPage, cols);
  for (int block = 0; block < 4; ++block) {
    const int r = 1 + block * 6;
    title_format2(host::Range(&ws, RangeRef{r, 1, r + 1, cols}));
  }
  host::print::Pagination p = host::print::Paginate(ws);
  EXPECT_EQ(p.PageCount(), 1);  // one page wide and one page long
  // A fifth block's header row no longer fits.
  ws.Cells(kNumberReportRowsPerPage + 1, 1).SetValue("x");
  title_format2(host::Range(&ws, RangeRef{kNumberReportRowsPerPage + 1, 1, kNumberReportRowsPerPage + 1, cols}));
  EXPECT_EQ(host::print::Paginate(ws).rowBands.size(), 2u);
}

// ---- renumbering ----

struct Meet {
  shell::testing::TempDir dir;
  shell::testing::TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  host::Workbook& book = program.Host().Add();
  host::Worksheet& settings = book.Sheet(1);
  host::Worksheet* numbers = nullptr;
  host::Worksheet* rosters = nullptr;
  Meet() {
    book.SetUnsavedName("号码对照表及分组分道编排表_2024-04-09_03715.xlsm");
    settings.SetName("设置");
    numbers = &book.AddSheet(nullptr, nullptr, "号码对照表报表");
    rosters = &book.AddSheet(nullptr, nullptr, "比赛项目名单报表");
    numbers->Page().firstPageNumber = 21;
    rosters->Page().firstPageNumber = 25;
  }
};

TEST(ResetPage, BothReportsMoveTogetherFromTheFirstReportPage) {
  Meet m;
  m.settings.Cells(1, 3).SetValue(31);
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 31);
  EXPECT_EQ(m.rosters->Page().firstPageNumber, 35);
  EXPECT_TRUE(m.ui.boxes.empty());
  m.settings.Cells(1, 3).SetValue(11);
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 11);
  EXPECT_EQ(m.rosters->Page().firstPageNumber, 15);
}

TEST(ResetPage, FindsTheMeetWorkbookAmongOthers) {
  Meet m;
  m.settings.Cells(1, 3).SetValue(41);
  host::Workbook& other = m.program.Host().Add();  // active, but not a meet workbook
  other.Sheet(1).SetName("设置");
  other.Sheet(1).Cells(1, 3).SetValue(1);
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 41);
  EXPECT_EQ(m.rosters->Page().firstPageNumber, 45);
}

TEST(ResetPage, LeavesThingsAsTheyAreWithoutAPageNumberSheetsOrMeet) {
  Meet m;
  ResetPage(m.program.Host());  // C1 empty
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 21);
  EXPECT_EQ(m.rosters->Page().firstPageNumber, 25);
  m.settings.Cells(1, 3).SetValue("abc");
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 21);

  // Without the roster report there is nothing to keep in step.
  m.settings.Cells(1, 3).SetValue(31);
  m.book.RemoveSheet(*m.rosters);
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 21);

  // Without a meet workbook nothing is done and nothing is said.
  m.book.SetUnsavedName("Book1");
  ResetPage(m.program.Host());
  EXPECT_EQ(m.numbers->Page().firstPageNumber, 21);
  EXPECT_TRUE(m.ui.boxes.empty());
}

}  // namespace
}  // namespace korvane::meet
