// xl/worksheets/sheetN.xml: cells, rows, columns, merges, conditional
// formats, data validations, protection and page setup of one sheet. Writer
// and reader.
//
// The writer appends to one string in the element order the format fixes
// (sheetPr, dimension, sheetViews, sheetFormatPr, cols, sheetData,
// sheetProtection, mergeCells, conditionalFormatting, dataValidations,
// printOptions, pageMargins, pageSetup, headerFooter, rowBreaks, colBreaks).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <map>
#include <queue>
#include <unordered_map>

#include <expat.h>

#include "host/formula/formula.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

// ---------------------------------------------------------------------------
// Header and footer texts
// ---------------------------------------------------------------------------

std::string ComposeHeaderFooter(const std::string& left, const std::string& center, const std::string& right) {
  std::string s;
  if (!left.empty()) s += "&L" + left;
  if (!center.empty()) s += "&C" + center;
  if (!right.empty()) s += "&R" + right;
  return s;
}

void ParseHeaderFooter(std::string_view text, std::string& left, std::string& center, std::string& right) {
  left.clear(), center.clear(), right.clear();
  std::string* part = &center;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      const char code = text[i + 1];
      if (code == 'L' || code == 'C' || code == 'R') {
        part = code == 'L' ? &left : code == 'C' ? &center : &right;
        ++i;
        continue;
      }
      if (code == '&') {
        *part += "&&";
        ++i;
        continue;
      }
    }
    *part += text[i];
  }
}

// ---------------------------------------------------------------------------
// Dates written as ISO 8601 text
// ---------------------------------------------------------------------------
namespace {

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool Digits(std::string_view s, std::size_t pos, std::size_t n, int& out) {
  if (pos + n > s.size()) return false;
  int v = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = v;
  return true;
}

// "HH:MM[:SS[.fff]]" at pos; the rest may be a time zone designator, which
// the grid has no notion of and is ignored.
bool ParseTime(std::string_view s, std::size_t pos, double& fraction) {
  int h = 0, mi = 0, sec = 0;
  if (!Digits(s, pos, 2, h) || pos + 2 >= s.size() || s[pos + 2] != ':' || !Digits(s, pos + 3, 2, mi)) return false;
  double seconds = 0;
  std::size_t p = pos + 5;
  if (p < s.size() && s[p] == ':') {
    if (!Digits(s, p + 1, 2, sec)) return false;
    seconds = sec;
    p += 3;
    if (p < s.size() && s[p] == '.') {
      double scale = 0.1;
      for (++p; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p, scale /= 10) seconds += (s[p] - '0') * scale;
    }
  }
  if (h > 24 || mi > 59 || seconds >= 61) return false;
  fraction = (h * 3600.0 + mi * 60.0 + seconds) / 86400.0;
  return true;
}

}  // namespace

