// The workbook codec: what a workbook holds survives our writer and reader,
// and the file says it the way the format defines (checked in the parts
// themselves with libzip and pugixml).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <pugixml.hpp>

#include "host/application.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;

namespace {

std::unique_ptr<Workbook> RoundTrip(const Workbook& wb, FileKind kind = FileKind::Xlsx) {
  // A separate string pool and style table: nothing may survive only
  // because the ids happen to be shared.
  return ReadWorkbookBytes(WriteWorkbookBytes(wb, kind), std::make_shared<SharedTables>());
}

struct Book {
  WorkbookHost host;
  Workbook& wb;
  Worksheet& ws;
  Book() : wb(host.Add()), ws(wb.Sheet(1)) { host.displayAlerts = false; }
};

// The XML of one part of a written workbook.
struct PartDoc {
  std::string text;
  pugi::xml_document doc;
  PartDoc(const std::string& bytes, const std::string& name) {
    auto parts = Unzip(bytes);
    auto it = parts.find(name);
    if (it == parts.end()) throw std::runtime_error("no part " + name);
    text = it->second;
    if (!doc.load_string(text.c_str())) throw std::runtime_error("bad XML in " + name);
  }
  pugi::xml_node Root() const { return doc.document_element(); }
};

std::vector<std::string> ChildNames(const pugi::xml_node& n) {
  std::vector<std::string> names;
  for (pugi::xml_node c : n.children())
    if (c.type() == pugi::node_element) names.push_back(c.name());
  return names;
}

// The font as the workbook shows it: empty name and zero size are the
// workbook default.
Style Resolved(const Workbook& wb, Style s) {
  if (s.font.name.empty()) s.font.name = wb.defaultFontName;
  if (s.font.size <= 0) s.font.size = wb.defaultFontSize;
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------

TEST(XlsxRoundTrip, KeepsEveryKindOfValueExactly) {
  Book b;
  const std::vector<CellValue> values = {3.5,
                                         0.1,
                                         1.0 / 3.0,
                                         -1e-300,
                                         1e300,
                                         123456789012345678.0,
                                         4.9e-324,
                                         -2.5,
                                         true,
                                         false,
                                         ErrorCode::Null,
                                         ErrorCode::Div0,
                                         ErrorCode::Value,
                                         ErrorCode::Ref,
                                         ErrorCode::Name,
                                         ErrorCode::Num,
                                         ErrorCode::NA,
                                         "姓名",
                                         "  前后空格  ",
                                         " ",
                                         "\t制表\t",
                                         "第一行\n第二行",
                                         "回车\r\n换行",
                                         std::string("控制\x01\x02\x1f字符"),
                                         "literal _x0041_ and _X00e9_ text",
                                         "_x005F_",
                                         "a & b < c > d \"e\" 'f'",
                                         "emoji 😀",
                                         "ｆｕｌｌ　ｗｉｄｔｈ",
                                         std::string(40000, 'x').substr(0, 32767)};
  for (std::size_t i = 0; i < values.size(); ++i) b.ws.PutValue(static_cast<int>(i) + 1, 2, values[i]);
  auto back = RoundTrip(b.wb);
  Worksheet& ws = back->Sheet(1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const CellValue got = ws.StoredValue(static_cast<int>(i) + 1, 2);
    EXPECT_EQ(got, values[i]) << "row " << i + 1 << ": " << values[i].ToText();
  }
}

TEST(XlsxRoundTrip, RepairsWhatXmlCannotCarry) {
  Book b;
  b.ws.PutValue(1, 1, std::string("bad \xC3\x28 utf8 \xFF end"));
  b.ws.PutValue(2, 1, std::string("nul\0char", 8));
  b.ws.PutValue(3, 1, std::numeric_limits<double>::infinity());
  b.ws.PutValue(4, 1, std::nan(""));
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  // Every part is well-formed XML.
  for (const auto& [name, data] : Unzip(bytes)) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(data.c_str())) << name;
  }
  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  Worksheet& ws = back->Sheet(1);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue("bad \xEF\xBF\xBD( utf8 \xEF\xBF\xBD end"));
  EXPECT_EQ(ws.StoredValue(2, 1), CellValue(std::string("nul\0char", 8)));
  // A number no file can hold is written as the error a calculation gives.
  EXPECT_EQ(ws.StoredValue(3, 1), CellValue(ErrorCode::Num));
  EXPECT_EQ(ws.StoredValue(4, 1), CellValue(ErrorCode::Num));
}

TEST(XlsxRoundTrip, FormulasKeepTheirTextAndTheCurrentValueAsCache) {
  Book b;
  b.ws.PutValue(1, 1, 20);
  b.ws.PutValue(1, 2, "甲");
  // Stored caches that are out of date: the writer stores what the host shows.
  b.ws.PutFormula(2, 1, "A1*2", 1.0);
  b.ws.PutFormula(2, 2, "B1&\"乙\"", "old");
  b.ws.PutFormula(2, 3, "A1>10", false);
  b.ws.PutFormula(2, 4, "A1/0", 0.0);
  // Not evaluated by the host: the cached value is kept as it is.
  b.ws.PutFormula(2, 5, "VLOOKUP(A1,数据表,2,FALSE)", "缓存");
  b.ws.PutFormula(2, 6, "NOW()", 45000.5);
  b.ws.PutFormula(2, 7, "CELL(\"filename\")", CellValue());
  const CellValue shown[] = {b.ws.ValueAt(2, 1), b.ws.ValueAt(2, 2), b.ws.ValueAt(2, 3), b.ws.ValueAt(2, 4),
                             b.ws.ValueAt(2, 5), b.ws.ValueAt(2, 6), b.ws.ValueAt(2, 7)};
  auto back = RoundTrip(b.wb);
  Worksheet& ws = back->Sheet(1);
  const char* texts[] = {"A1*2",  "B1&\"乙\"",         "A1>10", "A1/0", "VLOOKUP(A1,数据表,2,FALSE)",
                         "NOW()", "CELL(\"filename\")"};
  for (int c = 1; c <= 7; ++c) {
    EXPECT_EQ(ws.FormulaAt(2, c), texts[c - 1]);
    EXPECT_EQ(ws.StoredValue(2, c), shown[c - 1]) << texts[c - 1];
  }
  EXPECT_EQ(ws.StoredValue(2, 5), CellValue("缓存"));

  // The cached value's type is in the file: t="str", "b", "e".
  PartDoc sheet(WriteWorkbookBytes(b.wb, FileKind::Xlsx), "xl/worksheets/sheet1.xml");
  auto cell = [&](const char* ref) {
    return sheet.Root().select_node(("//c[@r='" + std::string(ref) + "']").c_str()).node();
  };
  EXPECT_STREQ(cell("E2").attribute("t").value(), "str");
  EXPECT_STREQ(cell("E2").child("f").text().get(), "VLOOKUP(A1,数据表,2,FALSE)");
  EXPECT_STREQ(cell("F2").attribute("t").value(), "");
  // No cached value: no <v> (an empty one would read as 0 or "").
  EXPECT_EQ(static_cast<bool>(cell("G2").child("v")), !shown[6].IsEmpty());
}

