#include "kit.h"

#include <algorithm>
#include <stdexcept>

#include "host/range.h"

namespace korvane::templates {

using namespace korvane::host;

RangeRef Area(const std::string& a1) {
  auto r = ParseA1(a1);
  if (!r) throw std::invalid_argument("bad address " + a1);
  return *r;
}

RangeRef Area(int r1, int c1, int r2, int c2) { return RangeRef{r1, c1, r2, c2}; }

Look Title(double size) {
  Look l;
  l.font = "黑体";
  l.size = size;
  l.halign = xl::Center;
  l.valign = xl::Center;
  return l;
}

Look Heading(double size) {
  Look l;
  l.size = size;
  l.bold = true;
  l.halign = xl::Center;
  l.valign = xl::Center;
  l.wrap = true;
  return l;
}

Look Centered() {
  Look l;
  l.halign = xl::Center;
  l.valign = xl::Center;
  return l;
}

Look Note() {
  Look l;
  l.size = 10;
  l.halign = xl::Left;
  l.valign = xl::Top;
  l.wrap = true;
  return l;
}

namespace {
void Apply(Range range, const Look& look) {
  range.ModifyStyle([&look](Style& s) {
    if (!look.font.empty()) s.font.name = look.font;
    if (look.size > 0) s.font.size = look.size;
    if (look.bold) s.font.bold = true;
    if (look.color) s.font.color = look.color;
    if (look.halign) s.halign = HAlignFromCode(look.halign);
    if (look.valign) s.valign = VAlignFromCode(look.valign);
    if (look.wrap) s.wrap = true;
    if (look.shrink) s.shrink = true;
    if (look.rotation >= 0) s.rotation = look.rotation;
    if (!look.numberFormat.empty()) s.numberFormat = look.numberFormat;
    if (look.fill) s.fill = look.fill;
  });
}
}  // namespace

void Format(Worksheet& ws, const RangeRef& r, const Look& look) { Apply(Range(&ws, r), look); }

void FormatColumns(Worksheet& ws, int firstCol, int lastCol, const Look& look) {
  Apply(Range(&ws, RangeRef{1, firstCol, kMaxRows, lastCol}, false, true), look);
}

void Unlock(Worksheet& ws, const RangeRef& r) { Range(&ws, r).SetLocked(false); }

void UnlockColumns(Worksheet& ws, int firstCol, int lastCol) {
  StyleTable& styles = ws.Book().Tables().styles;
  auto& cols = ws.MutableColMap();
  for (int c = firstCol; c <= lastCol; ++c) {
    Style s = styles.Get(cols[c].style);
    s.locked = false;
    cols[c].style = styles.Intern(s);
  }
}

void Line(Worksheet& ws, const RangeRef& r, Side side, LineStyle style) {
  Range(&ws, r).ModifyStyle([side, style](Style& s) {
    BorderEdge e{style, 0};
    switch (side) {
      case Side::Left: s.left = e; break;
      case Side::Right: s.right = e; break;
      case Side::Top: s.top = e; break;
      case Side::Bottom: s.bottom = e; break;
    }
  });
}

void Put(Worksheet& ws, int row, int col, const CellValue& v) { ws.Cells(row, col).SetLiteral(v); }

void Put(Worksheet& ws, const std::string& cell, const CellValue& v) {
  RangeRef r = Area(cell);
  Put(ws, r.r1, r.c1, v);
}

void PutRow(Worksheet& ws, int row, int col, std::initializer_list<CellValue> values) {
  for (const CellValue& v : values) Put(ws, row, col++, v);
}

void PutFormula(Worksheet& ws, const std::string& cell, const std::string& formula, const CellValue& cached) {
  RangeRef r = Area(cell);
  ws.PutFormula(r.r1, r.c1, formula, cached);
}

void ColumnRule(Worksheet& ws, int r1, int r2, int col, LineStyle style) {
  Line(ws, RangeRef{r1, col, r2, col}, Side::Left, style);
  if (col > 1) Line(ws, RangeRef{r1, col - 1, r2, col - 1}, Side::Right, style);
}

void Merge(Worksheet& ws, const RangeRef& r) { Range(&ws, r).Merge(); }

void Grid(Worksheet& ws, const RangeRef& r) {
  Range range(&ws, r);
  for (int edge : {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom, xl::EdgeRight}) range.SetBorder(edge, xl::Continuous);
  if (r.Cols() > 1) range.SetBorder(xl::InsideVertical, xl::Continuous);
  if (r.Rows() > 1) range.SetBorder(xl::InsideHorizontal, xl::Continuous);
}

void Edge(Worksheet& ws, const RangeRef& r, int xlEdge, int xlLineStyle) {
  Range(&ws, r).SetBorder(xlEdge, xlLineStyle);
}

void Widths(Worksheet& ws, int firstCol, int lastCol, double chars) {
  for (int c = firstCol; c <= lastCol; ++c) ws.SetColumnWidth(c, chars);
}

void Heights(Worksheet& ws, int firstRow, int lastRow, double points) {
  for (int r = firstRow; r <= lastRow; ++r) ws.SetRowHeight(r, points);
}

double Inches(double in) { return in * 72.0; }
double Cm(double cm) { return cm * 72.0 / 2.54; }

void Page(Worksheet& ws, int paper, int orientation, double left, double right, double top, double bottom) {
  PageSetup& p = ws.Page();
  p.paperSize = paper;
  p.orientation = orientation;
  p.left = left;
  p.right = right;
  p.top = top;
  p.bottom = bottom;
  p.header = std::min(top, Inches(0.3));
  p.footer = std::min(bottom, Inches(0.3));
}

void FitColumnsToPage(Worksheet& ws) {
  ws.Page().fitWide = 1;
  ws.Page().fitTall = 0;
}

}  // namespace korvane::templates
