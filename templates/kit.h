// Small formatting helpers the template builders share: they lay out a sheet
// the way a person does in the spreadsheet window (type values, merge, set
// fonts, borders, widths, heights, unlock cells), through the host's own model.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/style.h"
#include "host/value.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::templates {

using host::CellValue;
using host::RangeRef;
using host::Worksheet;

// An A1 address ("C4", "A3:CB104") as a rectangle; throws on a bad address.
RangeRef Area(const std::string& a1);
RangeRef Area(int r1, int c1, int r2, int c2);

// The look of a cell. Fields left at their defaults are not changed by Format().
struct Look {
  std::string font;          // empty: keep
  double size = 0;           // 0: keep
  bool bold = false;         // sets bold when true
  int halign = 0;            // an xl alignment constant; 0: keep
  int valign = 0;            // an xl alignment constant; 0: keep
  bool wrap = false;         // sets wrapping when true
  bool shrink = false;       // sets shrink-to-fit when true
  int rotation = -1;         // 255 = vertical stacked text; -1: keep
  std::string numberFormat;  // empty: keep
  std::uint32_t fill = 0;    // ARGB solid fill; 0: keep
  std::uint32_t color = 0;   // ARGB font colour; 0: keep
};

// Looks used across the templates.
Look Title(double size = 18);
Look Heading(double size = 11);
Look Centered();
Look Note();

void Format(Worksheet& ws, const RangeRef& r, const Look& look);
// The look of whole columns: cells written into them later take it.
void FormatColumns(Worksheet& ws, int firstCol, int lastCol, const Look& look);

// Cells that stay editable while the sheet is protected.
void Unlock(Worksheet& ws, const RangeRef& r);
// Whole columns whose empty cells (those without a format of their own) are
// editable while the sheet is protected. Cells already formatted keep their lock.
void UnlockColumns(Worksheet& ws, int firstCol, int lastCol);

// A text or number typed as a constant (a text is never read as a formula).
void Put(Worksheet& ws, int row, int col, const CellValue& v);
void Put(Worksheet& ws, const std::string& cell, const CellValue& v);
// Values across a row from (row, col).
void PutRow(Worksheet& ws, int row, int col, std::initializer_list<CellValue> values);
// A formula (without "=") with the value it computes for the shipped data, so
// that readers that do not calculate show the right text.
void PutFormula(Worksheet& ws, const std::string& cell, const std::string& formula, const CellValue& cached);

void Merge(Worksheet& ws, const RangeRef& r);
// Thin lines around and between all cells of the area.
void Grid(Worksheet& ws, const RangeRef& r);
// One edge (xl::EdgeTop ...) of the area in the given xl line style.
void Edge(Worksheet& ws, const RangeRef& r, int xlEdge, int xlLineStyle);
// One side of every cell of the area in a line style (weights included, which
// the application's edge constants do not name).
enum class Side { Left, Right, Top, Bottom };
void Line(Worksheet& ws, const RangeRef& r, Side side, host::LineStyle style);
// A line between two columns (left of `col`) over rows r1..r2, drawn on both
// neighbouring cells so that every reader shows the same line.
void ColumnRule(Worksheet& ws, int r1, int r2, int col, host::LineStyle style);

void Widths(Worksheet& ws, int firstCol, int lastCol, double chars);
void Heights(Worksheet& ws, int firstRow, int lastRow, double points);

double Inches(double in);  // -> points
double Cm(double cm);      // -> points

// The sheet's page: paper, orientation and margins (points).
void Page(Worksheet& ws, int paper, int orientation, double left, double right, double top, double bottom);
// Prints all columns on one page across, shrinking only when a reader's
// fonts make the columns wider than the page; rows are not scaled.
void FitColumnsToPage(Worksheet& ws);

}  // namespace korvane::templates