TEST(XlsxRoundTrip, ControlCharactersInFormulasSurviveTwoSaves) {
  Book b;
  const std::string text = std::string("\"a\x01b\x1f\"&\"_x0041_\r\"");
  b.ws.Cells(1, 1).SetValue(CellValue("=" + text));
  const CellValue shown = b.ws.ValueAt(1, 1);
  EXPECT_EQ(shown, CellValue(std::string("a\x01b\x1f_x0041_\r")));
  auto once = RoundTrip(b.wb);
  auto twice = RoundTrip(*once);
  for (Workbook* wb : {once.get(), twice.get()}) {
    EXPECT_EQ(wb->Sheet(1).FormulaAt(1, 1), text);
    EXPECT_EQ(wb->Sheet(1).StoredValue(1, 1), shown);
    EXPECT_EQ(wb->Sheet(1).ValueAt(1, 1), shown);
  }
  EXPECT_EQ(WriteWorkbookBytes(*once, FileKind::Xlsx), WriteWorkbookBytes(*twice, FileKind::Xlsx));
}

TEST(XlsxRoundTrip, SharesEachTextOnceAndKeepsCellsThatOnlyHaveAFormat) {
  Book b;
  for (int r = 1; r <= 50; ++r) b.ws.PutValue(r, 1, r % 2 ? "单数" : "双数");
  Style fill;
  fill.fill = 0xFFFFFF00u;
  b.ws.PutStyle(60, 3, b.wb.Tables().styles.Intern(fill));
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc sst(bytes, "xl/sharedStrings.xml");
  EXPECT_EQ(sst.Root().attribute("uniqueCount").as_int(), 2);
  EXPECT_EQ(sst.Root().attribute("count").as_int(), 50);
  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  EXPECT_EQ(back->Sheet(1).StoredValue(49, 1), CellValue("单数"));
  ASSERT_NE(back->Sheet(1).FindCell(60, 3), nullptr);
  EXPECT_EQ(back->Sheet(1).StyleAt(60, 3).fill, 0xFFFFFF00u);
  EXPECT_FALSE(back->Sheet(1).HasContent(60, 3));
}

// ---------------------------------------------------------------------------
// Formats
// ---------------------------------------------------------------------------

TEST(XlsxRoundTrip, KeepsFontsAlignmentBordersFillsFormatsAndProtection) {
  Book b;
  b.wb.defaultFontName = "宋体";
  b.wb.defaultFontSize = 11;
  std::vector<Style> styles;
  auto add = [&](auto change) {
    Style s;
    change(s);
    styles.push_back(s);
  };
  add([](Style& s) { s.font = Font{"黑体", 18, true, false, false, false, 0}; });
  add([](Style& s) { s.font = Font{"", 9.5, false, true, true, true, 0xFF0070C0u}; });
  add([](Style& s) { s.font.name = "Times New Roman"; });
  for (HAlign h : {HAlign::Left, HAlign::Center, HAlign::Right, HAlign::Fill, HAlign::Justify, HAlign::CenterContinuous,
                   HAlign::Distributed})
    add([h](Style& s) { s.halign = h; });
  for (VAlign v : {VAlign::Top, VAlign::Center, VAlign::Justify, VAlign::Distributed})
    add([v](Style& s) { s.valign = v; });
  add([](Style& s) { s.wrap = true; });
  add([](Style& s) { s.shrink = true; });
  for (int rotation : {1, 45, 90, 91, 135, 180, 255}) add([rotation](Style& s) { s.rotation = rotation; });
  add([](Style& s) {
    s.halign = HAlign::Left;
    s.indent = 3;
  });
  const LineStyle lines[] = {LineStyle::Thin,          LineStyle::Medium,       LineStyle::Thick,
                             LineStyle::Double,        LineStyle::Dashed,       LineStyle::Dotted,
                             LineStyle::Hair,          LineStyle::MediumDashed, LineStyle::DashDot,
                             LineStyle::MediumDashDot, LineStyle::DashDotDot,   LineStyle::MediumDashDotDot,
                             LineStyle::SlantDashDot};
  for (LineStyle l : lines) add([l](Style& s) { s.bottom = {l, 0}; });
  add([](Style& s) {
    s.left = {LineStyle::Thin, 0xFFFF0000u};
    s.right = {LineStyle::Double, 0};
    s.top = {LineStyle::Medium, 0xFF00FF00u};
    s.diagonal = {LineStyle::Thin, 0};
    s.diagonalUp = true;
  });
  add([](Style& s) {
    s.diagonal = {LineStyle::Dashed, 0};
    s.diagonalDown = true;
  });
  add([](Style& s) { s.fill = 0xFFFFFF00u; });
  add([](Style& s) { s.fill = 0xFF000000u; });  // a black fill is a fill
  for (const char* f : {"0.00", "h:mm", "@", "m/d/yy", "yyyy\"年\"m\"月\"d\"日\"", "#,##0.000", "0%", "[Red]0.0;-0.0",
                        "yyyy-mm-dd hh:mm:ss", "0.00E+00"})
    add([f](Style& s) { s.numberFormat = f; });
  add([](Style& s) { s.locked = false; });
  add([](Style& s) { s.hiddenFormula = true; });
  add([](Style& s) {
    s.font = Font{"楷体", 14, true, true, false, false, 0xFF112233u};
    s.halign = HAlign::Center;
    s.valign = VAlign::Center;
    s.wrap = true;
    s.rotation = 255;
    s.left = s.right = s.top = s.bottom = {LineStyle::Thin, 0};
    s.fill = 0xFFDDEBF7u;
    s.numberFormat = "0.0";
    s.locked = false;
  });
  for (std::size_t i = 0; i < styles.size(); ++i) {
    b.ws.PutValue(static_cast<int>(i) + 1, 1, static_cast<double>(i));
    b.ws.PutStyle(static_cast<int>(i) + 1, 1, b.wb.Tables().styles.Intern(styles[i]));
  }
  auto back = RoundTrip(b.wb);
  for (std::size_t i = 0; i < styles.size(); ++i)
    EXPECT_EQ(Resolved(*back, back->Sheet(1).StyleAt(static_cast<int>(i) + 1, 1)), Resolved(b.wb, styles[i]))
        << "style " << i;
}