bool IsoToSerial(std::string_view text, bool date1904, double& serial) {
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  int y = 0, m = 0, d = 0;
  if (s.size() >= 10 && Digits(s, 0, 4, y) && s[4] == '-' && Digits(s, 5, 2, m) && s[7] == '-' && Digits(s, 8, 2, d)) {
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    double fraction = 0;
    if (s.size() > 10 && (s[10] == 'T' || s[10] == ' ') && !ParseTime(s, 11, fraction)) return false;
    const long long days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    double value;
    if (date1904) {
      value = static_cast<double>(days - DaysFromCivil(1904, 1, 1));
    } else {
      value = static_cast<double>(days - DaysFromCivil(1899, 12, 30));
      // Serial 60 is the fictitious 1900-02-29: earlier dates are one less.
      if (value < 61) value -= 1;
    }
    if (value < 0) return false;
    serial = value + fraction;
    return true;
  }
  double fraction = 0;
  if (ParseTime(s, 0, fraction)) {
    serial = fraction;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------
namespace {

void AppendRangeText(std::string& out, const RangeRef& r) {
  AppendColumnLetters(out, r.c1);
  AppendInt(out, r.r1);
  if (!r.IsSingleCell()) {
    out += ':';
    AppendColumnLetters(out, r.c2);
    AppendInt(out, r.r2);
  }
}

bool InGrid(const RangeRef& r) {
  return r.r1 >= 1 && r.c1 >= 1 && r.r2 <= kMaxRows && r.c2 <= kMaxCols && r.r1 <= r.r2 && r.c1 <= r.c2;
}

// Rule types whose meaning needs child elements the model does not keep.
bool NeedsChildElements(const std::string& type) {
  return type == "colorScale" || type == "dataBar" || type == "iconSet";
}

bool RuleNeedsFormula(const std::string& type) { return type == "expression" || type == "cellIs"; }

// The validation types of the format; another type is not kept.
bool KnownValidationType(std::string_view type) {
  static const char* const kTypes[] = {"none", "whole", "decimal", "list", "date", "time", "textLength", "custom"};
  return std::find_if(std::begin(kTypes), std::end(kTypes), [&](const char* t) { return type == t; }) !=
         std::end(kTypes);
}

class SheetWriter {
 public:
  SheetWriter(const Worksheet& ws, bool tabSelected, StylesWriter& styles, SharedStringsWriter& strings)
      : ws_(ws), tabSelected_(tabSelected), styles_(styles), strings_(strings), w_(out_) {}

  std::string Assemble() {
    std::size_t cells = 0;
    for (const auto& [r, row] : ws_.RowMap()) cells += row.cells.size();
    out_.reserve(1024 + cells * 40);
    w_.Declaration();
    w_.Open("worksheet").Attr("xmlns", kNsMain).Attr("xmlns:r", kNsRel).End();
    SheetPr();
    Dimension();
    SheetViews();
    SheetFormatPr();
    Cols();
    SheetData();
    Protection();
    MergeCells();
    ConditionalFormatting();
    DataValidations();
    PrintOptions();
    PageMargins();
    PageSetupElement();
    HeaderFooter();
    Breaks("rowBreaks", ws_.Page().rowBreaks, kMaxRows, kMaxCols - 1);
    Breaks("colBreaks", ws_.Page().colBreaks, kMaxCols, kMaxRows - 1);
    w_.Close("worksheet");
    return std::move(out_);
  }

 private:
  bool FitToPage() const {
    const PageSetup& p = ws_.Page();
    return (p.fitWide && *p.fitWide > 0) || (p.fitTall && *p.fitTall > 0);
  }

  void SheetPr() {
    const bool fit = FitToPage();
    if (ws_.tabColor == 0 && !fit) return;
    out_ += "<sheetPr>";
    if (ws_.tabColor != 0) w_.Open("tabColor").Attr("rgb", ArgbText(ws_.tabColor | 0xFF000000u)).Empty();
    if (fit) out_ += "<pageSetUpPr fitToPage=\"1\"/>";
    out_ += "</sheetPr>";
  }

  void Dimension() {
    int r1 = 0, r2 = 0, c1 = 0, c2 = 0;
    for (const auto& [r, row] : ws_.RowMap()) {
      if (row.cells.empty() || r < 1 || r > kMaxRows) continue;
      const int first = static_cast<int>(row.cells.front().col), last = static_cast<int>(row.cells.back().col);
      if (r1 == 0) r1 = r;
      r2 = r;
      c1 = c1 == 0 ? first : std::min(c1, first);
      c2 = std::max(c2, last);
    }
    RangeRef ref{1, 1, 1, 1};
    if (r1 > 0) ref = RangeRef{r1, std::max(c1, 1), r2, std::min(std::max(c2, 1), kMaxCols)};
    out_ += "<dimension ref=\"";
    AppendRangeText(out_, ref);
    out_ += "\"/>";
  }

  void SheetViews() {
    out_ += "<sheetViews>";
    w_.Open("sheetView");
    if (!ws_.showGridLines) w_.Attr("showGridLines", "0");
    if (tabSelected_) w_.AttrFlag("tabSelected");
    const int zoom = std::clamp(ws_.zoomScale, 10, 400);
    if (zoom != 100) w_.Attr("zoomScale", zoom).Attr("zoomScaleNormal", zoom);
    w_.Attr("workbookViewId", 0).Empty();
    out_ += "</sheetViews>";
  }

  void SheetFormatPr() {
    w_.Open("sheetFormatPr");
    w_.AttrNum("defaultColWidth", std::clamp(ws_.DefaultColumnWidth(), 0.0, 255.0));
    w_.AttrNum("defaultRowHeight", std::clamp(ws_.DefaultRowHeight(), 0.0, 409.0));
    w_.AttrFlag("customHeight").Empty();
  }

  void Cols() {
    const auto& cols = ws_.ColMap();
    bool open = false;
    auto it = cols.begin();
    while (it != cols.end()) {
      const int first = it->first;
      const ColInfo info = it->second;
      int last = first;
      auto next = std::next(it);
      while (next != cols.end() && next->first == last + 1 && next->second == info) {
        last = next->first;
        ++next;
      }
      it = next;
      if (info == ColInfo{} || first < 1 || first > kMaxCols) continue;
      last = std::min(last, kMaxCols);
      if (!open) out_ += "<cols>", open = true;
      w_.Open("col").Attr("min", first).Attr("max", last);
      const double width = info.width >= 0 ? info.width : ws_.DefaultColumnWidth();
      w_.AttrNum("width", std::clamp(width, 0.0, 255.0));
      if (info.style != 0) w_.Attr("style", styles_.XfIndex(info.style));
      if (info.hidden) w_.AttrFlag("hidden");
      if (info.width >= 0) w_.AttrFlag("customWidth");
      w_.Empty();
    }
    if (open) out_ += "</cols>";
  }

  void CachedValue(const CellValue& v) {
    if (v.IsNumber()) {
      if (!std::isfinite(v.Number())) {
        out_ += " t=\"e\"><f>";
        return;
      }
      out_ += "><f>";
    } else if (v.IsText()) {
      out_ += " t=\"str\"><f>";
    } else if (v.IsBool()) {
      out_ += " t=\"b\"><f>";
    } else if (v.IsError()) {
      out_ += " t=\"e\"><f>";
    } else {
      out_ += "><f>";
    }
  }

  void CachedValueText(const CellValue& v) {
    if (v.IsNumber()) {
      out_ += "<v>";
      if (std::isfinite(v.Number()))
        AppendNumber(out_, v.Number());
      else
        out_ += "#NUM!";
      out_ += "</v>";
    } else if (v.IsText()) {
      out_ += "<v>";
      AppendCellString(out_, v.Text());
      out_ += "</v>";
    } else if (v.IsBool()) {
      out_ += v.Bool() ? "<v>1</v>" : "<v>0</v>";
    } else if (v.IsError()) {
      out_ += "<v>";
      out_ += ErrorText(v.Err());
      out_ += "</v>";
    }
  }

  void SheetData() {
    const StringPool& pool = ws_.Book().Tables().strings;
    std::string rowText;
    bool any = false;
    for (const auto& entry : ws_.RowMap()) {
      const int r = entry.first;
      const Row& row = entry.second;  // a plain reference: lambdas below use it
      if (r < 1 || r > kMaxRows) continue;
      const bool rowStyled = row.style != 0;
      const bool rowAttrs = row.height >= 0 || row.hidden || rowStyled;
      bool opened = false;
      rowText.clear();
      AppendInt(rowText, r);
      auto openRow = [&] {
        if (!any) out_ += "<sheetData>", any = true;
        out_ += "<row r=\"";
        out_ += rowText;
        out_ += '"';
        if (rowStyled) {
          w_.Attr("s", styles_.XfIndex(row.style));
          if (row.customFormat) w_.AttrFlag("customFormat");
        }
        if (row.height >= 0) w_.AttrNum("ht", std::min(row.height, 409.0)).AttrFlag("customHeight");
        if (row.hidden) w_.AttrFlag("hidden");
        opened = true;
      };
      for (const Cell& c : row.cells) {
        if (c.col < 1 || c.col > static_cast<std::uint32_t>(kMaxCols)) continue;
        // A stored cell has its own format (0 included), as a cell element
        // of the file has: row and column formats apply to absent cells only.
        const std::uint32_t style = c.style;
        if (!c.HasContent() && style == 0) continue;
        if (!opened) {
          openRow();
          out_ += '>';
        }
        out_ += "<c r=\"";
        AppendColumnLetters(out_, static_cast<int>(c.col));
        out_ += rowText;
        out_ += '"';
        if (style != 0) {
          const int xf = styles_.XfIndex(style);
          if (xf != 0) {
            out_ += " s=\"";
            AppendInt(out_, xf);
            out_ += '"';
          }
        }
        if (c.formula != 0 && !pool.Get(c.formula).empty()) {
          const CellValue v = ws_.ValueAt(r, static_cast<int>(c.col));
          CachedValue(v);
          // Formula text is escaped like cell strings: a control character
          // inside a string literal survives as _xHHHH_.
          AppendCellString(out_, pool.Get(c.formula));
          out_ += "</f>";
          CachedValueText(v);
          out_ += "</c>";
          continue;
        }
        switch (c.kind) {
          case ValueKind::Number:
            if (std::isfinite(c.num)) {
              out_ += "><v>";
              AppendNumber(out_, c.num);
              out_ += "</v></c>";
            } else {
              out_ += " t=\"e\"><v>#NUM!</v></c>";
            }
            break;
          case ValueKind::String:
            out_ += " t=\"s\"><v>";
            AppendInt(out_, strings_.Index(c.str));
            out_ += "</v></c>";
            break;
          case ValueKind::Bool: out_ += c.b ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>"; break;
          case ValueKind::Error:
            out_ += " t=\"e\"><v>";
            out_ += ErrorText(c.err);
            out_ += "</v></c>";
            break;
          case ValueKind::Empty: out_ += "/>"; break;
        }
      }
      if (opened) {
        out_ += "</row>";
      } else if (rowAttrs) {
        openRow();
        out_ += "/>";
      }
    }
    out_ += any ? "</sheetData>" : "<sheetData/>";
  }

  void Protection() {
    const SheetProtection& p = ws_.Protection();
    if (!p.on) return;
    w_.Open("sheetProtection");
    const std::string& hash = p.passwordHash;
    if (!hash.empty()) {
      // Kept from a file: a legacy 16-bit hash, or "algorithm:spin:salt:hash".
      const auto c1 = hash.find(':');
      const auto c2 = c1 == std::string::npos ? c1 : hash.find(':', c1 + 1);
      const auto c3 = c2 == std::string::npos ? c2 : hash.find(':', c2 + 1);
      if (c3 != std::string::npos) {
        w_.Attr("algorithmName", hash.substr(0, c1));
        w_.Attr("hashValue", hash.substr(c3 + 1));
        w_.Attr("saltValue", hash.substr(c2 + 1, c3 - c2 - 1));
        w_.Attr("spinCount", hash.substr(c1 + 1, c2 - c1 - 1));
      } else {
        w_.Attr("password", hash);
      }
    }
    w_.Attr("sheet", p.contents ? "1" : "0");
    w_.Attr("objects", p.drawingObjects ? "1" : "0");
    w_.Attr("scenarios", p.scenarios ? "1" : "0");
    w_.Empty();
  }

  void MergeCells() {
    std::vector<RangeRef> merges;
    for (const RangeRef& m : ws_.Merges()) {
      if (!InGrid(m) || m.IsSingleCell()) continue;
      // Overlapping merges make the applications repair the file; the model
      // never keeps them, so this only guards against a damaged model.
      bool overlaps = false;
      if (ws_.Merges().size() <= 4096)
        for (const RangeRef& k : merges)
          if (k.Intersects(m)) overlaps = true;
      if (!overlaps) merges.push_back(m);
    }
    if (merges.empty()) return;
    w_.Open("mergeCells").Attr("count", static_cast<int>(merges.size())).End();
    for (const RangeRef& m : merges) {
      out_ += "<mergeCell ref=\"";
      AppendRangeText(out_, m);
      out_ += "\"/>";
    }
    w_.Close("mergeCells");
  }

  void ConditionalFormatting() {
    int nextPriority = 1;
    for (const ConditionalFormat& cf : ws_.ConditionalFormats())
      for (const ConditionalRule& rule : cf.rules) nextPriority = std::max(nextPriority, rule.priority + 1);
    for (const ConditionalFormat& cf : ws_.ConditionalFormats()) {
      std::string sqref;
      for (const RangeRef& a : cf.areas) {
        if (!InGrid(a)) continue;
        if (!sqref.empty()) sqref += ' ';
        AppendRangeText(sqref, a);
      }
      if (sqref.empty()) continue;
      std::string rules;
      XmlWriter rw(rules);
      for (const ConditionalRule& rule : cf.rules) {
        if (rule.type.empty() || NeedsChildElements(rule.type)) continue;
        if (RuleNeedsFormula(rule.type) && rule.formula.empty()) continue;
        rw.Open("cfRule").Attr("type", rule.type);
        if (!(rule.format == DiffStyle{})) rw.Attr("dxfId", styles_.DxfIndex(rule.format));
        rw.Attr("priority", rule.priority >= 1 ? rule.priority : nextPriority++);
        if (rule.stopIfTrue) rw.AttrFlag("stopIfTrue");
        if (!rule.operatorText.empty()) rw.Attr("operator", rule.operatorText);
        if (rule.formula.empty() && rule.formula2.empty()) {
          rw.Empty();
          continue;
        }
        rw.End();
        if (!rule.formula.empty()) rw.TextElement("formula", rule.formula);
        if (!rule.formula2.empty()) rw.TextElement("formula", rule.formula2);
        rw.Close("cfRule");
      }
      if (rules.empty()) continue;
      w_.Open("conditionalFormatting").Attr("sqref", sqref).End();
      out_ += rules;
      w_.Close("conditionalFormatting");
    }
  }

  // A validation is written when it has an area in the grid and the formula
  // its type needs; "none" validations carry only their messages.
  void DataValidations() {
    std::string items;
    int count = 0;
    XmlWriter vw(items);
    for (const DataValidation& dv : ws_.DataValidations()) {
      std::string sqref;
      for (const RangeRef& a : dv.areas) {
        if (!InGrid(a)) continue;
        if (!sqref.empty()) sqref += ' ';
        AppendRangeText(sqref, a);
      }
      if (sqref.empty() || !KnownValidationType(dv.type)) continue;
      const bool none = dv.type == "none";
      if (!none && dv.formula1.empty()) continue;
      vw.Open("dataValidation");
      if (!none) vw.Attr("type", dv.type);
      if (dv.errorStyle == "warning" || dv.errorStyle == "information") vw.Attr("errorStyle", dv.errorStyle);
      if (!dv.operatorText.empty() && dv.operatorText != "between") vw.Attr("operator", dv.operatorText);
      if (dv.allowBlank) vw.AttrFlag("allowBlank");
      // The file's flag is inverted: showDropDown="1" hides the list's arrow.
      if (!dv.inCellDropDown) vw.AttrFlag("showDropDown");
      // Written either way: some readers take a missing flag as on.
      vw.Attr("showInputMessage", dv.showInputMessage ? "1" : "0");
      vw.Attr("showErrorMessage", dv.showErrorMessage ? "1" : "0");
      if (!dv.errorTitle.empty()) vw.Attr("errorTitle", dv.errorTitle);
      if (!dv.error.empty()) vw.Attr("error", dv.error);
      if (!dv.promptTitle.empty()) vw.Attr("promptTitle", dv.promptTitle);
      if (!dv.prompt.empty()) vw.Attr("prompt", dv.prompt);
      vw.Attr("sqref", sqref);
      ++count;
      if (none || (dv.formula1.empty() && dv.formula2.empty())) {
        vw.Empty();
        continue;
      }
      vw.End();
      vw.TextElement("formula1", dv.formula1);
      if (!dv.formula2.empty()) vw.TextElement("formula2", dv.formula2);
      vw.Close("dataValidation");
    }
    if (count == 0) return;
    w_.Open("dataValidations").Attr("count", count).End();
    out_ += items;
    w_.Close("dataValidations");
  }

  void PrintOptions() {
    const PageSetup& p = ws_.Page();
    if (!p.centerHorizontally && !p.centerVertically && !p.printGridlines && !p.printHeadings) return;
    w_.Open("printOptions");
    if (p.centerHorizontally) w_.AttrFlag("horizontalCentered");
    if (p.centerVertically) w_.AttrFlag("verticalCentered");
    if (p.printHeadings) w_.AttrFlag("headings");
    if (p.printGridlines) w_.AttrFlag("gridLines");
    w_.Empty();
  }

  void PageMargins() {
    const PageSetup& p = ws_.Page();
    auto inches = [](double points) { return std::max(points, 0.0) / 72.0; };
    w_.Open("pageMargins").AttrNum("left", inches(p.left)).AttrNum("right", inches(p.right));
    w_.AttrNum("top", inches(p.top)).AttrNum("bottom", inches(p.bottom));
    w_.AttrNum("header", inches(p.header)).AttrNum("footer", inches(p.footer)).Empty();
  }

  void PageSetupElement() {
    const PageSetup& p = ws_.Page();
    w_.Open("pageSetup");
    if (p.paperSize > 0) w_.Attr("paperSize", p.paperSize);
    const int scale = std::clamp(p.zoom, 10, 400);
    if (scale != 100) w_.Attr("scale", scale);
    if (p.firstPageNumber) w_.Attr("firstPageNumber", *p.firstPageNumber);
    if (FitToPage()) {
      w_.Attr("fitToWidth", p.fitWide ? std::max(*p.fitWide, 0) : 0);
      w_.Attr("fitToHeight", p.fitTall ? std::max(*p.fitTall, 0) : 0);
    }
    if (p.overThenDown) w_.Attr("pageOrder", "overThenDown");
    w_.Attr("orientation", p.orientation == xl::Landscape ? "landscape" : "portrait");
    if (p.blackAndWhite) w_.AttrFlag("blackAndWhite");
    if (p.firstPageNumber) w_.AttrFlag("useFirstPageNumber");
    w_.Empty();
  }

  void HeaderFooter() {
    const PageSetup& p = ws_.Page();
    const std::string header = ComposeHeaderFooter(p.leftHeader, p.centerHeader, p.rightHeader);
    const std::string footer = ComposeHeaderFooter(p.leftFooter, p.centerFooter, p.rightFooter);
    if (header.empty() && footer.empty()) return;
    out_ += "<headerFooter>";
    if (!header.empty()) w_.TextElement("oddHeader", header);
    if (!footer.empty()) w_.TextElement("oddFooter", footer);
    out_ += "</headerFooter>";
  }

  void Breaks(const char* element, std::vector<int> ids, int limit, int max) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    ids.erase(std::remove_if(ids.begin(), ids.end(), [&](int id) { return id < 1 || id >= limit; }), ids.end());
    if (ids.empty()) return;
    const int n = static_cast<int>(ids.size());
    w_.Open(element).Attr("count", n).Attr("manualBreakCount", n).End();
    for (int id : ids) w_.Open("brk").Attr("id", id).Attr("max", max).AttrFlag("man").Empty();
    w_.Close(element);
  }

  const Worksheet& ws_;
  bool tabSelected_;
  StylesWriter& styles_;
  SharedStringsWriter& strings_;
  std::string out_;
  XmlWriter w_;
};

}  // namespace

std::string WriteWorksheetXml(const Worksheet& ws, bool tabSelected, StylesWriter& styles,
                              SharedStringsWriter& strings) {
  return SheetWriter(ws, tabSelected, styles, strings).Assemble();
}

// ---------------------------------------------------------------------------
// Reader
// ---------------------------------------------------------------------------
namespace {

class SheetReader {
 public:
  SheetReader(Worksheet& ws, const SheetReadEnv& env, std::string part)
      : ws_(ws), env_(env), ctx_(*env.ctx), part_(std::move(part)) {}

  // Streams the part out of the zip through expat: the cells go straight into
  // the sheet, so reading costs the cell storage and a buffer, whatever the
  // part's size. The other elements of the sheet are small; each is built as
  // a little tree when it closes and read by its handler below.
  void Read(ZipReader& zip) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) ctx_.TooLarge();
    struct Freer {
      XML_Parser p;
      ~Freer() { XML_ParserFree(p); }
    } freer{parser};
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &SheetReader::OnStart, &SheetReader::OnEnd);
    XML_SetCharacterDataHandler(parser, &SheetReader::OnText);
    // No part of a workbook needs a document type: refusing it shuts out
    // entity expansion of every kind.
    XML_SetStartDoctypeDeclHandler(parser, &SheetReader::OnDoctype);
    XML_SetEntityDeclHandler(parser, &SheetReader::OnEntity);
    zip.Stream(part_, [&](const char* data, std::size_t size) { Feed(data, size, false); });
    Feed("", 0, true);
    if (!sawRoot_) ctx_.Damaged(part_ + "没有内容");
    PageSetupElement();
    AddMerges();
  }

 private:
  void Feed(const char* data, std::size_t size, bool last) {
    if (XML_Parse(parser_, data, static_cast<int>(size), last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK) return;
    if (failure_) std::rethrow_exception(failure_);
    if (XML_GetErrorCode(parser_) == XML_ERROR_NO_MEMORY) ctx_.TooLarge();
    ctx_.Damaged(part_ + "的XML格式错误");
  }

  // Exceptions must not cross expat's C frames: a handler keeps the first one
  // and stops the parser, and Feed throws it again.
  template <typename F>
  static void Guard(void* self, F&& f) {
    auto* r = static_cast<SheetReader*>(self);
    if (r->failure_) return;
    try {
      f(*r);
    } catch (...) {
      r->failure_ = std::current_exception();
      XML_StopParser(r->parser_, XML_FALSE);
    }
  }
  static void OnStart(void* self, const XML_Char* name, const XML_Char** attrs) {
    Guard(self, [&](SheetReader& r) { r.Start(LocalName(name), attrs); });
  }
  static void OnEnd(void* self, const XML_Char* name) {
    Guard(self, [&](SheetReader& r) { r.End(LocalName(name)); });
  }
  static void OnText(void* self, const XML_Char* s, int len) {
    Guard(self, [&](SheetReader& r) { r.Text(s, static_cast<std::size_t>(len)); });
  }
  static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    Guard(self, [](SheetReader& r) { r.ctx_.Damaged(r.part_ + "含有不允许的DOCTYPE或实体声明"); });
  }
  static void OnEntity(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                       const XML_Char*, const XML_Char*) {
    Guard(self, [](SheetReader& r) { r.ctx_.Damaged(r.part_ + "含有不允许的DOCTYPE或实体声明"); });
  }

  static std::string_view AttrOf(const XML_Char** attrs, std::string_view local) {
    for (const XML_Char** a = attrs; *a; a += 2)
      if (local == LocalName(a[0])) return a[1];
    return {};
  }
  static bool HasAttr(const XML_Char** attrs, std::string_view local) {
    for (const XML_Char** a = attrs; *a; a += 2)
      if (local == LocalName(a[0])) return true;
    return false;
  }

  // Every stored element and row counts against the workbook's budget.
  void Spend(std::uint64_t units) {
    *env_.cellCount += units;
    if (*env_.cellCount > env_.maxCells) ctx_.TooLarge();
  }

  // The elements of the sheet that are read as small trees.
  static bool ReadAsTree(std::string_view name) {
    static const char* const kNames[] = {"sheetPr",
                                         "dimension",
                                         "sheetViews",
                                         "sheetFormatPr",
                                         "cols",
                                         "sheetProtection",
                                         "conditionalFormatting",
                                         "dataValidations",
                                         "printOptions",
                                         "pageMargins",
                                         "pageSetup",
                                         "headerFooter",
                                         "rowBreaks",
                                         "colBreaks"};
    for (const char* n : kNames)
      if (name == n) return true;
    return false;
  }

  enum class In { Other, SheetData, Row, Cell, V, F, Is, IsT, IsR, IsRT, MergeCells };

  void Start(std::string_view name, const XML_Char** attrs) {
    const int depth = depth_++;
    if (depth == 0) {
      if (name != "worksheet") ctx_.Damaged(part_ + "不是工作表内容");
      sawRoot_ = true;
      return;
    }
    if (tree_) {
      Spend(1);
      tree_ = tree_.append_child(name.data());
      for (const XML_Char** a = attrs; *a; a += 2) tree_.append_attribute(a[0]).set_value(a[1]);
      return;
    }
    if (skip_ > 0) {
      ++skip_;
      return;
    }
    if (depth == 1) {
      if (name == "sheetData") {
        in_ = In::SheetData;
      } else if (name == "mergeCells") {
        in_ = In::MergeCells;
      } else if (ReadAsTree(name)) {
        treeDoc_.reset();
        tree_ = treeDoc_.append_child(name.data());
        for (const XML_Char** a = attrs; *a; a += 2) tree_.append_attribute(a[0]).set_value(a[1]);
        treeDepth_ = depth_;
      } else {
        skip_ = 1;
      }
      return;
    }
    switch (in_) {
      case In::SheetData:
        if (name == "row")
          StartRow(attrs), in_ = In::Row;
        else
          skip_ = 1;
        return;
      case In::Row:
        if (name == "c")
          StartCell(attrs), in_ = In::Cell;
        else
          skip_ = 1;
        return;
      case In::Cell:
        if (name == "v") {
          cell_.hasV = true;
          in_ = In::V;
        } else if (name == "f") {
          cell_.hasF = true;
          cell_.fType = AttrOf(attrs, "t");
          const std::string_view si = AttrOf(attrs, "si");
          if (si.empty() || !ParseInt(si, cell_.si)) cell_.si = -1;
          in_ = In::F;
        } else if (name == "is") {
          cell_.hasIs = true;
          in_ = In::Is;
        } else {
          skip_ = 1;
        }
        return;
      case In::Is:
        if (name == "t")
          in_ = In::IsT;
        else if (name == "r")
          in_ = In::IsR;
        else
          skip_ = 1;  // phonetic runs are not part of the value
        return;
      case In::IsR:
        if (name == "t")
          in_ = In::IsRT;
        else
          skip_ = 1;
        return;
      case In::MergeCells:
        if (name == "mergeCell") {
          RangeRef r;
          if (Area(AttrOf(attrs, "ref"), r) && !r.IsSingleCell()) {
            Spend(1);
            merges_.push_back(r);
          }
        }
        skip_ = 1;
        return;
      default: skip_ = 1; return;
    }
  }

  void End(std::string_view) {
    --depth_;
    if (tree_) {
      if (depth_ + 1 == treeDepth_) {
        HandleTree(treeDoc_.first_child());
        tree_ = pugi::xml_node();
        treeDoc_.reset();
      } else {
        tree_ = tree_.parent();
      }
      return;
    }
    if (skip_ > 0) {
      --skip_;
      return;
    }
    switch (in_) {
      case In::SheetData:
      case In::MergeCells: in_ = In::Other; return;
      case In::Row: in_ = In::SheetData; return;
      case In::Cell:
        EndCell();
        in_ = In::Row;
        return;
      case In::V:
      case In::F:
      case In::Is: in_ = In::Cell; return;
      case In::IsT:
      case In::IsR: in_ = In::Is; return;
      case In::IsRT: in_ = In::IsR; return;
      default: return;
    }
  }

  void Text(const char* s, std::size_t n) {
    if (tree_) {
      // Character data of the small trees (header and footer texts): one
      // text node, appended to.
      pugi::xml_node last = tree_.last_child();
      if (last.type() == pugi::node_pcdata) {
        std::string joined = last.value();
        joined.append(s, n);
        last.set_value(joined.c_str());
      } else {
        tree_.append_child(pugi::node_pcdata).set_value(std::string(s, n).c_str());
      }
      return;
    }
    if (skip_ > 0) return;
    switch (in_) {
      case In::V: cell_.v.append(s, n); break;
      case In::F: cell_.f.append(s, n); break;
      case In::IsT:
      case In::IsRT: cell_.is.append(s, n); break;
      default: break;
    }
    // A text longer than any cell may hold is kept while reading (the
    // boundaries refuse it later), but not without bound.
    if (cell_.v.size() + cell_.f.size() + cell_.is.size() > kMaxCellBytes) ctx_.TooLarge();
  }

  void HandleTree(pugi::xml_node n) {
    const std::string_view name = LocalName(n.name());
    if (name == "sheetPr")
      SheetPr(n);
    else if (name == "dimension")
      Dimension(n);
    else if (name == "sheetViews")
      SheetViews(n);
    else if (name == "sheetFormatPr")
      SheetFormatPr(n);
    else if (name == "cols")
      Cols(n);
    else if (name == "sheetProtection")
      Protection(n);
    else if (name == "conditionalFormatting")
      Conditional(n);
    else if (name == "dataValidations")
      Validations(n);
    else if (name == "printOptions")
      PrintOptions(n);
    else if (name == "pageMargins")
      PageMargins(n);
    else if (name == "pageSetup")
      pageSetupDoc_.append_copy(n);
    else if (name == "headerFooter")
      HeaderFooter(n);
    else if (name == "rowBreaks")
      Breaks(n, ws_.Page().rowBreaks, kMaxRows);
    else if (name == "colBreaks")
      Breaks(n, ws_.Page().colBreaks, kMaxCols);
  }

  // Merges as the file lists them, where a later merge replaces the earlier
  // ones it overlaps (as adding them one by one would), found by a sweep over
  // the rows in O(n log n) instead of a search of all earlier merges per merge.
  void AddMerges() {
    if (merges_.empty()) return;
    const std::size_t n = merges_.size();
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return merges_[a].r1 != merges_[b].r1 ? merges_[a].r1 < merges_[b].r1 : a < b;
    });
    std::vector<char> kept(n, 1);
    // Merges that cover the current row, by first column; pairwise disjoint.
    std::map<int, std::size_t> active;
    // Merges by last row, to drop them from `active` once the sweep passes.
    std::priority_queue<std::pair<int, std::size_t>, std::vector<std::pair<int, std::size_t>>, std::greater<>> ends;
    for (std::size_t i : order) {
      const RangeRef& m = merges_[i];
      while (!ends.empty() && ends.top().first < m.r1) {
        const std::size_t j = ends.top().second;
        ends.pop();
        auto it = active.find(merges_[j].c1);
        if (it != active.end() && it->second == j) active.erase(it);
      }
      // Active merges whose columns meet [c1, c2].
      std::vector<std::map<int, std::size_t>::iterator> hits;
      auto it = active.upper_bound(m.c2);
      while (it != active.begin()) {
        --it;
        if (merges_[it->second].c2 < m.c1) break;
        hits.push_back(it);
      }
      bool latest = true;
      for (auto& h : hits)
        if (h->second > i) latest = false;
      if (!latest) {
        kept[i] = 0;
        continue;
      }
      for (auto& h : hits) {
        kept[h->second] = 0;
        active.erase(h);
      }
      active.emplace(m.c1, i);
      ends.emplace(m.r2, i);
    }
    std::vector<RangeRef> result;
    result.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
      if (kept[i]) result.push_back(merges_[i]);
    ws_.AddMergesInClearedArea(result);
    std::vector<RangeRef>().swap(merges_);
  }

  [[noreturn]] void BeyondGrid() const {
    ctx_.Fail("工作表“" + ws_.Name() + "”中的单元格位置超出范围（最多1048576行、16384列），文件已损坏。");
  }

  std::uint32_t StyleOf(long long xf) const {
    const auto& map = env_.styles->xfStyle;
    return xf >= 0 && xf < static_cast<long long>(map.size()) ? map[xf] : 0;
  }

  void SheetPr(pugi::xml_node n) {
    if (pugi::xml_node tab = Child(n, "tabColor")) ws_.tabColor = ReadColor(tab, *env_.theme);
    fitToPage_ = AttrBool(Child(n, "pageSetUpPr"), "fitToPage", false);
  }

  void Dimension(pugi::xml_node n) {
    long long r1, c1, r2, c2;
    if (ParseAreaRef(AttrText(n, "ref"), r1, c1, r2, c2) && (r2 > kMaxRows || c2 > kMaxCols)) BeyondGrid();
  }

  void SheetViews(pugi::xml_node n) {
    pugi::xml_node v = Child(n, "sheetView");
    if (!v) return;
    ws_.showGridLines = AttrBool(v, "showGridLines", true);
    ws_.zoomScale = static_cast<int>(std::clamp<long long>(AttrInt(v, "zoomScale", 100), 10, 400));
  }

  void SheetFormatPr(pugi::xml_node n) {
    // The stored default height is what the writing application showed
    // (LibreOffice drops customHeight even for a height set by hand).
    const double h = AttrDouble(n, "defaultRowHeight", -1);
    if (h > 0 && h <= 409.5) ws_.SetDefaultRowHeight(h);
    const double w = AttrDouble(n, "defaultColWidth", -1);
    if (w >= 0 && w <= 255) ws_.SetDefaultColumnWidth(w);
  }

  void Cols(pugi::xml_node n) {
    const double defaultWidth = ws_.DefaultColumnWidth();
    for (pugi::xml_node c : n.children()) {
      if (!IsNamed(c, "col")) continue;
      const long long first = AttrInt(c, "min", -1), last = AttrInt(c, "max", first);
      if (first < 1 || last < first) ctx_.Damaged("工作表“" + ws_.Name() + "”的列信息有误");
      if (last > kMaxCols) BeyondGrid();
      ColInfo info;
      const double width = AttrDouble(c, "width", -1);
      const bool custom = AttrBool(c, "customWidth", false);
      if (width >= 0 && (custom || std::fabs(width - defaultWidth) > 1e-9)) info.width = std::min(width, 255.0);
      info.hidden = AttrBool(c, "hidden", false);
      info.style = StyleOf(AttrInt(c, "style", 0));
      // A range over the whole sheet that only restates the defaults (some
      // writers emit min="1" max="16384") adds nothing.
      if (info == ColInfo{}) continue;
      // The model keeps one entry per column: a range over the whole width
      // costs 16384 entries, which count against the cell budget.
      *env_.cellCount += static_cast<std::uint64_t>(last - first + 1);
      if (*env_.cellCount > env_.maxCells) ctx_.TooLarge();
      auto& map = ws_.MutableColMap();
      for (long long col = first; col <= last; ++col) map[static_cast<int>(col)] = info;
    }
  }

  void Protection(pugi::xml_node n) {
    SheetProtection& p = ws_.MutableProtection();
    const bool sheet = AttrBool(n, "sheet", false);
    const bool objects = AttrBool(n, "objects", false);
    const bool scenarios = AttrBool(n, "scenarios", false);
    p.on = sheet || objects || scenarios;
    p.contents = sheet;
    p.drawingObjects = objects;
    p.scenarios = scenarios;
    if (pugi::xml_attribute legacy = Attribute(n, "password")) {
      p.passwordHash = legacy.value();
    } else if (Attribute(n, "hashValue")) {
      p.passwordHash = std::string(AttrText(n, "algorithmName")) + ":" + std::string(AttrText(n, "spinCount")) + ":" +
                       std::string(AttrText(n, "saltValue")) + ":" + std::string(AttrText(n, "hashValue"));
    }
  }

  bool Area(std::string_view text, RangeRef& out) {
    long long r1, c1, r2, c2;
    if (!ParseAreaRef(text, r1, c1, r2, c2)) return false;
    if (r1 < 1 || c1 < 1) return false;
    if (r2 > kMaxRows || c2 > kMaxCols) BeyondGrid();
    out = RangeRef{static_cast<int>(r1), static_cast<int>(c1), static_cast<int>(r2), static_cast<int>(c2)};
    return true;
  }

  void Conditional(pugi::xml_node n) {
    ConditionalFormat cf;
    std::string_view sqref = AttrText(n, "sqref");
    std::size_t pos = 0;
    while (pos < sqref.size()) {
      std::size_t end = sqref.find(' ', pos);
      if (end == std::string_view::npos) end = sqref.size();
      RangeRef r;
      if (end > pos && Area(sqref.substr(pos, end - pos), r)) cf.areas.push_back(r);
      pos = end + 1;
    }
    if (cf.areas.empty()) return;
    for (pugi::xml_node c : n.children()) {
      if (!IsNamed(c, "cfRule")) continue;
      ConditionalRule rule;
      rule.type = std::string(AttrText(c, "type"));
      std::vector<std::string> formulas;
      for (pugi::xml_node f : c.children())
        if (IsNamed(f, "formula")) formulas.push_back(ElementText(f));
      static const char* const kKept[] = {"expression",        "cellIs",         "containsBlanks",
                                          "notContainsBlanks", "containsErrors", "notContainsErrors",
                                          "duplicateValues",   "uniqueValues"};
      const bool kept = std::find_if(std::begin(kKept), std::end(kKept),
                                     [&](const char* t) { return rule.type == t; }) != std::end(kKept);
      if (!kept) {
        // Text, date-period and similar rules carry their whole test in the
        // formula: keep them as expression rules. Rules that need more (data
        // bars, colour scales, icon sets, top/average) are not kept.
        if (formulas.empty() || NeedsChildElements(rule.type)) continue;
        rule.type = "expression";
        formulas.resize(1);
      } else {
        rule.operatorText = std::string(AttrText(c, "operator"));
      }
      if (RuleNeedsFormula(rule.type) && formulas.empty()) continue;
      if (!formulas.empty()) rule.formula = formulas[0];
      if (formulas.size() > 1) rule.formula2 = formulas[1];
      rule.priority = static_cast<int>(std::clamp<long long>(AttrInt(c, "priority", 1), 1, 1 << 30));
      rule.stopIfTrue = AttrBool(c, "stopIfTrue", false);
      const long long dxf = AttrInt(c, "dxfId", -1);
      if (dxf >= 0 && dxf < static_cast<long long>(env_.styles->dxfs.size())) rule.format = env_.styles->dxfs[dxf];
      cf.rules.push_back(std::move(rule));
    }
    if (!cf.rules.empty()) ws_.ConditionalFormats().push_back(std::move(cf));
  }

  // Validations of known types with the formulas they need; a "none"
  // validation keeps only its messages. Validations kept in an extension list
  // (those naming other sheets, as newer Excel writes them) are not read.
  void Validations(pugi::xml_node n) {
    for (pugi::xml_node v : n.children()) {
      if (!IsNamed(v, "dataValidation")) continue;
      DataValidation dv;
      dv.type = std::string(AttrText(v, "type"));
      if (dv.type.empty()) dv.type = "none";
      if (!KnownValidationType(dv.type)) continue;
      std::string_view sqref = AttrText(v, "sqref");
      std::size_t pos = 0;
      while (pos < sqref.size()) {
        std::size_t end = sqref.find(' ', pos);
        if (end == std::string_view::npos) end = sqref.size();
        RangeRef r;
        if (end > pos && Area(sqref.substr(pos, end - pos), r)) dv.areas.push_back(r);
        pos = end + 1;
      }
      if (dv.areas.empty()) continue;
      if (dv.type != "none") {
        if (pugi::xml_node f = Child(v, "formula1")) dv.formula1 = ElementText(f);
        if (pugi::xml_node f = Child(v, "formula2")) dv.formula2 = ElementText(f);
        if (dv.formula1.empty()) continue;
      }
      const std::string_view style = AttrText(v, "errorStyle");
      dv.errorStyle = style == "warning" || style == "information" ? std::string(style) : "stop";
      dv.operatorText = std::string(AttrText(v, "operator"));
      if (dv.operatorText == "between") dv.operatorText.clear();
      dv.allowBlank = AttrBool(v, "allowBlank", false);
      dv.inCellDropDown = !AttrBool(v, "showDropDown", false);
      dv.showInputMessage = AttrBool(v, "showInputMessage", false);
      dv.showErrorMessage = AttrBool(v, "showErrorMessage", false);
      dv.errorTitle = std::string(AttrText(v, "errorTitle"));
      dv.error = std::string(AttrText(v, "error"));
      dv.promptTitle = std::string(AttrText(v, "promptTitle"));
      dv.prompt = std::string(AttrText(v, "prompt"));
      ws_.DataValidations().push_back(std::move(dv));
    }
  }

  void PrintOptions(pugi::xml_node n) {
    PageSetup& p = ws_.Page();
    p.centerHorizontally = AttrBool(n, "horizontalCentered", false);
    p.centerVertically = AttrBool(n, "verticalCentered", false);
    p.printGridlines = AttrBool(n, "gridLines", false);
    p.printHeadings = AttrBool(n, "headings", false);
  }

  void PageMargins(pugi::xml_node n) {
    PageSetup& p = ws_.Page();
    auto points = [&](const char* name, double current) {
      const double inches = AttrDouble(n, name, -1);
      return inches >= 0 && inches < 100 ? inches * 72.0 : current;
    };
    p.left = points("left", p.left);
    p.right = points("right", p.right);
    p.top = points("top", p.top);
    p.bottom = points("bottom", p.bottom);
    p.header = points("header", p.header);
    p.footer = points("footer", p.footer);
  }

  void PageSetupElement() {
    PageSetup& p = ws_.Page();
    pugi::xml_node n = pageSetupDoc_.first_child();
    if (n) {
      p.paperSize = static_cast<int>(std::clamp<long long>(AttrInt(n, "paperSize", 1), 1, 1000));
      const std::string_view orientation = AttrText(n, "orientation");
      p.orientation = orientation == "landscape" ? xl::Landscape : xl::Portrait;
      p.zoom = static_cast<int>(std::clamp<long long>(AttrInt(n, "scale", 100), 10, 400));
      if (AttrBool(n, "useFirstPageNumber", false))
        p.firstPageNumber = static_cast<int>(std::clamp<long long>(AttrInt(n, "firstPageNumber", 1), -32768, 32767));
      p.blackAndWhite = AttrBool(n, "blackAndWhite", false);
      p.overThenDown = AttrText(n, "pageOrder") == "overThenDown";
    }
    if (fitToPage_) {
      const long long wide = n ? AttrInt(n, "fitToWidth", 1) : 1;
      const long long tall = n ? AttrInt(n, "fitToHeight", 1) : 1;
      if (wide > 0) p.fitWide = static_cast<int>(std::min<long long>(wide, 32767));
      if (tall > 0) p.fitTall = static_cast<int>(std::min<long long>(tall, 32767));
    }
  }

  void HeaderFooter(pugi::xml_node n) {
    PageSetup& p = ws_.Page();
    if (pugi::xml_node h = Child(n, "oddHeader"))
      ParseHeaderFooter(ElementText(h), p.leftHeader, p.centerHeader, p.rightHeader);
    if (pugi::xml_node f = Child(n, "oddFooter"))
      ParseHeaderFooter(ElementText(f), p.leftFooter, p.centerFooter, p.rightFooter);
  }

  void Breaks(pugi::xml_node n, std::vector<int>& out, int limit) {
    for (pugi::xml_node b : n.children()) {
      if (!IsNamed(b, "brk")) continue;
      const long long id = AttrInt(b, "id", 0);
      if (id > limit) BeyondGrid();
      if (id >= 1 && std::find(out.begin(), out.end(), id) == out.end()) out.push_back(static_cast<int>(id));
    }
    std::sort(out.begin(), out.end());
  }

  // ---- cells ----
  struct SharedFormula {
    int row = 0, col = 0;
    std::string text;
  };

  // The cell being read: its attributes and the text of its children.
  struct CellIn {
    long long row = 0, col = 0, xf = 0, si = -1;
    std::string type, fType, v, f, is;
    bool hasV = false, hasF = false, hasIs = false;
  };

  // Bytes of one cell's texts while reading: far beyond the 32,767
  // characters a cell holds, still bounded.
  static constexpr std::size_t kMaxCellBytes = 16u << 20;

  void StartRow(const XML_Char** attrs) {
    long long r = prevRow_ + 1;
    if (const std::string_view ra = AttrOf(attrs, "r"); !ra.empty() || HasAttr(attrs, "r")) {
      if (!ParseInt(ra, r)) ctx_.Damaged("工作表“" + ws_.Name() + "”的行号有误");
    }
    if (r < 1) ctx_.Damaged("工作表“" + ws_.Name() + "”的行号有误");
    if (r > kMaxRows) BeyondGrid();
    prevRow_ = r;
    row_ = r;
    prevCol_ = 0;
    rowStored_ = false;
    double ht = -1;
    if (const std::string_view h = AttrOf(attrs, "ht"); !h.empty() && !ParseDouble(h, ht)) ht = -1;
    const bool hidden = ParseBool(AttrOf(attrs, "hidden"), false);
    long long s = 0;
    if (const std::string_view st = AttrOf(attrs, "s"); !st.empty() && !ParseInt(st, s)) s = 0;
    const bool customFormat = ParseBool(AttrOf(attrs, "customFormat"), false);
    if (ht >= 0 || hidden || (s > 0 && customFormat)) {
      StoreRow();
      Row& target = ws_.MutableRow(static_cast<int>(r));
      if (ht >= 0) target.height = std::min(ht, 409.5);
      target.hidden = hidden;
      if (s > 0 && customFormat) {
        target.style = StyleOf(s);
        target.customFormat = target.style != 0;
      }
    }
  }

  // A stored row costs about as much as four cells.
  void StoreRow() {
    if (rowStored_) return;
    rowStored_ = true;
    Spend(4);
  }

  void StartCell(const XML_Char** attrs) {
    Spend(1);
    StoreRow();
    cell_.row = row_;
    cell_.col = prevCol_ + 1;
    cell_.xf = 0;
    cell_.type.clear();
    cell_.v.clear(), cell_.f.clear(), cell_.is.clear(), cell_.fType.clear();
    cell_.hasV = cell_.hasF = cell_.hasIs = false;
    cell_.si = -1;
    for (const XML_Char** a = attrs; *a; a += 2) {
      const char* an = a[0];
      if (an[0] == 'r' && an[1] == 0) {
        if (!ParseCellRef(a[1], cell_.row, cell_.col)) ctx_.Damaged("工作表“" + ws_.Name() + "”的单元格位置有误");
      } else if (an[0] == 's' && an[1] == 0) {
        ParseInt(a[1], cell_.xf);
      } else if (an[0] == 't' && an[1] == 0) {
        cell_.type = a[1];
      }
    }
    if (cell_.row < 1 || cell_.col < 1) ctx_.Damaged("工作表“" + ws_.Name() + "”的单元格位置有误");
    if (cell_.row > kMaxRows || cell_.col > kMaxCols) BeyondGrid();
    prevCol_ = cell_.col;
  }

  [[noreturn]] void BadCell(int row, int col) const {
    std::string where = ColumnLetters(col) + std::to_string(row);
    ctx_.Damaged("工作表“" + ws_.Name() + "”单元格" + where + "的内容有误");
  }

  void EndCell() {
    const int row = static_cast<int>(cell_.row), col = static_cast<int>(cell_.col);
    const std::string_view type = cell_.type;
    const auto& sst = *env_.sharedStrings;
    CellValue value;
    const std::string& raw = cell_.v;
    if (type.empty() || type == "n") {
      if (!raw.empty()) {
        double d = 0;
        if (!ParseDouble(raw, d)) BadCell(row, col);
        value = d;
      }
    } else if (type == "s") {
      long long index = -1;
      // An empty <v/> is an empty cell, as other spreadsheets read it.
      if (cell_.hasV && !raw.empty()) {
        if (!ParseInt(raw, index) || index < 0 || index >= static_cast<long long>(sst.size())) BadCell(row, col);
        if (!cell_.hasF) {
          // The common case: a plain shared text, interned once per file.
          std::uint32_t& id = (*env_.sharedStringIds)[static_cast<std::size_t>(index)];
          if (id == UINT32_MAX) id = ws_.Book().Tables().strings.Intern(sst[static_cast<std::size_t>(index)]);
          ws_.PutStringId(row, col, id, StyleOf(cell_.xf));
          return;
        }
        value = sst[static_cast<std::size_t>(index)];
      }
    } else if (type == "str") {
      if (cell_.hasV) value = DecodeCellString(raw);
    } else if (type == "inlineStr") {
      if (cell_.hasIs)
        value = DecodeCellString(cell_.is);
      else if (cell_.hasV)
        value = DecodeCellString(raw);
    } else if (type == "b") {
      if (!raw.empty()) value = ParseBool(raw, false);
    } else if (type == "e") {
      if (!raw.empty()) {
        ErrorCode code = ErrorCode::Value;
        if (!ParseErrorText(raw, code)) code = ErrorCode::Value;
        value = code;
      }
    } else if (type == "d") {
      if (!raw.empty()) {
        double serial = 0;
        if (IsoToSerial(raw, env_.date1904, serial))
          value = serial;
        else
          value = raw;
      }
    } else {
      BadCell(row, col);
    }

    std::string formula;
    if (cell_.hasF) {
      formula = DecodeCellString(cell_.f);
      if (cell_.fType == "shared") {
        const long long si = cell_.si;
        if (!formula.empty()) {
          if (si >= 0) shared_[si] = SharedFormula{row, col, formula};
        } else if (auto it = shared_.find(si); it != shared_.end()) {
          formula = formula::Translate(it->second.text, row - it->second.row, col - it->second.col);
        }
      }
    }
    if (!formula.empty()) {
      if (formula.front() == '=') formula.erase(0, 1);
      ws_.PutFormula(row, col, formula, value);
    } else if (!value.IsEmpty()) {
      ws_.PutValue(row, col, value);
    }
    // Always: a cell element without s has format 0 even in a formatted row
    // or column, while a new model cell starts with its row's or column's.
    ws_.PutStyle(row, col, StyleOf(cell_.xf));
  }

  Worksheet& ws_;
  const SheetReadEnv& env_;
  const ReadContext& ctx_;
  std::string part_;
  XML_Parser parser_ = nullptr;
  std::exception_ptr failure_;
  bool sawRoot_ = false;
  int depth_ = 0;
  int skip_ = 0;  // depth inside an element that is not read
  In in_ = In::Other;
  // The element being built as a small tree, and the depth it started at.
  pugi::xml_document treeDoc_;
  pugi::xml_node tree_;
  int treeDepth_ = 0;
  pugi::xml_document pageSetupDoc_;
  bool fitToPage_ = false;
  long long prevRow_ = 0, row_ = 0, prevCol_ = 0;
  bool rowStored_ = false;
  CellIn cell_;
  std::vector<RangeRef> merges_;
  std::unordered_map<long long, SharedFormula> shared_;
};

}  // namespace

void ReadWorksheetPart(ZipReader& zip, const std::string& part, Worksheet& ws, const SheetReadEnv& env) {
  SheetReader(ws, env, part).Read(zip);
}

}  // namespace korvane::host::ooxml
