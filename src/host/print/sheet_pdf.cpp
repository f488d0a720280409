// A printed page is a grid of up to four blocks: the repeated title rows and
// columns and the page's own band of rows and columns, each block a run of
// consecutive sheet rows and columns placed one after the other. Each block is
// drawn in three passes (fills, texts, borders) so that lines lie on top.

#include "host/print/sheet_pdf.h"
#include "host/ascii.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <ctime>
#include <optional>
#include <unordered_map>

#include "host/formula/formula.h"
#include "host/number_format.h"
#include "host/pagination.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host::print {

namespace {

// Room between a cell's edge and its text, as a spreadsheet leaves it.
constexpr double kPadX = 1.5;
constexpr double kPadY = 1.0;
// Double lines: two strokes this far either side of the cell edge.
constexpr double kDoubleOffset = 0.8;
constexpr double kDoubleStroke = 0.45;

struct LineLook {
  double width = 0;
  std::vector<double> dash;
  bool isDouble = false;
};

// Strength order when two cells give the same edge different styles.
int Weight(LineStyle s) {
  switch (s) {
    case LineStyle::None: return 0;
    case LineStyle::Hair: return 1;
    case LineStyle::Dotted: return 2;
    case LineStyle::DashDotDot: return 3;
    case LineStyle::DashDot: return 4;
    case LineStyle::Dashed: return 5;
    case LineStyle::Thin: return 6;
    case LineStyle::MediumDashDotDot: return 7;
    case LineStyle::SlantDashDot: return 8;
    case LineStyle::MediumDashDot: return 9;
    case LineStyle::MediumDashed: return 10;
    case LineStyle::Medium: return 11;
    case LineStyle::Thick: return 12;
    case LineStyle::Double: return 13;
  }
  return 0;
}

LineLook LookOf(LineStyle s) {
  switch (s) {
    case LineStyle::None: return {};
    case LineStyle::Hair: return {0.25, {}};
    case LineStyle::Thin: return {0.6, {}};
    case LineStyle::Medium: return {1.2, {}};
    case LineStyle::Thick: return {1.8, {}};
    case LineStyle::Double: return {kDoubleStroke, {}, true};
    case LineStyle::Dotted: return {0.6, {0.6, 1.2}};
    case LineStyle::Dashed: return {0.6, {2.4, 1.2}};
    case LineStyle::DashDot: return {0.6, {3, 1.2, 0.6, 1.2}};
    case LineStyle::DashDotDot: return {0.6, {3, 1.2, 0.6, 1.2, 0.6, 1.2}};
    case LineStyle::MediumDashed: return {1.2, {4, 1.6}};
    case LineStyle::MediumDashDot: return {1.2, {4, 1.6, 1.2, 1.6}};
    case LineStyle::MediumDashDotDot: return {1.2, {4, 1.6, 1.2, 1.6, 1.2, 1.6}};
    case LineStyle::SlantDashDot: return {1.2, {4, 1.2, 1.2, 1.2}};
  }
  return {};
}

struct Edge {
  LineStyle style = LineStyle::None;
  std::uint32_t color = 0;
  bool operator==(const Edge&) const = default;
};

Edge Stronger(const BorderEdge& a, const BorderEdge& b) {
  return Weight(a.style) >= Weight(b.style) ? Edge{a.style, a.color} : Edge{b.style, b.color};
}

// Conditional-format overrides of one cell.
struct Highlight {
  std::uint32_t fill = 0, fontColor = 0;
  std::optional<bool> bold;
};

bool Truthy(const CellValue& v) {
  if (v.IsBool()) return v.Bool();
  if (v.IsNumber()) return v.Number() != 0;
  return false;
}

bool CompareCellIs(const CellValue& cell, std::string_view op, const CellValue& a, const CellValue& b) {
  double x = 0, y = 0, z = 0;
  const bool numeric = cell.ToNumber(x) && a.ToNumber(y) && !cell.IsEmpty();
  if (!numeric) {
    const std::string cs = cell.ToText(), as = a.ToText();
    if (op == "equal") return cs == as;
    if (op == "notEqual") return cs != as;
    return false;
  }
  b.ToNumber(z);
  if (op == "equal") return x == y;
  if (op == "notEqual") return x != y;
  if (op == "greaterThan") return x > y;
  if (op == "greaterThanOrEqual") return x >= y;
  if (op == "lessThan") return x < y;
  if (op == "lessThanOrEqual") return x <= y;
  if (op == "between") return x >= std::min(y, z) && x <= std::max(y, z);
  if (op == "notBetween") return x < std::min(y, z) || x > std::max(y, z);
  return false;
}

class SheetPainter {
 public:
  SheetPainter(const Worksheet& ws, PdfDocument& doc) : ws_(ws), book_(ws.Book()), doc_(doc), p_(Paginate(ws)) {
    area_ = ws.PrintedArea();
    if (!area_) return;
    const int mdw = MaxDigitWidthPixels(book_.defaultFontName, book_.defaultFontSize);
    rowTop_.assign(static_cast<std::size_t>(area_->r2) + 2, 0.0);
    for (int r = 1; r <= area_->r2; ++r) {
      const double h = ws.RowHidden(r) ? 0.0 : std::max(0.0, ws.RowHeight(r));
      rowTop_[static_cast<std::size_t>(r) + 1] = rowTop_[static_cast<std::size_t>(r)] + h;
    }
    colLeft_.assign(static_cast<std::size_t>(area_->c2) + 2, 0.0);
    for (int c = 1; c <= area_->c2; ++c) {
      const double w = ws.ColumnHidden(c) ? 0.0 : ColumnWidthToPoints(ws.ColumnWidth(c), mdw);
      colLeft_[static_cast<std::size_t>(c) + 1] = colLeft_[static_cast<std::size_t>(c)] + w;
    }
    const auto& merges = ws.Merges();
    for (std::size_t i = 0; i < merges.size(); ++i) {
      const RangeRef& m = merges[i];
      for (int r = m.r1; r <= std::min(m.r2, area_->r2); ++r)
        for (int c = m.c1; c <= std::min(m.c2, area_->c2); ++c) mergeOf_[Key(r, c)] = static_cast<int>(i);
    }
  }

