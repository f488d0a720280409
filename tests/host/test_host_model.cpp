// Semantics of the workbook host that the commands rely on.
#include <gtest/gtest.h>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"

using namespace korvane::host;

namespace {

struct Recorder : HostPrompter {
  int asked = 0;
  bool answer = true;
  std::string last;
  bool ConfirmSheetDeletion(const std::string& names) override {
    ++asked;
    last = names;
    return answer;
  }
};

Workbook& NewBook(WorkbookHost& host) { return host.Add(); }

}  // namespace

TEST(Address, ParsesCellsRangesRowsAndColumns) {
  EXPECT_EQ(*ParseA1("C4"), (RangeRef{4, 3, 4, 3}));
  EXPECT_EQ(*ParseA1("$C$4:K23"), (RangeRef{4, 3, 23, 11}));
  EXPECT_EQ(*ParseA1("K23:C4"), (RangeRef{4, 3, 23, 11}));
  EXPECT_EQ(*ParseA1("11:16"), (RangeRef{11, 1, 16, kMaxCols}));
  EXPECT_EQ(*ParseA1("$A:$E"), (RangeRef{1, 1, kMaxRows, 5}));
  EXPECT_EQ(*ParseA1("CB3"), (RangeRef{3, 80, 3, 80}));
  EXPECT_FALSE(ParseA1("A0"));
  EXPECT_FALSE(ParseA1("A1048577"));
  EXPECT_FALSE(ParseA1("XFE1"));
  EXPECT_FALSE(ParseA1("A1:"));
  EXPECT_FALSE(ParseA1("$$A1"));
  EXPECT_EQ(ColumnLetters(80), "CB");
  EXPECT_EQ(ColumnLetters(16384), "XFD");
  EXPECT_EQ(ColumnNumber("xfd"), 16384);
  EXPECT_EQ(AbsoluteAddress({4, 3, 23, 11}), "$C$4:$K$23");
}

TEST(Address, QuotesSheetNamesWhenNeeded) {
  EXPECT_EQ(QuoteSheetName("1"), "'1'");
  EXPECT_EQ(QuoteSheetName("设置"), "设置");
  EXPECT_EQ(QuoteSheetName("A1"), "'A1'");
  EXPECT_EQ(QuoteSheetName("my sheet"), "'my sheet'");
  EXPECT_EQ(QuoteSheetName("it's"), "'it''s'");
  std::string sheet, addr;
  SplitSheetRef("'it''s'!A1:B2", sheet, addr);
  EXPECT_EQ(sheet, "it's");
  EXPECT_EQ(addr, "A1:B2");
  SplitSheetRef("=设置!H2", sheet, addr);
  EXPECT_EQ(sheet, "设置");
  EXPECT_EQ(addr, "H2");
  EXPECT_FALSE(SheetNameProblem("abc").size());
  EXPECT_TRUE(SheetNameProblem("a/b").size());
  EXPECT_TRUE(SheetNameProblem("'ab").size());
  EXPECT_TRUE(SheetNameProblem(std::string(32, 'x')).size());
  EXPECT_FALSE(SheetNameProblem("号码对照表及分组分道编排号码对照表及分组分道编排号码对照表及分").size());  // 31 CJK
}

TEST(HostValues, TextStartingWithEqualsBecomesFormulaOnlyThroughValue) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  ws.Cells(1, 1).SetValue(2.0);
  ws.Cells(1, 2).SetValue("=A1");
  EXPECT_EQ(ws.Cells(1, 2).Formula(), "=A1");
  ws.Cells(1, 3).SetLiteral("=A1");
  EXPECT_FALSE(ws.Cells(1, 3).HasFormula());
  EXPECT_EQ(ws.Cells(1, 3).Value(), CellValue("=A1"));
  ws.Cells(1, 4).SetValue("=");  // a lone "=" stays text
  EXPECT_EQ(ws.Cells(1, 4).Value(), CellValue("="));
}

