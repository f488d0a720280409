// Page breaks: the row and column counts the reports are laid out by, print
// titles, hidden lines, manual breaks, paper, orientation, zoom and fit.
#include <gtest/gtest.h>

#include <cmath>

#include "host/application.h"
#include "host/errors.h"
#include "host/pagination.h"
#include "host/range.h"

using namespace korvane::host;
using namespace korvane::host::print;

namespace {

constexpr double kReportRow = 27;  // data rows of both reports
constexpr double kHeaderRow = 33;  // team header rows of the number report

// The page setup the reports use: A4 portrait, 1 cm left/right, 2 cm top and
// bottom, footer 1 cm.
void ReportPageSetup(Worksheet& ws) {
  PageSetup& ps = ws.Page();
  ps.centerFooter = "第 &P 页";
  ps.left = WorkbookHost::CentimetersToPoints(1);
  ps.right = WorkbookHost::CentimetersToPoints(1);
  ps.top = WorkbookHost::CentimetersToPoints(2);
  ps.bottom = WorkbookHost::CentimetersToPoints(2);
  ps.footer = WorkbookHost::CentimetersToPoints(1);
  ps.centerHorizontally = true;
  ps.paperSize = xl::PaperA4;
}

// Rows first..last with content in column A and the given height.
void FillRows(Worksheet& ws, int first, int last, double height) {
  for (int r = first; r <= last; ++r) {
    ws.PutValue(r, 1, CellValue(r));
    ws.SetRowHeight(r, height);
  }
}

struct Sheet {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& ws = book.Sheet(1);
  Sheet() { ReportPageSetup(ws); }
};

std::vector<std::pair<int, int>> RowBands(const Pagination& p) {
  std::vector<std::pair<int, int>> out;
  for (const Band& b : p.rowBands) out.emplace_back(b.first, b.last);
  return out;
}
std::vector<std::pair<int, int>> ColBands(const Pagination& p) {
  std::vector<std::pair<int, int>> out;
  for (const Band& b : p.colBands) out.emplace_back(b.first, b.last);
  return out;
}
using Bands = std::vector<std::pair<int, int>>;

}  // namespace

TEST(PaginationGeometry, ReportPageHoldsTwentySixRowsOfTwentySevenPoints) {
  Sheet s;
  FillRows(s.ws, 1, 26, kReportRow);
  Pagination p = Paginate(s.ws);
  EXPECT_NEAR(p.pageHeight, 841.89, 0.01);
  EXPECT_NEAR(p.bodyHeight, 728.5, 0.01);  // header/footer margins take nothing
  EXPECT_EQ(p.PageCount(), 1);

  FillRows(s.ws, 27, 27, kReportRow);  // 729 points: one too many
  p = Paginate(s.ws);
  EXPECT_EQ(RowBands(p), (Bands{{1, 26}, {27, 27}}));

  FillRows(s.ws, 28, 52, kReportRow);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 26}, {27, 52}}));
  FillRows(s.ws, 53, 53, kReportRow);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 26}, {27, 52}, {53, 53}}));
}

TEST(PaginationGeometry, FourNumberReportBlocksFillAPageAndAFifthStartsTheNext) {
  // A block: two 33-point header rows and four 27-point rows (174 points).
  Sheet s;
  auto block = [&](int top) {
    FillRows(s.ws, top, top + 1, kHeaderRow);
    FillRows(s.ws, top + 2, top + 5, kReportRow);
  };
  for (int b = 0; b < 4; ++b) block(1 + 6 * b);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 24}}));  // 696 points

  // 32.5 points are left: a 27-point row would still fit ...
  FillRows(s.ws, 25, 25, kReportRow);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 25}}));
  // ... but the 33-point header of a fifth block does not.
  for (int b = 4; b < 8; ++b) block(1 + 6 * b);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 24}, {25, 48}}));
}

