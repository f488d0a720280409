// Page breaks of a worksheet: paper, margins, print titles, row heights,
// column widths, hidden rows and columns, manual breaks, zoom and fit-to-pages.
//
// Rows (and, the same way, columns) are laid out greedily: a page takes rows
// while the running sum of their heights, plus the repeated title rows, scaled
// by the print scale, stays within the body height. The body height is the
// paper height less the top and bottom margins only; the header and footer
// print inside those margins and take nothing from the body. A 0.01 pt
// tolerance absorbs floating-point error and nothing more.

#include "host/pagination.h"
#include "host/ascii.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <string_view>

#include "host/errors.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host::print {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPointsPerInch = 72.0;
constexpr double kTolerance = 0.01;  // points
constexpr int kMinScalePercent = 10;
constexpr int kMaxZoomPercent = 400;

// ---- paper ----

struct Paper {
  int code;
  double width, height;  // points, portrait
};

constexpr Paper Mm(int code, double w, double h) { return {code, w * kPointsPerMm, h * kPointsPerMm}; }
constexpr Paper In(int code, double w, double h) { return {code, w * kPointsPerInch, h * kPointsPerInch}; }

// The application's paper codes (the printer driver's DMPAPER numbers).
// Code 12 is B4 as the application defines it, 250 x 353 mm, not JIS B4; code
// 42 is the same sheet named ISO B4, the one our own files use.
constexpr std::array kPapers{
    In(1, 8.5, 11),      // Letter
    In(2, 8.5, 11),      // Letter Small
    In(3, 11, 17),       // Tabloid
    In(4, 17, 11),       // Ledger
    In(5, 8.5, 14),      // Legal
    In(6, 5.5, 8.5),     // Statement
    In(7, 7.25, 10.5),   // Executive
    Mm(8, 297, 420),     // A3
    Mm(9, 210, 297),     // A4
    Mm(10, 210, 297),    // A4 Small
    Mm(11, 148, 210),    // A5
    Mm(12, 250, 353),    // B4
    Mm(13, 182, 257),    // B5 (JIS)
    In(14, 8.5, 13),     // Folio
    Mm(15, 215, 275),    // Quarto
    In(16, 10, 14),      // 10 x 14 in
    In(17, 11, 17),      // 11 x 17 in
    In(18, 8.5, 11),     // Note
    In(20, 4.125, 9.5),  // Envelope #10
    Mm(27, 110, 220),    // Envelope DL
    Mm(28, 162, 229),    // Envelope C5
    Mm(42, 250, 353),    // B4 (ISO)
};

// ---- fonts ----
//
// Maximum digit width (the unit of column widths) and default row height of
// the fonts our workbooks use, in pixels at 96 dpi. The application renders a
// font of s points at a whole pixel size, ppem = round(s * 96 / 72), and the
// widths follow from the advance of the digits at that size:
//  - 宋体, 黑体, 仿宋 and 楷体 have half-width digits (0.5 em); 等线 is taken the
//    same. Rounded to the nearest pixel this gives 8 px at 11 pt, which is what
//    the application shows for 宋体 11: a default width of 8.38 characters is
//    72 px (8.38 * 8 + 5 rounded down).
//  - Calibri digits are 1038/2048 em; hinting puts them a fraction narrower than
//    the outline, so the table takes the advance rounded down: 7 px at 11 pt,
//    the value the file-format documentation gives (8.43 characters = 64 px).
//  - Arial digits are 1139/2048 em, rounded to the nearest pixel: 7 px at
//    10 pt (8.43 characters = 64 px, the old default Arial 10 sheet).
// Only the 11 pt values (and Arial 10) are checked against the application;
// the table lists the common sizes as the rule above gives them, so that a
// size measured otherwise can be corrected here. Other sizes use the rule
// itself. Unknown fonts are measured as 宋体.
//
// Default row heights: 宋体 11 is 18 px (13.5 pt), 等线 11 is 19 px (14.25 pt),
// Calibri 11 is 20 px (15 pt), Arial 10 is 17 px (12.75 pt); 黑体, 仿宋 and 楷体
// are taken as 宋体. Other sizes scale the anchor by the pixel size, rounded to
// whole pixels (宋体 12 -> 19 px = 14.25 pt, Calibri 12 -> 21 px = 15.75 pt).