TEST(HostValues, RectangularReadAndWrite) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  ws.RangeAt("B2").SetValues({{1, "a"}, {2.5, true}});
  ValueGrid g = ws.RangeAt("B2:D3").Values();
  ASSERT_EQ(g.size(), 2u);
  ASSERT_EQ(g[0].size(), 3u);
  EXPECT_EQ(g[0][0], CellValue(1));
  EXPECT_EQ(g[0][1], CellValue("a"));
  EXPECT_TRUE(g[0][2].IsEmpty());
  EXPECT_EQ(g[1][1], CellValue(true));
  ws.RangeAt("A10:C11").SetValue("x");
  EXPECT_EQ(ws.Cells(11, 3).Value(), CellValue("x"));
  auto t = WorkbookHost::Transpose(ws.RangeAt("B2:C3").Values());
  EXPECT_EQ(t[1][0], CellValue("a"));
  EXPECT_EQ(t[0][1], CellValue(2.5));
}

TEST(HostEnd, FindsLastUsedRowAndColumnAcrossGaps) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xl::Up).Row(), 1);  // empty column: row 1
  ws.Cells(2, 1).SetValue("a");
  ws.Cells(3, 1).SetValue("b");
  ws.Cells(7, 1).SetValue("c");
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xl::Up).Row(), 7);
  EXPECT_EQ(ws.Cells(7, 1).End(xl::Up).Row(), 3);  // gap above: next filled cell
  EXPECT_EQ(ws.Cells(3, 1).End(xl::Up).Row(), 2);  // inside a block: its top
  EXPECT_EQ(ws.Cells(2, 1).End(xl::Up).Row(), 1);  // nothing above: row 1
  EXPECT_EQ(ws.Cells(2, 1).End(xl::Down).Row(), 3);
  EXPECT_EQ(ws.Cells(7, 1).End(xl::Down).Row(), kMaxRows);
  ws.Cells(3, 4).SetValue(1);
  ws.Cells(3, 9).SetValue(1);
  ws.Cells(3, 10).SetValue(1);
  EXPECT_EQ(ws.Cells(3, kMaxCols).End(xl::ToLeft).Column(), 10);
  EXPECT_EQ(ws.Cells(3, 9).End(xl::ToLeft).Column(), 4);
  EXPECT_EQ(ws.Cells(3, 9).End(xl::ToRight).Column(), 10);
  // A formula giving "" counts as used; a cell with only a format does not.
  ws.Cells(20, 1).SetValue("=\"\"");
  ws.Cells(30, 1).SetFontBold(true);
  EXPECT_EQ(ws.Cells(kMaxRows, 1).End(xl::Up).Row(), 20);
}

TEST(HostInsert, RowsShiftWithMergesHeightsAndConditionalFormats) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  ws.Cells(4, 2).SetValue("above");
  ws.RangeAt("B4:D4").SetBorder(xl::EdgeBottom, xl::Continuous);
  ws.Cells(4, 3).SetLocked(false);
  ws.Rows(4).SetRowHeight(28);
  ws.Cells(5, 2).SetValue("moved");
  ws.Rows(5).SetRowHeight(20);
  ws.RangeAt("A3:A6").Merge();  // spans the insertion point: grows
  ws.RangeAt("E5:F5").Merge();  // below: moves
  ws.RangeAt("G1:H2").Merge();  // above: stays
  ConditionalFormat cf;
  cf.areas = {RangeRef{5, 1, 8, 3}};
  cf.rules.push_back({});
  ws.ConditionalFormats().push_back(cf);

  ws.Rows("5:6").Insert();

  EXPECT_EQ(ws.Cells(7, 2).Value(), CellValue("moved"));
  EXPECT_TRUE(ws.Cells(5, 2).Value().IsEmpty());
  EXPECT_DOUBLE_EQ(ws.RowHeight(5), 28);  // formats of the row above
  EXPECT_DOUBLE_EQ(ws.RowHeight(6), 28);
  EXPECT_DOUBLE_EQ(ws.RowHeight(7), 20);
  EXPECT_EQ(ws.Cells(5, 3).Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_FALSE(ws.Cells(6, 3).Locked());
  EXPECT_TRUE(ws.Cells(6, 2).Locked());
  std::vector<RangeRef> m = ws.Merges();
  EXPECT_NE(std::find(m.begin(), m.end(), RangeRef{3, 1, 8, 1}), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), RangeRef{7, 5, 7, 6}), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), RangeRef{1, 7, 2, 8}), m.end());
  EXPECT_EQ(ws.ConditionalFormats()[0].areas[0], (RangeRef{7, 1, 10, 3}));
}