TEST(XlsxRoundTrip, WritesBuiltInNumberFormatsByIdAndOthersFrom164) {
  Book b;
  const std::pair<const char*, int> formats[] = {{"General", 0}, {"0", 1},           {"0.00", 2},     {"h:mm", 20},
                                                 {"@", 49},      {"m/d/yy", 14},     {"h:mm:ss", 21}, {"0%", 9},
                                                 {"0.000", 164}, {"yyyy-mm-dd", 165}};
  int row = 1;
  for (const auto& [code, id] : formats) {
    Style s;
    s.numberFormat = code;
    s.font.bold = true;  // every cell its own format, even "General"
    b.ws.PutValue(row, 1, row);
    b.ws.PutStyle(row++, 1, b.wb.Tables().styles.Intern(s));
  }
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc styles(bytes, "xl/styles.xml");
  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  std::map<int, std::string> custom;
  for (pugi::xml_node n : styles.Root().child("numFmts").children("numFmt"))
    custom[n.attribute("numFmtId").as_int()] = n.attribute("formatCode").value();
  std::vector<pugi::xml_node> xfs;
  for (pugi::xml_node x : styles.Root().child("cellXfs").children("xf")) xfs.push_back(x);
  row = 1;
  for (const auto& [code, id] : formats) {
    pugi::xml_node c = sheet.Root().select_node(("//c[@r='A" + std::to_string(row++) + "']").c_str()).node();
    const int xf = c.attribute("s").as_int();
    ASSERT_LT(xf, static_cast<int>(xfs.size()));
    EXPECT_EQ(xfs[xf].attribute("numFmtId").as_int(), id) << code;
    if (id >= 164) {
      EXPECT_EQ(custom[id], code);
    }
  }
  EXPECT_EQ(custom.size(), 2u);  // built-in formats are not declared
  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  row = 1;
  for (const auto& [code, id] : formats) EXPECT_EQ(back->Sheet(1).StyleAt(row++, 1).numberFormat, code);
}

TEST(XlsxRoundTrip, TheDefaultFontIsFontZeroOfTheNormalStyle) {
  Book b;
  b.wb.defaultFontName = "等线";
  b.wb.defaultFontSize = 10.5;
  Style same;
  same.font.name = "等线";  // the default spelt out: the same format as no font at all
  same.font.size = 10.5;
  Style other;
  other.font.name = "黑体";
  b.ws.PutValue(1, 1, "默认");
  b.ws.PutValue(1, 2, "显式");
  b.ws.PutStyle(1, 2, b.wb.Tables().styles.Intern(same));
  b.ws.PutValue(1, 3, "黑体");
  b.ws.PutStyle(1, 3, b.wb.Tables().styles.Intern(other));
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc styles(bytes, "xl/styles.xml");
  pugi::xml_node font0 = styles.Root().child("fonts").child("font");
  EXPECT_STREQ(font0.child("name").attribute("val").value(), "等线");
  EXPECT_DOUBLE_EQ(font0.child("sz").attribute("val").as_double(), 10.5);
  EXPECT_STREQ(styles.Root().select_node("//cellStyles/cellStyle[@builtinId='0']").node().attribute("name").value(),
               "Normal");
  EXPECT_EQ(styles.Root().child("cellXfs").attribute("count").as_int(), 2);  // default + 黑体
  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  EXPECT_EQ(back->defaultFontName, "等线");
  EXPECT_EQ(back->defaultFontSize, 10.5);
  EXPECT_EQ(back->Sheet(1).StyleIdAt(1, 1), 0u);
  EXPECT_EQ(back->Sheet(1).StyleIdAt(1, 2), 0u);  // style id 0 is the default format
  EXPECT_EQ(back->Sheet(1).StyleAt(1, 3).font.name, "黑体");
  EXPECT_EQ(back->Sheet(1).StyleAt(1, 3).font.size, 0);  // the default size, not a copy of it
}