TEST(PaginationGeometry, ToleranceIsOneHundredthOfAPointAndNoMore) {
  Sheet s;
  FillRows(s.ws, 1, 27, kReportRow);
  const double paper = PaperSizePoints(xl::PaperA4).second;
  auto bodyOf = [&](double body) {
    s.ws.Page().top = paper - body - s.ws.Page().bottom;
    return Paginate(s.ws);
  };
  EXPECT_EQ(bodyOf(702.0).rowBands.front().last, 26);    // exactly full
  EXPECT_EQ(bodyOf(701.995).rowBands.front().last, 26);  // float noise
  EXPECT_EQ(bodyOf(701.98).rowBands.front().last, 25);   // a real shortfall
  EXPECT_EQ(bodyOf(728.98).rowBands.front().last, 26);
  EXPECT_EQ(bodyOf(729.0).PageCount(), 1);
}

TEST(PaginationTitles, TitleRowsRepeatAndTakeTheirHeightFromEveryLaterPage) {
  Sheet s;
  FillRows(s.ws, 1, 80, kReportRow);
  s.book.AddName("'Sheet1'!Print_Titles", "=Sheet1!$1:$2");
  Pagination p = Paginate(s.ws);
  EXPECT_EQ(p.titleRow1, 1);
  EXPECT_EQ(p.titleRow2, 2);
  // Page 1 holds the titles as its own rows; later pages print them above
  // 24 body rows (2 x 27 + 24 x 27 = 702).
  EXPECT_EQ(RowBands(p), (Bands{{1, 26}, {27, 50}, {51, 74}, {75, 80}}));
  EXPECT_FALSE(p.RepeatsTitleRows(p.rowBands[0]));
  EXPECT_TRUE(p.RepeatsTitleRows(p.rowBands[1]));

  // Taller titles take more from each page: 2 x 60 + 22 x 27 = 714 fits, 23 rows do not.
  s.ws.SetRowHeight(1, 60);
  s.ws.SetRowHeight(2, 60);
  p = Paginate(s.ws);
  EXPECT_EQ(p.rowBands[1].first, p.rowBands[0].last + 1);
  EXPECT_EQ(p.rowBands[1].last - p.rowBands[1].first + 1, 22);

  // A hidden title row takes no space.
  s.ws.SetRowHidden(1, true);
  p = Paginate(s.ws);
  EXPECT_EQ(p.rowBands[1].last - p.rowBands[1].first + 1, 24);  // 60 + 24 x 27 = 708
}

TEST(PaginationTitles, TitleColumnsRepeatOnLaterColumnPages) {
  Sheet s;
  // 宋体 11: 8 characters = 69 px = 51.75 pt; the body is 538.58 pt wide.
  for (int c = 1; c <= 30; ++c) {
    s.ws.PutValue(1, c, CellValue(c));
    s.ws.SetColumnWidth(c, 8);
  }
  Pagination p = Paginate(s.ws);
  EXPECT_EQ(ColBands(p), (Bands{{1, 10}, {11, 20}, {21, 30}}));

  s.book.AddName("'Sheet1'!Print_Titles", "=Sheet1!$A:$E,Sheet1!$1:$2");
  p = Paginate(s.ws);
  EXPECT_EQ(p.titleCol1, 1);
  EXPECT_EQ(p.titleCol2, 5);
  // After the first page, five title columns leave room for five body columns.
  EXPECT_EQ(ColBands(p), (Bands{{1, 10}, {11, 15}, {16, 20}, {21, 25}, {26, 30}}));
  EXPECT_TRUE(p.RepeatsTitleColumns(p.colBands[1]));
}

TEST(PaginationLines, HiddenRowsAndColumnsTakeNoSpace) {
  Sheet s;
  FillRows(s.ws, 1, 30, kReportRow);
  EXPECT_EQ(Paginate(s.ws).PageCount(), 2);
  for (int r = 5; r <= 8; ++r) s.ws.SetRowHidden(r, true);
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 30}}));  // 26 visible rows

  for (int c = 1; c <= 12; ++c) {
    s.ws.PutValue(1, c, CellValue("x"));
    s.ws.SetColumnWidth(c, 8);
  }
  EXPECT_EQ(Paginate(s.ws).colBands.size(), 2u);
  s.ws.SetColumnHidden(3, true);
  s.ws.SetColumnHidden(4, true);
  EXPECT_EQ(ColBands(Paginate(s.ws)), (Bands{{1, 12}}));
}