  int PageCount() const { return p_.PageCount(); }

  void Paint(int firstNumber, int jobPages) {
    for (int n = 0; n < p_.PageCount(); ++n) PaintPage(n, firstNumber + n, jobPages);
  }

 private:
  struct Segment {
    int first, last;  // sheet lines
    double offset;    // where the segment starts on the page (unscaled points from the body's origin)
  };

  static std::uint64_t Key(int r, int c) {
    return (static_cast<std::uint64_t>(r) << 20) | static_cast<std::uint32_t>(c);
  }

  double RowY(int r) const { return rowTop_[static_cast<std::size_t>(r)]; }
  double ColX(int c) const { return colLeft_[static_cast<std::size_t>(c)]; }
  double RowH(int r) const { return RowY(r + 1) - RowY(r); }
  double ColW(int c) const { return ColX(c + 1) - ColX(c); }

  const RangeRef* Merge(int r, int c) const {
    auto it = mergeOf_.find(Key(r, c));
    return it == mergeOf_.end() ? nullptr : &ws_.Merges()[static_cast<std::size_t>(it->second)];
  }

  void PaintPage(int n, int number, int jobPages) {
    const auto [rows, cols] = p_.Page(n);
    std::vector<Segment> rowSegs, colSegs;
    double height = 0, width = 0;
    if (p_.RepeatsTitleRows(rows)) {
      rowSegs.push_back({p_.titleRow1, std::min(p_.titleRow2, area_->r2), 0});
      height += RowY(rowSegs.back().last + 1) - RowY(rowSegs.back().first);
    }
    rowSegs.push_back({rows.first, rows.last, height});
    height += RowY(rows.last + 1) - RowY(rows.first);
    if (p_.RepeatsTitleColumns(cols)) {
      colSegs.push_back({p_.titleCol1, std::min(p_.titleCol2, area_->c2), 0});
      width += ColX(colSegs.back().last + 1) - ColX(colSegs.back().first);
    }
    colSegs.push_back({cols.first, cols.last, width});
    width += ColX(cols.last + 1) - ColX(cols.first);

    const PageSetup& ps = ws_.Page();
    const double s = p_.scale;
    double ox = ps.left, oy = ps.top;
    if (ps.centerHorizontally) ox += std::max(0.0, (p_.bodyWidth - width * s) / 2);
    if (ps.centerVertically) oy += std::max(0.0, (p_.bodyHeight - height * s) / 2);

    doc_.NewPage(p_.pageWidth, p_.pageHeight);
    PaintHeaderFooter(number, jobPages);
    doc_.SetTransform(ox, oy, s);
    for (const Segment& rs : rowSegs)
      for (const Segment& cs : colSegs) PaintBlock(rs, cs);
  }