constexpr std::array<double, 17> kSizes{8, 9, 10, 10.5, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct FontMetrics {
  std::array<int, kSizes.size()> digitPx;  // maximum digit width at each of kSizes
  double digitEm;                          // digit advance as a fraction of the em
  bool digitRoundsDown;                    // hinted narrower than the outline
  double rowAnchorSize;                    // points
  int rowAnchorPx;                         // default row height at that size
};

constexpr FontMetrics kHalfEm{{6, 6, 7, 7, 8, 8, 10, 11, 12, 14, 15, 16, 18, 19, 24, 32, 48}, 0.5, false, 11, 18};
constexpr FontMetrics kDengXian{{6, 6, 7, 7, 8, 8, 10, 11, 12, 14, 15, 16, 18, 19, 24, 32, 48}, 0.5, false, 11, 19};
constexpr FontMetrics kCalibri{
    {5, 6, 6, 7, 7, 8, 9, 10, 12, 13, 14, 16, 17, 18, 24, 32, 48}, 1038.0 / 2048, true, 11, 20};
constexpr FontMetrics kArial{
    {6, 7, 7, 8, 8, 9, 11, 12, 13, 15, 16, 18, 19, 21, 27, 36, 53}, 1139.0 / 2048, false, 10, 17};

const FontMetrics& MetricsOf(std::string_view name) {
  struct Alias {
    std::string_view name;
    const FontMetrics* metrics;
  };
  static constexpr std::array kAliases{
      Alias{"宋体", &kHalfEm},        Alias{"SimSun", &kHalfEm},
      Alias{"新宋体", &kHalfEm},      Alias{"NSimSun", &kHalfEm},
      Alias{"黑体", &kHalfEm},        Alias{"SimHei", &kHalfEm},
      Alias{"仿宋", &kHalfEm},        Alias{"FangSong", &kHalfEm},
      Alias{"仿宋_GB2312", &kHalfEm}, Alias{"FangSong_GB2312", &kHalfEm},
      Alias{"楷体", &kHalfEm},        Alias{"KaiTi", &kHalfEm},
      Alias{"楷体_GB2312", &kHalfEm}, Alias{"KaiTi_GB2312", &kHalfEm},
      Alias{"等线", &kDengXian},      Alias{"DengXian", &kDengXian},
      Alias{"Calibri", &kCalibri},    Alias{"Arial", &kArial},
  };
  for (const auto& a : kAliases) {
    if (EqualsAsciiNoCase(a.name, name)) return *a.metrics;
  }
  return kHalfEm;
}

double SanitizedSize(double size) { return (size > 0 && size < 1000) ? size : 11.0; }

// The whole pixel size at which the application renders a font of `points`.
double PixelEm(double points) { return std::max(1.0, std::round(points * 96.0 / 72.0)); }

// ---- runs of rows or columns ----

// Consecutive rows (or columns) of equal size; size 0 takes no space (hidden).
struct Run {
  int first, last;
  double size;              // points at 100%
  bool breakAfter = false;  // a manual page break follows `last`
};

// Runs for the lines from..to. `entries` lists the lines with their own format
// (a row or column map), sized by `sizeOf(entry)`; the lines between them have
// `defaultSize`.
template <class Map, class SizeOf>
std::vector<Run> BuildRuns(const Map& entries, int from, int to, SizeOf sizeOf, double defaultSize) {
  std::vector<Run> runs;
  if (from > to) return runs;
  auto push = [&runs](int a, int b, double size) {
    if (!runs.empty() && runs.back().last + 1 == a && runs.back().size == size) {
      runs.back().last = b;
    } else {
      runs.push_back({a, b, size});
    }
  };
  int next = from;
  for (auto it = entries.lower_bound(from); it != entries.end() && it->first <= to; ++it) {
    if (it->first > next) push(next, it->first - 1, defaultSize);
    push(it->first, it->first, sizeOf(it->second));
    next = it->first + 1;
  }
  if (next <= to) push(next, to, defaultSize);
  return runs;
}

// Splits runs after each manual break.
std::vector<Run> ApplyBreaks(std::vector<Run> runs, std::vector<int> breaks) {
  if (breaks.empty() || runs.empty()) return runs;
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  std::vector<Run> out;
  out.reserve(runs.size() + breaks.size());
  auto b = breaks.begin();
  for (Run r : runs) {
    while (b != breaks.end() && *b < r.first) ++b;
    while (b != breaks.end() && *b <= r.last) {
      Run head = r;
      head.last = *b;
      head.breakAfter = true;
      out.push_back(head);
      r.first = *b + 1;
      ++b;
      if (r.first > r.last) break;
    }
    if (r.first <= r.last) out.push_back(r);
  }
  return out;
}

double TotalSize(const std::vector<Run>& runs) {
  double sum = 0;
  for (const Run& r : runs) sum += r.size * (r.last - r.first + 1);
  return sum;
}

// Lays the runs out on pages of `body` points at `scale`. Title lines
// (`titleSize` points at 100%) are repeated on every page whose first line lies
// after `titleLast`. A page always takes at least one line that takes space,
// however large; pages holding only hidden lines are not printed.
std::vector<Band> Pack(const std::vector<Run>& runs, double body, double scale, double titleSize, int titleLast,
                       bool honourBreaks) {
  std::vector<Band> bands;
  const double limit = (body + kTolerance) / scale;
  bool open = false;
  Band cur;
  double used = 0, capacity = 0;
  long long visible = 0;
  auto openAt = [&](int line) {
    cur = {line, line};
    used = 0;
    visible = 0;
    capacity = limit - ((titleLast > 0 && line > titleLast) ? titleSize : 0);
    open = true;
  };
  auto close = [&] {
    if (open && visible > 0) bands.push_back(cur);
    open = false;
  };
  for (const Run& r : runs) {
    if (r.size <= 0) {
      if (!open) openAt(r.first);
      cur.last = r.last;
    } else {
      int line = r.first;
      while (line <= r.last) {
        if (!open) openAt(line);
        const long long remaining = static_cast<long long>(r.last) - line + 1;
        const double room = std::floor((capacity - used) / r.size);
        long long take =
            room <= 0 ? 0 : (room >= static_cast<double>(remaining) ? remaining : static_cast<long long>(room));
        if (take == 0) {
          if (visible > 0) {
            close();
            continue;
          }
          take = 1;  // a line larger than the page gets a page of its own
        }
        used += r.size * static_cast<double>(take);
        visible += take;
        line += static_cast<int>(take);
        cur.last = line - 1;
      }
    }
    if (r.breakAfter && honourBreaks) close();
  }
  close();
  return bands;
}

// The largest whole percentage in [10, 100] at which the runs need at most
// `maxPages` pages; 10 when even that is too many. Fewer lines per page never
// gives fewer pages, so the page count falls as the scale falls.
int FitPercent(const std::vector<Run>& runs, double body, double titleSize, int titleLast, int maxPages) {
  auto pagesAt = [&](int percent) { return Pack(runs, body, percent / 100.0, titleSize, titleLast, false).size(); };
  const auto limit = static_cast<std::size_t>(maxPages);
  if (pagesAt(100) <= limit) return 100;
  int lo = kMinScalePercent, hi = 100;  // hi never fits
  if (pagesAt(lo) > limit) return kMinScalePercent;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (pagesAt(mid) <= limit) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

}  // namespace

std::pair<double, double> PaperSizePoints(int paperCode) {
  for (const Paper& p : kPapers) {
    if (p.code == paperCode) return {p.width, p.height};
  }
  return PaperSizePoints(xl::PaperA4);
}

int MaxDigitWidthPixels(const std::string& fontName, double size) {
  const FontMetrics& m = MetricsOf(fontName);
  size = SanitizedSize(size);
  for (std::size_t i = 0; i < kSizes.size(); ++i) {
    if (kSizes[i] == size) return m.digitPx[i];
  }
  const double advance = m.digitEm * PixelEm(size);
  const double px = m.digitRoundsDown ? std::floor(advance) : std::round(advance);
  return std::max(1, static_cast<int>(px));
}

double DefaultRowHeightPoints(const std::string& fontName, double size) {
  const FontMetrics& m = MetricsOf(fontName);
  size = SanitizedSize(size);
  const double px = std::max(1.0, std::round(m.rowAnchorPx * PixelEm(size) / PixelEm(m.rowAnchorSize)));
  return px * 72.0 / 96.0;
}

double ColumnWidthToPoints(double chars, int maxDigitWidthPx) {
  if (!(chars > 0)) return 0;  // zero width (or nonsense) prints nothing
  const double mdw = std::max(1, maxDigitWidthPx);
  // The width as stored in files: characters plus 5 px of padding and grid line,
  // truncated to 1/256 of a character.
  const double stored = std::trunc((chars * mdw + 5) / mdw * 256) / 256;
  const double px = std::trunc((256 * stored + std::trunc(128 / mdw)) / 256 * mdw);
  return px * 72.0 / 96.0;
}

std::pair<Band, Band> Pagination::Page(int n) const {
  if (n < 0 || n >= PageCount()) throw HostError("页码超出打印范围");
  const int rows = static_cast<int>(rowBands.size());
  const int cols = static_cast<int>(colBands.size());
  if (overThenDown) return {rowBands[n / cols], colBands[n % cols]};
  return {rowBands[n % rows], colBands[n / rows]};
}

Pagination Paginate(const Worksheet& ws) {
  const PageSetup& ps = ws.Page();
  const Workbook& book = ws.Book();
  Pagination p;

  auto [paperW, paperH] = PaperSizePoints(ps.paperSize);
  if (ps.orientation == xl::Landscape) std::swap(paperW, paperH);
  p.pageWidth = paperW;
  p.pageHeight = paperH;
  p.bodyWidth = paperW - ps.left - ps.right;
  p.bodyHeight = paperH - ps.top - ps.bottom;
  p.overThenDown = ps.overThenDown;

  const Workbook::PrintTitles titles = book.PrintTitlesOf(ws);
  p.titleRow1 = titles.row1;
  p.titleRow2 = titles.row2;
  p.titleCol1 = titles.col1;
  p.titleCol2 = titles.col2;

  const bool fit = ps.fitWide.has_value() || ps.fitTall.has_value();
  p.scale = fit ? 1.0 : std::clamp(ps.zoom, kMinScalePercent, kMaxZoomPercent) / 100.0;

  const std::optional<RangeRef> area = ws.PrintedArea();
  if (!area) return p;

  // Sizes straight from the row and column formats (a negative size means the
  // sheet's default), so that long sheets cost one pass over their formats.
  const double defaultRow = std::max(0.0, ws.DefaultRowHeight());
  auto rowSize = [defaultRow](const Row& row) { return row.hidden ? 0.0 : row.height < 0 ? defaultRow : row.height; };
  const int mdw = MaxDigitWidthPixels(book.defaultFontName, book.defaultFontSize);
  const double defaultCol = ColumnWidthToPoints(ws.DefaultColumnWidth(), mdw);
  auto colSize = [defaultCol, mdw](const ColInfo& col) {
    return col.hidden ? 0.0 : col.width < 0 ? defaultCol : ColumnWidthToPoints(col.width, mdw);
  };
  auto rowRunsOf = [&](int from, int to) { return BuildRuns(ws.RowMap(), from, to, rowSize, defaultRow); };
  auto colRunsOf = [&](int from, int to) { return BuildRuns(ws.ColMap(), from, to, colSize, defaultCol); };

  const std::vector<Run> rowRuns = ApplyBreaks(rowRunsOf(area->r1, area->r2), ps.rowBreaks);
  const std::vector<Run> colRuns = ApplyBreaks(colRunsOf(area->c1, area->c2), ps.colBreaks);
  // Title lines repeat on pages that start after the last of them.
  const int titleRowLast = p.titleRow1 > 0 ? p.titleRow2 : 0;
  const int titleColLast = p.titleCol1 > 0 ? p.titleCol2 : 0;
  const double titleHeight = titleRowLast > 0 ? TotalSize(rowRunsOf(p.titleRow1, p.titleRow2)) : 0;
  const double titleWidth = titleColLast > 0 ? TotalSize(colRunsOf(p.titleCol1, p.titleCol2)) : 0;

  if (fit) {
    // Fit to pages: one scale for both directions, the largest that meets both
    // limits (a missing or 0 limit leaves that direction free). Manual breaks
    // are ignored while fitting, as the application does.
    int percent = 100;
    if (ps.fitTall.value_or(0) > 0) {
      percent = std::min(percent, FitPercent(rowRuns, p.bodyHeight, titleHeight, titleRowLast, *ps.fitTall));
    }
    if (ps.fitWide.value_or(0) > 0) {
      percent = std::min(percent, FitPercent(colRuns, p.bodyWidth, titleWidth, titleColLast, *ps.fitWide));
    }
    p.scale = percent / 100.0;
  }

  p.rowBands = Pack(rowRuns, p.bodyHeight, p.scale, titleHeight, titleRowLast, !fit);
  p.colBands = Pack(colRuns, p.bodyWidth, p.scale, titleWidth, titleColLast, !fit);
  return p;
}

}  // namespace korvane::host::print
