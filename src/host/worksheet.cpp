#include "host/worksheet.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "host/application.h"
#include "host/errors.h"
#include "host/fault.h"
#include "host/formula_engine.h"
#include "host/pagination.h"
#include "host/range.h"
#include "host/workbook.h"

namespace korvane::host {

namespace {

const char kProtectedCell[] = "您试图更改的单元格或图表位于受保护的工作表中。若要进行更改，请取消工作表保护。";

bool VisibleFormat(const Style& s) {
  return s.left.style != LineStyle::None || s.right.style != LineStyle::None || s.top.style != LineStyle::None ||
         s.bottom.style != LineStyle::None || s.fill != 0 ||
         (s.diagonal.style != LineStyle::None && (s.diagonalUp || s.diagonalDown));
}

// Moves a span [a, b] for an insertion of `count` at `at`: spans at or after
// the point move, spans across it grow.
void ShiftSpanInsert(int& a, int& b, int at, int count) {
  if (a >= at) {
    a += count;
    b += count;
  } else if (b >= at) {
    b += count;
  }
}

// A span [a, b] of rows or columns after rows or columns at..at+n-1 are
// deleted: one before the band stays, one after it moves up by n, one inside
// it disappears (false), one that overlaps it loses the part inside.
bool ShiftSpanDelete(int& a, int& b, int at, int n) {
  const int last = at + n - 1;
  if (b < at) return true;
  if (a >= at && b <= last) return false;
  a = a < at ? a : (a > last ? a - n : at);
  b = b > last ? b - n : at - 1;
  return true;
}

}  // namespace

Worksheet::Worksheet(Workbook* book, std::string name) : book_(book), name_(std::move(name)) {}

void Worksheet::SetName(const std::string& name) {
  fault::Point("重命名工作表");
  if (name == name_) return;
  std::string problem = SheetNameProblem(name);
  if (!problem.empty()) throw HostError(problem);
  for (Worksheet* other : book_->Sheets()) {
    if (other != this && Workbook::SameSheetName(other->Name(), name))
      throw HostError("工作表名称“" + name + "”已被占用，请另换一个名称。");
  }
  book_->CheckStructureChangeable();
  std::string old = name_;
  name_ = name;
  book_->ValuesChanged();
  book_->RenameReferences(old, name);
  book_->saved_ = false;
}

int Worksheet::Index() const { return book_->IndexOf(*this); }

Range Worksheet::Cells(int row, int col) {
  if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
    throw HostError("单元格位置超出工作表范围：行 " + std::to_string(row) + "，列 " + std::to_string(col));
  return Range(this, RangeRef{row, col, row, col});
}

Range Worksheet::RangeAt(const std::string& address) {
  std::string sheet, addr;
  SplitSheetRef(address, sheet, addr);
  Worksheet* target = this;
  if (!sheet.empty()) target = &book_->Sheet(sheet);
  auto ref = ParseA1(addr);
  if (!ref) throw HostError("无效的单元格地址：" + address);
  bool rows = ref->c1 == 1 && ref->c2 == kMaxCols &&
              addr.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == std::string::npos;
  bool cols = ref->r1 == 1 && ref->r2 == kMaxRows && addr.find_first_of("0123456789") == std::string::npos;
  return Range(target, *ref, rows, cols);
}

Range Worksheet::Rows(int row) {
  if (row < 1 || row > kMaxRows) throw HostError("行号超出范围：" + std::to_string(row));
  return Range(this, RangeRef{row, 1, row, kMaxCols}, true, false);
}

Range Worksheet::Rows(const std::string& address) {
  auto ref = ParseA1(address);
  if (!ref || ref->c1 != 1 || ref->c2 != kMaxCols) {
    // "5" alone
    try {
      std::size_t used = 0;
      int r = std::stoi(address, &used);
      if (used == address.size()) return Rows(r);
    } catch (...) {
    }
    throw HostError("无效的行地址：" + address);
  }
  return Range(this, *ref, true, false);
}

Range Worksheet::Columns(int col) {
  if (col < 1 || col > kMaxCols) throw HostError("列号超出范围：" + std::to_string(col));
  return Range(this, RangeRef{1, col, kMaxRows, col}, false, true);
}

Range Worksheet::Columns(const std::string& address) {
  std::string a = address;
  if (a.find(':') == std::string::npos) a += ":" + a;
  auto ref = ParseA1(a);
  if (!ref || ref->r1 != 1 || ref->r2 != kMaxRows) throw HostError("无效的列地址：" + address);
  return Range(this, *ref, false, true);
}

Range Worksheet::AllCells() { return Range(this, RangeRef{1, 1, kMaxRows, kMaxCols}, true, true); }

void Worksheet::SetVisibility(SheetVisibility v) {
  if (v == visibility_) return;
  book_->CheckStructureChangeable();
  if (v != SheetVisibility::Visible) {
    int visible = 0;
    for (Worksheet* ws : book_->Sheets())
      if (ws->Visible()) ++visible;
    if (visible <= 1 && Visible()) throw HostError("工作簿中至少应含有一张可视工作表。");
  }
  visibility_ = v;
  if (v != SheetVisibility::Visible && &book_->ActiveSheet() == this) {
    // The active tab moves to the next visible sheet.
    auto sheets = book_->Sheets();
    int me = Index() - 1;
    for (int k = 1; k <= static_cast<int>(sheets.size()); ++k) {
      Worksheet* ws = sheets[(me + k) % sheets.size()];
      if (ws->Visible()) {
        book_->active_ = ws->Index() - 1;
        break;
      }
    }
  }
  book_->saved_ = false;
}

void Worksheet::Protect(bool drawingObjects, bool contents, bool scenarios) {
  protection_.on = true;
  protection_.drawingObjects = drawingObjects;
  protection_.contents = contents;
  protection_.scenarios = scenarios;
  book_->saved_ = false;
}

void Worksheet::Unprotect() {
  protection_.on = false;
  protection_.passwordHash.clear();
  book_->saved_ = false;
}

namespace {

Cell RemapCell(const Cell& c, const SharedTables& from, SharedTables& to) {
  Cell out = c;
  if (&from == &to) return out;
  out.style = c.style ? to.styles.Intern(from.styles.Get(c.style)) : 0;
  if (c.formula) out.formula = to.strings.Intern(from.strings.Get(c.formula));
  if (c.kind == ValueKind::String) out.str = to.strings.Intern(from.strings.Get(c.str));
  return out;
}

}  // namespace

void Worksheet::CopySheetPropertiesFrom(const Worksheet& other) {
  merges_ = other.merges_;
  condFormats_ = other.condFormats_;
  validations_ = other.validations_;
  protection_ = other.protection_;
  page_ = other.page_;
  defaultRowHeight_ = other.defaultRowHeight_;
  defaultColWidth_ = other.defaultColWidth_;
  showGridLines = other.showGridLines;
  tabColor = other.tabColor;
  zoomScale = other.zoomScale;
}

Worksheet& Worksheet::CopyTo(Workbook& target, Worksheet* before, Worksheet* after, const std::string& name) {
  fault::Point("复制工作表");
  target.CheckStructureChangeable();
  Worksheet* anchorBefore = before;
  if (!name.empty()) {
    std::string problem = SheetNameProblem(name);
    if (!problem.empty()) throw HostError(problem);
    if (target.FindSheet(name)) throw HostError("工作表名称“" + name + "”已被占用，请另换一个名称。");
  }
  std::string newName = name.empty() ? target.UniqueSheetName(name_) : name;
  auto copy = std::make_unique<Worksheet>(&target, newName);
  SharedTables& from = book_->Tables();
  SharedTables& to = target.Tables();
  for (const auto& [r, row] : rows_) {
    Row nr;
    nr.height = row.height;
    nr.hidden = row.hidden;
    nr.customFormat = row.customFormat;
    nr.style = row.style ? to.styles.Intern(from.styles.Get(row.style)) : 0;
    if (&from == &to) nr.style = row.style;
    nr.cells.reserve(row.cells.size());
    for (const Cell& c : row.cells) nr.cells.push_back(RemapCell(c, from, to));
    copy->rows_.emplace(r, std::move(nr));
  }
  for (const auto& [c, info] : cols_) {
    ColInfo ni = info;
    if (&from != &to && info.style) ni.style = to.styles.Intern(from.styles.Get(info.style));
    copy->cols_.emplace(c, ni);
  }
  copy->CopySheetPropertiesFrom(*this);
  // References of the copy's own formulas to the source sheet by name now
  // mean the copy, as the application does for a copied sheet.
  if (&target == book_) {
    for (auto& [r, row] : copy->rows_)
      for (Cell& c : row.cells)
        if (c.formula) {
          std::string t = Formulas().RenameSheet(to.strings.Get(c.formula), name_, newName);
          c.formula = to.strings.Intern(t);
        }
  }
  Worksheet& ref = *copy;
  int pos;
  if (anchorBefore) {
    pos = target.IndexOf(*anchorBefore) - 1;
  } else if (after) {
    pos = target.IndexOf(*after);
  } else {
    pos = target.Count();
  }
  if (pos < 0) pos = target.Count();
  target.InsertSheetAt(std::move(copy), pos);
  // Sheet-level names of the source travel with the copy.
  std::vector<DefinedName> copied;
  for (const DefinedName& n : std::as_const(*book_).Names()) {
    if (n.scope != this) continue;
    DefinedName nn = n;
    nn.scope = &ref;
    nn.refersTo = Formulas().RenameSheet(n.refersTo, name_, newName);
    copied.push_back(std::move(nn));
  }
  for (auto& n : copied) target.Names().push_back(std::move(n));
  target.SetActiveSheet(ref);
  if (target.Host()) target.Host()->Activate(target);
  target.saved_ = false;
  return ref;
}

bool Worksheet::Delete() { return book_->DeleteSheets({this}); }

void Worksheet::Select() { Activate(); }

void Worksheet::Activate() {
  if (!Visible()) throw HostError("无法激活隐藏的工作表“" + name_ + "”。");
  book_->SetActiveSheet(*this);
  if (book_->Host()) book_->Host()->Activate(*book_);
}

// ---- storage ----

const Cell* Worksheet::FindCell(int row, int col) const {
  auto it = rows_.find(row);
  if (it == rows_.end()) return nullptr;
  const auto& cells = it->second.cells;
  auto c = std::lower_bound(cells.begin(), cells.end(), static_cast<std::uint32_t>(col),
                            [](const Cell& x, std::uint32_t v) { return x.col < v; });
  if (c == cells.end() || c->col != static_cast<std::uint32_t>(col)) return nullptr;
  return &*c;
}

Row& Worksheet::MutableRow(int row) {
  book_->ValuesChanged();
  return rows_[row];
}

Cell* Worksheet::FindMutable(int row, int col) { return const_cast<Cell*>(FindCell(row, col)); }

Cell& Worksheet::Obtain(int row, int col) {
  if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
    throw HostError("单元格位置超出工作表范围：行 " + std::to_string(row) + "，列 " + std::to_string(col));
  Row& r = rows_[row];
  auto& cells = r.cells;
  auto c = std::lower_bound(cells.begin(), cells.end(), static_cast<std::uint32_t>(col),
                            [](const Cell& x, std::uint32_t v) { return x.col < v; });
  if (c != cells.end() && c->col == static_cast<std::uint32_t>(col)) return *c;
  Cell nc;
  nc.col = static_cast<std::uint32_t>(col);
  if (r.customFormat && r.style) {
    nc.style = r.style;
  } else {
    auto ci = cols_.find(col);
    if (ci != cols_.end()) nc.style = ci->second.style;
  }
  return *cells.insert(c, nc);
}

CellValue Worksheet::StoredValue(int row, int col) const {
  const Cell* c = FindCell(row, col);
  return c ? ValueOfCell(*c) : CellValue();
}

CellValue Worksheet::ValueOfCell(const Cell& c) const {
  switch (c.kind) {
    case ValueKind::Empty: return {};
    case ValueKind::Number: return c.num;
    case ValueKind::String: return book_->Tables().strings.Get(c.str);
    case ValueKind::Bool: return c.b;
    case ValueKind::Error: return Error{c.err};
  }
  return {};
}

CellValue Worksheet::ValueAt(int row, int col) const {
  const Cell* c = FindCell(row, col);
  if (!c) return {};
  if (c->formula) {
    auto v = Formulas().Evaluate(*this, row, col, book_->Tables().strings.Get(c->formula));
    if (v) return *v;
  }
  return StoredValue(row, col);
}

std::string Worksheet::FormulaAt(int row, int col) const {
  const Cell* c = FindCell(row, col);
  if (!c || !c->formula) return {};
  return book_->Tables().strings.Get(c->formula);
}

bool Worksheet::HasContent(int row, int col) const {
  const Cell* c = FindCell(row, col);
  return c && c->HasContent();
}

std::uint32_t Worksheet::StyleIdAt(int row, int col) const {
  if (const Cell* c = FindCell(row, col)) return c->style;
  auto it = rows_.find(row);
  if (it != rows_.end() && it->second.customFormat) return it->second.style;
  auto ci = cols_.find(col);
  if (ci != cols_.end()) return ci->second.style;
  return 0;
}

const Style& Worksheet::StyleAt(int row, int col) const { return book_->Tables().styles.Get(StyleIdAt(row, col)); }

void Worksheet::PutValue(int row, int col, const CellValue& v) {
  book_->ValuesChanged();
  fault::Point("写入单元格");
  if (v.IsEmpty()) {
    Cell* c = FindMutable(row, col);
    if (c) {
      c->formula = 0;
      c->kind = ValueKind::Empty;
    }
    book_->saved_ = false;
    return;
  }
  Cell& c = Obtain(row, col);
  c.formula = 0;
  if (v.IsNumber()) {
    c.kind = ValueKind::Number;
    c.num = v.Number();
  } else if (v.IsText()) {
    c.kind = ValueKind::String;
    c.str = book_->Tables().strings.Intern(v.Text());
  } else if (v.IsBool()) {
    c.kind = ValueKind::Bool;
    c.b = v.Bool();
  } else if (v.IsError()) {
    c.kind = ValueKind::Error;
    c.err = v.Err();
  }
  book_->saved_ = false;
}

void Worksheet::PutFormula(int row, int col, const std::string& text, const CellValue& cached) {
  fault::Point("写入公式");
  PutValue(row, col, cached.IsEmpty() ? CellValue(0.0) : cached);
  Cell& c = Obtain(row, col);
  if (cached.IsEmpty()) c.kind = ValueKind::Empty;
  c.formula = book_->Tables().strings.Intern(text);
}

void Worksheet::PutFormulaResult(int row, int col, const CellValue& result) {
  Cell* c = FindMutable(row, col);
  if (!c || !c->formula) return;
  if (result.IsNumber()) {
    c->kind = ValueKind::Number;
    c->num = result.Number();
  } else if (result.IsText()) {
    c->kind = ValueKind::String;
    c->str = book_->Tables().strings.Intern(result.Text());
  } else if (result.IsBool()) {
    c->kind = ValueKind::Bool;
    c->b = result.Bool();
  } else if (result.IsError()) {
    c->kind = ValueKind::Error;
    c->err = result.Err();
  } else {
    c->kind = ValueKind::Empty;
  }
  book_->saved_ = false;
}

void Worksheet::PutStringId(int row, int col, std::uint32_t stringId, std::uint32_t style) {
  book_->ValuesChanged();
  Cell& c = Obtain(row, col);
  c.style = style;
  c.formula = 0;
  c.kind = ValueKind::String;
  c.str = stringId;
  book_->saved_ = false;
}

void Worksheet::PutStyle(int row, int col, std::uint32_t style) {
  fault::Point("设置格式");
  Cell* c = FindMutable(row, col);
  if (!c) {
    if (style == StyleIdAt(row, col)) return;
    c = &Obtain(row, col);
  }
  c->style = style;
  book_->saved_ = false;
}

void Worksheet::ClearCell(int row, int col) {
  fault::Point("清除单元格");
  Cell* c = FindMutable(row, col);
  if (!c) return;
  book_->ValuesChanged();
  c->formula = 0;
  c->kind = ValueKind::Empty;
  book_->saved_ = false;
}

int Worksheet::LastUsedRow() const {
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it)
    for (const Cell& c : it->second.cells)
      if (c.HasContent()) return it->first;
  return 0;
}

