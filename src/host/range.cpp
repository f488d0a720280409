#include "host/range.h"

#include <algorithm>

#include "host/cell_limits.h"
#include "host/errors.h"
#include "host/formula_engine.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host {

namespace {
constexpr long long kCellLoopLimit = 20'000'000;  // guards accidental whole-sheet loops
}

Range::Range(Worksheet* ws, RangeRef ref, bool entireRows, bool entireCols)
    : ws_(ws), ref_(ref), entireRows_(entireRows), entireCols_(entireCols) {
  if (ref_.r1 < 1 || ref_.c1 < 1 || ref_.r2 > kMaxRows || ref_.c2 > kMaxCols || ref_.r1 > ref_.r2 || ref_.c1 > ref_.c2)
    throw HostError("区域超出工作表范围。");
}

std::string Range::Address() const {
  if (entireRows_ && !entireCols_) return "$" + std::to_string(ref_.r1) + ":$" + std::to_string(ref_.r2);
  if (entireCols_ && !entireRows_) return "$" + ColumnLetters(ref_.c1) + ":$" + ColumnLetters(ref_.c2);
  std::string s = "$" + ColumnLetters(ref_.c1) + "$" + std::to_string(ref_.r1);
  if (!ref_.IsSingleCell()) s += ":$" + ColumnLetters(ref_.c2) + "$" + std::to_string(ref_.r2);
  return s;
}

Range Range::Cells(int row, int col) const {
  int r = ref_.r1 + row - 1, c = ref_.c1 + col - 1;
  return Range(ws_, RangeRef{r, c, r, c});
}

Range Range::Rows(int row) const {
  int r = ref_.r1 + row - 1;
  return Range(ws_, RangeRef{r, ref_.c1, r, ref_.c2}, entireRows_, false);
}

Range Range::Columns(int col) const {
  int c = ref_.c1 + col - 1;
  return Range(ws_, RangeRef{ref_.r1, c, ref_.r2, c}, false, entireCols_);
}

Range Range::EntireRow() const { return Range(ws_, RangeRef{ref_.r1, 1, ref_.r2, kMaxCols}, true, false); }
Range Range::EntireColumn() const { return Range(ws_, RangeRef{1, ref_.c1, kMaxRows, ref_.c2}, false, true); }

Range Range::Resize(int rows, int cols) const {
  return Range(ws_, RangeRef{ref_.r1, ref_.c1, ref_.r1 + rows - 1, ref_.c1 + cols - 1});
}

Range Range::Offset(int rows, int cols) const {
  return Range(ws_, RangeRef{ref_.r1 + rows, ref_.c1 + cols, ref_.r2 + rows, ref_.c2 + cols}, entireRows_, entireCols_);
}

CellValue Range::Value() const { return ws_->ValueAt(ref_.r1, ref_.c1); }

ValueGrid Range::Values() const {
  // Whole rows/columns read up to the used area only.
  int r2 = ref_.r2, c2 = ref_.c2;
  if (entireCols_ || r2 - ref_.r1 > 100000) r2 = std::max(ref_.r1, std::min(r2, ws_->LastUsedRow()));
  if (entireRows_ || c2 - ref_.c1 > 1000) c2 = std::max(ref_.c1, std::min(c2, ws_->LastUsedCol()));
  ValueGrid g(static_cast<std::size_t>(r2 - ref_.r1 + 1));
  for (int r = ref_.r1; r <= r2; ++r) {
    auto& row = g[r - ref_.r1];
    row.reserve(static_cast<std::size_t>(c2 - ref_.c1 + 1));
    for (int c = ref_.c1; c <= c2; ++c) row.push_back(ws_->ValueAt(r, c));
  }
  return g;
}

std::string Range::Formula() const {
  std::string f = ws_->FormulaAt(ref_.r1, ref_.c1);
  if (!f.empty()) return "=" + f;
  return ws_->StoredValue(ref_.r1, ref_.c1).ToText();
}

bool Range::HasFormula() const { return !ws_->FormulaAt(ref_.r1, ref_.c1).empty(); }