  // ---- header and footer ----

  void PaintHeaderFooter(int number, int jobPages) {
    const PageSetup& ps = ws_.Page();
    TextStyle style;
    style.face = FaceForFont(book_.defaultFontName);
    style.size = book_.defaultFontSize > 0 ? book_.defaultFontSize : 11;
    const double lineH = style.size * 1.45;
    const Rect header{ps.left, ps.header, p_.pageWidth - ps.left - ps.right, lineH};
    const Rect footer{ps.left, p_.pageHeight - ps.footer - lineH, header.width, lineH};
    const std::array<std::pair<const std::string*, Align>, 3> heads{
        std::pair{&ps.leftHeader, Align::Left}, {&ps.centerHeader, Align::Center}, {&ps.rightHeader, Align::Right}};
    const std::array<std::pair<const std::string*, Align>, 3> foots{
        std::pair{&ps.leftFooter, Align::Left}, {&ps.centerFooter, Align::Center}, {&ps.rightFooter, Align::Right}};
    for (const auto& [text, align] : heads) {
      if (text->empty()) continue;
      style.align = align;
      style.valign = VAlign::Top;
      const std::string t = ExpandHeaderFooter(*text, number, jobPages, ws_.Name(), book_.Name());
      doc_.DrawText(header, t, style, Rect{0, 0, p_.pageWidth, p_.pageHeight});
    }
    for (const auto& [text, align] : foots) {
      if (text->empty()) continue;
      style.align = align;
      style.valign = VAlign::Bottom;
      const std::string t = ExpandHeaderFooter(*text, number, jobPages, ws_.Name(), book_.Name());
      doc_.DrawText(footer, t, style, Rect{0, 0, p_.pageWidth, p_.pageHeight});
    }
  }

  // ---- one block ----

  // Position of a sheet line within the block's placement on the page.
  double X(const Segment& cs, int c) const { return cs.offset + ColX(c) - ColX(cs.first); }
  double Y(const Segment& rs, int r) const { return rs.offset + RowY(r) - RowY(rs.first); }

  Rect CellRect(const Segment& rs, const Segment& cs, int r1, int c1, int r2, int c2) const {
    return {X(cs, c1), Y(rs, r1), ColX(c2 + 1) - ColX(c1), RowY(r2 + 1) - RowY(r1)};
  }

  static Rect Intersect(const Rect& a, const Rect& b) {
    const double x1 = std::max(a.x, b.x), y1 = std::max(a.y, b.y);
    const double x2 = std::min(a.Right(), b.Right()), y2 = std::min(a.Bottom(), b.Bottom());
    return {x1, y1, std::max(0.0, x2 - x1), std::max(0.0, y2 - y1)};
  }

  Highlight HighlightOf(int r, int c) const {
    Highlight h;
    const ConditionalRule* best = nullptr;
    for (const ConditionalFormat& cf : ws_.ConditionalFormats()) {
      for (const RangeRef& a : cf.areas) {
        if (!a.Contains(r, c)) continue;
        for (const ConditionalRule& rule : cf.rules) {
          if (best && best->priority <= rule.priority) continue;
          if (RuleHolds(rule, a, r, c)) best = &rule;
        }
      }
    }
    if (best) {
      h.fill = best->format.fill;
      h.fontColor = best->format.fontColor;
      if (best->format.setBold) h.bold = best->format.bold;
    }
    return h;
  }

  bool RuleHolds(const ConditionalRule& rule, const RangeRef& area, int r, int c) const {
    auto eval = [&](const std::string& f) -> std::optional<CellValue> {
      if (f.empty()) return CellValue();
      return formula::Evaluate(ws_, r, c, formula::Translate(f, r - area.r1, c - area.c1));
    };
    if (rule.type == "expression") {
      auto v = eval(rule.formula);
      return v && Truthy(*v);
    }
    if (rule.type == "cellIs") {
      auto a = eval(rule.formula);
      auto b = eval(rule.formula2);
      return a && b && CompareCellIs(ws_.ValueAt(r, c), rule.operatorText, *a, *b);
    }
    return false;
  }

  bool HasHighlights() const { return !ws_.ConditionalFormats().empty(); }

