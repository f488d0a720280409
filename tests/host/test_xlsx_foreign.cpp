// The workbook codec reads what other programs write: packages written by
// hand here with the variations the format allows (no r attributes, inline
// and rich strings, strict namespaces, prefixes, cell styles, the 1904 date
// system, ISO dates, shared formulas, theme colours, foreign parts).
#include <gtest/gtest.h>

#include "host/application.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;

namespace {

std::unique_ptr<Workbook> Read(const std::string& bytes, const ReadLimits& limits = {}) {
  return ReadWorkbookBytes(bytes, std::make_shared<SharedTables>(), nullptr, limits);
}

std::unique_ptr<Workbook> ReadSheet(const std::string& sheetData, const std::string& sharedStrings = "",
                                    const std::string& styles = "") {
  HandPackage p;
  p.sheets = {{"表1", SheetXml(sheetData)}};
  p.sharedStrings = sharedStrings;
  p.styles = styles;
  return Read(p.Bytes());
}

std::string Sst(const std::string& items) {
  return std::string("<?xml version=\"1.0\"?><sst xmlns=\"") + kMain + "\">" + items + "</sst>";
}

std::string Styles(const std::string& body) {
  return std::string("<?xml version=\"1.0\"?><styleSheet xmlns=\"") + kMain + "\">" + body + "</styleSheet>";
}

}  // namespace

TEST(XlsxForeign, RowsAndCellsWithoutReferencesFollowThePreviousOnes) {
  auto wb = ReadSheet(
      "<row><c><v>1</v></c><c t=\"inlineStr\"><is><t>b</t></is></c><c r=\"E1\"><v>5</v></c><c><v>6</v></c></row>"
      "<row><c><v>2</v></c></row>"
      "<row r=\"5\"><c><v>3</v></c></row>"
      "<row><c r=\"C6\"/><c><v>4</v></c></row>");
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue(1));
  EXPECT_EQ(ws.StoredValue(1, 2), CellValue("b"));
  EXPECT_EQ(ws.StoredValue(1, 5), CellValue(5));
  EXPECT_EQ(ws.StoredValue(1, 6), CellValue(6));
  EXPECT_EQ(ws.StoredValue(2, 1), CellValue(2));
  EXPECT_EQ(ws.StoredValue(5, 1), CellValue(3));
  EXPECT_EQ(ws.StoredValue(6, 4), CellValue(4));
  EXPECT_EQ(ws.LastUsedRow(), 6);
}

TEST(XlsxForeign, InlineRichAndEscapedStrings) {
  const std::string sst =
      Sst("<si><t>plain</t></si>"
          "<si><r><rPr><b/><sz val=\"11\"/></rPr><t>粗</t></r><r><t xml:space=\"preserve\"> 体 </t></r>"
          "<rPh sb=\"0\" eb=\"1\"><t>ふりがな</t></rPh><phoneticPr fontId=\"1\"/></si>"
          "<si><t>a_x000D__x000A_b _x005F_x0041_ _x0041_ _xD83D__xDE00_ _x12_</t></si>"
          "<si><t xml:space=\"preserve\">   </t></si>"
          "<si><t/></si>");
  auto wb = ReadSheet(
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
      "<c r=\"D1\" t=\"s\"><v>3</v></c><c r=\"E1\" t=\"s\"><v>4</v></c>"
      "<c r=\"F1\" t=\"inlineStr\"><is><r><t>行</t></r><r><rPr><i/></rPr><t>内</t></r></is></c>"
      "<c r=\"G1\" t=\"inlineStr\"><is><t>x_x0009_y</t></is></c>"
      "<c r=\"H1\" t=\"str\"><v>cached_x000D_</v></c></row>",
      sst);
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue("plain"));
  EXPECT_EQ(ws.StoredValue(1, 2), CellValue("粗 体 "));
  EXPECT_EQ(ws.StoredValue(1, 3), CellValue("a\r\nb _x0041_ A 😀 _x12_"));
  EXPECT_EQ(ws.StoredValue(1, 4), CellValue("   "));
  EXPECT_EQ(ws.StoredValue(1, 5), CellValue(""));
  EXPECT_EQ(ws.StoredValue(1, 6), CellValue("行内"));
  EXPECT_EQ(ws.StoredValue(1, 7), CellValue("x\ty"));
  EXPECT_EQ(ws.StoredValue(1, 8), CellValue("cached\r"));
}