namespace {

// A typed time of day becomes a time value shown as h:mm; the cell keeps
// the rest of its format.
void PutTimeOfDay(Worksheet& ws, int r, int c, double dayFraction) {
  ws.PutValue(r, c, CellValue(dayFraction));
  const Style& current = ws.StyleAt(r, c);
  if (current.numberFormat == kTimeOfDayFormat) return;
  Style timed = current;
  timed.numberFormat = std::string(kTimeOfDayFormat);
  ws.PutStyle(r, c, ws.Book().Tables().styles.Intern(timed));
}

// Writes one value as the application's Value assignment does: a text
// starting with "=" becomes a formula, a text shaped as a time of day (8:30)
// a time formatted h:mm; every other text stays text.
void AssignValue(Worksheet& ws, int r, int c, const CellValue& v, bool literal) {
  if (!literal && v.IsText()) {
    double time = 0;
    if (ParseTimeOfDay(v.Text(), time)) {
      PutTimeOfDay(ws, r, c, time);
      return;
    }
  }
  if (!literal && v.IsText() && v.Text().size() > 1 && v.Text()[0] == '=') {
    std::string text = v.Text().substr(1);
    ws.PutFormula(r, c, text, CellValue());
    // Cache the current result so readers without calculation see it.
    auto result = Formulas().Evaluate(ws, r, c, text);
    if (result) ws.PutFormulaResult(r, c, *result);
    return;
  }
  ws.PutValue(r, c, v);
}

// Refuses content the office programs cannot hold, naming the cell, before
// anything is written.
void CheckContent(const Worksheet& ws, int r, int c, const CellValue& v, bool literal) {
  const std::string problem = CellContentProblem(v, literal);
  if (!problem.empty())
    throw HostError("单元格“" + ws.Name() + "!" + ColumnLetters(c) + std::to_string(r) + "”不能写入：" + problem);
}

}  // namespace

// Writes one value into every cell (literal: texts stay texts) or a grid from
// the top-left cell, after checking that every target cell may be written.
void Range::WriteFill(const CellValue& v, bool literal) {
  if (ref_.Count() > kCellLoopLimit) throw HostError("区域过大。");
  ws_->CheckWritable(ref_);
  CheckContent(*ws_, ref_.r1, ref_.c1, v, literal);
  for (int r = ref_.r1; r <= ref_.r2; ++r)
    for (int c = ref_.c1; c <= ref_.c2; ++c) AssignValue(*ws_, r, c, v, literal);
}

void Range::WriteGrid(const ValueGrid& grid, bool literal) {
  int rows = static_cast<int>(grid.size());
  int cols = 0;
  for (const auto& row : grid) cols = std::max(cols, static_cast<int>(row.size()));
  if (rows == 0 || cols == 0) return;
  RangeRef target{ref_.r1, ref_.c1, ref_.r1 + rows - 1, ref_.c1 + cols - 1};
  if (target.r2 > kMaxRows || target.c2 > kMaxCols) throw HostError("区域超出工作表范围。");
  ws_->CheckWritable(target);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < static_cast<int>(grid[i].size()); ++j)
      CheckContent(*ws_, ref_.r1 + i, ref_.c1 + j, grid[i][j], literal);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < static_cast<int>(grid[i].size()); ++j)
      AssignValue(*ws_, ref_.r1 + i, ref_.c1 + j, grid[i][j], literal);
}

void Range::SetValue(const CellValue& v) { WriteFill(v, false); }
void Range::SetValues(const ValueGrid& grid) { WriteGrid(grid, false); }
void Range::SetLiteral(const CellValue& v) { WriteFill(v, true); }
void Range::SetLiterals(const ValueGrid& grid) { WriteGrid(grid, true); }

void Range::FreezeValues() {
  ws_->CheckWritable(ref_);
  std::vector<std::tuple<int, int, CellValue>> values;
  for (const auto& [r, row] : ws_->RowMap()) {
    if (r < ref_.r1 || r > ref_.r2) continue;
    for (const Cell& c : row.cells)
      if (c.formula && ref_.Contains(r, static_cast<int>(c.col)))
        values.emplace_back(r, static_cast<int>(c.col), ws_->ValueAt(r, static_cast<int>(c.col)));
  }
  for (auto& [r, c, v] : values) ws_->PutValue(r, c, v);
}