TEST(PaginationLines, PagesOfHiddenRowsOnlyAreNotPrinted) {
  Sheet s;
  FillRows(s.ws, 1, 40, kReportRow);
  s.ws.Page().rowBreaks = {20};
  for (int r = 21; r <= 40; ++r) s.ws.SetRowHidden(r, true);
  EXPECT_EQ(Paginate(s.ws).PageCount(), 1);
  for (int r = 1; r <= 20; ++r) s.ws.SetRowHidden(r, true);
  EXPECT_EQ(Paginate(s.ws).PageCount(), 0);
}

TEST(PaginationLines, ManualBreaksEndAPageAfterTheirRow) {
  Sheet s;
  FillRows(s.ws, 1, 60, kReportRow);
  s.ws.Page().rowBreaks = {10, 40};
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 10}, {11, 36}, {37, 40}, {41, 60}}));
  // Unsorted and repeated breaks, a break on the last row, one beyond the sheet.
  s.ws.Page().rowBreaks = {40, 10, 10, 60, 500};
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 10}, {11, 36}, {37, 40}, {41, 60}}));

  for (int c = 1; c <= 6; ++c) s.ws.PutValue(1, c, CellValue("x"));
  s.ws.Page().rowBreaks.clear();
  s.ws.Page().colBreaks = {3};
  EXPECT_EQ(ColBands(Paginate(s.ws)), (Bands{{1, 3}, {4, 6}}));
}

TEST(PaginationPaper, SizesOrientationAndB4) {
  const auto a4 = PaperSizePoints(xl::PaperA4);
  EXPECT_NEAR(a4.first, 595.3, 0.05);
  EXPECT_NEAR(a4.second, 841.9, 0.05);
  const auto b4 = PaperSizePoints(xl::PaperB4);
  EXPECT_NEAR(b4.first, 250 * 72 / 25.4, 1e-9);
  EXPECT_NEAR(b4.second, 353 * 72 / 25.4, 1e-9);
  EXPECT_NEAR(PaperSizePoints(xl::PaperA3).second, 420 * 72 / 25.4, 1e-9);
  EXPECT_EQ(PaperSizePoints(xl::PaperLetter), (std::pair<double, double>{612, 792}));
  EXPECT_NEAR(PaperSizePoints(11).first, 148 * 72 / 25.4, 1e-9);  // A5
  EXPECT_EQ(PaperSizePoints(4242), a4);                           // unknown: A4

  Sheet s;
  FillRows(s.ws, 1, 40, kReportRow);
  // Landscape A4: 595.28 - 2 x 56.69 = 481.89 points, 17 rows of 27 (459), not 18 (486).
  s.ws.Page().orientation = xl::Landscape;
  Pagination p = Paginate(s.ws);
  EXPECT_NEAR(p.pageWidth, a4.second, 1e-9);
  EXPECT_EQ(RowBands(p), (Bands{{1, 17}, {18, 34}, {35, 40}}));

  // B4 portrait: 1000.63 - 113.39 = 887.24 points, 32 rows (864), not 33 (891).
  s.ws.Page().orientation = xl::Portrait;
  s.ws.Page().paperSize = xl::PaperB4;
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 32}, {33, 40}}));
}

TEST(PaginationScale, ZoomScalesTheContent) {
  Sheet s;
  FillRows(s.ws, 1, 54, kReportRow);
  s.ws.Page().zoom = 50;
  // 53 rows at half size are 715.5 points; 54 are 729.
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 53}, {54, 54}}));
  s.ws.Page().zoom = 200;
  EXPECT_EQ(Paginate(s.ws).rowBands.front().last, 13);  // 13 x 54 = 702
}