TEST(XlsxRoundTrip, RowAndColumnFormatsApplyToCellsThatAreNotStored) {
  Book b;
  Style grey;
  grey.fill = 0xFFD9D9D9u;
  Style bold;
  bold.font.bold = true;
  Row& row = b.ws.MutableRow(3);
  row.style = b.wb.Tables().styles.Intern(grey);
  row.customFormat = true;
  b.ws.MutableColMap()[5].style = b.wb.Tables().styles.Intern(bold);
  b.ws.PutValue(3, 2, "行格式");  // takes the row's format
  b.ws.PutValue(3, 7, "无格式");
  b.ws.PutStyle(3, 7, 0);  // explicitly plain inside the formatted row
  auto back = RoundTrip(b.wb);
  Worksheet& ws = back->Sheet(1);
  EXPECT_EQ(ws.StyleAt(3, 2).fill, 0xFFD9D9D9u);
  EXPECT_EQ(ws.StyleAt(3, 9).fill, 0xFFD9D9D9u);  // not stored: the row's format
  EXPECT_EQ(ws.StyleAt(3, 7), Style{});
  EXPECT_TRUE(ws.StyleAt(100, 5).font.bold);
  EXPECT_TRUE(ws.RowMap().at(3).customFormat);
}

// ---------------------------------------------------------------------------
// Rows, columns, merges
// ---------------------------------------------------------------------------

TEST(XlsxRoundTrip, KeepsMergesRowHeightsHiddenRowsAndColumnWidths) {
  Book b;
  b.ws.PutValue(2, 1, "合并");
  b.ws.AddMerge(RangeRef{2, 1, 2, 4});
  b.ws.AddMerge(RangeRef{5, 2, 9, 3});
  b.ws.SetRowHeight(2, 30.75);
  b.ws.SetRowHeight(4, 0);
  b.ws.SetRowHidden(13, true);
  b.ws.SetRowHeight(14, 12);
  b.ws.SetRowHidden(14, true);
  b.ws.SetColumnWidth(1, 17.7109375);
  for (int c = 2; c <= 6; ++c) b.ws.SetColumnWidth(c, 4.5);
  b.ws.SetColumnWidth(7, 9);
  b.ws.SetColumnHidden(8, true);
  b.ws.SetColumnHidden(9, true);
  b.ws.SetColumnWidth(10, 0.5);
  b.ws.SetColumnHidden(10, true);
  b.ws.SetDefaultRowHeight(15.75);
  b.ws.SetDefaultColumnWidth(9.5);
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);

  // Equal neighbouring columns are one <col> element.
  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  std::vector<std::pair<int, int>> runs;
  for (pugi::xml_node c : sheet.Root().child("cols").children("col"))
    runs.emplace_back(c.attribute("min").as_int(), c.attribute("max").as_int());
  EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{1, 1}, {2, 6}, {7, 7}, {8, 9}, {10, 10}}));
  EXPECT_STREQ(sheet.Root().select_node("//row[@r='2']").node().attribute("customHeight").value(), "1");

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  Worksheet& ws = back->Sheet(1);
  EXPECT_EQ(ws.Merges(), b.ws.Merges());
  EXPECT_EQ(ws.RowHeight(2), 30.75);
  EXPECT_EQ(ws.RowHeight(4), 0);
  EXPECT_TRUE(ws.RowHidden(13));
  EXPECT_FALSE(ws.RowHidden(12));
  EXPECT_TRUE(ws.RowHidden(14));
  EXPECT_EQ(ws.RowHeight(14), 12);
  EXPECT_EQ(ws.ColumnWidth(1), 17.7109375);
  EXPECT_EQ(ws.ColumnWidth(4), 4.5);
  EXPECT_EQ(ws.ColumnWidth(7), 9);
  EXPECT_TRUE(ws.ColumnHidden(8));
  EXPECT_TRUE(ws.ColumnHidden(9));
  EXPECT_FALSE(ws.ColumnHidden(7));
  EXPECT_TRUE(ws.ColumnHidden(10));
  EXPECT_EQ(ws.ColumnWidth(10), 0.5);
  EXPECT_EQ(ws.ColMap(), b.ws.ColMap());
  EXPECT_EQ(ws.DefaultRowHeight(), 15.75);
  EXPECT_EQ(ws.DefaultColumnWidth(), 9.5);
}

// ---------------------------------------------------------------------------
// Sheets, protection, names
// ---------------------------------------------------------------------------

TEST(XlsxRoundTrip, KeepsSheetOrderVisibilityAndAVisibleActiveTab) {
  Book b;
  b.ws.SetName("设置");
  Worksheet& team = b.wb.AddSheet(nullptr, &b.ws, "1");
  Worksheet& hidden = b.wb.AddSheet(nullptr, &team, "temp");
  Worksheet& very = b.wb.AddSheet(nullptr, &hidden, "代码");
  b.wb.AddSheet(nullptr, &very, "O'Neil 表");
  hidden.SetVisibility(SheetVisibility::Hidden);
  very.SetVisibility(SheetVisibility::VeryHidden);
  b.wb.SetActiveSheet(hidden);  // a hidden sheet is never the active tab of a file
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsm);
  PartDoc wb(bytes, "xl/workbook.xml");
  EXPECT_EQ(wb.Root().child("bookViews").child("workbookView").attribute("activeTab").as_int(), 0);
  int selected = 0;
  for (int i = 1; i <= 5; ++i) {
    PartDoc s(bytes, "xl/worksheets/sheet" + std::to_string(i) + ".xml");
    if (s.Root().child("sheetViews").child("sheetView").attribute("tabSelected").as_bool()) {
      ++selected;
      EXPECT_EQ(i, 1);
    }
  }
  EXPECT_EQ(selected, 1);

  auto back = RoundTrip(b.wb);
  ASSERT_EQ(back->Count(), 5);
  const char* names[] = {"设置", "1", "temp", "代码", "O'Neil 表"};
  const SheetVisibility states[] = {SheetVisibility::Visible, SheetVisibility::Visible, SheetVisibility::Hidden,
                                    SheetVisibility::VeryHidden, SheetVisibility::Visible};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(back->Sheet(i).Name(), names[i - 1]);
    EXPECT_EQ(back->Sheet(i).Visibility(), states[i - 1]);
  }
  EXPECT_EQ(back->ActiveSheet().Name(), "设置");

  // A visible active sheet stays active.
  b.wb.SetActiveSheet(b.wb.Sheet(5));
  EXPECT_EQ(RoundTrip(b.wb)->ActiveSheet().Name(), "O'Neil 表");
}

