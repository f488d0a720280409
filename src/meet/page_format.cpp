#include "meet/page_format.h"

#include <cmath>
#include <stdexcept>
#include <vector>

#include "host/application.h"
#include "host/pagination.h"
#include "host/style.h"
#include "host/workbook.h"
#include "meet/layout.h"

namespace korvane::meet {

namespace xl = host::xl;

void Page_Setup(host::Worksheet& sheet) {
  host::PageSetup& page = sheet.Page();
  page.centerFooter = kPageFooter;
  page.left = host::WorkbookHost::CentimetersToPoints(1);
  page.right = host::WorkbookHost::CentimetersToPoints(1);
  page.top = host::WorkbookHost::CentimetersToPoints(2);
  page.bottom = host::WorkbookHost::CentimetersToPoints(2);
  page.footer = host::WorkbookHost::CentimetersToPoints(1);
  page.centerHorizontally = true;
  // Our host has every paper size, so A4 cannot be refused here.
  page.paperSize = xl::PaperA4;
  // One page across in every reader: where a reader's font is wider than the
  // workbook's (LibreOffice without 宋体), the report scales down instead of
  // spilling its last column onto pages of its own. Where the columns fit, as
  // the report widths are made to, the scale stays 100%.
  page.fitWide = 1;
  page.fitTall.reset();
  sheet.Book().SetSaved(false);
}

NumberReportColumns NumberReportColumnsFor(int rowsPerTeam) {
  // Half the team (one sex block) plus the two label columns; a half goes to
  // the even neighbour, as the application's rounding does.
  const double exact = rowsPerTeam / 2.0 + 2;
  double k = std::floor(exact);
  if (exact - k == 0.5 && std::fmod(k, 2.0) != 0)
    k += 1;
  else if (exact - k > 0.5)
    k += 1;
  NumberReportColumns out;
  out.count = k < 1 ? 1 : static_cast<int>(k);
  out.width = std::floor(8100.0 / out.count) / 100.0;
  return out;
}

void RowCol_Setup(host::Worksheet& sheet, int rowsPerTeam) {
  host::Range all = sheet.AllCells();
  all.SetRowHeight(kDataRowHeight);
  if (sheet.Name() == kNumberReportSheet) {
    all.SetColumnWidth(NumberReportColumnsFor(rowsPerTeam).width);
    all.SetShrinkToFit(true);
  } else {
    all.SetColumnWidth(kOtherReportColumnWidth);
  }
  all.SetHorizontalAlignment(xl::Center);
  all.SetVerticalAlignment(xl::Center);
}

void Borders_Setup(const host::Range& range, int lineStyle) {
  host::Range r = range;
  for (int edge : {xl::EdgeLeft, xl::EdgeRight, xl::EdgeTop, xl::EdgeBottom}) r.SetBorder(edge, lineStyle);
  if (r.ColumnsCount() > 1) r.SetBorder(xl::InsideVertical, lineStyle);
  if (r.RowsCount() > 1) r.SetBorder(xl::InsideHorizontal, lineStyle);
}

void confirm_pos(ReportLayout& layout) {
  if (layout.RowsPerPage <= 0) throw std::invalid_argument("confirm_pos: RowsPerPage must be positive");
  const int used = layout.LastRow % layout.RowsPerPage;
  const int free = layout.RowsPerPage - used;
  if (free < layout.BlockRows) layout.LastRow = layout.LastRow - used + layout.RowsPerPage;
  layout.BlockTop = layout.LastRow + 1;
  // The page index of the block: it never starts on a page's last row, so
  // BlockTop div RowsPerPage is the page it lies on.
  const int page = layout.FirstPage + layout.BlockTop / layout.RowsPerPage;
  layout.ColShift = ((page % 2) + 2) % 2;
}

void title_format1(const host::Range& range) {
  host::Range r = range;
  r.SetHorizontalAlignment(xl::General);
  r.SetFontName(kTitleFont);
}

void title_format2(const host::Range& range) {
  host::Range r = range;
  r.SetFontName(kTitleFont);
  r.SetFontSize(kTeamHeaderFontSize);
  r.SetRowHeight(kTeamHeaderRowHeight);
}

void WritePageBreaks(host::Worksheet& ws) {
  std::vector<int>& breaks = ws.Page().rowBreaks;
  breaks.clear();
  const host::print::Pagination pages = host::print::Paginate(ws);
  for (std::size_t i = 0; i + 1 < pages.rowBands.size(); ++i) breaks.push_back(pages.rowBands[i].last);
  ws.Book().SetSaved(false);
}

void ResetPage(host::WorkbookHost& application) {
  host::Workbook* book = FindMeetWorkbook(application);
  if (!book) return;
  host::Worksheet* settings = book->FindSheet(std::string(kSettingsSheet));
  host::Worksheet* numbers = book->FindSheet(std::string(kNumberReportSheet));
  host::Worksheet* rosters = book->FindSheet(std::string(kRosterReportSheet));
  if (!settings || !numbers || !rosters) return;
  const long long c = settings->ValueAt(settings::FirstReportPage.row, settings::FirstReportPage.col).ToWhole();
  if (c < 1 || c > 1'000'000) return;
  // An automatic first page number is page 1.
  const long long r = rosters->Page().firstPageNumber.value_or(1);
  const long long n = numbers->Page().firstPageNumber.value_or(1);
  const long long rosterFirst = c + r - n;
  numbers->Page().firstPageNumber = static_cast<int>(c);
  rosters->Page().firstPageNumber = static_cast<int>(rosterFirst < 1 ? 1 : rosterFirst);
  book->SetSaved(false);
}

}  // namespace korvane::meet