  void PaintBlock(const Segment& rs, const Segment& cs) {
    const Rect blockRect = CellRect(rs, cs, rs.first, cs.first, rs.last, cs.last);
    if (blockRect.width <= 0 || blockRect.height <= 0) return;
    PaintFills(rs, cs, blockRect);
    PaintTexts(rs, cs, blockRect);
    PaintBorders(rs, cs);
  }

  std::uint32_t FillAt(int r, int c, const Style& st) const {
    if (HasHighlights()) {
      const Highlight h = HighlightOf(r, c);
      if (h.fill) return h.fill;
    }
    return st.fill;
  }

  void PaintFills(const Segment& rs, const Segment& cs, const Rect& blockRect) {
    for (int r = rs.first; r <= rs.last; ++r) {
      if (RowH(r) <= 0) continue;
      for (int c = cs.first; c <= cs.last; ++c) {
        if (ColW(c) <= 0) continue;
        const RangeRef* m = Merge(r, c);
        if (m && !(r == std::max(m->r1, rs.first) && c == std::max(m->c1, cs.first))) continue;
        const int tr = m ? m->r1 : r, tc = m ? m->c1 : c;
        const std::uint32_t fill = FillAt(tr, tc, ws_.StyleAt(tr, tc));
        if (!fill) continue;
        const Rect cell = m ? CellRect(rs, cs, m->r1, m->c1, m->r2, m->c2) : CellRect(rs, cs, r, c, r, c);
        doc_.FillRect(Intersect(cell, blockRect), fill);
      }
    }
  }

  TextStyle TextStyleOf(const Style& st, int r, int c) const {
    TextStyle t;
    const std::string& name = st.font.name.empty() ? book_.defaultFontName : st.font.name;
    t.face = FaceForFont(name);
    t.size = st.font.size > 0 ? st.font.size : (book_.defaultFontSize > 0 ? book_.defaultFontSize : 11);
    t.bold = st.font.bold;
    t.italic = st.font.italic;
    t.underline = st.font.underline;
    t.color = st.font.color & 0xFFFFFF;  // automatic and opaque black alike
    if (HasHighlights()) {
      const Highlight h = HighlightOf(r, c);
      if (h.fontColor) t.color = h.fontColor & 0xFFFFFF;
      if (h.bold) t.bold = *h.bold;
    }
    t.wrap = st.wrap;
    t.shrink = st.shrink && !st.wrap;
    switch (st.valign) {
      case host::VAlign::Top: t.valign = print::VAlign::Top; break;
      case host::VAlign::Bottom: t.valign = print::VAlign::Bottom; break;
      default: t.valign = print::VAlign::Center; break;
    }
    if (st.rotation == 255) {
      t.direction = Direction::Stacked;
    } else if (st.rotation >= 45 && st.rotation <= 90) {
      t.direction = Direction::Up;
    } else if (st.rotation >= 135 && st.rotation <= 180) {
      t.direction = Direction::Down;
    }
    return t;
  }

  bool Empty(int r, int c) const { return !ws_.HasContent(r, c); }

  void PaintTexts(const Segment& rs, const Segment& cs, const Rect& blockRect) {
    // Merged areas that reach into the block: their top-left cell's text over the whole area.
    std::vector<const RangeRef*> seen;
    for (int r = rs.first; r <= rs.last; ++r) {
      if (RowH(r) <= 0) continue;
      const auto rowIt = ws_.RowMap().find(r);
      // Cells of merges first (they may have no stored cell in this row).
      for (int c = cs.first; c <= cs.last; ++c) {
        const RangeRef* m = Merge(r, c);
        if (!m || std::find(seen.begin(), seen.end(), m) != seen.end()) continue;
        seen.push_back(m);
        if (!ws_.HasContent(m->r1, m->c1)) continue;
        const Rect area = CellRect(rs, cs, m->r1, m->c1, m->r2, m->c2);
        const Style& st = ws_.StyleAt(m->r1, m->c1);
        PaintCellText(m->r1, m->c1, st, area, Intersect(area, blockRect), false);
      }
      if (rowIt == ws_.RowMap().end()) continue;
      const std::vector<Cell>& cells = rowIt->second.cells;
      auto it = std::lower_bound(cells.begin(), cells.end(), static_cast<std::uint32_t>(cs.first),
                                 [](const Cell& cell, std::uint32_t col) { return cell.col < col; });
      for (; it != cells.end() && static_cast<int>(it->col) <= cs.last; ++it) {
        const int c = static_cast<int>(it->col);
        if (!it->HasContent() || ColW(c) <= 0 || Merge(r, c)) continue;
        const Style& st = ws_.StyleAt(r, c);
        const Rect cell = CellRect(rs, cs, r, c, r, c);
        PaintCellText(r, c, st, cell, Intersect(cell, blockRect), true, &rs, &cs);
      }
    }
  }