void Range::ClearContents() {
  // Merged areas that only partly lie inside refuse, as in the application.
  for (const RangeRef& m : ws_->Merges())
    if (m.Intersects(ref_) && !(ref_.Contains(m.r1, m.c1) && ref_.Contains(m.r2, m.c2)))
      throw HostError("无法对合并单元格进行部分更改。");
  std::vector<std::pair<int, int>> cells;
  for (const auto& [r, row] : ws_->RowMap()) {
    if (r < ref_.r1) continue;
    if (r > ref_.r2) break;
    for (const Cell& c : row.cells)
      if (c.HasContent() && ref_.Contains(r, static_cast<int>(c.col))) cells.emplace_back(r, static_cast<int>(c.col));
  }
  for (auto [r, c] : cells) ws_->CheckWritable(r, c);
  for (auto [r, c] : cells) ws_->ClearCell(r, c);
}

Range Range::End(int xlDirection) const {
  Direction d;
  switch (xlDirection) {
    case xl::Up: d = Direction::Up; break;
    case xl::Down: d = Direction::Down; break;
    case xl::ToLeft: d = Direction::ToLeft; break;
    case xl::ToRight: d = Direction::ToRight; break;
    default: throw HostError("End 的方向参数无效。");
  }
  auto [r, c] = ws_->End(ref_.r1, ref_.c1, d);
  return Range(ws_, RangeRef{r, c, r, c});
}

void Range::Insert() {
  if (entireCols_ && !entireRows_) {
    ws_->InsertColumns(ref_.c1, ref_.Cols());
    return;
  }
  // Rows of the range are inserted (a cell range inserts whole rows: the
  // shift-down of the commands always spans the used columns).
  ws_->InsertRows(ref_.r1, ref_.Rows());
}

void Range::Delete() {
  if (entireCols_ && !entireRows_) {
    ws_->DeleteColumns(ref_.c1, ref_.Cols());
    return;
  }
  ws_->DeleteRows(ref_.r1, ref_.Rows());
}

void Range::Copy(const Range& destination) const {
  Worksheet& dst = destination.Sheet();
  int dr = destination.Row() - ref_.r1;
  int dc = destination.Column() - ref_.c1;
  // A bounded range copies its whole rectangle (blank cells clear the
  // destination, as a paste does); whole rows or columns copy only as far as
  // the source has cells.
  int r2 = ref_.r2, c2 = ref_.c2;
  if (entireRows_ || entireCols_) {
    int lastRow = ref_.r1, lastCol = ref_.c1;
    for (const auto& [r, row] : ws_->RowMap()) {
      if (r < ref_.r1) continue;
      if (r > ref_.r2) break;
      lastRow = r;
      for (const Cell& c : row.cells)
        if (static_cast<int>(c.col) >= ref_.c1 && static_cast<int>(c.col) <= ref_.c2)
          lastCol = std::max(lastCol, static_cast<int>(c.col));
    }
    if (entireCols_) r2 = lastRow;
    if (entireRows_) c2 = lastCol;
  }
  RangeRef target{ref_.r1 + dr, ref_.c1 + dc, r2 + dr, c2 + dc};
  if (target.r2 > kMaxRows || target.c2 > kMaxCols) throw HostError("复制区域超出工作表范围。");
  dst.CheckWritable(target);
  SharedTables& from = ws_->Book().Tables();
  SharedTables& to = dst.Book().Tables();
  struct Item {
    int r, c;
    std::uint32_t style;
    std::string formula;
    CellValue value;
  };
  std::vector<Item> items;
  for (int r = ref_.r1; r <= r2; ++r) {
    for (int c = ref_.c1; c <= c2; ++c) {
      const Cell* cell = ws_->FindCell(r, c);
      Item it{r + dr, c + dc, cell ? cell->style : ws_->StyleIdAt(r, c),
              cell && cell->formula ? from.strings.Get(cell->formula) : std::string(),
              cell ? ws_->ValueOfCell(*cell) : CellValue()};
      if (!it.formula.empty()) it.formula = Formulas().Translate(it.formula, dr, dc);
      if (&from != &to && it.style) it.style = to.styles.Intern(from.styles.Get(it.style));
      items.push_back(std::move(it));
    }
  }
  std::vector<RangeRef> merges;
  for (const RangeRef& m : ws_->Merges())
    if (ref_.Contains(m.r1, m.c1) && ref_.Contains(m.r2, m.c2))
      merges.push_back({m.r1 + dr, m.c1 + dc, m.r2 + dr, m.c2 + dc});
  std::vector<std::pair<int, double>> heights;
  if (entireRows_)
    for (int r = ref_.r1; r <= r2; ++r) {
      auto it = ws_->RowMap().find(r);
      if (it != ws_->RowMap().end() && it->second.height >= 0) heights.emplace_back(r + dr, it->second.height);
    }
  dst.RemoveMergesIn(target);
  for (Item& it : items) {
    if (!it.formula.empty())
      dst.PutFormula(it.r, it.c, it.formula, it.value);
    else
      dst.PutValue(it.r, it.c, it.value);
    dst.PutStyle(it.r, it.c, it.style);
  }
  // The source's merges lie inside the copied area and never overlap, and the
  // target holds no merge any more: they go in without a search.
  dst.AddMergesInClearedArea(merges);
  for (auto [r, h] : heights) dst.SetRowHeight(r, h);
}

