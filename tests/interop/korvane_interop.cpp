// Interoperability helper for the workbook codec tests.
//
//   korvane_interop write-sample OUT      writes a workbook that uses every feature the codec keeps
//                                         (the kind follows OUT's extension)
//   korvane_interop dump FILE             reads FILE with our reader and prints a canonical description
//   korvane_interop dump-values FILE      only sheets, cell values and merges (for files another
//                                         application has rewritten, which keeps values but not formats)
//   korvane_interop roundtrip IN OUT      reads IN and writes it again as OUT
//
// openpyxl_dump.py prints the same description from openpyxl, so the shell
// tests compare the two texts.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/application.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/workbook.h"
#include "host/worksheet.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;

namespace {

// ---------------------------------------------------------------------------
// The sample workbook
// ---------------------------------------------------------------------------

std::uint32_t Intern(Workbook& wb, const Style& s) { return wb.Tables().styles.Intern(s); }

void BuildSample(Workbook& wb) {
  wb.defaultFontName = "仿宋";
  wb.defaultFontSize = 12;
  Worksheet& data = wb.Sheet(1);
  data.SetName("数据");

  // Every kind of value.
  data.PutValue(1, 1, "姓名");
  data.PutValue(1, 2, 3.5);
  data.PutValue(1, 3, true);
  data.PutValue(1, 4, ErrorCode::NA);
  data.PutFormula(1, 5, "B1*2", 7.0);
  data.PutFormula(1, 6, "A1&\"x\"", "姓名x");
  data.PutFormula(1, 7, "B1>1", true);
  data.PutFormula(1, 8, "1/0", ErrorCode::Div0);
  data.PutValue(2, 1, "  前后有空格  ");
  data.PutValue(3, 1, std::string("控制\x01字符\x1f") + "结束");
  data.PutValue(4, 1, "literal _x0041_ text");
  data.PutValue(5, 1, "第一行\n第二行\r\n第三行\t制表");
  data.PutValue(6, 1, "中文汉字 & <标记> \"引号\"");
  data.PutValue(7, 1, "emoji 😀 与 ＡＢＣ");
  data.PutValue(2, 2, 1e-5);
  data.PutValue(3, 2, -0.1);
  data.PutValue(4, 2, 123456789012345678.0);
  data.PutValue(5, 2, 1.0 / 3.0);
  data.PutValue(6, 2, 1e300);
  data.PutValue(7, 2, -0.0);
  data.PutValue(8, 2, 45000.0);  // a date
  data.PutValue(9, 2, 0.5);      // a time

  // Fonts, alignment, borders, fills, number formats, protection.
  Style title;
  title.font = Font{"黑体", 18, true, true, true, true, 0xFFFF0000u};
  title.halign = HAlign::Center;
  title.valign = VAlign::Center;
  title.wrap = true;
  title.fill = 0xFFFFFF00u;
  title.left = {LineStyle::Thin, 0};
  title.right = {LineStyle::Medium, 0xFF0000FFu};
  title.top = {LineStyle::Thick, 0};
  title.bottom = {LineStyle::Double, 0};
  title.numberFormat = "0.00";
  data.PutStyle(1, 1, Intern(wb, title));
  data.PutStyle(1, 2, Intern(wb, title));

  Style edges;
  edges.left = {LineStyle::Dashed, 0};
  edges.right = {LineStyle::Dotted, 0};
  edges.top = {LineStyle::Hair, 0};
  edges.bottom = {LineStyle::MediumDashed, 0xFF00FF00u};
  edges.diagonal = {LineStyle::Thin, 0};
  edges.diagonalUp = true;
  edges.diagonalDown = true;
  edges.shrink = true;
  edges.rotation = 255;
  edges.valign = VAlign::Top;
  data.PutStyle(2, 1, Intern(wb, edges));

  Style rotated;
  rotated.rotation = 135;
  rotated.halign = HAlign::Right;
  rotated.indent = 2;
  rotated.font.size = 9;
  data.PutStyle(3, 1, Intern(wb, rotated));

  const char* formats[] = {"h:mm", "@", "m/d/yy", "yyyy\"年\"m\"月\"d\"日\"", "#,##0.000", "0%"};
  int row = 2;
  for (const char* f : formats) {
    Style s;
    s.numberFormat = f;
    data.PutStyle(row++, 3, Intern(wb, s));
  }
  Style date;
  date.numberFormat = "yyyy-mm-dd";
  data.PutStyle(8, 2, Intern(wb, date));
  Style time;
  time.numberFormat = "h:mm";
  data.PutStyle(9, 2, Intern(wb, time));

  Style unlocked;
  unlocked.locked = false;
  unlocked.hiddenFormula = true;
  data.PutValue(2, 4, "可编辑");
  data.PutStyle(2, 4, Intern(wb, unlocked));
  Style onlyFill;
  onlyFill.fill = 0xFF92D050u;
  data.PutStyle(11, 6, Intern(wb, onlyFill));  // a cell that has only a format

  // Merges, rows, columns.
  data.PutValue(10, 1, "合并标题");
  data.AddMerge(RangeRef{10, 1, 10, 4});
  data.AddMerge(RangeRef{12, 2, 14, 2});
  data.SetRowHeight(10, 30);
  data.SetRowHidden(13, true);
  data.MutableRow(20).hidden = true;
  data.MutableRow(20).height = 24;
  data.SetColumnWidth(1, 20);
  for (int c = 2; c <= 4; ++c) data.SetColumnWidth(c, 12.5);
  data.SetColumnHidden(6, true);
  data.SetColumnWidth(8, 5);
  data.SetColumnHidden(8, true);
  data.SetDefaultRowHeight(18);
  data.SetDefaultColumnWidth(10);

  // Conditional formats.
  ConditionalFormat cf;
  cf.areas = {RangeRef{1, 1, 5, 4}, RangeRef{7, 1, 7, 4}};
  ConditionalRule expr;
  expr.formula = "$B1>2";
  expr.format.setBold = true;
  expr.format.bold = true;
  expr.format.fontColor = 0xFF9C0006u;
  expr.format.fill = 0xFFFFC7CEu;
  expr.priority = 1;
  cf.rules.push_back(expr);
  data.ConditionalFormats().push_back(cf);
  ConditionalFormat between;
  between.areas = {RangeRef{1, 2, 20, 2}};
  ConditionalRule cell;
  cell.type = "cellIs";
  cell.operatorText = "between";
  cell.formula = "1";
  cell.formula2 = "10";
  cell.format.fill = 0xFFC6EFCEu;
  cell.format.setItalic = true;
  cell.format.italic = false;
  cell.format.numberFormat = "0.0";
  cell.priority = 2;
  cell.stopIfTrue = true;
  between.rules.push_back(cell);
  data.ConditionalFormats().push_back(between);

  // Data validations: a list of one mark that accepts others after a
  // notice, and whole numbers between bounds with a prompt and no drop-down.
  DataValidation ticks;
  ticks.areas = {RangeRef{4, 4, 23, 14}};
  ticks.formula1 = "\"√\"";
  ticks.errorStyle = "information";
  ticks.showErrorMessage = true;
  ticks.errorTitle = "报名";
  ticks.error = "请打“√”";
  data.DataValidations().push_back(ticks);
  DataValidation whole;
  whole.areas = {RangeRef{1, 16, 5, 16}};
  whole.type = "whole";
  whole.operatorText = "lessThanOrEqual";
  whole.formula1 = "$A$1";
  whole.allowBlank = false;
  whole.inCellDropDown = false;
  whole.showInputMessage = true;
  whole.promptTitle = "人数";
  whole.prompt = "不超过 A1";
  data.DataValidations().push_back(whole);

  // Page setup.
  PageSetup& p = data.Page();
  p.paperSize = xl::PaperB4;
  p.orientation = xl::Landscape;
  p.left = 36, p.right = 28.35, p.top = 56.7, p.bottom = 42.5, p.header = 21.6, p.footer = 28.35;
  p.centerHorizontally = p.centerVertically = true;
  p.printGridlines = p.printHeadings = true;
  p.blackAndWhite = true;
  p.overThenDown = true;
  p.firstPageNumber = 21;
  p.zoom = 85;
  p.leftHeader = "左";
  p.centerHeader = "中 &P/&N";
  p.rightHeader = "右&&";
  p.centerFooter = "第 &P 页";
  p.rowBreaks = {20, 40};
  p.colBreaks = {5};
  data.showGridLines = false;
  data.tabColor = 0xFF00B050u;
  data.zoomScale = 120;
  data.Protect(false, true, true);

  // A sheet whose name must be quoted in references, fitted to one page wide.
  Worksheet& team = wb.AddSheet(nullptr, &data, "1");
  team.PutValue(1, 1, "号码");
  team.PutValue(2, 1, 101);
  team.PutFormula(3, 1, "数据!B1+'1'!A2", 104.5);
  team.Page().fitWide = 1;
  team.Page().footer = 0;
  wb.AddName("'1'!Print_Titles", "='1'!$A:$B,'1'!$1:$2");
  wb.AddName("'1'!Print_Area", "='1'!$A$1:$D$20");

  Worksheet& lookup = wb.AddSheet(nullptr, &team, "Lookup");
  lookup.PutValue(1, 1, "隐藏");
  Worksheet& secret = wb.AddSheet(nullptr, &lookup, "Secret");
  secret.PutValue(1, 1, 42);
  Worksheet& odd = wb.AddSheet(nullptr, &secret, "O'Brien 表");
  odd.PutFormula(1, 1, "'O''Brien 表'!B1", 0.0);
  lookup.SetVisibility(SheetVisibility::Hidden);
  secret.SetVisibility(SheetVisibility::VeryHidden);

  // Names: workbook and sheet level, exact texts, relative references.
  wb.AddName("总人数", "=数据!$B$1:$B$5");
  wb.AddName("数据!本行金额", "=数据!$E1");
  wb.AddName("数据!上一行", "=数据!$B1048576");
  wb.AddName("Lookup!表", "=Lookup!$A$1:$A$9");
  DefinedName hidden;
  hidden.name = "内部";
  hidden.refersTo = "=\"文本常量\"";
  hidden.hidden = true;
  hidden.comment = "说明";
  wb.AddName(hidden);

  wb.Protect(true, true);
  // A hidden sheet is never the active tab of the file.
  wb.SetActiveSheet(lookup);
}

// ---------------------------------------------------------------------------
// The canonical description
// ---------------------------------------------------------------------------

std::string Num(double d, int digits = 17) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, d);
  return buf;
}

