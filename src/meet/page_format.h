// Page geometry and look of the two printable reports (the number lookup
// report and the event rosters): A4 page setup with a page-number footer,
// fixed row heights and column widths, borders, the two title formats, the
// rule that keeps a block on one page and shifts odd pages one column to the
// right for binding, and the renumbering of both reports from a new first
// page.
//
// The report writers count rows to know where pages break. Their counts (24
// rows a page for the number report, 26 for the rosters) hold only with the
// page setup, row heights and title formats made here: A4 portrait is 841.9
// points high, the top and bottom margins of 2 cm leave 728.5 points; 26 data
// rows of 27 points take 702 (27 would take 729), and four number-report team
// blocks of 2 x 33 + 4 x 27 points take 696.
#pragma once

#include "host/range.h"
#include "host/worksheet.h"

namespace korvane::host {
class WorkbookHost;
}  // namespace korvane::host

namespace korvane::meet {

// Heights in points and rows per printed page the report writers rely on.
inline constexpr double kDataRowHeight = 27;
inline constexpr double kTeamHeaderRowHeight = 33;
inline constexpr int kNumberReportRowsPerPage = 24;
inline constexpr int kRosterRowsPerPage = 26;
inline constexpr double kOtherReportColumnWidth = 8;
inline constexpr const char* kTitleFont = "黑体";
inline constexpr double kTeamHeaderFontSize = 18;
inline constexpr const char* kPageFooter = "第 &P 页";

// Where the report being written stands: the state the number report leaves
// for the rosters, and the input and output of confirm_pos. All rows are
// sheet rows, 1-based; pages are counted from FirstPage.
struct ReportLayout {
  int FirstPage = 1;  // page number of the report's first page
  int LastRow = 0;    // last row used so far (0 before the first block)
  int RowsPerPage = kRosterRowsPerPage;
  int BlockRows = 0;  // rows of the block about to be placed
  int BlockTop = 0;   // first row of the placed block (set by confirm_pos)
  int ColShift = 0;   // 0 or 1: the placed block starts in column 1 + ColShift
};

// A4 portrait page setup: footer "第 &P 页", margins 1 cm left and right, 2 cm
// top and bottom, footer 1 cm from the edge, centred horizontally. The first
// page number is left to the report writers.
void Page_Setup(host::Worksheet& sheet);

// Number of equal columns of the number report and their width for a team
// size: k = RowsPerTeam / 2 + 2 rounded to the nearest whole number (halves to
// the even one), k columns sharing 81 character units, the width truncated to
// hundredths. 20 gives 12 columns of 6.75, 16 gives 10 of 8.1.
struct NumberReportColumns {
  int count = 0;
  double width = 0;
};
NumberReportColumns NumberReportColumnsFor(int rowsPerTeam);

// Rows and columns of a report sheet: every row 27 points high and every cell
// centred both ways. The number report (号码对照表报表) gets the columns of
// NumberReportColumnsFor(rowsPerTeam) and shrinks its text to fit; any other
// sheet gets columns 8 characters wide. Meant for a fresh, empty report sheet.
void RowCol_Setup(host::Worksheet& sheet, int rowsPerTeam);

// Borders of `range` in line style `lineStyle` (the application's codes:
// 1 continuous, -4142 none, ...): the four outer edges, the inside vertical
// lines when it has more than one column and the inside horizontal lines when
// it has more than one row.
void Borders_Setup(const host::Range& range, int lineStyle);

// Places the next block of `layout.BlockRows` rows after `layout.LastRow`:
// when the rest of the current page cannot hold it, the rest stays empty and
// the block starts on the next page. Sets BlockTop (its first row) and
// ColShift (1 on odd-numbered pages, 0 on even ones, counting from
// FirstPage). LastRow moves only past the skipped rest of a page; the writer
// adds the block's own rows after writing it. Throws std::invalid_argument
// when RowsPerPage is not positive.
void confirm_pos(ReportLayout& layout);

// The roster title: general alignment, so the text starts at the left and
// runs over the empty cells to its right, in 黑体.
void title_format1(const host::Range& range);
// The number report's team header: 黑体 18 points, its rows 33 points high.
void title_format2(const host::Range& range);

// Manual row breaks at every page boundary of our pagination, replacing the
// sheet's earlier ones: with them Excel, WPS and LibreOffice end the pages
// where our page model (and the PDFs made from it) does, whatever their fonts
// or paper tables, so no block of a report or form is split across pages.
void WritePageBreaks(host::Worksheet& ws);

// Renumbers both reports of the open meet workbook from 设置!C1: the number
// report starts at C1 and the rosters keep their distance from it. Does
// nothing when no meet workbook is open, when either report sheet is missing
// or when C1 is not a page number (below 1).
void ResetPage(host::WorkbookHost& application);

}  // namespace korvane::meet