void Range::Cut(const Range& destination) {
  ws_->CheckWritable(ref_);
  Copy(destination);
  Worksheet& dst = destination.Sheet();
  RangeRef target{destination.Row(), destination.Column(), destination.Row() + ref_.Rows() - 1,
                  destination.Column() + ref_.Cols() - 1};
  // Clear what is left of the source outside the destination.
  std::vector<std::pair<int, int>> cells;
  for (const auto& [r, row] : ws_->RowMap()) {
    if (r < ref_.r1 || r > ref_.r2) continue;
    for (const Cell& c : row.cells)
      if (ref_.Contains(r, static_cast<int>(c.col)) && !(&dst == ws_ && target.Contains(r, static_cast<int>(c.col))))
        cells.emplace_back(r, static_cast<int>(c.col));
  }
  for (auto [r, c] : cells) {
    ws_->ClearCell(r, c);
    ws_->PutStyle(r, c, 0);
  }
  std::vector<RangeRef> keep;
  for (const RangeRef& m : ws_->Merges())
    if (!(ref_.Contains(m.r1, m.c1) && ref_.Contains(m.r2, m.c2)) || (&dst == ws_ && target.Contains(m.r1, m.c1)))
      keep.push_back(m);
  if (keep.size() != ws_->Merges().size()) {
    ws_->RemoveMergesIn(ref_);
    for (const RangeRef& m : keep)
      if (m.Intersects(ref_)) ws_->AddMerge(m);
  }
}

bool Range::Hidden() const {
  if (entireCols_ && !entireRows_) {
    for (int c = ref_.c1; c <= ref_.c2; ++c)
      if (!ws_->ColumnHidden(c)) return false;
    return true;
  }
  for (int r = ref_.r1; r <= ref_.r2; ++r)
    if (!ws_->RowHidden(r)) return false;
  return true;
}

void Range::SetHidden(bool hidden) {
  if (ws_->Protection().on) ws_->CheckFormatsChangeable();
  if (entireCols_ && !entireRows_) {
    for (int c = ref_.c1; c <= ref_.c2; ++c) ws_->SetColumnHidden(c, hidden);
    return;
  }
  if (!entireRows_) throw HostError("只能隐藏整行或整列。");
  for (int r = ref_.r1; r <= ref_.r2; ++r) ws_->SetRowHidden(r, hidden);
}

bool Range::MergeCells() const { return ws_->MergeAt(ref_.r1, ref_.c1) != nullptr; }