std::string Esc(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Color(std::uint32_t argb) {
  if (argb == 0) return "auto";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", argb | 0xFF000000u);
  return buf;
}

const char* LineName(LineStyle s) {
  static const char* const names[] = {
      "none", "thin",         "medium",  "thick",         "double",     "dashed",           "dotted",
      "hair", "mediumDashed", "dashDot", "mediumDashDot", "dashDotDot", "mediumDashDotDot", "slantDashDot"};
  return names[static_cast<int>(s)];
}

const char* HName(HAlign a) {
  static const char* const names[] = {"general", "left",    "center",           "right",
                                      "fill",    "justify", "centerContinuous", "distributed"};
  return names[static_cast<int>(a)];
}

const char* VName(VAlign a) {
  static const char* const names[] = {"bottom", "top", "center", "justify", "distributed"};
  return names[static_cast<int>(a)];
}

std::string Edge(const char* tag, const BorderEdge& e) {
  std::string s = std::string(tag) + ":" + LineName(e.style);
  if (e.style != LineStyle::None) s += ":" + Color(e.color);
  return s;
}

std::string StyleText(const Workbook& wb, const Style& s) {
  std::ostringstream o;
  o << "font=" << (s.font.name.empty() ? wb.defaultFontName : s.font.name) << "/"
    << Num(s.font.size > 0 ? s.font.size : wb.defaultFontSize, 10) << "/" << (s.font.bold ? "b" : "")
    << (s.font.italic ? "i" : "") << (s.font.underline ? "u" : "") << (s.font.strike ? "s" : "") << "/"
    << Color(s.font.color);
  o << " align=" << HName(s.halign) << "/" << VName(s.valign) << "/" << (s.wrap ? "wrap" : "-") << "/"
    << (s.shrink ? "shrink" : "-") << "/" << s.rotation << "/" << s.indent;
  o << " border=" << Edge("L", s.left) << "," << Edge("R", s.right) << "," << Edge("T", s.top) << ","
    << Edge("B", s.bottom) << "," << Edge("D", s.diagonal) << "," << (s.diagonalUp ? "up" : "-") << ","
    << (s.diagonalDown ? "down" : "-");
  o << " fill=" << (s.fill ? Color(s.fill) : std::string("none"));
  o << " fmt=" << s.numberFormat;
  o << " prot=" << (s.locked ? 1 : 0) << "," << (s.hiddenFormula ? 1 : 0);
  return o.str();
}

std::string ValueText(const CellValue& v) {
  if (v.IsEmpty()) return "empty";
  if (v.IsNumber()) return "n:" + Num(v.Number());
  if (v.IsText()) return "s:" + Esc(v.Text());
  if (v.IsBool()) return std::string("b:") + (v.Bool() ? "1" : "0");
  return std::string("e:") + ErrorText(v.Err());
}

std::string Ref(int r, int c) { return ColumnLetters(c) + std::to_string(r); }

std::string RangeText(const RangeRef& r) {
  return r.IsSingleCell() ? Ref(r.r1, r.c1) : Ref(r.r1, r.c1) + ":" + Ref(r.r2, r.c2);
}

const char* StateName(SheetVisibility v) {
  return v == SheetVisibility::Visible ? "visible" : v == SheetVisibility::Hidden ? "hidden" : "veryHidden";
}

void DumpCellsAndMerges(const Worksheet& ws, bool withStyles, std::ostream& out) {
  std::vector<std::string> merges;
  for (const RangeRef& m : ws.Merges()) merges.push_back(RangeText(m));
  std::sort(merges.begin(), merges.end());
  for (const auto& m : merges) out << "  merge " << m << "\n";
  const Workbook& wb = ws.Book();
  const std::string plain = StyleText(wb, Style{});
  for (const auto& [r, row] : ws.RowMap()) {
    for (const Cell& c : row.cells) {
      const int col = static_cast<int>(c.col);
      const Style& st = wb.Tables().styles.Get(c.style);
      const bool styled = StyleText(wb, st) != plain;
      // Formats of the covered cells of a merged area are not compared:
      // openpyxl replaces those cells by placeholders.
      const RangeRef* merge = ws.MergeAt(r, col);
      const bool covered = merge && !(merge->r1 == r && merge->c1 == col);
      if (!c.HasContent() && (!withStyles || !styled || covered)) continue;
      out << "  cell " << Ref(r, col);
      const std::string f = ws.FormulaAt(r, col);
      if (!f.empty()) out << " f=" << Esc(f);
      out << " v=" << ValueText(ws.StoredValue(r, col));
      if (withStyles) out << " | " << StyleText(wb, st);
      out << "\n";
    }
  }
}

void Dump(const Workbook& wb, bool valuesOnly, std::ostream& out) {
  auto sheets = wb.Sheets();
  Worksheet* active = sheets.empty() ? nullptr : sheets[std::clamp(wb.ActiveIndex(), 0, wb.Count() - 1)];
  if (!valuesOnly) {
    out << "workbook date1904=" << (wb.date1904 ? 1 : 0) << " font=" << wb.defaultFontName << "/"
        << Num(wb.defaultFontSize, 10) << " structure=" << (wb.Protection().structure ? 1 : 0)
        << " windows=" << (wb.Protection().windows ? 1 : 0) << " active=" << (active ? active->Name() : "") << "\n";
    std::vector<std::string> names;
    for (const DefinedName& n : wb.Names()) {
      if (n.name == "Print_Titles" || n.name == "Print_Area") continue;
      names.push_back("name " + n.name + " scope=" + (n.scope ? n.scope->Name() : "") + " hidden=" +
                      (n.hidden ? "1" : "0") + " text=" + Esc(n.refersTo.substr(n.refersTo[0] == '=' ? 1 : 0)));
    }
    std::sort(names.begin(), names.end());
    for (const auto& n : names) out << n << "\n";
  }
  for (Worksheet* ws : sheets) {
    out << "sheet " << ws->Name() << " state=" << StateName(ws->Visibility()) << "\n";
    if (valuesOnly) {
      DumpCellsAndMerges(*ws, false, out);
      continue;
    }
    out << "  view grid=" << (ws->showGridLines ? 1 : 0) << " zoom=" << ws->zoomScale << " tab=" << Color(ws->tabColor)
        << "\n";
    out << "  default rowHeight=" << Num(ws->DefaultRowHeight(), 10)
        << " colWidth=" << Num(ws->DefaultColumnWidth(), 10) << "\n";
    const SheetProtection& prot = ws->Protection();
    if (prot.on)
      out << "  protect sheet=" << prot.contents << " objects=" << prot.drawingObjects
          << " scenarios=" << prot.scenarios << "\n";
    const PageSetup& p = ws->Page();
    out << "  page paper=" << p.paperSize << " orient=" << (p.orientation == xl::Landscape ? "landscape" : "portrait")
        << " margins=" << Num(p.left / 72, 10) << "," << Num(p.right / 72, 10) << "," << Num(p.top / 72, 10) << ","
        << Num(p.bottom / 72, 10) << "," << Num(p.header / 72, 10) << "," << Num(p.footer / 72, 10)
        << " center=" << p.centerHorizontally << "," << p.centerVertically << " grid=" << p.printGridlines
        << " headings=" << p.printHeadings << " bw=" << p.blackAndWhite
        << " order=" << (p.overThenDown ? "overThenDown" : "downThenOver")
        << " first=" << (p.firstPageNumber ? std::to_string(*p.firstPageNumber) : std::string("auto"))
        << " scale=" << p.zoom << " fit=" << (p.fitWide || p.fitTall ? "1" : "0") << "," << (p.fitWide ? *p.fitWide : 0)
        << "," << (p.fitTall ? *p.fitTall : 0) << "\n";
    out << "  header L=" << Esc(p.leftHeader) << " C=" << Esc(p.centerHeader) << " R=" << Esc(p.rightHeader) << "\n";
    out << "  footer L=" << Esc(p.leftFooter) << " C=" << Esc(p.centerFooter) << " R=" << Esc(p.rightFooter) << "\n";
    out << "  breaks rows=";
    for (int b : p.rowBreaks) out << b << ";";
    out << " cols=";
    for (int b : p.colBreaks) out << b << ";";
    out << "\n";
    for (const DefinedName& n : wb.Names()) {
      if (n.scope != ws) continue;
      if (n.name == "Print_Titles") out << "  titles " << Esc(n.refersTo.substr(1)) << "\n";
      if (n.name == "Print_Area") out << "  area " << Esc(n.refersTo.substr(1)) << "\n";
    }
    for (const auto& [c, info] : ws->ColMap()) {
      if (info == ColInfo{}) continue;
      out << "  col " << c << " width=" << Num(ws->ColumnWidth(c), 10) << " hidden=" << info.hidden << "\n";
    }
    for (const auto& [r, row] : ws->RowMap()) {
      if (row.height < 0 && !row.hidden) continue;
      out << "  row " << r << " height=" << (row.height >= 0 ? Num(row.height, 10) : std::string("default"))
          << " hidden=" << row.hidden << "\n";
    }
    for (const DataValidation& dv : ws->DataValidations()) {
      std::string sqref;
      for (const RangeRef& a : dv.areas) sqref += (sqref.empty() ? "" : " ") + RangeText(a);
      out << "  dv " << sqref << " type=" << dv.type << " style=" << dv.errorStyle << " op=" << dv.operatorText
          << " blank=" << dv.allowBlank << " dropdown=" << dv.inCellDropDown << " input=" << dv.showInputMessage
          << " errmsg=" << dv.showErrorMessage << " f1=" << Esc(dv.formula1) << " f2=" << Esc(dv.formula2)
          << " et=" << Esc(dv.errorTitle) << " e=" << Esc(dv.error) << " pt=" << Esc(dv.promptTitle)
          << " p=" << Esc(dv.prompt) << "\n";
    }
    for (const ConditionalFormat& cf : ws->ConditionalFormats()) {
      std::string sqref;
      for (const RangeRef& a : cf.areas) sqref += (sqref.empty() ? "" : " ") + RangeText(a);
      for (const ConditionalRule& rule : cf.rules) {
        const DiffStyle& d = rule.format;
        out << "  cf " << sqref << " type=" << rule.type << " priority=" << rule.priority << " stop=" << rule.stopIfTrue
            << " op=" << rule.operatorText << " f1=" << Esc(rule.formula) << " f2="
            << Esc(rule.formula2)
            // openpyxl does not tell "not set" from "off": only "on" is shown.
            << " | bold=" << (d.setBold && d.bold ? "1" : "-") << " italic=" << (d.setItalic && d.italic ? "1" : "-")
            << " color=" << (d.fontColor ? Color(d.fontColor) : "-") << " fill=" << (d.fill ? Color(d.fill) : "-")
            << " fmt=" << (d.numberFormat.empty() ? "-" : d.numberFormat) << "\n";
      }
    }
    DumpCellsAndMerges(*ws, true, out);
  }
}

FileKind KindOf(const std::string& path) { return FileKindFromExtension(path); }

int Usage() {
  std::cerr << "usage: korvane_interop write-sample OUT | dump FILE | dump-values FILE | roundtrip IN OUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string cmd = argv[1];
  try {
    if (cmd == "write-sample") {
      WorkbookHost host;
      host.displayAlerts = false;
      Workbook& wb = host.Add();
      BuildSample(wb);
      WriteWorkbookFile(wb, argv[2], KindOf(argv[2]));
      return 0;
    }
    if (cmd == "dump" || cmd == "dump-values") {
      auto wb = ReadWorkbookFile(argv[2], std::make_shared<SharedTables>());
      Dump(*wb, cmd == "dump-values", std::cout);
      return 0;
    }
    if (cmd == "roundtrip" && argc >= 4) {
      auto wb = ReadWorkbookFile(argv[2], std::make_shared<SharedTables>());
      WriteWorkbookFile(*wb, argv[3], KindOf(argv[3]));
      return 0;
    }
  } catch (const HostError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return Usage();
}