TEST(XlsxForeign, AnEmptySharedTextIsAnEmptyCellAndOnlyLowerCaseXEscapes) {
  auto wb = ReadSheet(
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v></v></c>"
      "<c r=\"C1\"><v>7</v></c></row>",
      Sst("<si><t>_X0041_ _x0041_</t></si>"));
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue("_X0041_ A"));
  EXPECT_TRUE(ws.StoredValue(1, 2).IsEmpty());
  EXPECT_EQ(ws.StoredValue(1, 3), CellValue(7));
}

TEST(XlsxForeign, BooleansErrorsAndNumbersInTheirOtherSpellings) {
  auto wb = ReadSheet(
      "<row r=\"1\"><c r=\"A1\" t=\"b\"><v>true</v></c><c r=\"B1\" t=\"b\"><v>0</v></c>"
      "<c r=\"C1\" t=\"e\"><v>#REF!</v></c><c r=\"D1\" t=\"e\"><v>#SPILL!</v></c>"
      "<c r=\"E1\" t=\"n\"><v> 1.5E+3 </v></c><c r=\"F1\"><v>-0.000001</v></c><c r=\"G1\"><v></v></c></row>");
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue(true));
  EXPECT_EQ(ws.StoredValue(1, 2), CellValue(false));
  EXPECT_EQ(ws.StoredValue(1, 3), CellValue(ErrorCode::Ref));
  EXPECT_TRUE(ws.StoredValue(1, 4).IsError());  // errors the host does not know stay errors
  EXPECT_EQ(ws.StoredValue(1, 5), CellValue(1500.0));
  EXPECT_EQ(ws.StoredValue(1, 6), CellValue(-0.000001));
  EXPECT_FALSE(ws.HasContent(1, 7));
}