TEST(PaginationScale, FitToPagesTakesTheLargestWholePercentThatFits) {
  Sheet s;
  FillRows(s.ws, 1, 60, kReportRow);  // 1620 points
  s.ws.Page().fitWide = 1;
  s.ws.Page().fitTall = 1;
  // 728.5 / 1620 = 0.4497: 44 % fits (712.8), 45 % does not (729).
  Pagination p = Paginate(s.ws);
  EXPECT_DOUBLE_EQ(p.scale, 0.44);
  EXPECT_EQ(p.PageCount(), 1);

  // Two pages tall: at 90 % a row is 24.3 points and 29 fit (30 are 729): 3 pages;
  // at 89 % 30 rows fit (720.9): 2 pages.
  s.ws.Page().fitTall = 2;
  p = Paginate(s.ws);
  EXPECT_DOUBLE_EQ(p.scale, 0.89);
  EXPECT_EQ(RowBands(p), (Bands{{1, 30}, {31, 60}}));

  // Content that already fits is not enlarged; a free direction stays free.
  s.ws.Page().fitWide = 1;
  s.ws.Page().fitTall = 0;
  EXPECT_DOUBLE_EQ(Paginate(s.ws).scale, 1.0);
  EXPECT_EQ(Paginate(s.ws).PageCount(), 3);

  // Fitting ignores manual breaks and the zoom.
  s.ws.Page().fitTall = 1;
  s.ws.Page().zoom = 200;
  s.ws.Page().rowBreaks = {5, 10};
  EXPECT_EQ(Paginate(s.ws).PageCount(), 1);
}

TEST(PaginationScale, FitStopsAtTenPercent) {
  Sheet s;
  FillRows(s.ws, 1, 1000, kReportRow);  // 27000 points; at 10 % 269 rows per page
  s.ws.Page().fitTall = 1;
  Pagination p = Paginate(s.ws);
  EXPECT_DOUBLE_EQ(p.scale, 0.10);
  EXPECT_EQ(RowBands(p).front(), (std::pair<int, int>{1, 269}));
  EXPECT_EQ(p.PageCount(), 4);
}

TEST(PaginationOrder, DownThenOverUnlessOverThenDown) {
  Sheet s;
  FillRows(s.ws, 1, 30, kReportRow);
  for (int c = 1; c <= 12; ++c) {
    s.ws.PutValue(1, c, CellValue("x"));
    s.ws.SetColumnWidth(c, 8);
  }
  Pagination p = Paginate(s.ws);
  ASSERT_EQ(p.PageCount(), 4);
  auto page = [&](int n) {
    auto [rows, cols] = p.Page(n);
    return std::pair<int, int>{rows.first, cols.first};
  };
  EXPECT_EQ(page(0), (std::pair<int, int>{1, 1}));
  EXPECT_EQ(page(1), (std::pair<int, int>{27, 1}));
  EXPECT_EQ(page(2), (std::pair<int, int>{1, 11}));
  EXPECT_EQ(page(3), (std::pair<int, int>{27, 11}));
  s.ws.Page().overThenDown = true;
  p = Paginate(s.ws);
  EXPECT_EQ(page(1), (std::pair<int, int>{1, 11}));
  EXPECT_EQ(page(2), (std::pair<int, int>{27, 1}));
  EXPECT_THROW(p.Page(4), HostError);
  EXPECT_THROW(p.Page(-1), HostError);
}

TEST(PaginationEdges, EmptySheetPrintsNothingAndFormattingAlonePrints) {
  Sheet s;
  Pagination p = Paginate(s.ws);
  EXPECT_EQ(p.PageCount(), 0);
  EXPECT_THROW(p.Page(0), HostError);
  s.ws.SetRowHeight(5, 40);  // a row format is not printed content
  EXPECT_EQ(Paginate(s.ws).PageCount(), 0);

  s.ws.RangeAt("B40").SetBorder(xl::EdgeBottom, xl::Continuous);
  p = Paginate(s.ws);
  EXPECT_EQ(RowBands(p), (Bands{{1, 40}}));  // 39 x 13.5 + 40 = 566.5 points
  EXPECT_EQ(ColBands(p), (Bands{{1, 2}}));
}

TEST(PaginationEdges, ARowTallerThanThePageTakesAPageOfItsOwn) {
  Sheet s;
  FillRows(s.ws, 1, 3, kReportRow);
  s.ws.SetRowHeight(2, 400);
  s.ws.Page().zoom = 200;  // 800 points on a 728.5-point body
  EXPECT_EQ(RowBands(Paginate(s.ws)), (Bands{{1, 1}, {2, 2}, {3, 3}}));
}

TEST(PaginationEdges, HostPageCountIsThePaginationOfTheActiveSheet) {
  Sheet s;
  FillRows(s.ws, 1, 27, kReportRow);
  s.host.Activate(s.book);
  s.ws.Activate();
  EXPECT_EQ(s.host.ActiveSheetPageCount(), 2);
}