  void PaintCellText(int r, int c, const Style& st, Rect box, Rect clip, bool mayOverflow, const Segment* rs = nullptr,
                     const Segment* cs = nullptr) {
    const CellValue v = ws_.ValueAt(r, c);
    const std::string text = FormatValue(v, st.numberFormat, ws_.Book().date1904);
    if (text.empty()) return;
    TextStyle t = TextStyleOf(st, r, c);
    HAlign h = st.halign;
    if (h == HAlign::General) {
      h = v.IsNumber() ? HAlign::Right : (v.IsBool() || v.IsError()) ? HAlign::Center : HAlign::Left;
    }
    switch (h) {
      case HAlign::Center:
      case HAlign::CenterContinuous:
      case HAlign::Distributed: t.align = Align::Center; break;
      case HAlign::Right: t.align = Align::Right; break;
      default: t.align = Align::Left; break;
    }
    if (h == HAlign::CenterContinuous && cs) {
      // Centre across the empty cells to the right that are centred across too.
      int last = c;
      while (last + 1 <= cs->last && Empty(r, last + 1) && !Merge(r, last + 1) &&
             ws_.StyleAt(r, last + 1).halign == HAlign::CenterContinuous)
        ++last;
      box.width = ColX(last + 1) - ColX(c);
      clip = box;
    } else if (mayOverflow && rs && cs && v.IsText() && !t.wrap && !t.shrink && t.direction == Direction::Horizontal) {
      const double need = doc_.MeasureText(text, t).width + 2 * kPadX;
      if (need > box.width) clip = Overflow(r, c, *cs, box, need, t.align);
    }
    Rect inner = box;
    if (t.direction == Direction::Horizontal) {
      inner.x += kPadX;
      inner.width = std::max(0.0, inner.width - 2 * kPadX);
    }
    if (t.valign != print::VAlign::Center) {
      inner.y += kPadY;
      inner.height = std::max(0.0, inner.height - 2 * kPadY);
    }
    doc_.DrawText(inner, text, t, clip);
  }

  // The clip of a text wider than its cell: it runs over empty neighbours in
  // the direction its alignment sends it, and stops at the first cell that
  // holds a value or belongs to a merge, and at the block's edge.
  Rect Overflow(int r, int c, const Segment& cs, const Rect& box, double need, Align align) const {
    auto free = [&](int col) { return col >= cs.first && col <= cs.last && Empty(r, col) && !Merge(r, col); };
    double left = box.x, right = box.Right();
    if (align == Align::Left || align == Align::Center) {
      const double want = align == Align::Left ? box.x + need : box.x + box.width / 2 + need / 2;
      for (int col = c + 1; right < want && free(col); ++col) right += ColW(col);
    }
    if (align == Align::Right || align == Align::Center) {
      const double want = align == Align::Right ? box.Right() - need : box.x + box.width / 2 - need / 2;
      for (int col = c - 1; left > want && free(col); --col) left -= ColW(col);
    }
    return {left, box.y, right - left, box.height};
  }

  // ---- borders ----