TEST(XlsxRoundTrip, KeepsSheetAndWorkbookProtectionWithTheFileAttributesMeaningProtected) {
  Book b;
  b.ws.Protect(true, true, false);
  Worksheet& second = b.wb.AddSheet(nullptr, &b.ws, "二");
  second.Protect(false, true, true);
  second.MutableProtection().passwordHash = "CC1A";
  Worksheet& third = b.wb.AddSheet(nullptr, &second, "三");
  third.MutableProtection().passwordHash = "SHA-512:100000:c2FsdA==:aGFzaA==";
  third.Protect(false, true, false);
  Style open;
  open.locked = false;
  b.ws.PutValue(1, 1, "可改");
  b.ws.PutStyle(1, 1, b.wb.Tables().styles.Intern(open));
  b.wb.Protect(true, true);
  b.wb.MutableProtection().passwordHash = "ABCD";

  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc s1(bytes, "xl/worksheets/sheet1.xml");
  pugi::xml_node p1 = s1.Root().child("sheetProtection");
  EXPECT_STREQ(p1.attribute("sheet").value(), "1");
  EXPECT_STREQ(p1.attribute("objects").value(), "1");  // objects="1": objects ARE protected
  EXPECT_STREQ(p1.attribute("scenarios").value(), "0");
  PartDoc s3(bytes, "xl/worksheets/sheet3.xml");
  EXPECT_STREQ(s3.Root().child("sheetProtection").attribute("algorithmName").value(), "SHA-512");
  EXPECT_STREQ(s3.Root().child("sheetProtection").attribute("spinCount").value(), "100000");
  PartDoc wb(bytes, "xl/workbook.xml");
  EXPECT_STREQ(wb.Root().child("workbookProtection").attribute("lockStructure").value(), "1");
  EXPECT_STREQ(wb.Root().child("workbookProtection").attribute("workbookPassword").value(), "ABCD");

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  for (int i = 1; i <= 3; ++i) {
    const SheetProtection& want = b.wb.Sheet(i).Protection();
    const SheetProtection& got = back->Sheet(i).Protection();
    EXPECT_EQ(got.on, want.on) << i;
    EXPECT_EQ(got.drawingObjects, want.drawingObjects) << i;
    EXPECT_EQ(got.contents, want.contents) << i;
    EXPECT_EQ(got.scenarios, want.scenarios) << i;
    EXPECT_EQ(got.passwordHash, want.passwordHash) << i;
  }
  EXPECT_TRUE(back->Protection().structure);
  EXPECT_TRUE(back->Protection().windows);
  EXPECT_EQ(back->Protection().passwordHash, "ABCD");
  EXPECT_FALSE(back->Sheet(1).StyleAt(1, 1).locked);
  EXPECT_TRUE(back->Sheet(1).StyleAt(1, 2).locked);
  EXPECT_THROW(back->Sheet(1).CheckWritable(1, 2), HostError);
  EXPECT_NO_THROW(back->Sheet(1).CheckWritable(1, 1));

  // An unprotected sheet has no sheetProtection element.
  Book plain;
  PartDoc none(WriteWorkbookBytes(plain.wb, FileKind::Xlsx), "xl/worksheets/sheet1.xml");
  EXPECT_FALSE(none.Root().child("sheetProtection"));
}

TEST(XlsxRoundTrip, KeepsDefinedNamesWithTheirExactTextAndScopeByPosition) {
  Book b;
  b.ws.SetName("数据");
  Worksheet& team = b.wb.AddSheet(nullptr, &b.ws, "1");
  Worksheet& last = b.wb.AddSheet(nullptr, &team, "汇总");
  b.wb.AddName("总人数", "=数据!$B$1:$B$5");
  b.wb.AddName("数据!本行金额", "=数据!$E1");
  b.wb.AddName("数据!上一行", "=数据!$B1048576");  // a relative offset that wraps
  b.wb.AddName("'1'!Print_Titles", "='1'!$A:$B,'1'!$1:$2");
  b.wb.AddName("汇总!Print_Area", "=汇总!$A$1:$H$40");
  b.wb.AddName("汇总!Print_Titles", "=汇总!$3:$4");
  DefinedName hidden;
  hidden.name = "内部常量";
  hidden.refersTo = "=\"a&b<c>\"";
  hidden.hidden = true;
  hidden.comment = "说明 & 注释";
  b.wb.AddName(hidden);
  // The scope is the position at write time: move 汇总 to the front.
  b.wb.MoveSheet(last, 1);

  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc wb(bytes, "xl/workbook.xml");
  std::map<std::string, std::pair<std::string, std::string>> file;  // name@scope -> text
  for (pugi::xml_node d : wb.Root().child("definedNames").children("definedName"))
    file[std::string(d.attribute("name").value()) + "@" + d.attribute("localSheetId").value()] = {d.text().get(), ""};
  EXPECT_EQ(file["_xlnm.Print_Titles@2"].first, "'1'!$A:$B,'1'!$1:$2");
  EXPECT_EQ(file["_xlnm.Print_Area@0"].first, "汇总!$A$1:$H$40");
  EXPECT_EQ(file["_xlnm.Print_Titles@0"].first, "汇总!$3:$4");
  EXPECT_EQ(file["本行金额@1"].first, "数据!$E1");
  EXPECT_EQ(file["总人数@"].first, "数据!$B$1:$B$5");
  EXPECT_EQ(file.size(), 7u);

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  ASSERT_EQ(back->NameCount(), b.wb.NameCount());
  for (const DefinedName& want : b.wb.Names()) {
    const Worksheet* scope = want.scope ? back->FindSheet(want.scope->Name()) : nullptr;
    const DefinedName* got = back->FindName(want.name, scope);
    ASSERT_NE(got, nullptr) << want.name;
    EXPECT_EQ(got->refersTo, want.refersTo) << want.name;
    EXPECT_EQ(got->scope ? got->scope->Name() : "", want.scope ? want.scope->Name() : "") << want.name;
    EXPECT_EQ(got->hidden, want.hidden);
    EXPECT_EQ(got->comment, want.comment);
  }
  auto titles = back->PrintTitlesOf(*back->FindSheet("1"));
  EXPECT_EQ(titles.row1, 1);
  EXPECT_EQ(titles.row2, 2);
  EXPECT_EQ(titles.col1, 1);
  EXPECT_EQ(titles.col2, 2);
}

