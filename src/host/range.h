// A rectangle of cells of one worksheet, with the operations of the
// application's Range object. A Range is a small value; it does not own cells.
#pragma once

#include <string>

#include "host/address.h"
#include "host/style.h"
#include "host/value.h"

namespace korvane::host {

class Worksheet;

class Range {
 public:
  Range(Worksheet* ws, RangeRef ref, bool entireRows = false, bool entireCols = false);

  Worksheet& Sheet() const { return *ws_; }
  const RangeRef& Ref() const { return ref_; }
  int Row() const { return ref_.r1; }
  int Column() const { return ref_.c1; }
  int LastRow() const { return ref_.r2; }
  int LastColumn() const { return ref_.c2; }
  int RowsCount() const { return ref_.Rows(); }
  int ColumnsCount() const { return ref_.Cols(); }
  long long Count() const { return ref_.Count(); }
  bool IsEntireRows() const { return entireRows_; }
  bool IsEntireColumns() const { return entireCols_; }
  std::string Address() const;  // absolute: "$A$1:$B$2", "$11:$16", "$A:$E"

  // Relative sub-ranges, 1-based within this range (may reach beyond it).
  Range Cells(int row, int col) const;
  Range Rows(int row) const;
  Range Columns(int col) const;
  Range EntireRow() const;
  Range EntireColumn() const;
  Range Resize(int rows, int cols) const;
  Range Offset(int rows, int cols) const;

  // Values. Value() reads the top-left cell; Values() the whole rectangle.
  CellValue Value() const;
  ValueGrid Values() const;
  std::string Text() const { return Value().ToText(); }
  std::string Formula() const;  // with "=" when the top-left cell holds one, else its value text
  bool HasFormula() const;
  // The application's Value assignment: a text starting with "=" becomes a
  // formula. A single value fills every cell of the range.
  void SetValue(const CellValue& v);
  void SetValues(const ValueGrid& grid);  // rectangle from the top-left cell
  // Literal writes used when values are copied: texts stay texts.
  void SetLiteral(const CellValue& v);
  void SetLiterals(const ValueGrid& grid);
  // Replaces formulas by their current values (assigning Value to itself).
  void FreezeValues();
  void ClearContents();

  // End(direction) from the top-left cell.
  Range End(int xlDirection) const;

  // Structure.
  void Insert();  // shifts rows down (entire rows / a row range) or cells' rows
  void Delete();
  void Copy(const Range& destination) const;  // values, formulas (shifted) and formats
  void Cut(const Range& destination);

  bool Hidden() const;
  void SetHidden(bool hidden);  // rows of a row range, columns of a column range
  bool MergeCells() const;      // the top-left cell lies in a merged area
  void SetMergeCells(bool merge);
  void Merge() { SetMergeCells(true); }
  void UnMerge() { SetMergeCells(false); }
  Range MergeArea() const;

  // Formats.
  double RowHeight() const;
  void SetRowHeight(double points);
  double ColumnWidth() const;
  void SetColumnWidth(double chars);
  void SetWrapText(bool on);
  bool WrapText() const;
  void SetShrinkToFit(bool on);
  bool ShrinkToFit() const;
  void SetOrientation(int xlOrientationOrDegrees);  // xl::Vertical, xl::Horizontal, -90..90
  int Orientation() const;
  void SetHorizontalAlignment(int xlAlign);
  int HorizontalAlignment() const;
  void SetVerticalAlignment(int xlAlign);
  int VerticalAlignment() const;
  void SetFontName(const std::string& name);
  std::string FontName() const;
  void SetFontSize(double size);
  double FontSize() const;
  void SetFontBold(bool bold);
  void SetFontColor(std::uint32_t argb);
  void SetFillColor(std::uint32_t argb);  // 0 removes the fill
  void SetNumberFormat(const std::string& fmt);
  std::string NumberFormat() const;
  void SetLocked(bool locked);
  bool Locked() const;
  // Borders(edge).LineStyle for edges 5..12 and styles xl::Continuous,
  // xl::Double, xl::LineNone (and the other line constants).
  void SetBorder(int xlEdge, int xlLineStyle);
  int Border(int xlEdge) const;  // line style code of the top-left cell's edge
  // Applies a change to the style of every cell of the range.
  template <typename F>
  void ModifyStyle(F&& change);

 private:
  void ModifyStyleImpl(void (*fn)(Style&, const void*), const void* ctx);
  void WriteFill(const CellValue& v, bool literal);
  void WriteGrid(const ValueGrid& grid, bool literal);
  void CheckFormatChange() const;
  Worksheet* ws_;
  RangeRef ref_;
  bool entireRows_ = false, entireCols_ = false;
};

template <typename F>
void Range::ModifyStyle(F&& change) {
  ModifyStyleImpl([](Style& s, const void* c) { (*static_cast<const std::remove_reference_t<F>*>(c))(s); }, &change);
}

}  // namespace korvane::host