  void PaintBorders(const Segment& rs, const Segment& cs) {
    std::vector<int> R, C;  // printed lines of the block
    for (int r = rs.first; r <= rs.last; ++r)
      if (RowH(r) > 0) R.push_back(r);
    for (int c = cs.first; c <= cs.last; ++c)
      if (ColW(c) > 0) C.push_back(c);
    if (R.empty() || C.empty()) return;
    const std::size_t nr = R.size(), nc = C.size();
    const bool grid = ws_.Page().printGridlines;
    // H[i][j]: the line above printed row i (i = nr: below the last) over column j.
    // V[i][j]: the line left of printed column j (j = nc: right of the last) beside row i.
    std::vector<Edge> H((nr + 1) * nc), V(nr * (nc + 1));
    auto h = [&](std::size_t i, std::size_t j) -> Edge& { return H[i * nc + j]; };
    auto vv = [&](std::size_t i, std::size_t j) -> Edge& { return V[i * (nc + 1) + j]; };
    const BorderEdge none;
    for (std::size_t i = 0; i <= nr; ++i) {
      for (std::size_t j = 0; j < nc; ++j) {
        const int c = C[j];
        const int above = i > 0 ? R[i - 1] : 0, below = i < nr ? R[i] : 0;
        const RangeRef* ma = above ? Merge(above, c) : nullptr;
        const RangeRef* mb = below ? Merge(below, c) : nullptr;
        if (ma && ma == mb) continue;  // inside a merged area
        const BorderEdge& b1 = above ? ws_.StyleAt(above, c).bottom : none;
        const BorderEdge& b2 = below ? ws_.StyleAt(below, c).top : none;
        Edge e = Stronger(b1, b2);
        if (e.style == LineStyle::None && grid) e = {LineStyle::Hair, 0xFFC0C0C0};
        h(i, j) = e;
      }
    }
    for (std::size_t i = 0; i < nr; ++i) {
      for (std::size_t j = 0; j <= nc; ++j) {
        const int r = R[i];
        const int left = j > 0 ? C[j - 1] : 0, right = j < nc ? C[j] : 0;
        const RangeRef* ml = left ? Merge(r, left) : nullptr;
        const RangeRef* mr = right ? Merge(r, right) : nullptr;
        if (ml && ml == mr) continue;
        const BorderEdge& b1 = left ? ws_.StyleAt(r, left).right : none;
        const BorderEdge& b2 = right ? ws_.StyleAt(r, right).left : none;
        Edge e = Stronger(b1, b2);
        if (e.style == LineStyle::None && grid) e = {LineStyle::Hair, 0xFFC0C0C0};
        vv(i, j) = e;
      }
    }
    // Page positions of the printed boundaries.
    std::vector<double> ys(nr + 1), xs(nc + 1);
    for (std::size_t i = 0; i < nr; ++i) ys[i] = Y(rs, R[i]);
    ys[nr] = Y(rs, R[nr - 1]) + RowH(R[nr - 1]);
    for (std::size_t j = 0; j < nc; ++j) xs[j] = X(cs, C[j]);
    xs[nc] = X(cs, C[nc - 1]) + ColW(C[nc - 1]);

    auto isDouble = [](const Edge& e) { return e.style == LineStyle::Double; };
    // Double vertical line above / below boundary point (i, j).
    auto vUp = [&](std::size_t i, std::size_t j) { return i > 0 && isDouble(vv(i - 1, j)); };
    auto vDown = [&](std::size_t i, std::size_t j) { return i < nr && isDouble(vv(i, j)); };
    auto hLeft = [&](std::size_t i, std::size_t j) { return j > 0 && isDouble(h(i, j - 1)); };
    auto hRight = [&](std::size_t i, std::size_t j) { return j < nc && isDouble(h(i, j)); };
    const double d = kDoubleOffset;

    // Horizontal runs.
    for (std::size_t i = 0; i <= nr; ++i) {
      std::size_t j = 0;
      while (j < nc) {
        const Edge e = h(i, j);
        std::size_t k = j + 1;
        while (k < nc && h(i, k) == e) ++k;
        if (e.style != LineStyle::None) {
          const LineLook look = LookOf(e.style);
          const double y = ys[i], xa = xs[j], xb = xs[k];
          if (look.isDouble) {
            Pen pen{look.width, e.color, {}, false};
            // The upper stroke closes with a line going up, the lower with one going down,
            // so that two double lines meet as a frame.
            const double ua = vUp(i, j) ? xa + d : vDown(i, j) ? xa - d : xa;
            const double la = vDown(i, j) ? xa + d : vUp(i, j) ? xa - d : xa;
            const double ub = vUp(i, k) ? xb - d : vDown(i, k) ? xb + d : xb;
            const double lb = vDown(i, k) ? xb - d : vUp(i, k) ? xb + d : xb;
            doc_.DrawLine(ua, y - d, ub, y - d, pen);
            doc_.DrawLine(la, y + d, lb, y + d, pen);
          } else {
            double a = xa, b = xb;
            if (vUp(i, j) || vDown(i, j)) a = xa + d;
            if (vUp(i, k) || vDown(i, k)) b = xb - d;
            const bool trimmed = a != xa || b != xb;
            doc_.DrawLine(a, y, b, y, Pen{look.width, e.color, look.dash, !trimmed});
          }
        }
        j = k;
      }
    }
    // Vertical runs.
    for (std::size_t j = 0; j <= nc; ++j) {
      std::size_t i = 0;
      while (i < nr) {
        const Edge e = vv(i, j);
        std::size_t k = i + 1;
        while (k < nr && vv(k, j) == e) ++k;
        if (e.style != LineStyle::None) {
          const LineLook look = LookOf(e.style);
          const double x = xs[j], ya = ys[i], yb = ys[k];
          if (look.isDouble) {
            Pen pen{look.width, e.color, {}, false};
            const double la = hLeft(i, j) ? ya + d : hRight(i, j) ? ya - d : ya;
            const double ra = hRight(i, j) ? ya + d : hLeft(i, j) ? ya - d : ya;
            const double lb = hLeft(k, j) ? yb - d : hRight(k, j) ? yb + d : yb;
            const double rb = hRight(k, j) ? yb - d : hLeft(k, j) ? yb + d : yb;
            doc_.DrawLine(x - d, la, x - d, lb, pen);
            doc_.DrawLine(x + d, ra, x + d, rb, pen);
          } else {
            // A single line ending on a double one reaches its near stroke only.
            double a = ya, b = yb;
            if (hLeft(i, j) || hRight(i, j)) a = ya + d;
            if (hLeft(k, j) || hRight(k, j)) b = yb - d;
            const bool trimmed = a != ya || b != yb;
            doc_.DrawLine(x, a, x, b, Pen{look.width, e.color, look.dash, !trimmed});
          }
        }
        i = k;
      }
    }
  }