TEST(XlsxForeign, StrictNamespacesAndPrefixedElements) {
  HandPackage strict;
  strict.mainNs = "http://purl.oclc.org/ooxml/spreadsheetml/main";
  strict.relNs = "http://purl.oclc.org/ooxml/officeDocument/relationships";
  strict.relTypeBase = "http://purl.oclc.org/ooxml/officeDocument/relationships";
  strict.sheets = {{"严格", SheetXml("<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>strict</t></is></c></row>", "",
                                     "", strict.mainNs)}};
  strict.sharedStrings = "<?xml version=\"1.0\"?><sst xmlns=\"" + strict.mainNs + "\"><si><t>s</t></si></sst>";
  auto wb = Read(strict.Bytes());
  EXPECT_EQ(wb->Sheet(1).Name(), "严格");
  EXPECT_EQ(wb->Sheet(1).StoredValue(2, 2), CellValue("strict"));

  HandPackage prefixed;
  prefixed.sheets = {{"前缀", std::string("<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"") + kMain +
                                  "\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>pre</x:t>"
                                  "</x:is></x:c><x:c r=\"B1\"><x:v>2</x:v></x:c></x:row></x:sheetData>"
                                  "<x:mergeCells><x:mergeCell ref=\"A3:B4\"/></x:mergeCells></x:worksheet>"}};
  auto wb2 = Read(prefixed.Bytes());
  EXPECT_EQ(wb2->Sheet(1).StoredValue(1, 1), CellValue("pre"));
  EXPECT_EQ(wb2->Sheet(1).StoredValue(1, 2), CellValue(2));
  EXPECT_EQ(wb2->Sheet(1).Merges().size(), 1u);
}

TEST(XlsxForeign, CellFormatsInheritWhatTheyLeaveOutFromTheirCellStyle) {
  const std::string styles = Styles(
      "<numFmts count=\"1\"><numFmt numFmtId=\"200\" formatCode=\"0.000&quot;分&quot;\"/></numFmts>"
      "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"宋体\"/><charset val=\"134\"/></font>"
      "<font><b/><sz val=\"16\"/><color rgb=\"FF0000FF\"/><name val=\"黑体\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
      "patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\"><alignment horizontal=\"center\"/>"
      "<protection locked=\"0\"/></xf></cellStyleXfs>"
      "<cellXfs count=\"6\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
      "<xf xfId=\"1\"/>"  // everything from the cell style
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\" applyAlignment=\"1\" "
      "applyProtection=\"1\"/>"
      "<xf numFmtId=\"200\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"  // no apply flags at all
      "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
      "<xf numFmtId=\"31\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
      "<cellStyles count=\"2\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "<cellStyle name=\"标题\" xfId=\"1\"/></cellStyles>");
  auto wb = ReadSheet(
      "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\" s=\"2\"><v>2</v></c><c r=\"C1\" s=\"3\"><v>3</v></c>"
      "<c r=\"D1\" s=\"4\"><v>45000</v></c><c r=\"E1\" s=\"5\"><v>45000</v></c><c r=\"F1\" s=\"0\"><v>6</v></c>"
      "<c r=\"G1\" s=\"99\"><v>7</v></c></row>",
      "", styles);
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(wb->defaultFontName, "宋体");
  EXPECT_EQ(wb->defaultFontSize, 11);
  const Style& a = ws.StyleAt(1, 1);
  EXPECT_EQ(a.font.name, "黑体");
  EXPECT_EQ(a.font.size, 16);
  EXPECT_TRUE(a.font.bold);
  EXPECT_EQ(a.font.color, 0xFF0000FFu);
  EXPECT_EQ(a.halign, HAlign::Center);
  EXPECT_FALSE(a.locked);
  const Style& b = ws.StyleAt(1, 2);
  EXPECT_EQ(b.font.name, "");            // the cell format's own font 0: the workbook default
  EXPECT_EQ(b.halign, HAlign::General);  // applyAlignment="1" without alignment: the default
  EXPECT_TRUE(b.locked);
  EXPECT_EQ(ws.StyleAt(1, 3).numberFormat, "0.000\"分\"");
  EXPECT_TRUE(ws.StyleAt(1, 3).font.bold);
  EXPECT_EQ(ws.StyleAt(1, 4).numberFormat, "m/d/yy");
  EXPECT_EQ(ws.StyleAt(1, 5).numberFormat, "yyyy\"年\"m\"月\"d\"日\"");
  EXPECT_EQ(ws.StyleIdAt(1, 6), 0u);
  EXPECT_EQ(ws.StyleIdAt(1, 7), 0u);  // an index past the list: the default format
}

TEST(XlsxForeign, ThemeAndIndexedColoursBecomeArgb) {
  const std::string theme =
      "<?xml version=\"1.0\"?><a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
      "<a:themeElements><a:clrScheme name=\"t\">"
      "<a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1><a:lt1><a:sysClr val=\"window\" "
      "lastClr=\"FFFFFF\"/></a:lt1>"
      "<a:dk2><a:srgbClr val=\"1F497D\"/></a:dk2><a:lt2><a:srgbClr val=\"EEECE1\"/></a:lt2>"
      "<a:accent1><a:srgbClr val=\"4F81BD\"/></a:accent1><a:accent2><a:srgbClr val=\"C0504D\"/></a:accent2>"
      "<a:accent3><a:srgbClr val=\"9BBB59\"/></a:accent3><a:accent4><a:srgbClr val=\"8064A2\"/></a:accent4>"
      "<a:accent5><a:srgbClr val=\"4BACC6\"/></a:accent5><a:accent6><a:srgbClr val=\"F79646\"/></a:accent6>"
      "<a:hlink><a:srgbClr val=\"0000FF\"/></a:hlink><a:folHlink><a:srgbClr val=\"800080\"/></a:folHlink>"
      "</a:clrScheme></a:themeElements></a:theme>";
  const std::string styles = Styles(
      "<fonts count=\"3\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"宋体\"/></font>"
      "<font><sz val=\"11\"/><color theme=\"4\"/><name val=\"宋体\"/></font>"
      "<font><sz val=\"11\"/><color indexed=\"10\"/><name val=\"宋体\"/></font></fonts>"
      "<fills count=\"4\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
      "patternType=\"gray125\"/></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor theme=\"0\" tint=\"-0.499984740745262\"/><bgColor "
      "indexed=\"64\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"00FFFF00\"/></patternFill></fill></fills>"
      "<borders count=\"1\"><border/></borders>"
      "<cellXfs count=\"5\"><xf fontId=\"0\"/><xf fontId=\"1\"/><xf fontId=\"2\"/><xf fontId=\"0\" fillId=\"2\"/>"
      "<xf fontId=\"0\" fillId=\"3\"/></cellXfs>");
  HandPackage p;
  p.sheets = {
      {"色",
       SheetXml("<row r=\"1\"><c r=\"A1\" s=\"0\"/><c r=\"B1\" s=\"1\"><v>1</v></c><c r=\"C1\" s=\"2\"><v>1</v></c>"
                "<c r=\"D1\" s=\"3\"><v>1</v></c><c r=\"E1\" s=\"4\"><v>1</v></c></row>",
                "", "<sheetPr><tabColor theme=\"5\"/></sheetPr>")}};
  p.styles = styles;
  p.extra = {{"xl/theme/theme1.xml", theme}};
  // The theme is found through the workbook's relationships.
  auto parts = Unzip(p.Bytes());
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  rels.insert(rels.find("</Relationships>"),
              "<Relationship Id=\"rIdTheme\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" "
              "Target=\"theme/theme1.xml\"/>");
  auto wb = Read(Zip(AsParts(parts)));
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.StyleAt(1, 1).font.color, 0u);  // theme text colour 1: automatic
  EXPECT_EQ(ws.StyleAt(1, 2).font.color, 0xFF4F81BDu);
  EXPECT_EQ(ws.StyleAt(1, 3).font.color, 0xFFFF0000u);
  EXPECT_EQ(ws.StyleAt(1, 4).fill, 0xFF808080u);  // white darkened by half
  EXPECT_EQ(ws.StyleAt(1, 5).fill, 0xFFFFFF00u);  // alpha 00 written by some programs: opaque
  EXPECT_EQ(ws.tabColor, 0xFFC0504Du);
}