Range Range::MergeArea() const {
  if (const RangeRef* m = ws_->MergeAt(ref_.r1, ref_.c1)) return Range(ws_, *m);
  return Range(ws_, RangeRef{ref_.r1, ref_.c1, ref_.r1, ref_.c1});
}

void Range::SetMergeCells(bool merge) {
  CheckFormatChange();
  if (!merge) {
    ws_->RemoveMergesIn(ref_);
    return;
  }
  if (ref_.IsSingleCell()) return;
  // The merged cell keeps the value of the top-left cell; the others are
  // cleared (the application asks first unless alerts are off).
  // Only the stored rows of the area are visited, and in each only its columns.
  const auto& rows = ws_->RowMap();
  for (auto it = rows.lower_bound(ref_.r1); it != rows.end() && it->first <= ref_.r2; ++it) {
    const int r = it->first;
    const auto& cells = it->second.cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), static_cast<std::uint32_t>(ref_.c1),
                              [](const Cell& cell, std::uint32_t col) { return cell.col < col; });
    for (; c != cells.end() && static_cast<int>(c->col) <= ref_.c2; ++c) {
      const int col = static_cast<int>(c->col);
      if (c->HasContent() && !(r == ref_.r1 && col == ref_.c1)) ws_->ClearCell(r, col);
    }
  }
  // Overlapped merges are absorbed into the new area.
  RangeRef area = ref_;
  ws_->AddMerge(area);
}

void Range::CheckFormatChange() const {
  if (ws_->Protection().on) ws_->CheckFormatsChangeable();
  if (ref_.Count() > kCellLoopLimit && !(entireRows_ || entireCols_)) throw HostError("区域过大。");
}

void Range::ModifyStyleImpl(void (*fn)(Style&, const void*), const void* ctx) {
  CheckFormatChange();
  StyleTable& styles = ws_->Book().Tables().styles;
  // Memoised per source style: a range of many cells with few styles interns few.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> memo;
  auto convert = [&](std::uint32_t id) {
    for (auto& [a, b] : memo)
      if (a == id) return b;
    Style s = styles.Get(id);
    fn(s, ctx);
    std::uint32_t out = styles.Intern(s);
    memo.emplace_back(id, out);
    return out;
  };
  if (entireRows_ && !entireCols_) {
    for (int r = ref_.r1; r <= ref_.r2; ++r) {
      korvane::host::Row& row = ws_->MutableRow(r);
      row.style = convert(row.customFormat ? row.style : 0);
      row.customFormat = true;
      for (Cell& c : row.cells) c.style = convert(c.style);
    }
    return;
  }
  if (entireCols_) {
    auto& cols = ws_->MutableColMap();
    for (int c = ref_.c1; c <= ref_.c2; ++c) cols[c].style = convert(cols[c].style);
    std::vector<std::pair<int, int>> touched;
    for (const auto& [r, row] : ws_->RowMap()) {
      for (const Cell& c : row.cells)
        if (static_cast<int>(c.col) >= ref_.c1 && static_cast<int>(c.col) <= ref_.c2) touched.emplace_back(r, c.col);
      if (entireRows_ && row.customFormat) ws_->MutableRow(r).style = convert(row.style);
    }
    for (auto [r, c] : touched) ws_->PutStyle(r, c, convert(ws_->StyleIdAt(r, c)));
    return;
  }
  for (int r = ref_.r1; r <= ref_.r2; ++r)
    for (int c = ref_.c1; c <= ref_.c2; ++c) ws_->PutStyle(r, c, convert(ws_->StyleIdAt(r, c)));
}

// ---- formats ----

double Range::RowHeight() const { return ws_->RowHeight(ref_.r1); }

void Range::SetRowHeight(double points) {
  CheckFormatChange();
  if (ref_.r1 == 1 && ref_.r2 == kMaxRows) {
    ws_->SetDefaultRowHeight(points);
    for (const auto& [r, row] : ws_->RowMap()) ws_->MutableRow(r).height = points;
    return;
  }
  for (int r = ref_.r1; r <= ref_.r2; ++r) ws_->SetRowHeight(r, points);
}