  const Worksheet& ws_;
  const Workbook& book_;
  PdfDocument& doc_;
  Pagination p_;
  std::optional<RangeRef> area_;
  std::vector<double> rowTop_, colLeft_;
  std::unordered_map<std::uint64_t, int> mergeOf_;
};

}  // namespace

std::string FaceForFont(std::string_view name) {
  static constexpr std::array<std::string_view, 12> kSans{"黑体",      "SimHei",   "微软雅黑", "Microsoft YaHei",
                                                          "等线",      "DengXian", "Calibri",  "Arial",
                                                          "Helvetica", "Tahoma",   "Verdana",  "幼圆"};
  for (std::string_view s : kSans)
    if (EqualsAsciiNoCase(s, name)) return std::string(kSansFace);
  return std::string(kSerifFace);
}

std::string ExpandHeaderFooter(std::string_view s, int page, int pages, std::string_view sheetName,
                               std::string_view fileName) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&' || i + 1 >= s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    switch (c) {
      case '&': out += '&'; break;
      case 'P':
      case 'p': out += std::to_string(page); break;
      case 'N':
      case 'n': out += std::to_string(pages); break;
      case 'A':
      case 'a': out += sheetName; break;
      case 'F':
      case 'f': out += fileName; break;
      case 'D':
      case 'd':
      case 'T':
      case 't': {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, (c == 'D' || c == 'd') ? "%Y/%m/%d" : "%H:%M", &tm);
        out += buf;
        break;
      }
      case '"': {  // &"font,style"
        const std::size_t end = s.find('"', i + 1);
        i = end == std::string_view::npos ? s.size() : end;
        break;
      }
      case 'K':
      case 'k': i = std::min(s.size() - 1, i + 6); break;  // colour
      default:
        if (std::isdigit(static_cast<unsigned char>(c))) {  // font size
          while (i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) ++i;
        }
        break;  // &B &I &U &S &X &Y &L &C &R and the rest: formatting only
    }
  }
  return out;
}

int PrintedPageCount(const std::vector<const Worksheet*>& sheets) {
  int total = 0;
  for (const Worksheet* ws : sheets) total += Paginate(*ws).PageCount();
  return total;
}

int RenderSheets(const std::vector<const Worksheet*>& sheets, PdfDocument& doc) {
  const int jobPages = PrintedPageCount(sheets);
  int drawn = 0;
  int next = 1;  // the number a sheet without its own first page number starts at
  for (const Worksheet* ws : sheets) {
    SheetPainter painter(*ws, doc);
    const int first = ws->Page().firstPageNumber.value_or(next);
    painter.Paint(first, jobPages);
    drawn += painter.PageCount();
    next = first + painter.PageCount();
  }
  return drawn;
}

}  // namespace korvane::host::print