int Worksheet::LastUsedCol() const {
  int last = 0;
  for (const auto& [r, row] : rows_)
    for (auto c = row.cells.rbegin(); c != row.cells.rend(); ++c)
      if (c->HasContent()) {
        last = std::max(last, static_cast<int>(c->col));
        break;
      }
  return last;
}

std::optional<RangeRef> Worksheet::PrintedArea() const {
  // A print area (the sheet's Print_Area name, one area) is what prints.
  if (const DefinedName* area = book_->FindName("Print_Area", this)) {
    std::string sheet, address;
    SplitSheetRef(area->refersTo.substr(!area->refersTo.empty() && area->refersTo[0] == '=' ? 1 : 0), sheet, address);
    if (address.find(',') == std::string::npos)
      if (std::optional<RangeRef> r = ParseA1(address)) return r;
  }
  int lastRow = 0, lastCol = 0;
  const StyleTable& styles = book_->Tables().styles;
  for (const auto& [r, row] : rows_) {
    for (const Cell& c : row.cells) {
      if (c.HasContent() || (c.style && VisibleFormat(styles.Get(c.style)))) {
        lastRow = std::max(lastRow, r);
        lastCol = std::max(lastCol, static_cast<int>(c.col));
      }
    }
  }
  for (const RangeRef& m : merges_) {
    lastRow = std::max(lastRow, m.r2);
    lastCol = std::max(lastCol, m.c2);
  }
  if (lastRow == 0 || lastCol == 0) return std::nullopt;
  return RangeRef{1, 1, lastRow, lastCol};
}