double Range::ColumnWidth() const { return ws_->ColumnWidth(ref_.c1); }

void Range::SetColumnWidth(double chars) {
  CheckFormatChange();
  if (ref_.c1 == 1 && ref_.c2 == kMaxCols) {
    ws_->SetDefaultColumnWidth(chars);
    for (auto& [c, info] : ws_->MutableColMap()) info.width = chars;
    return;
  }
  for (int c = ref_.c1; c <= ref_.c2; ++c) ws_->SetColumnWidth(c, chars);
}

void Range::SetWrapText(bool on) {
  ModifyStyle([on](Style& s) { s.wrap = on; });
}
bool Range::WrapText() const { return ws_->StyleAt(ref_.r1, ref_.c1).wrap; }
void Range::SetShrinkToFit(bool on) {
  ModifyStyle([on](Style& s) { s.shrink = on; });
}
bool Range::ShrinkToFit() const { return ws_->StyleAt(ref_.r1, ref_.c1).shrink; }

void Range::SetOrientation(int o) {
  int rotation;
  if (o == xl::Vertical)
    rotation = 255;
  else if (o == xl::Horizontal)
    rotation = 0;
  else if (o == xl::Upward)
    rotation = 90;
  else if (o == xl::Downward)
    rotation = 180;
  else if (o >= -90 && o <= 90)
    rotation = o >= 0 ? o : 90 - o;
  else
    throw HostError("文字方向参数无效。");
  ModifyStyle([rotation](Style& s) { s.rotation = rotation; });
}

int Range::Orientation() const {
  int r = ws_->StyleAt(ref_.r1, ref_.c1).rotation;
  if (r == 255) return xl::Vertical;
  if (r == 0) return xl::Horizontal;
  if (r <= 90) return r;
  return 90 - r;
}

void Range::SetHorizontalAlignment(int a) {
  HAlign h = HAlignFromCode(a);
  ModifyStyle([h](Style& s) { s.halign = h; });
}
int Range::HorizontalAlignment() const { return HAlignCode(ws_->StyleAt(ref_.r1, ref_.c1).halign); }
void Range::SetVerticalAlignment(int a) {
  VAlign v = VAlignFromCode(a);
  ModifyStyle([v](Style& s) { s.valign = v; });
}
int Range::VerticalAlignment() const { return VAlignCode(ws_->StyleAt(ref_.r1, ref_.c1).valign); }

void Range::SetFontName(const std::string& name) {
  ModifyStyle([&name](Style& s) { s.font.name = name; });
}
std::string Range::FontName() const {
  const Style& s = ws_->StyleAt(ref_.r1, ref_.c1);
  return s.font.name.empty() ? ws_->Book().defaultFontName : s.font.name;
}
void Range::SetFontSize(double size) {
  if (size < 1 || size > 409) throw HostError("字号必须介于 1 到 409 之间。");
  ModifyStyle([size](Style& s) { s.font.size = size; });
}
double Range::FontSize() const {
  const Style& s = ws_->StyleAt(ref_.r1, ref_.c1);
  return s.font.size > 0 ? s.font.size : ws_->Book().defaultFontSize;
}
void Range::SetFontBold(bool bold) {
  ModifyStyle([bold](Style& s) { s.font.bold = bold; });
}
void Range::SetFontColor(std::uint32_t argb) {
  ModifyStyle([argb](Style& s) { s.font.color = argb; });
}
void Range::SetFillColor(std::uint32_t argb) {
  ModifyStyle([argb](Style& s) { s.fill = argb; });
}
void Range::SetNumberFormat(const std::string& fmt) {
  ModifyStyle([&fmt](Style& s) { s.numberFormat = fmt; });
}
std::string Range::NumberFormat() const { return ws_->StyleAt(ref_.r1, ref_.c1).numberFormat; }
void Range::SetLocked(bool locked) {
  ModifyStyle([locked](Style& s) { s.locked = locked; });
}
bool Range::Locked() const { return ws_->StyleAt(ref_.r1, ref_.c1).locked; }