TEST(HostDelete, RowsShiftUpAndMergesShrinkOrVanish) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  for (int r = 1; r <= 10; ++r) ws.Cells(r, 1).SetValue(r);
  ws.RangeAt("B2:B6").Merge();  // partly deleted: shrinks
  ws.RangeAt("C4:C5").Merge();  // wholly deleted: vanishes
  ws.RangeAt("D8:D9").Merge();  // below: moves up
  ws.Rows("4:5").Delete();
  EXPECT_EQ(ws.Cells(4, 1).Value(), CellValue(6));
  EXPECT_EQ(ws.Cells(8, 1).Value(), CellValue(10));
  EXPECT_TRUE(ws.Cells(9, 1).Value().IsEmpty());
  std::vector<RangeRef> m = ws.Merges();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], (RangeRef{2, 2, 4, 2}));
  EXPECT_EQ(m[1], (RangeRef{6, 4, 7, 4}));
}

// Deleting rows 4:6 (or columns D:F): every place a span can lie against
// the deleted band, for merges, conditional-format and validation areas alike.
TEST(HostDelete, SpansAgainstTheDeletedBandInRowsAndColumns) {
  struct Case {
    int a, b;        // the span before the deletion
    bool kept;       // false: it lay wholly inside the band
    int newA, newB;  // after it
  };
  const Case cases[] = {
      {1, 2, true, 1, 2},    // before the band
      {1, 3, true, 1, 3},    // ends just before it
      {2, 5, true, 2, 3},    // ends inside: loses its part inside
      {4, 6, false, 0, 0},   // exactly the band
      {5, 5, false, 0, 0},   // inside, not at its start (one row: no merge either way)
      {5, 6, false, 0, 0},   // inside, ending with the band
      {5, 9, true, 4, 6},    // starts inside: its start moves to the band's place
      {4, 8, true, 4, 5},    // starts with the band and goes beyond
      {2, 9, true, 2, 6},    // covers the band: shrinks by its size
      {7, 9, true, 4, 6},    // just after: moves up by 3
      {10, 12, true, 7, 9},  // further down: moves up by 3
  };
  for (bool rows : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE((rows ? "rows " : "columns ") + std::to_string(c.a) + ":" + std::to_string(c.b));
      WorkbookHost host;
      Worksheet& ws = NewBook(host).Sheet(1);
      // The span runs along the deleted dimension and is two cells wide across it.
      RangeRef span = rows ? RangeRef{c.a, 2, c.b, 3} : RangeRef{2, c.a, 3, c.b};
      ws.AddMerge(span);
      ConditionalFormat cf;
      cf.areas.push_back(span);
      cf.rules.push_back(ConditionalRule{});
      cf.rules.back().formula = "TRUE";
      ws.ConditionalFormats().push_back(cf);
      DataValidation dv;
      dv.areas.push_back(span);
      dv.formula1 = "\"√\"";
      ws.DataValidations().push_back(dv);
      if (rows)
        ws.DeleteRows(4, 3);
      else
        ws.DeleteColumns(4, 3);
      RangeRef moved = rows ? RangeRef{c.newA, 2, c.newB, 3} : RangeRef{2, c.newA, 3, c.newB};
      if (c.kept) {
        EXPECT_EQ(ws.Merges(), std::vector<RangeRef>{moved});
        ASSERT_EQ(ws.ConditionalFormats().size(), 1u);
        EXPECT_EQ(ws.ConditionalFormats()[0].areas, std::vector<RangeRef>{moved});
        ASSERT_EQ(ws.DataValidations().size(), 1u);
        EXPECT_EQ(ws.DataValidations()[0].areas, std::vector<RangeRef>{moved});
      } else {
        EXPECT_TRUE(ws.Merges().empty());
        EXPECT_TRUE(ws.ConditionalFormats().empty());
        EXPECT_TRUE(ws.DataValidations().empty());
      }
    }
  }
}