std::pair<int, int> Worksheet::End(int row, int col, Direction d) const {
  if (d == Direction::Up || d == Direction::Down) {
    const int step = d == Direction::Down ? 1 : -1;
    const int edge = d == Direction::Down ? kMaxRows : 1;
    auto has = [&](int r) { return HasContent(r, col); };
    // The next row in direction d holding content in this column, or 0.
    auto next = [&](int from) -> int {
      if (step > 0) {
        for (auto it = rows_.upper_bound(from); it != rows_.end(); ++it)
          if (HasContent(it->first, col)) return it->first;
      } else {
        auto it = rows_.lower_bound(from);
        while (it != rows_.begin()) {
          --it;
          if (HasContent(it->first, col)) return it->first;
        }
      }
      return 0;
    };
    if (row == edge) return {row, col};
    if (has(row) && has(row + step)) {
      int r = row;
      while (r != edge && has(r + step)) r += step;
      return {r, col};
    }
    int n = next(row);
    return {n ? n : edge, col};
  }
  const int step = d == Direction::ToRight ? 1 : -1;
  const int edge = d == Direction::ToRight ? kMaxCols : 1;
  if (col == edge) return {row, col};
  auto has = [&](int c) { return HasContent(row, c); };
  if (has(col) && has(col + step)) {
    int c = col;
    while (c != edge && has(c + step)) c += step;
    return {row, c};
  }
  auto it = rows_.find(row);
  if (it != rows_.end()) {
    const auto& cells = it->second.cells;
    if (step > 0) {
      for (const Cell& c : cells)
        if (static_cast<int>(c.col) > col && c.HasContent()) return {row, static_cast<int>(c.col)};
    } else {
      for (auto c = cells.rbegin(); c != cells.rend(); ++c)
        if (static_cast<int>(c->col) < col && c->HasContent()) return {row, static_cast<int>(c->col)};
    }
  }
  return {row, edge};
}