TEST(FontMetrics, DigitWidthsAndRowHeightsOfTheWorkbookFonts) {
  EXPECT_EQ(MaxDigitWidthPixels("Calibri", 11), 7);
  EXPECT_EQ(MaxDigitWidthPixels("宋体", 11), 8);
  EXPECT_EQ(MaxDigitWidthPixels("SimSun", 11), MaxDigitWidthPixels("宋体", 11));
  EXPECT_EQ(MaxDigitWidthPixels("calibri", 11), 7);
  EXPECT_EQ(MaxDigitWidthPixels("Arial", 10), 7);
  EXPECT_EQ(MaxDigitWidthPixels("Some Unknown Font", 11), MaxDigitWidthPixels("宋体", 11));
  EXPECT_DOUBLE_EQ(DefaultRowHeightPoints("宋体", 11), 13.5);
  EXPECT_DOUBLE_EQ(DefaultRowHeightPoints("Calibri", 11), 15);
  for (const char* font : {"宋体", "黑体", "Calibri", "Arial", "等线", "仿宋", "楷体"}) {
    int lastWidth = 0;
    double lastHeight = 0;
    for (double size = 6; size <= 80; size += 0.5) {
      const int w = MaxDigitWidthPixels(font, size);
      const double h = DefaultRowHeightPoints(font, size);
      EXPECT_GE(w, lastWidth) << font << " " << size;
      EXPECT_GE(h, lastHeight) << font << " " << size;
      EXPECT_DOUBLE_EQ(h * 4 / 3, std::round(h * 4 / 3)) << "whole pixels: " << font << " " << size;
      lastWidth = w;
      lastHeight = h;
    }
    EXPECT_GT(MaxDigitWidthPixels(font, 72), 4 * MaxDigitWidthPixels(font, 11)) << font;
  }
  EXPECT_GE(MaxDigitWidthPixels("宋体", 0), 1);
  EXPECT_GT(DefaultRowHeightPoints("宋体", -3), 0);
}

TEST(FontMetrics, ColumnWidthsFollowTheFileFormatFormula) {
  EXPECT_DOUBLE_EQ(ColumnWidthToPoints(8.43, 7), 64 * 0.75);  // Calibri 11 default column
  EXPECT_DOUBLE_EQ(ColumnWidthToPoints(8.38, 8), 72 * 0.75);  // 宋体 11 default column
  EXPECT_DOUBLE_EQ(ColumnWidthToPoints(0, 8), 0);
  EXPECT_DOUBLE_EQ(ColumnWidthToPoints(-1, 8), 0);
  EXPECT_GT(ColumnWidthToPoints(1, 0), 0);  // a bad digit width does not divide by zero
}

TEST(FontMetrics, TheWorkbookDefaultFontSetsColumnPages) {
  Sheet s;
  for (int c = 1; c <= 12; ++c) {
    s.ws.PutValue(1, c, CellValue("x"));
    s.ws.SetColumnWidth(c, 8);
  }
  // 宋体: 69 px = 51.75 pt per column, 10 fit in 538.58 points.
  EXPECT_EQ(ColBands(Paginate(s.ws)), (Bands{{1, 10}, {11, 12}}));
  // Calibri: 61 px = 45.75 pt, 11 fit.
  s.book.defaultFontName = "Calibri";
  EXPECT_EQ(ColBands(Paginate(s.ws)), (Bands{{1, 11}, {12, 12}}));
}

TEST(FontMetrics, NumberReportColumnsPrintOnePageWide) {
  // k columns of Int(8100 / k) / 100 characters for RowsPerTeam 20 (k = 12)
  // and 16 (k = 10), with the report page setup and 宋体 11.
  for (auto [k, width] : {std::pair{12, 6.75}, std::pair{10, 8.1}}) {
    Sheet s;
    for (int c = 1; c <= k; ++c) {
      s.ws.PutValue(1, c, CellValue("x"));
      s.ws.SetColumnWidth(c, width);
    }
    EXPECT_EQ(Paginate(s.ws).colBands.size(), 1u) << k;
  }
}
