// Page breaks of a worksheet as the application's page model computes them.
// The single source of page breaks: the page count the commands ask for and
// the PDF renderer both use it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korvane::host {
class Worksheet;
}  // namespace korvane::host

namespace korvane::host::print {

// Paper size in points (portrait) for an application paper code; A4 when unknown.
std::pair<double, double> PaperSizePoints(int paperCode);

// Maximum digit width in pixels at 96 dpi of a font (the unit of column widths).
int MaxDigitWidthPixels(const std::string& fontName, double size);
// Default row height in points of a font.
double DefaultRowHeightPoints(const std::string& fontName, double size);
// A column width in character units -> points, for the workbook's default font.
double ColumnWidthToPoints(double chars, int maxDigitWidthPx);

struct Band {
  int first = 0, last = 0;  // inclusive, 1-based rows or columns
};

struct Pagination {
  double pageWidth = 0, pageHeight = 0;  // points, with orientation
  double bodyWidth = 0, bodyHeight = 0;  // printable area for rows/columns (points)
  double scale = 1.0;                    // zoom or fit-to-page factor
  int titleRow1 = 0, titleRow2 = 0;      // repeated rows (0 = none)
  int titleCol1 = 0, titleCol2 = 0;      // repeated columns (0 = none)
  std::vector<Band> rowBands;            // body rows of each page row
  std::vector<Band> colBands;            // body columns of each page column
  bool overThenDown = false;
  int PageCount() const { return static_cast<int>(rowBands.size() * colBands.size()); }
  // Title rows (columns) print above (left of) a band that starts after them;
  // a band that starts at or before the last title line already holds them.
  bool RepeatsTitleRows(const Band& rows) const { return titleRow1 > 0 && rows.first > titleRow2; }
  bool RepeatsTitleColumns(const Band& cols) const { return titleCol1 > 0 && cols.first > titleCol2; }
  // The bands of the n-th printed page (0-based) in print order.
  std::pair<Band, Band> Page(int n) const;
};

// Paginates the printed area of the sheet (nothing printed: 0 pages).
Pagination Paginate(const Worksheet& ws);

}  // namespace korvane::host::print