double Worksheet::DefaultRowHeight() const {
  if (defaultRowHeight_ >= 0) return defaultRowHeight_;
  return print::DefaultRowHeightPoints(book_->defaultFontName, book_->defaultFontSize);
}

double Worksheet::DefaultColumnWidth() const { return defaultColWidth_ >= 0 ? defaultColWidth_ : 8.38; }

double Worksheet::RowHeight(int row) const {
  auto it = rows_.find(row);
  if (it != rows_.end() && it->second.height >= 0) return it->second.height;
  return DefaultRowHeight();
}

void Worksheet::SetRowHeight(int row, double points) {
  fault::Point("设置行高");
  if (points < 0 || points > 409.5) throw HostError("行高必须介于 0 到 409.5 磅之间。");
  rows_[row].height = points;
  book_->saved_ = false;
}

bool Worksheet::RowHidden(int row) const {
  auto it = rows_.find(row);
  return it != rows_.end() && it->second.hidden;
}

void Worksheet::SetRowHidden(int row, bool hidden) {
  fault::Point("隐藏行");
  if (!hidden) {
    auto it = rows_.find(row);
    if (it == rows_.end()) return;
    it->second.hidden = false;
  } else {
    rows_[row].hidden = true;
  }
  book_->saved_ = false;
}