// ---------------------------------------------------------------------------
// Conditional formats, page setup, view
// ---------------------------------------------------------------------------

TEST(XlsxRoundTrip, KeepsConditionalFormatsWithTheirFormatsAndPriorities) {
  Book b;
  ConditionalFormat rows;
  rows.areas = {RangeRef{3, 5, 3, 54}, RangeRef{5, 5, 5, 54}};
  ConditionalRule expr;
  expr.formula = "AND($B3<>\"\",E$2=\"是\")";
  expr.format.setBold = true;
  expr.format.bold = true;
  expr.format.fontColor = 0xFF9C0006u;
  expr.format.fill = 0xFFFFC7CEu;
  expr.priority = 1;
  ConditionalRule italicOff = expr;
  italicOff.formula = "条件1";
  italicOff.format = DiffStyle{};
  italicOff.format.setItalic = true;
  italicOff.format.italic = false;
  italicOff.format.numberFormat = "0.0";
  italicOff.priority = 2;
  italicOff.stopIfTrue = true;
  rows.rules = {expr, italicOff};
  ConditionalFormat between;
  between.areas = {RangeRef{1, 2, 100, 2}};
  ConditionalRule cell;
  cell.type = "cellIs";
  cell.operatorText = "between";
  cell.formula = "1";
  cell.formula2 = "$A$1";
  cell.format.fill = 0xFFC6EFCEu;
  cell.priority = 3;
  ConditionalRule blanks;
  blanks.type = "containsBlanks";
  blanks.formula = "LEN(TRIM(B1))=0";
  blanks.priority = 4;
  between.rules = {cell, blanks};
  b.ws.ConditionalFormats() = {rows, between};

  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc styles(bytes, "xl/styles.xml");
  EXPECT_EQ(styles.Root().child("dxfs").attribute("count").as_int(), 3);
  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  EXPECT_STREQ(sheet.Root().child("conditionalFormatting").attribute("sqref").value(), "E3:BB3 E5:BB5");
  EXPECT_FALSE(sheet.Root().select_node("//cfRule[@type='containsBlanks']").node().attribute("dxfId"));

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  const auto& got = back->Sheet(1).ConditionalFormats();
  ASSERT_EQ(got.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const ConditionalFormat& want = b.ws.ConditionalFormats()[i];
    EXPECT_EQ(got[i].areas, want.areas);
    ASSERT_EQ(got[i].rules.size(), want.rules.size());
    for (std::size_t k = 0; k < want.rules.size(); ++k) {
      const ConditionalRule& w = want.rules[k];
      const ConditionalRule& g = got[i].rules[k];
      EXPECT_EQ(g.type, w.type);
      EXPECT_EQ(g.formula, w.formula);
      EXPECT_EQ(g.formula2, w.formula2);
      EXPECT_EQ(g.operatorText, w.operatorText);
      EXPECT_EQ(g.priority, w.priority);
      EXPECT_EQ(g.stopIfTrue, w.stopIfTrue);
      EXPECT_EQ(g.format, w.format) << w.formula;
    }
  }
}

TEST(XlsxRoundTrip, KeepsDataValidationsWithTheFileAttributesAsTheFormatDefinesThem) {
  Book b;
  DataValidation ticks;  // a list offering one mark, other marks accepted after a notice
  ticks.areas = {RangeRef{4, 4, 23, 14}, RangeRef{30, 4, 30, 4}};
  ticks.formula1 = "\"√\"";
  ticks.errorStyle = "information";
  ticks.showErrorMessage = true;
  ticks.errorTitle = "报名";
  ticks.error = "请打“√” & <确认>";
  DataValidation whole;  // numbers between two bounds, refused otherwise, no drop-down
  whole.areas = {RangeRef{2, 8, 5, 8}};
  whole.type = "whole";
  whole.formula1 = "1";
  whole.formula2 = "$A$1";
  whole.allowBlank = false;
  whole.inCellDropDown = false;
  whole.showInputMessage = true;
  whole.promptTitle = "人数";
  whole.prompt = "1 到 A1";
  DataValidation hidden = ticks;  // a list whose drop-down is hidden
  hidden.areas = {RangeRef{1, 20, 1, 20}};
  hidden.inCellDropDown = false;
  hidden.operatorText = "notBetween";
  hidden.errorStyle = "warning";
  DataValidation prompt;  // a message only
  prompt.areas = {RangeRef{1, 1, 1, 1}};
  prompt.type = "none";
  prompt.showInputMessage = true;
  prompt.prompt = "说明";
  DataValidation noFormula;  // a list without values is not written
  noFormula.areas = {RangeRef{9, 9, 9, 9}};
  b.ws.DataValidations() = {ticks, whole, hidden, prompt, noFormula};

  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  pugi::xml_node list = sheet.Root().child("dataValidations");
  EXPECT_EQ(list.attribute("count").as_int(), 4);
  pugi::xml_node first = list.first_child();
  EXPECT_STREQ(first.attribute("sqref").value(), "D4:N23 D30");
  EXPECT_STREQ(first.attribute("type").value(), "list");
  EXPECT_STREQ(first.attribute("errorStyle").value(), "information");
  EXPECT_STREQ(first.child("formula1").text().get(), "\"√\"");
  EXPECT_FALSE(first.attribute("showDropDown"));  // the file's flag hides the arrow
  EXPECT_STREQ(first.next_sibling().attribute("showDropDown").value(), "1");
  EXPECT_FALSE(first.next_sibling().attribute("errorStyle"));  // stop is the default
  EXPECT_FALSE(list.last_child().attribute("type"));           // none is the default

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  const std::vector<DataValidation> want{ticks, whole, hidden, prompt};
  EXPECT_EQ(back->Sheet(1).DataValidations(), want);
  // A second save says the same.
  EXPECT_EQ(PartDoc(WriteWorkbookBytes(*back, FileKind::Xlsx), "xl/worksheets/sheet1.xml").text, sheet.text);
}