// A validation grows with rows or columns inserted inside it, moves with
// those inserted before it, goes with the sheet into copies (in this and in
// another workbook) and stays when its cells are cleared, as in the application.
TEST(HostValidation, FollowsInsertionsCopiesAndClearing) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  Worksheet& ws = wb.Sheet(1);
  DataValidation dv;
  dv.areas = {RangeRef{4, 4, 7, 14}};
  dv.formula1 = "\"√\"";
  dv.errorStyle = "information";
  ws.DataValidations().push_back(dv);
  ws.InsertRows(5, 8);      // inside: rows 4..15
  ws.InsertRows(1, 1);      // before: rows 5..16
  ws.InsertColumns(20, 2);  // after: unchanged
  ws.InsertColumns(5, 1);   // inside: D..O
  EXPECT_EQ(ws.DataValidations()[0].areas, (std::vector<RangeRef>{{5, 4, 16, 15}}));
  ws.Cells(6, 5).SetValue("√");
  ws.RangeAt("D5:O16").ClearContents();
  EXPECT_EQ(ws.DataValidations().size(), 1u);
  EXPECT_EQ(ws.ValidationAt(16, 15), &ws.DataValidations()[0]);
  EXPECT_EQ(ws.ValidationAt(17, 15), nullptr);
  Worksheet& copy = ws.CopyTo(wb, nullptr, &ws, "1");
  Workbook& other = NewBook(host);
  Worksheet& elsewhere = ws.CopyTo(other, nullptr, &other.Sheet(1), "2");
  for (Worksheet* c : {&copy, &elsewhere}) {
    ASSERT_EQ(c->DataValidations().size(), 1u) << c->Name();
    EXPECT_EQ(c->DataValidations()[0], ws.DataValidations()[0]) << c->Name();
  }
  copy.DeleteRows(5, 12);  // the copy's own: the source keeps its validation
  EXPECT_TRUE(copy.DataValidations().empty());
  EXPECT_EQ(ws.DataValidations().size(), 1u);
}

TEST(HostSheets, CopyPlacesAndActivatesTheCopy) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  Worksheet& a = wb.Sheet(1);
  a.SetName("报名表样表");
  Worksheet& set = wb.AddSheet(nullptr, &a, "设置");
  a.Cells(1, 1).SetValue("表头");
  a.Rows(1).SetRowHeight(30);
  a.RangeAt("A1:C1").Merge();
  Worksheet& c1 = a.CopyTo(wb, &set, nullptr);
  EXPECT_EQ(c1.Name(), "报名表样表 (2)");
  EXPECT_EQ(c1.Index(), 2);
  EXPECT_EQ(&wb.ActiveSheet(), &c1);
  c1.SetName("1");
  Worksheet& c2 = a.CopyTo(wb, nullptr, &wb.Sheet("1"));
  c2.SetName("2");
  std::vector<std::string> names;
  for (Worksheet* ws : wb.Sheets()) names.push_back(ws->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"报名表样表", "1", "2", "设置"}));
  EXPECT_EQ(c2.Cells(1, 1).Value(), CellValue("表头"));
  EXPECT_DOUBLE_EQ(c2.RowHeight(1), 30);
  EXPECT_TRUE(c2.RangeAt("B1").MergeCells());
  // The copy is independent of its source.
  c2.Cells(1, 1).SetValue("改");
  EXPECT_EQ(a.Cells(1, 1).Value(), CellValue("表头"));
  // Names clash case-insensitively.
  EXPECT_THROW(c2.SetName("设置"), HostError);
}

TEST(HostSheets, CopyIntoAnotherWorkbook) {
  WorkbookHost host;
  Workbook& src = NewBook(host);
  src.Sheet(1).Cells(2, 2).SetValue("x");
  src.Sheet(1).Cells(2, 2).SetFontName("黑体");
  Workbook& dst = NewBook(host);
  Worksheet& copy = src.Sheet(1).CopyTo(dst, nullptr, &dst.Sheet(1));
  EXPECT_EQ(dst.Count(), 2);
  EXPECT_EQ(copy.Cells(2, 2).FontName(), "黑体");
  EXPECT_EQ(host.ActiveWorkbook(), &dst);
}