double Worksheet::ColumnWidth(int col) const {
  auto it = cols_.find(col);
  if (it != cols_.end() && it->second.width >= 0) return it->second.width;
  return DefaultColumnWidth();
}

void Worksheet::SetColumnWidth(int col, double chars) {
  fault::Point("设置列宽");
  if (chars < 0 || chars > 255) throw HostError("列宽必须介于 0 到 255 个字符之间。");
  cols_[col].width = chars;
  book_->saved_ = false;
}

bool Worksheet::ColumnHidden(int col) const {
  auto it = cols_.find(col);
  return it != cols_.end() && it->second.hidden;
}

void Worksheet::SetColumnHidden(int col, bool hidden) {
  fault::Point("隐藏列");
  if (!hidden) {
    auto it = cols_.find(col);
    if (it != cols_.end()) it->second.hidden = false;
  } else {
    cols_[col].hidden = true;
  }
  book_->saved_ = false;
}

// ---- row and column shifts ----

void Worksheet::ShiftRowsStorage(int at, int count) {
  std::map<int, Row> moved;
  if (count > 0) {
    for (auto it = rows_.lower_bound(at); it != rows_.end();) {
      int nr = it->first + count;
      auto node = rows_.extract(it++);
      if (nr <= kMaxRows) {
        node.key() = nr;
        moved.insert(std::move(node));
      }
    }
  } else {
    int n = -count;
    rows_.erase(rows_.lower_bound(at), rows_.lower_bound(at + n));
    for (auto it = rows_.lower_bound(at + n); it != rows_.end();) {
      int nr = it->first - n;
      auto node = rows_.extract(it++);
      node.key() = nr;
      moved.insert(std::move(node));
    }
  }
  rows_.merge(moved);
}