TEST(XlsxRoundTrip, KeepsPageSetupWithMarginsInInchesInTheFile) {
  Book b;
  PageSetup& p = b.ws.Page();
  p.paperSize = xl::PaperB4;
  p.orientation = xl::Landscape;
  p.left = 36, p.right = 18, p.top = 54, p.bottom = 72;
  p.header = 21.6, p.footer = 28.8;
  p.centerHorizontally = true;
  p.centerVertically = true;
  p.printGridlines = true;
  p.printHeadings = true;
  p.firstPageNumber = 21;
  p.zoom = 85;
  p.blackAndWhite = true;
  p.overThenDown = true;
  p.leftHeader = "左 &D";
  p.centerHeader = "&\"黑体,加粗\"&16运动会";
  p.rightHeader = "A&&B";
  p.centerFooter = "第 &P 页，共 &N 页";
  p.rightFooter = "&F-&A";
  p.rowBreaks = {40, 20};
  p.colBreaks = {6};
  Worksheet& fit = b.wb.AddSheet(nullptr, &b.ws, "适应");
  fit.Page().fitWide = 1;
  Worksheet& tall = b.wb.AddSheet(nullptr, &fit, "高");
  tall.Page().fitWide = 2;
  tall.Page().fitTall = 3;
  Worksheet& onlyTall = b.wb.AddSheet(nullptr, &tall, "只高");
  onlyTall.Page().fitTall = 1;

  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);
  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  pugi::xml_node m = sheet.Root().child("pageMargins");
  EXPECT_DOUBLE_EQ(m.attribute("left").as_double(), 0.5);
  EXPECT_DOUBLE_EQ(m.attribute("right").as_double(), 0.25);
  EXPECT_DOUBLE_EQ(m.attribute("bottom").as_double(), 1.0);
  EXPECT_DOUBLE_EQ(m.attribute("header").as_double(), 0.3);
  pugi::xml_node ps = sheet.Root().child("pageSetup");
  EXPECT_STREQ(ps.attribute("useFirstPageNumber").value(), "1");
  EXPECT_STREQ(ps.attribute("orientation").value(), "landscape");
  EXPECT_STREQ(sheet.Root().child("headerFooter").child("oddFooter").text().get(), "&C第 &P 页，共 &N 页&R&F-&A");
  EXPECT_FALSE(sheet.Root().child("sheetPr").child("pageSetUpPr"));
  PartDoc fitSheet(bytes, "xl/worksheets/sheet2.xml");
  EXPECT_STREQ(fitSheet.Root().child("sheetPr").child("pageSetUpPr").attribute("fitToPage").value(), "1");
  EXPECT_STREQ(fitSheet.Root().child("pageSetup").attribute("fitToHeight").value(), "0");

  auto back = ReadWorkbookBytes(bytes, std::make_shared<SharedTables>());
  const PageSetup& g = back->Sheet(1).Page();
  EXPECT_EQ(g.paperSize, p.paperSize);
  EXPECT_EQ(g.orientation, p.orientation);
  EXPECT_NEAR(g.left, p.left, 1e-9);
  EXPECT_NEAR(g.right, p.right, 1e-9);
  EXPECT_NEAR(g.top, p.top, 1e-9);
  EXPECT_NEAR(g.bottom, p.bottom, 1e-9);
  EXPECT_NEAR(g.header, p.header, 1e-9);
  EXPECT_NEAR(g.footer, p.footer, 1e-9);
  EXPECT_TRUE(g.centerHorizontally && g.centerVertically && g.printGridlines && g.printHeadings);
  EXPECT_EQ(g.firstPageNumber, std::optional<int>(21));
  EXPECT_EQ(g.zoom, 85);
  EXPECT_TRUE(g.blackAndWhite);
  EXPECT_TRUE(g.overThenDown);
  EXPECT_EQ(g.leftHeader, p.leftHeader);
  EXPECT_EQ(g.centerHeader, p.centerHeader);
  EXPECT_EQ(g.rightHeader, p.rightHeader);
  EXPECT_EQ(g.leftFooter, "");
  EXPECT_EQ(g.centerFooter, p.centerFooter);
  EXPECT_EQ(g.rightFooter, p.rightFooter);
  EXPECT_EQ(g.rowBreaks, (std::vector<int>{20, 40}));
  EXPECT_EQ(g.colBreaks, (std::vector<int>{6}));
  EXPECT_FALSE(g.fitWide || g.fitTall);
  EXPECT_EQ(back->Sheet(2).Page().fitWide, std::optional<int>(1));
  EXPECT_EQ(back->Sheet(2).Page().fitTall, std::nullopt);
  EXPECT_EQ(back->Sheet(3).Page().fitWide, std::optional<int>(2));
  EXPECT_EQ(back->Sheet(3).Page().fitTall, std::optional<int>(3));
  EXPECT_EQ(back->Sheet(4).Page().fitWide, std::nullopt);
  EXPECT_EQ(back->Sheet(4).Page().fitTall, std::optional<int>(1));
  EXPECT_EQ(back->Sheet(2).Page().firstPageNumber, std::nullopt);
  EXPECT_EQ(back->Sheet(2).Page().paperSize, xl::PaperA4);
}