TEST(XlsxForeign, TheDateSystemAndIsoDates) {
  HandPackage p1900;
  p1900.sheets = {
      {"日期", SheetXml("<row r=\"1\">"
                        "<c r=\"A1\" t=\"d\"><v>1900-01-01</v></c><c r=\"B1\" t=\"d\"><v>1900-02-28</v></c>"
                        "<c r=\"C1\" t=\"d\"><v>1900-03-01</v></c><c r=\"D1\" t=\"d\"><v>2024-04-09T08:30:00</v></c>"
                        "<c r=\"E1\" t=\"d\"><v>12:00:00</v></c><c r=\"F1\" t=\"d\"><v>2024-04-09T06:00:00.500Z</v></c>"
                        "<c r=\"G1\" t=\"d\"><v>不是日期</v></c></row>")}};
  auto wb = Read(p1900.Bytes());
  Worksheet& ws = wb->Sheet(1);
  EXPECT_FALSE(wb->date1904);
  EXPECT_EQ(ws.StoredValue(1, 1), CellValue(1));
  EXPECT_EQ(ws.StoredValue(1, 2), CellValue(59));
  EXPECT_EQ(ws.StoredValue(1, 3), CellValue(61));
  EXPECT_DOUBLE_EQ(ws.StoredValue(1, 4).Number(), 45391 + 8.5 / 24);
  EXPECT_DOUBLE_EQ(ws.StoredValue(1, 5).Number(), 0.5);
  EXPECT_DOUBLE_EQ(ws.StoredValue(1, 6).Number(), 45391.25 + 0.5 / 86400);
  EXPECT_EQ(ws.StoredValue(1, 7), CellValue("不是日期"));

  HandPackage p1904 = p1900;
  p1904.workbookExtra = "<workbookPr date1904=\"1\"/>";
  p1904.sheets = {
      {"日期", SheetXml("<row r=\"1\"><c r=\"A1\" t=\"d\"><v>1904-01-01</v></c>"
                        "<c r=\"B1\" t=\"d\"><v>2024-04-09T08:30:00</v></c><c r=\"C1\"><v>100</v></c></row>")}};
  auto wb2 = Read(p1904.Bytes());
  EXPECT_TRUE(wb2->date1904);
  EXPECT_EQ(wb2->Sheet(1).StoredValue(1, 1), CellValue(0));
  EXPECT_DOUBLE_EQ(wb2->Sheet(1).StoredValue(1, 2).Number(), 45391 - 1462 + 8.5 / 24);
  EXPECT_EQ(wb2->Sheet(1).StoredValue(1, 3), CellValue(100));  // serial numbers are kept as they are
}