void Worksheet::ShiftColsStorage(int at, int count) {
  for (auto& [r, row] : rows_) {
    auto& cells = row.cells;
    if (count > 0) {
      for (Cell& c : cells)
        if (static_cast<int>(c.col) >= at) c.col += count;
      cells.erase(
          std::remove_if(cells.begin(), cells.end(), [](const Cell& c) { return static_cast<int>(c.col) > kMaxCols; }),
          cells.end());
    } else {
      int n = -count;
      cells.erase(std::remove_if(
                      cells.begin(), cells.end(),
                      [&](const Cell& c) { return static_cast<int>(c.col) >= at && static_cast<int>(c.col) < at + n; }),
                  cells.end());
      for (Cell& c : cells)
        if (static_cast<int>(c.col) >= at + n) c.col -= n;
    }
  }
  std::map<int, ColInfo> moved;
  for (const auto& [c, info] : cols_) {
    if (count > 0) {
      if (c >= at) {
        if (c + count <= kMaxCols) moved[c + count] = info;
      } else {
        moved[c] = info;
      }
    } else {
      int n = -count;
      if (c < at)
        moved[c] = info;
      else if (c >= at + n)
        moved[c - n] = info;
    }
  }
  cols_.swap(moved);
}

void Worksheet::InsertRows(int at, int count) {
  book_->ValuesChanged();
  fault::Point("插入行");
  if (count <= 0) return;
  if (at < 1 || at > kMaxRows) throw HostError("插入位置超出工作表范围。");
  if (protection_.on) throw HostError(kProtectedCell);
  // Content would be pushed off the sheet: the application refuses.
  for (auto it = rows_.lower_bound(kMaxRows - count + 1); it != rows_.end(); ++it)
    for (const Cell& c : it->second.cells)
      if (c.HasContent()) throw HostError("为了防止可能的数据丢失，无法移去工作表中的非空白单元格。");
  ShiftRowsStorage(at, count);
  // The inserted rows take the formats of the row above.
  if (at > 1) {
    auto above = rows_.find(at - 1);
    if (above != rows_.end()) {
      const Row& src = above->second;
      for (int k = 0; k < count; ++k) {
        Row nr;
        nr.height = src.height;
        nr.style = src.style;
        nr.customFormat = src.customFormat;
        for (const Cell& c : src.cells) {
          if (c.style == 0) continue;
          Cell nc;
          nc.col = c.col;
          nc.style = c.style;
          nr.cells.push_back(nc);
        }
        if (nr.height >= 0 || nr.customFormat || !nr.cells.empty()) rows_[at + k] = std::move(nr);
      }
    }
  }
  for (RangeRef& m : merges_) ShiftSpanInsert(m.r1, m.r2, at, count);
  for (auto& cf : condFormats_)
    for (RangeRef& a : cf.areas) {
      ShiftSpanInsert(a.r1, a.r2, at, count);
      a.r2 = std::min(a.r2, kMaxRows);
    }
  for (auto& dv : validations_)
    for (RangeRef& a : dv.areas) {
      ShiftSpanInsert(a.r1, a.r2, at, count);
      a.r2 = std::min(a.r2, kMaxRows);
    }
  for (int& b : page_.rowBreaks)
    if (b >= at) b += count;
  book_->AdjustReferences(*this, true, at, count);
  book_->saved_ = false;
}