TEST(XlsxRoundTrip, KeepsViewTabColourZoomAndTheDateSystem) {
  Book b;
  b.ws.showGridLines = false;
  b.ws.tabColor = 0xFF00B050u;
  b.ws.zoomScale = 75;
  b.wb.date1904 = true;
  b.ws.PutValue(1, 1, 1.5);
  auto back = RoundTrip(b.wb);
  EXPECT_FALSE(back->Sheet(1).showGridLines);
  EXPECT_EQ(back->Sheet(1).tabColor, 0xFF00B050u);
  EXPECT_EQ(back->Sheet(1).zoomScale, 75);
  EXPECT_TRUE(back->date1904);
  EXPECT_EQ(back->Sheet(1).StoredValue(1, 1), CellValue(1.5));  // serials are not shifted
  b.wb.date1904 = false;
  EXPECT_FALSE(RoundTrip(b.wb)->date1904);
}

// ---------------------------------------------------------------------------
// The package
// ---------------------------------------------------------------------------

TEST(XlsxPackage, ContentTypeFollowsTheKindAndNoMacroPartIsDeclared) {
  Book b;
  const std::pair<FileKind, const char*> kinds[] = {
      {FileKind::Xlsx, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"},
      {FileKind::Xlsm, "application/vnd.ms-excel.sheet.macroEnabled.main+xml"},
      {FileKind::Xltx, "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"},
      {FileKind::Xltm, "application/vnd.ms-excel.template.macroEnabled.main+xml"}};
  for (const auto& [kind, type] : kinds) {
    const std::string bytes = WriteWorkbookBytes(b.wb, kind);
    auto parts = Unzip(bytes);
    PartDoc types(bytes, "[Content_Types].xml");
    EXPECT_STREQ(
        types.Root().select_node("//Override[@PartName='/xl/workbook.xml']").node().attribute("ContentType").value(),
        type);
    EXPECT_EQ(types.text.find("vba"), std::string::npos);
    for (const auto& [name, data] : parts) EXPECT_EQ(name.find("vba"), std::string::npos) << name;
    EXPECT_TRUE(parts.count("docProps/core.xml"));
    PartDoc app(bytes, "docProps/app.xml");
    EXPECT_STREQ(app.Root().child("Application").text().get(), "Microsoft Excel");
    EXPECT_EQ(ReadWorkbookBytes(bytes, std::make_shared<SharedTables>())->Count(), 1);
  }
}

TEST(XlsxPackage, WritesElementsInTheOrderTheFormatFixes) {
  Book b;
  b.ws.tabColor = 0xFF0000FFu;
  b.ws.Page().fitWide = 1;
  b.ws.PutValue(1, 1, 1);
  b.ws.SetColumnWidth(1, 20);
  b.ws.AddMerge(RangeRef{2, 1, 2, 3});
  b.ws.Protect();
  ConditionalFormat cf;
  cf.areas = {RangeRef{1, 1, 1, 1}};
  ConditionalRule r;
  r.formula = "A1>0";
  r.format.fill = 0xFFFF0000u;
  cf.rules.push_back(r);
  b.ws.ConditionalFormats().push_back(cf);
  DataValidation dv;
  dv.areas = {RangeRef{1, 1, 2, 2}};
  dv.formula1 = "\"√\"";
  b.ws.DataValidations().push_back(dv);
  b.ws.Page().centerHorizontally = true;
  b.ws.Page().centerFooter = "&P";
  b.ws.Page().rowBreaks = {10};
  b.ws.Page().colBreaks = {3};
  b.wb.AddName("名", "=Sheet1!$A$1");
  b.wb.Protect(true, false);
  Style s;
  s.halign = HAlign::Center;
  s.locked = false;
  s.numberFormat = "0.0";
  b.ws.PutStyle(1, 1, b.wb.Tables().styles.Intern(s));
  const std::string bytes = WriteWorkbookBytes(b.wb, FileKind::Xlsx);

  PartDoc sheet(bytes, "xl/worksheets/sheet1.xml");
  EXPECT_EQ(
      ChildNames(sheet.Root()),
      (std::vector<std::string>{"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData",
                                "sheetProtection", "mergeCells", "conditionalFormatting", "dataValidations",
                                "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks"}));
  EXPECT_EQ(ChildNames(sheet.Root().child("sheetPr")), (std::vector<std::string>{"tabColor", "pageSetUpPr"}));
  PartDoc wb(bytes, "xl/workbook.xml");
  EXPECT_EQ(ChildNames(wb.Root()), (std::vector<std::string>{"workbookPr", "workbookProtection", "bookViews", "sheets",
                                                             "definedNames", "calcPr"}));
  EXPECT_STREQ(wb.Root().child("calcPr").attribute("fullCalcOnLoad").value(), "1");
  PartDoc styles(bytes, "xl/styles.xml");
  EXPECT_EQ(ChildNames(styles.Root()), (std::vector<std::string>{"numFmts", "fonts", "fills", "borders", "cellStyleXfs",
                                                                 "cellXfs", "cellStyles", "dxfs", "tableStyles"}));
  pugi::xml_node xf = styles.Root().child("cellXfs").last_child();
  EXPECT_EQ(ChildNames(xf), (std::vector<std::string>{"alignment", "protection"}));
  // The two default fills come first.
  pugi::xml_node fill = styles.Root().child("fills").first_child();
  EXPECT_STREQ(fill.child("patternFill").attribute("patternType").value(), "none");
  EXPECT_STREQ(fill.next_sibling().child("patternFill").attribute("patternType").value(), "gray125");
}

TEST(XlsxPackage, RefusesAWorkbookWithoutSheets) {
  Workbook empty(std::make_shared<SharedTables>());
  EXPECT_THROW(WriteWorkbookBytes(empty, FileKind::Xlsx), FileError);
}