TEST(XlsxForeign, SharedFormulasAreSpelledOutPerCell) {
  auto wb = ReadSheet(
      "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:C3\" "
      "si=\"0\">A1*2+$A$1</f><v>3</v></c>"
      "<c r=\"C1\"><f t=\"shared\" si=\"0\"/><v>7</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>5</v></c></row>"
      "<row r=\"3\"><c r=\"B3\"><f t=\"shared\" si=\"7\"/><v>9</v></c></row>");
  Worksheet& ws = wb->Sheet(1);
  EXPECT_EQ(ws.FormulaAt(1, 2), "A1*2+$A$1");
  EXPECT_EQ(ws.FormulaAt(1, 3), "B1*2+$A$1");
  EXPECT_EQ(ws.FormulaAt(2, 2), "A2*2+$A$1");
  EXPECT_EQ(ws.StoredValue(2, 2), CellValue(5));
  EXPECT_EQ(ws.FormulaAt(3, 2), "");  // no master formula: the cached value stays
  EXPECT_EQ(ws.StoredValue(3, 2), CellValue(9));
}

TEST(XlsxForeign, WholeSheetColumnRangesStayBounded) {
  auto wb = ReadSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
  HandPackage p;
  p.sheets = {{"列", SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "",
                              "<cols><col min=\"1\" max=\"2\" width=\"20\" customWidth=\"1\"/>"
                              "<col min=\"3\" max=\"16384\" width=\"8.43\"/></cols>")},
              {"隐藏列", SheetXml("", "", "<cols><col min=\"27\" max=\"16384\" width=\"9\" hidden=\"1\"/></cols>")}};
  auto book = Read(p.Bytes());
  // Only columns that differ from the default are kept.
  EXPECT_LE(book->Sheet(1).ColMap().size(), 16384u);
  EXPECT_EQ(book->Sheet(1).ColumnWidth(2), 20);
  EXPECT_TRUE(book->Sheet(2).ColumnHidden(16384));
  EXPECT_FALSE(book->Sheet(2).ColumnHidden(26));
  EXPECT_LE(book->Sheet(2).ColMap().size(), 16384u);

  // Column entries count against the cell budget.
  ReadLimits small;
  small.maxCells = 10000;
  EXPECT_THROW(Read(p.Bytes(), small), FileError);
}