void Worksheet::DeleteRows(int at, int count) {
  book_->ValuesChanged();
  fault::Point("删除行");
  if (count <= 0) return;
  if (at < 1 || at > kMaxRows) throw HostError("删除位置超出工作表范围。");
  if (protection_.on) throw HostError(kProtectedCell);
  count = std::min(count, kMaxRows - at + 1);
  ShiftRowsStorage(at, -count);
  std::vector<RangeRef> merges;
  for (RangeRef m : merges_)
    if (ShiftSpanDelete(m.r1, m.r2, at, count) && !m.IsSingleCell()) merges.push_back(m);
  merges_.swap(merges);
  for (auto& cf : condFormats_) {
    std::vector<RangeRef> areas;
    for (RangeRef a : cf.areas)
      if (ShiftSpanDelete(a.r1, a.r2, at, count)) areas.push_back(a);
    cf.areas.swap(areas);
  }
  condFormats_.erase(std::remove_if(condFormats_.begin(), condFormats_.end(),
                                    [](const ConditionalFormat& cf) { return cf.areas.empty(); }),
                     condFormats_.end());
  for (auto& dv : validations_) {
    std::vector<RangeRef> areas;
    for (RangeRef a : dv.areas)
      if (ShiftSpanDelete(a.r1, a.r2, at, count)) areas.push_back(a);
    dv.areas.swap(areas);
  }
  validations_.erase(std::remove_if(validations_.begin(), validations_.end(),
                                    [](const DataValidation& dv) { return dv.areas.empty(); }),
                     validations_.end());
  std::vector<int> breaks;
  for (int b : page_.rowBreaks) {
    if (b < at)
      breaks.push_back(b);
    else if (b >= at + count)
      breaks.push_back(b - count);
  }
  page_.rowBreaks.swap(breaks);
  book_->AdjustReferences(*this, true, at, -count);
  book_->saved_ = false;
}

void Worksheet::InsertColumns(int at, int count) {
  book_->ValuesChanged();
  fault::Point("插入列");
  if (count <= 0) return;
  if (at < 1 || at > kMaxCols) throw HostError("插入位置超出工作表范围。");
  if (protection_.on) throw HostError(kProtectedCell);
  for (const auto& [r, row] : rows_)
    for (const Cell& c : row.cells)
      if (c.HasContent() && static_cast<int>(c.col) > kMaxCols - count)
        throw HostError("为了防止可能的数据丢失，无法移去工作表中的非空白单元格。");
  ShiftColsStorage(at, count);
  if (at > 1) {
    // Inserted columns take the formats of the column on their left.
    auto left = cols_.find(at - 1);
    for (int k = 0; k < count; ++k) {
      if (left != cols_.end()) cols_[at + k] = left->second;
    }
    for (auto& [r, row] : rows_) {
      const Cell* src = nullptr;
      for (const Cell& c : row.cells)
        if (static_cast<int>(c.col) == at - 1) src = &c;
      if (!src || src->style == 0) continue;
      std::uint32_t style = src->style;
      for (int k = 0; k < count; ++k) {
        Cell nc;
        nc.col = static_cast<std::uint32_t>(at + k);
        nc.style = style;
        auto pos = std::lower_bound(row.cells.begin(), row.cells.end(), nc.col,
                                    [](const Cell& x, std::uint32_t v) { return x.col < v; });
        row.cells.insert(pos, nc);
      }
    }
  }
  for (RangeRef& m : merges_) ShiftSpanInsert(m.c1, m.c2, at, count);
  for (auto& cf : condFormats_)
    for (RangeRef& a : cf.areas) {
      ShiftSpanInsert(a.c1, a.c2, at, count);
      a.c2 = std::min(a.c2, kMaxCols);
    }
  for (auto& dv : validations_)
    for (RangeRef& a : dv.areas) {
      ShiftSpanInsert(a.c1, a.c2, at, count);
      a.c2 = std::min(a.c2, kMaxCols);
    }
  for (int& b : page_.colBreaks)
    if (b >= at) b += count;
  book_->AdjustReferences(*this, false, at, count);
  book_->saved_ = false;
}