TEST(HostSheets, DeleteAsksUnlessAlertsAreOff) {
  WorkbookHost host;
  Recorder rec;
  host.SetPrompter(&rec);
  Workbook& wb = NewBook(host);
  wb.AddSheet(nullptr, &wb.Sheet(1), "号码对照表");
  wb.AddSheet(nullptr, &wb.Sheet(2), "temp");
  rec.answer = false;
  EXPECT_FALSE(wb.Sheet("temp").Delete());
  EXPECT_EQ(rec.asked, 1);
  EXPECT_EQ(wb.Count(), 3);
  host.displayAlerts = false;
  EXPECT_TRUE(wb.DeleteSheets({&wb.Sheet("号码对照表"), &wb.Sheet("temp")}));
  EXPECT_EQ(rec.asked, 1);
  EXPECT_EQ(wb.Count(), 1);
  // The last visible sheet cannot go.
  EXPECT_THROW(wb.Sheet(1).Delete(), HostError);
}

TEST(HostSheets, HiddenSheetsAndActiveTab) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  Worksheet& b = wb.AddSheet(nullptr, &wb.Sheet(1), "B");
  EXPECT_EQ(&wb.ActiveSheet(), &b);
  b.SetVisible(false);
  EXPECT_NE(&wb.ActiveSheet(), &b);
  EXPECT_THROW(wb.Sheet(1).SetVisible(false), HostError);  // the last visible one
  EXPECT_THROW(b.Activate(), HostError);
}

TEST(HostProtection, LockedCellsAndStructure) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  Worksheet& ws = wb.Sheet(1);
  ws.RangeAt("C4:D5").SetLocked(false);
  ws.Protect();
  EXPECT_TRUE(ws.ProtectContents());
  EXPECT_THROW(ws.Cells(1, 1).SetValue("x"), HostError);
  EXPECT_NO_THROW(ws.Cells(4, 3).SetValue("ok"));
  EXPECT_THROW(ws.RangeAt("C4:E4").SetValue("x"), HostError);  // E4 is locked
  EXPECT_TRUE(ws.Cells(4, 4).Value().IsEmpty());               // nothing half-written
  EXPECT_THROW(ws.Rows(2).Insert(), HostError);
  EXPECT_THROW(ws.Cells(1, 1).SetFontBold(true), HostError);
  ws.Unprotect();
  EXPECT_NO_THROW(ws.Cells(1, 1).SetValue("x"));

  wb.Protect(true, true);
  EXPECT_THROW(wb.AddSheet(), HostError);
  EXPECT_THROW(ws.SetName("new"), HostError);
  EXPECT_THROW(ws.SetVisible(false), HostError);
  // Copying out into another workbook does not change this one.
  Workbook& other = NewBook(host);
  EXPECT_NO_THROW(ws.CopyTo(other, nullptr, nullptr));
  EXPECT_THROW(ws.CopyTo(wb, nullptr, nullptr), HostError);
  wb.Unprotect();
  EXPECT_NO_THROW(wb.AddSheet());
}

TEST(HostNames, SheetAndWorkbookLevelKeepTextExactly) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  wb.Sheet(1).SetName("成绩登记表");
  wb.AddName("'成绩登记表'!计法2", "=成绩登记表!$B1048576");
  wb.AddName("总数", "=SUM(成绩登记表!$A$1:$A$3)");
  ASSERT_EQ(wb.NameCount(), 2);
  const DefinedName* n = wb.FindName("计法2", &wb.Sheet(1));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->refersTo, "=成绩登记表!$B1048576");
  EXPECT_EQ(wb.FindName("计法2", nullptr), nullptr);
  while (wb.NameCount() > 0) wb.DeleteName(1);
  EXPECT_EQ(wb.NameCount(), 0);
  EXPECT_THROW(wb.AddName("A1", "=1"), HostError);
  EXPECT_THROW(wb.AddName("1abc", "=1"), HostError);
}

TEST(HostNames, PrintTitlesAreReadFromTheName) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  wb.Sheet(1).SetName("比赛项目名单");
  wb.AddName("'比赛项目名单'!Print_Titles", "=比赛项目名单!$A:$E,比赛项目名单!$1:$2");
  auto t = wb.PrintTitlesOf(wb.Sheet(1));
  EXPECT_EQ(t.row1, 1);
  EXPECT_EQ(t.row2, 2);
  EXPECT_EQ(t.col1, 1);
  EXPECT_EQ(t.col2, 5);
}