TEST(XlsxForeign, IgnoresPartsItDoesNotKnowAndLeavesChartSheetsOut) {
  HandPackage p;
  p.sheets = {{"数据", SheetXml("<row r=\"1\"><c r=\"A1\"><f>_xlfn.DISPIMG(\"ID_1\",1)</f><v>0</v></c></row>")},
              {"图表", ""},
              {"汇总", SheetXml("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>")}};
  p.workbookExtra = "<bookViews><workbookView activeTab=\"2\"/></bookViews>";
  p.workbookAfter =
      "<definedNames><definedName name=\"甲\" localSheetId=\"2\">汇总!$A$1</definedName>"
      "<definedName name=\"乙\" localSheetId=\"1\">图表!$A$1</definedName>"
      "<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">数据!$1:$1</definedName>"
      "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"0\" "
      "hidden=\"1\">数据!$A$1:$C$9</definedName></definedNames>";
  p.extra = {{"xl/cellimages.xml", "<cellImages/>"},
             {"customXml/item1.xml", "<x>&unknown;</x>"},
             {"xl/chartsheets/sheet2.xml", "<chartsheet/>"}};
  auto parts = Unzip(p.Bytes());
  // Sheet 2 is a chart sheet.
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  const auto at = rels.find("worksheet\" Target=\"worksheets/sheet2.xml\"");
  ASSERT_NE(at, std::string::npos);
  rels.replace(at, std::string("worksheet\" Target=\"worksheets/sheet2.xml\"").size(),
               "chartsheet\" Target=\"chartsheets/sheet2.xml\"");
  auto wb = Read(Zip(AsParts(parts)));
  ASSERT_EQ(wb->Count(), 2);
  EXPECT_EQ(wb->Sheet(2).Name(), "汇总");
  EXPECT_EQ(wb->ActiveSheet().Name(), "汇总");
  EXPECT_EQ(wb->Sheet(1).FormulaAt(1, 1), "_xlfn.DISPIMG(\"ID_1\",1)");
  const DefinedName* a = wb->FindName("甲", &wb->Sheet(2));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->refersTo, "=汇总!$A$1");
  EXPECT_EQ(wb->FindName("乙", nullptr), nullptr);
  ASSERT_NE(wb->FindName("Print_Titles", &wb->Sheet(1)), nullptr);
  const DefinedName* filter = wb->FindName("_xlnm._FilterDatabase", &wb->Sheet(1));
  ASSERT_NE(filter, nullptr);
  EXPECT_TRUE(filter->hidden);
  // Written again, the reserved names keep their spelling in the file.
  const std::string again = WriteWorkbookBytes(*wb, FileKind::Xlsx);
  const std::string workbookXml = Unzip(again)["xl/workbook.xml"];
  EXPECT_NE(workbookXml.find("name=\"_xlnm._FilterDatabase\""), std::string::npos);
  EXPECT_NE(workbookXml.find("name=\"_xlnm.Print_Titles\""), std::string::npos);
}

TEST(XlsxForeign, AbsoluteTargetsMissingStylesAndAProtectedStructureWithHiddenSheets) {
  HandPackage p;
  p.sheets = {{"一", SheetXml("<row r=\"1\"><c r=\"A1\" s=\"3\"><v>1</v></c></row>")},
              {"二", SheetXml("")},
              {"三", SheetXml("")}};
  p.workbookExtra = "<workbookProtection lockStructure=\"1\"/><bookViews><workbookView activeTab=\"1\"/></bookViews>";
  auto parts = Unzip(p.Bytes());
  std::string& wbXml = parts["xl/workbook.xml"];
  wbXml.replace(wbXml.find("sheetId=\"2\""), 11, "sheetId=\"2\" state=\"hidden\"");
  wbXml.replace(wbXml.find("sheetId=\"3\""), 11, "sheetId=\"3\" state=\"veryHidden\"");
  std::string& rels = parts["xl/_rels/workbook.xml.rels"];
  for (std::size_t at; (at = rels.find("Target=\"worksheets/")) != std::string::npos;)
    rels.replace(at, 19, "Target=\"/xl/worksheets/");
  auto wb = Read(Zip(AsParts(parts)));
  EXPECT_EQ(wb->Sheet(1).StoredValue(1, 1), CellValue(1));
  EXPECT_EQ(wb->Sheet(1).StyleIdAt(1, 1), 0u);
  EXPECT_EQ(wb->Sheet(2).Visibility(), SheetVisibility::Hidden);
  EXPECT_EQ(wb->Sheet(3).Visibility(), SheetVisibility::VeryHidden);
  EXPECT_TRUE(wb->Protection().structure);
  EXPECT_EQ(wb->ActiveSheet().Name(), "一");  // the hidden active tab is not taken
}