void Worksheet::DeleteColumns(int at, int count) {
  book_->ValuesChanged();
  fault::Point("删除列");
  if (count <= 0) return;
  if (at < 1 || at > kMaxCols) throw HostError("删除位置超出工作表范围。");
  if (protection_.on) throw HostError(kProtectedCell);
  count = std::min(count, kMaxCols - at + 1);
  ShiftColsStorage(at, -count);
  std::vector<RangeRef> merges;
  for (RangeRef m : merges_)
    if (ShiftSpanDelete(m.c1, m.c2, at, count) && !m.IsSingleCell()) merges.push_back(m);
  merges_.swap(merges);
  for (auto& cf : condFormats_) {
    std::vector<RangeRef> areas;
    for (RangeRef a : cf.areas)
      if (ShiftSpanDelete(a.c1, a.c2, at, count)) areas.push_back(a);
    cf.areas.swap(areas);
  }
  condFormats_.erase(std::remove_if(condFormats_.begin(), condFormats_.end(),
                                    [](const ConditionalFormat& cf) { return cf.areas.empty(); }),
                     condFormats_.end());
  for (auto& dv : validations_) {
    std::vector<RangeRef> areas;
    for (RangeRef a : dv.areas)
      if (ShiftSpanDelete(a.c1, a.c2, at, count)) areas.push_back(a);
    dv.areas.swap(areas);
  }
  validations_.erase(std::remove_if(validations_.begin(), validations_.end(),
                                    [](const DataValidation& dv) { return dv.areas.empty(); }),
                     validations_.end());
  std::vector<int> breaks;
  for (int b : page_.colBreaks) {
    if (b < at)
      breaks.push_back(b);
    else if (b >= at + count)
      breaks.push_back(b - count);
  }
  page_.colBreaks.swap(breaks);
  book_->AdjustReferences(*this, false, at, -count);
  book_->saved_ = false;
}

const DataValidation* Worksheet::ValidationAt(int row, int col) const {
  for (const DataValidation& dv : validations_)
    for (const RangeRef& a : dv.areas)
      if (a.Contains(row, col)) return &dv;
  return nullptr;
}

// ---- merges ----

void Worksheet::AddMerge(const RangeRef& r) {
  fault::Point("合并单元格");
  RemoveMergesIn(r);
  if (r.IsSingleCell()) return;
  merges_.push_back(r);
  book_->saved_ = false;
}

void Worksheet::RemoveMergesIn(const RangeRef& r) {
  fault::Point("取消合并");
  auto before = merges_.size();
  merges_.erase(std::remove_if(merges_.begin(), merges_.end(), [&](const RangeRef& m) { return m.Intersects(r); }),
                merges_.end());
  if (merges_.size() != before) book_->saved_ = false;
}

void Worksheet::AddMergesInClearedArea(const std::vector<RangeRef>& merges) {
  fault::Point("合并单元格");
  for (const RangeRef& m : merges)
    if (!m.IsSingleCell()) merges_.push_back(m);
  if (!merges.empty()) book_->saved_ = false;
}

const RangeRef* Worksheet::MergeAt(int row, int col) const {
  for (const RangeRef& m : merges_)
    if (m.Contains(row, col)) return &m;
  return nullptr;
}

// ---- protection ----

void Worksheet::CheckWritable(int row, int col) const {
  if (!ProtectContents()) return;
  if (StyleAt(row, col).locked) throw HostError(kProtectedCell);
}

void Worksheet::CheckWritable(const RangeRef& r) const {
  if (!ProtectContents()) return;
  if (r.Count() > 1'000'000) throw HostError(kProtectedCell);
  for (int row = r.r1; row <= r.r2; ++row)
    for (int col = r.c1; col <= r.c2; ++col) CheckWritable(row, col);
}

void Worksheet::CheckFormatsChangeable() const {
  if (protection_.on) throw HostError(kProtectedCell);
}

std::size_t Worksheet::StorageBytes() const {
  std::size_t n = sizeof(*this);
  for (const auto& [r, row] : rows_) n += sizeof(Row) + 48 + row.cells.capacity() * sizeof(Cell);
  n += cols_.size() * (sizeof(ColInfo) + 48);
  n += merges_.capacity() * sizeof(RangeRef);
  return n;
}

}  // namespace korvane::host