void Range::SetBorder(int edge, int lineStyleCode) {
  CheckFormatChange();
  LineStyle ls = LineStyleFromCode(lineStyleCode);
  if (lineStyleCode != xl::LineNone && ls == LineStyle::None) throw HostError("边框线型参数无效。");
  BorderEdge e{ls, 0};
  StyleTable& styles = ws_->Book().Tables().styles;
  auto apply = [&](int r, int c, auto member) {
    if (r < 1 || c < 1 || r > kMaxRows || c > kMaxCols) return;
    Style s = styles.Get(ws_->StyleIdAt(r, c));
    if (s.*member == e) return;
    s.*member = e;
    ws_->PutStyle(r, c, styles.Intern(s));
  };
  const RangeRef& g = ref_;
  if (g.Count() > 5'000'000) throw HostError("区域过大。");
  switch (edge) {
    case xl::EdgeLeft:
      for (int r = g.r1; r <= g.r2; ++r) {
        apply(r, g.c1, &Style::left);
        if (ls == LineStyle::None) apply(r, g.c1 - 1, &Style::right);
      }
      break;
    case xl::EdgeRight:
      for (int r = g.r1; r <= g.r2; ++r) {
        apply(r, g.c2, &Style::right);
        if (ls == LineStyle::None) apply(r, g.c2 + 1, &Style::left);
      }
      break;
    case xl::EdgeTop:
      for (int c = g.c1; c <= g.c2; ++c) {
        apply(g.r1, c, &Style::top);
        if (ls == LineStyle::None) apply(g.r1 - 1, c, &Style::bottom);
      }
      break;
    case xl::EdgeBottom:
      for (int c = g.c1; c <= g.c2; ++c) {
        apply(g.r2, c, &Style::bottom);
        if (ls == LineStyle::None) apply(g.r2 + 1, c, &Style::top);
      }
      break;
    case xl::InsideVertical:
      for (int r = g.r1; r <= g.r2; ++r)
        for (int c = g.c1; c < g.c2; ++c) {
          apply(r, c, &Style::right);
          apply(r, c + 1, &Style::left);
        }
      break;
    case xl::InsideHorizontal:
      for (int r = g.r1; r < g.r2; ++r)
        for (int c = g.c1; c <= g.c2; ++c) {
          apply(r, c, &Style::bottom);
          apply(r + 1, c, &Style::top);
        }
      break;
    case xl::DiagonalDown:
    case xl::DiagonalUp: {
      bool down = edge == xl::DiagonalDown;
      for (int r = g.r1; r <= g.r2; ++r)
        for (int c = g.c1; c <= g.c2; ++c) {
          Style s = styles.Get(ws_->StyleIdAt(r, c));
          s.diagonal = e;
          (down ? s.diagonalDown : s.diagonalUp) = ls != LineStyle::None;
          ws_->PutStyle(r, c, styles.Intern(s));
        }
      break;
    }
    default: throw HostError("边框位置参数无效。");
  }
}

int Range::Border(int edge) const {
  const Style& s = ws_->StyleAt(ref_.r1, ref_.c1);
  switch (edge) {
    case xl::EdgeLeft: return LineStyleCode(s.left.style);
    case xl::EdgeRight: return LineStyleCode(s.right.style);
    case xl::EdgeTop: return LineStyleCode(s.top.style);
    case xl::EdgeBottom: return LineStyleCode(s.bottom.style);
    case xl::InsideVertical: return ref_.Cols() > 1 ? LineStyleCode(s.right.style) : xl::LineNone;
    case xl::InsideHorizontal: return ref_.Rows() > 1 ? LineStyleCode(s.bottom.style) : xl::LineNone;
    case xl::DiagonalDown: return s.diagonalDown ? LineStyleCode(s.diagonal.style) : xl::LineNone;
    case xl::DiagonalUp: return s.diagonalUp ? LineStyleCode(s.diagonal.style) : xl::LineNone;
    default: throw HostError("边框位置参数无效。");
  }
}

}  // namespace korvane::host