TEST(XlsxForeign, ConditionalRulesThatCarryTheirTestInAFormulaAreKeptAsExpressions) {
  const std::string styles = Styles(
      "<dxfs count=\"1\"><dxf><font><color rgb=\"FF9C0006\"/></font><fill><patternFill><bgColor rgb=\"FFFFC7CE\"/>"
      "</patternFill></fill></dxf></dxfs>");
  HandPackage p;
  p.styles = styles;
  p.sheets = {
      {"条件",
       SheetXml("",
                "<conditionalFormatting sqref=\"A1:A10\">"
                "<cfRule type=\"containsText\" dxfId=\"0\" priority=\"2\" operator=\"containsText\" text=\"金\">"
                "<formula>NOT(ISERROR(SEARCH(\"金\",A1)))</formula></cfRule>"
                "<cfRule type=\"dataBar\" priority=\"3\"><dataBar><cfvo type=\"min\"/><cfvo type=\"max\"/>"
                "<color rgb=\"FF638EC6\"/></dataBar></cfRule>"
                "<cfRule type=\"duplicateValues\" dxfId=\"0\" priority=\"1\"/></conditionalFormatting>")}};
  auto wb = Read(p.Bytes());
  const auto& cfs = wb->Sheet(1).ConditionalFormats();
  ASSERT_EQ(cfs.size(), 1u);
  ASSERT_EQ(cfs[0].rules.size(), 2u);
  EXPECT_EQ(cfs[0].rules[0].type, "expression");
  EXPECT_EQ(cfs[0].rules[0].formula, "NOT(ISERROR(SEARCH(\"金\",A1)))");
  EXPECT_EQ(cfs[0].rules[0].format.fontColor, 0xFF9C0006u);
  EXPECT_EQ(cfs[0].rules[0].format.fill, 0xFFFFC7CEu);
  EXPECT_EQ(cfs[0].rules[0].priority, 2);
  EXPECT_EQ(cfs[0].rules[1].type, "duplicateValues");
  // Written again without repair: the kept rules have what their type needs.
  const std::string again = WriteWorkbookBytes(*wb, FileKind::Xlsx);
  const std::string sheet = Unzip(again)["xl/worksheets/sheet1.xml"];
  EXPECT_EQ(sheet.find("dataBar"), std::string::npos);
  EXPECT_NE(sheet.find("type=\"duplicateValues\""), std::string::npos);
}

TEST(XlsxForeign, HeaderAndFooterTextsSplitIntoTheirSections) {
  HandPackage p;
  p.sheets = {{"页", SheetXml("",
                              "<headerFooter><oddHeader>无节的文字</oddHeader>"
                              "<oddFooter>&amp;L&amp;\"宋体,常规\"左&amp;&amp;右&amp;R&amp;P/&amp;N&amp;C中</oddFooter>"
                              "</headerFooter>")}};
  auto wb = Read(p.Bytes());
  const PageSetup& page = wb->Sheet(1).Page();
  EXPECT_EQ(page.centerHeader, "无节的文字");
  EXPECT_EQ(page.leftHeader, "");
  EXPECT_EQ(page.leftFooter, "&\"宋体,常规\"左&&右");
  EXPECT_EQ(page.rightFooter, "&P/&N");
  EXPECT_EQ(page.centerFooter, "中");
}