TEST(HostFormats, BordersByEdgeAndInside) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  Range r = ws.RangeAt("B2:D4");
  for (int e : {xl::EdgeLeft, xl::EdgeRight, xl::EdgeTop, xl::EdgeBottom, xl::InsideVertical, xl::InsideHorizontal})
    r.SetBorder(e, xl::Continuous);
  ws.RangeAt("B3:D3").SetBorder(xl::EdgeBottom, xl::Double);
  EXPECT_EQ(ws.RangeAt("C3").Border(xl::EdgeBottom), xl::Double);
  EXPECT_EQ(ws.RangeAt("C2").Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_EQ(ws.RangeAt("C3").Border(xl::EdgeLeft), xl::Continuous);
  EXPECT_EQ(ws.RangeAt("A3").Border(xl::EdgeRight), xl::LineNone);
  ws.RangeAt("C2:C4").SetBorder(xl::EdgeLeft, xl::LineNone);
  EXPECT_EQ(ws.RangeAt("B3").Border(xl::EdgeRight), xl::LineNone);  // the shared edge goes too
  ws.RangeAt("A1").SetOrientation(xl::Vertical);
  EXPECT_EQ(ws.RangeAt("A1").Orientation(), xl::Vertical);
  ws.RangeAt("A1:B1").SetHorizontalAlignment(xl::Center);
  EXPECT_EQ(ws.RangeAt("B1").HorizontalAlignment(), xl::Center);
  ws.Columns("A:C").SetColumnWidth(6.75);
  EXPECT_DOUBLE_EQ(ws.ColumnWidth(3), 6.75);
  ws.AllCells().SetShrinkToFit(true);
  EXPECT_TRUE(ws.RangeAt("Z99").ShrinkToFit());
  ws.RangeAt("E5").SetNumberFormat("h:mm");
  EXPECT_EQ(ws.RangeAt("E5").NumberFormat(), "h:mm");
}

TEST(HostStorage, HundredThousandTextCellsStayCompact) {
  WorkbookHost host;
  Workbook& wb = NewBook(host);
  Worksheet& ws = wb.Sheet(1);
  for (int r = 1; r <= 10000; ++r)
    for (int c = 1; c <= 10; ++c) ws.Cells(r, c).SetLiteral("名" + std::to_string((r * 10 + c) % 5000));
  EXPECT_LT(wb.StorageBytes(), 30u << 20);
  EXPECT_EQ(ws.LastUsedRow(), 10000);
  EXPECT_EQ(ws.LastUsedCol(), 10);
}

TEST(HostCopy, CopiesTheWholeRectangleWithFormatsAndShiftedFormulas) {
  WorkbookHost host;
  Worksheet& ws = NewBook(host).Sheet(1);
  ws.Cells(1, 1).SetValue("a");
  ws.Cells(1, 5).SetValue("e");
  ws.Cells(2, 1).SetValue("b");
  ws.Cells(2, 2).SetValue("=A2&\"!\"");
  ws.Cells(2, 3).SetBorder(xl::EdgeBottom, xl::Double);
  ws.RangeAt("C1:D1").Merge();
  ws.Cells(11, 4).SetValue("old");  // a blank source cell clears it
  ws.RangeAt("A1:E2").Copy(ws.Cells(10, 1));
  EXPECT_EQ(ws.Cells(10, 5).Value(), CellValue("e"));
  EXPECT_EQ(ws.Cells(11, 2).Formula(), "=A11&\"!\"");
  EXPECT_EQ(ws.Cells(11, 2).Value(), CellValue("b!"));
  EXPECT_EQ(ws.Cells(11, 3).Border(xl::EdgeBottom), xl::Double);
  EXPECT_TRUE(ws.Cells(11, 4).Value().IsEmpty());
  EXPECT_TRUE(ws.RangeAt("D10").MergeCells());
  // Whole rows copy their heights.
  ws.Rows(2).SetRowHeight(33);
  ws.Rows(2).Copy(ws.Cells(20, 1));
  EXPECT_DOUBLE_EQ(ws.RowHeight(20), 33);
  EXPECT_EQ(ws.Cells(20, 1).Value(), CellValue("b"));
}
