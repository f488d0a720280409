// The formula engine: evaluation of the subset (operators, coercions,
// references, names, functions, cycles) and the rewriting of references when
// rows, columns and sheets change or formulas are copied.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>

#include "host/application.h"
#include "host/formula/formula.h"
#include "host/range.h"
#include "support/host_book.h"

using namespace korvane::host;
namespace fx = korvane::host::formula;

namespace korvane::host {
// Readable values in test failures.
static void PrintTo(const CellValue& v, std::ostream* os) {
  if (v.IsText())
    *os << '"' << v.Text() << '"';
  else if (v.IsEmpty())
    *os << "<empty>";
  else
    *os << v.ToText();
}
}  // namespace korvane::host

namespace {

using korvane::host::testing::Book;

std::string Show(const std::optional<CellValue>& v) {
  if (!v) return "<not evaluated>";
  if (v->IsText()) return "\"" + v->Text() + "\"";
  return v->ToText();
}

struct Case {
  const char* formula;
  CellValue expected;
};

// Evaluates each formula in cell (row, col) of ws and compares.
void ExpectAll(const Worksheet& ws, std::initializer_list<Case> cases, int row = 100, int col = 100) {
  for (const auto& c : cases) {
    auto v = fx::Evaluate(ws, row, col, c.formula);
    EXPECT_TRUE(v.has_value() && *v == c.expected)
        << c.formula << " gave " << Show(v) << ", expected " << Show(c.expected);
  }
}

void ExpectNotEvaluated(const Worksheet& ws, std::initializer_list<const char*> formulas) {
  for (const char* f : formulas) {
    auto v = fx::Evaluate(ws, 100, 100, f);
    EXPECT_FALSE(v.has_value()) << f << " gave " << Show(v);
  }
}

}  // namespace

// ---- operators and coercions ----

TEST(FormulaOperators, ArithmeticPrecedenceAndErrors) {
  Book b;
  ExpectAll(b.ws, {
                      {"1+2*3", 7.0},
                      {"(1+2)*3", 9.0},
                      {"7/2", 3.5},
                      {"10-4-3", 3.0},
                      {"2^3^2", 64.0},  // left to right
                      {"-2^2", 4.0},    // the sign binds first
                      {"2^-1", 0.5},
                      {"--3", 3.0},
                      {"10%", 0.1},
                      {"50%*4", 2.0},
                      {"200%%", 0.02},
                      {" 1 +  2 ", 3.0},
                      {"1e3+.5", 1000.5},
                      {"1/0", ErrorCode::Div0},
                      {"0^0", ErrorCode::Num},
                      {"0^-1", ErrorCode::Div0},
                      {"(-8)^(1/3)", ErrorCode::Num},
                      {"10^400", ErrorCode::Num},
                      {"#N/A+1", ErrorCode::NA},
                      {"1+#DIV/0!", ErrorCode::Div0},
                      {"#REF!", ErrorCode::Ref},
                      {"#name?", ErrorCode::Name},
                  });
}

TEST(FormulaOperators, CoercionsOfTextsBooleansAndBlanks) {
  Book b;
  ExpectAll(b.ws, {
                      {"\"3\"+1", 4.0},
                      {"\" 3 \"*2", 6.0},
                      {"\"1,000\"+1", 1001.0},
                      {"\"50%\"*2", 1.0},
                      {"\"a\"+1", ErrorCode::Value},
                      {"\"\"+1", ErrorCode::Value},
                      {"\"TRUE\"+1", ErrorCode::Value},
                      {"TRUE+1", 2.0},
                      {"FALSE*5", 0.0},
                      {"-\"2\"", -2.0},
                      {"-\"x\"", ErrorCode::Value},
                      {"+\"x\"", "x"},
                      {"A1+1", 1.0},      // a blank cell is 0 ...
                      {"A1&\"x\"", "x"},  // ... or ""
                      {"A1", 0.0},        // a formula showing a blank cell shows 0
                      {"\"a\"&\"b\"", "ab"},
                      {"\"say \"\"hi\"\"\"", "say \"hi\""},
                      {"1&2", "12"},
                      {"TRUE&1", "TRUE1"},
                      {"(0.1+0.2)&\"\"", "0.3"},
                      {"(1/3)&\"\"", "0.333333333333333"},
                      {"123456789012&\"\"", "123456789012"},
                      {"#N/A&\"x\"", ErrorCode::NA},
                      {"\"设置\"&1", "设置1"},
                  });
  // Texts the application would read as dates are left to the cached value.
  ExpectNotEvaluated(b.ws, {"\"2024-5-1\"+1", "\"12:30\"*1", "\"5月1日\"+0"});
}

TEST(FormulaOperators, ComparisonsFollowTheApplicationsOrdering) {
  Book b;
  ExpectAll(b.ws, {
                      {"1<2", true},
                      {"2>=2", true},
                      {"1<>1", false},
                      {"\"a\"=\"A\"", true},  // texts compare without case
                      {"\"abc\"<>\"ABC\"", false},
                      {"\"a\"<\"B\"", true},
                      {"\"b\"<\"a\"", false},
                      {"1<\"a\"", true},     // numbers before texts
                      {"\"1\"=1", false},    // no coercion in comparisons
                      {"\"z\"<TRUE", true},  // texts before booleans
                      {"FALSE<TRUE", true},
                      {"0.1+0.2=0.3", true},  // 15 significant digits
                      {"A1=0", true},
                      {"A1=\"\"", true},
                      {"A1=FALSE", true},
                      {"A1<1", true},
                      {"#N/A=1", ErrorCode::NA},
                      {"1=#DIV/0!", ErrorCode::Div0},
                      {"1+1=2", true},  // arithmetic binds tighter
                      {"\"a\"&\"b\"=\"AB\"", true},
                  });
}

// ---- references ----

TEST(FormulaReferences, CellsRangesRowsColumnsAndOtherSheets) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, 1.0);
  ws.PutValue(2, 1, 2.0);
  ws.PutValue(3, 1, 3.0);
  ws.PutValue(1, 2, 10.0);
  ws.PutValue(2, 2, "text");
  Worksheet& one = b.AddSheet("1");
  one.PutValue(4, 3, 40.0);
  Worksheet& cfg = b.AddSheet("设置");
  cfg.PutValue(2, 8, 20.0);
  for (int r = 2; r <= 8; ++r) cfg.PutValue(r, 2, static_cast<double>(r));
  Worksheet& quoted = b.AddSheet("a'b c");
  quoted.PutValue(1, 1, 5.0);
  ExpectAll(ws, {
                    {"A1+A2", 3.0},
                    {"$A$1+$A2+A$3", 6.0},
                    {"a1+b1", 11.0},
                    {"SUM(A1:A3)", 6.0},
                    {"SUM(A3:A1)", 6.0},
                    {"SUM(1:2)", 13.0},
                    {"SUM($1:$1)", 11.0},
                    {"SUM(A:B)", 16.0},
                    {"SUM($A:$A)", 6.0},
                    {"'1'!C4", 40.0},
                    {"'1'!C4*2", 80.0},
                    {"设置!H2", 20.0},
                    {"'设置'!H2", 20.0},
                    {"SUM(设置!B2:B8)", 35.0},
                    {"'a''b c'!A1", 5.0},
                    {"Sheet9!A1", ErrorCode::Ref},
                    {"'no such'!A1:B2", ErrorCode::Ref},
                    {"B2", "text"},
                    {"B2+1", ErrorCode::Value},
                });
  // A range where one value is wanted meets the formula's row or column.
  EXPECT_EQ(fx::Evaluate(ws, 2, 5, "A1:A3"), CellValue(2.0));
  EXPECT_EQ(fx::Evaluate(ws, 9, 1, "A1:B1"), CellValue(1.0));
  EXPECT_EQ(fx::Evaluate(ws, 7, 5, "A1:A3"), CellValue(ErrorCode::Value));
  EXPECT_EQ(fx::Evaluate(ws, 2, 5, "A1:B3"), CellValue(ErrorCode::Value));
  EXPECT_EQ(fx::Evaluate(ws, 3, 5, "A1:A3*10"), std::nullopt);  // an array for one cell: left to the cache
  // Functions and names that look like cells are not cells.
  EXPECT_EQ(fx::Evaluate(ws, 100, 100, "LOG10(100)"), std::nullopt);
  EXPECT_EQ(fx::Evaluate(ws, 100, 100, "\"A1\""), CellValue("A1"));
}

TEST(FormulaReferences, RecalculatesAfterAnEdit) {
  Book b;
  Worksheet& ws = b.ws;
  ws.Cells(1, 1).SetValue(1.0);
  ws.Cells(2, 1).SetValue(2.0);
  ws.Cells(3, 1).SetValue("=SUM(A1:A2)");
  ws.Cells(3, 2).SetValue("=A3*10");
  EXPECT_EQ(ws.ValueAt(3, 1), CellValue(3.0));
  EXPECT_EQ(ws.ValueAt(3, 2), CellValue(30.0));
  ws.Cells(1, 1).SetValue(5.0);
  EXPECT_EQ(ws.ValueAt(3, 1), CellValue(7.0));
  EXPECT_EQ(ws.ValueAt(3, 2), CellValue(70.0));
  ws.Cells(2, 1).SetValue("x");
  EXPECT_EQ(ws.ValueAt(3, 1), CellValue(5.0));  // SUM skips the text
}

TEST(FormulaReferences, UnevaluatedFormulaCellsKeepTheirCachedValue) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutFormula(1, 1, "TODAY()", CellValue(45000.0));
  ws.PutFormula(2, 1, "INDIRECT(\"A1\")", CellValue(3.0));
  ws.PutFormula(3, 1, "A1+A2", CellValue(0.0));
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(45000.0));
  EXPECT_EQ(ws.ValueAt(3, 1), CellValue(45003.0));
}

// ---- cycles and depth ----

TEST(FormulaCycles, CyclesGiveRefErrorWithoutHanging) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutFormula(1, 1, "B1+1", CellValue());
  ws.PutFormula(1, 2, "A1+1", CellValue());
  ws.PutFormula(1, 3, "C1", CellValue());
  ws.PutFormula(1, 4, "SUM(D1:D5)", CellValue());
  ws.PutFormula(1, 5, "A1*0+1", CellValue());
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(1, 2), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(1, 3), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(1, 4), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(1, 5), CellValue(ErrorCode::Ref));
  // The state of one evaluation does not leak into the next.
  ws.PutFormula(1, 2, "7", CellValue());
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(8.0));
  EXPECT_EQ(ws.ValueAt(1, 5), CellValue(1.0));
}

TEST(FormulaCycles, LongChainsGetTheirValuesAndLongCyclesAreFound) {
  Book b;
  Worksheet& ws = b.ws;
  // A1 = A2+1, A2 = A3+1, ...: far deeper than the evaluation stack goes at once.
  const int n = 2000;
  for (int r = 1; r < n; ++r) ws.PutFormula(r, 1, "A" + std::to_string(r + 1) + "+1", CellValue());
  ws.PutValue(n, 1, 0.0);
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(n - 1.0));
  EXPECT_EQ(ws.ValueAt(n - 300, 1), CellValue(300.0));
  // Serial numbers down a column.
  ws.PutValue(1, 2, 1.0);
  for (int r = 2; r <= 1000; ++r) ws.PutFormula(r, 2, "B" + std::to_string(r - 1) + "+1", CellValue());
  EXPECT_EQ(ws.ValueAt(1000, 2), CellValue(1000.0));
  EXPECT_EQ(ws.RangeAt("B998:B999").Values(), (ValueGrid{{CellValue(998.0)}, {CellValue(999.0)}}));
  // A cycle through 1000 cells, longer than the stack goes at once.
  for (int r = 1; r <= 1000; ++r) ws.PutFormula(r, 3, "C" + std::to_string(r % 1000 + 1) + "+1", CellValue());
  EXPECT_EQ(ws.ValueAt(1, 3), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(500, 3), CellValue(ErrorCode::Ref));
  ws.PutFormula(1, 4, "C7*0+1", CellValue());
  EXPECT_EQ(ws.ValueAt(1, 4), CellValue(ErrorCode::Ref));
  // Breaking the cycle gives every cell its value again.
  ws.PutValue(1000, 3, 5.0);
  EXPECT_EQ(ws.ValueAt(1, 3), CellValue(1004.0));
}

TEST(FormulaCycles, SharedInputsAreEvaluatedOncePerEvaluation) {
  Book b;
  Worksheet& ws = b.ws;
  // Each cell reads the two before it: without reuse this takes 2^70 steps.
  ws.PutValue(1, 1, 1.0);
  ws.PutValue(2, 1, 1.0);
  for (int r = 3; r <= 70; ++r)
    ws.PutFormula(r, 1, "A" + std::to_string(r - 1) + "+A" + std::to_string(r - 2), CellValue());
  EXPECT_EQ(ws.ValueAt(70, 1), CellValue(190392490709135.0));
}

TEST(FormulaCycles, DeeplyNestedFormulasInALongChainDoNotExhaustTheStack) {
  Book b;
  Worksheet& ws = b.ws;
  std::string open, close(90, ')');
  for (int i = 0; i < 90; ++i) open += "ABS(";
  for (int r = 1; r < 200; ++r) ws.PutFormula(r, 1, open + "A" + std::to_string(r + 1) + close + "+1", CellValue());
  ws.PutValue(200, 1, 0.0);
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(199.0));
  EXPECT_EQ(ws.ValueAt(190, 1), CellValue(10.0));
}

// ---- defined names ----

TEST(FormulaNames, WorkbookAndSheetLevelNamesWithRelativeReferences) {
  Book b;
  Worksheet& data = b.ws;
  data.SetName("数据");
  for (int r = 1; r <= 10; ++r) data.PutValue(r, 5, r * 100.0);
  for (int r = 1; r <= 10; ++r) data.PutValue(r, 2, r * 1.0);
  b.book.AddName("税率", "=0.05");
  b.book.AddName("'数据'!本行金额", "=数据!$E1");
  b.book.AddName("'数据'!上一行", "=数据!$B1048576");
  b.book.AddName("'数据'!右边", "=数据!C$1");
  b.book.AddName("全部", "=数据!$E$1:$E$10");
  Worksheet& other = b.AddSheet("其他");
  ExpectAll(data, {{"100*税率", 5.0}, {"SUM(全部)", 5500.0}, {"COUNT(全部)", 10.0}});
  // The relative row of a name follows the row of the cell that uses it.
  EXPECT_EQ(fx::Evaluate(data, 7, 1, "本行金额"), CellValue(700.0));
  EXPECT_EQ(fx::Evaluate(data, 3, 1, "本行金额*2"), CellValue(600.0));
  // Offsets past row 1 wrap to the bottom: row 1048576 means the row above.
  EXPECT_EQ(fx::Evaluate(data, 5, 1, "上一行"), CellValue(4.0));
  // A relative column: C from A1 is two columns to the right.
  data.PutValue(1, 6, "F1");
  EXPECT_EQ(fx::Evaluate(data, 9, 4, "右边"), CellValue("F1"));
  // A sheet-level name is seen from its sheet, or qualified from others.
  EXPECT_EQ(fx::Evaluate(other, 2, 1, "本行金额"), CellValue(ErrorCode::Name));
  EXPECT_EQ(fx::Evaluate(other, 2, 1, "数据!本行金额"), CellValue(200.0));
  EXPECT_EQ(fx::Evaluate(other, 2, 1, "税率*2"), CellValue(0.1));
  EXPECT_EQ(fx::Evaluate(data, 2, 1, "未定义"), CellValue(ErrorCode::Name));
  // A name relative to its cell may be used by the cells it reads.
  b.book.AddName("'数据'!上一个加一", "=数据!$H1048576+1");
  data.PutValue(1, 8, 1.0);
  for (int r = 2; r <= 10; ++r) data.PutFormula(r, 8, "上一个加一", CellValue());
  EXPECT_EQ(data.ValueAt(10, 8), CellValue(10.0));
  // A formula cell using the name is recalculated per row.
  data.Cells(4, 7).SetValue("=本行金额+1");
  EXPECT_EQ(data.ValueAt(4, 7), CellValue(401.0));
  data.PutValue(4, 5, 9.0);
  EXPECT_EQ(data.ValueAt(4, 7), CellValue(10.0));
}

TEST(FormulaNames, ArrayFormulaOfANameAndRangeNames) {
  Book b;
  Worksheet& list = b.ws;
  list.SetName("比赛项目名单");
  list.PutValue(1, 2, "100米");
  list.PutValue(1, 5, "跳远");
  list.PutValue(1, 76, "铅球");  // BX1
  list.PutValue(1, 77, "超出");  // BY1, outside the name's range
  list.PutValue(2, 3, "第二行");
  b.book.AddName("'比赛项目名单'!人数", "=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))");
  // Evaluated element by element; its references are relative, so from A1
  // the name counts row 1 and from a cell in row 2 it counts row 2.
  EXPECT_EQ(fx::Evaluate(list, 1, 1, "人数"), CellValue(3.0));
  EXPECT_EQ(fx::Evaluate(list, 2, 1, "人数"), CellValue(1.0));
  list.PutFormula(1, 3, "\"\"", CellValue(""));  // a formula giving "" counts as empty here
  EXPECT_EQ(fx::Evaluate(list, 1, 1, "人数"), CellValue(3.0));

  Worksheet& reg = b.AddSheet("成绩登记表");
  b.book.AddName("'成绩登记表'!myRng", "=成绩登记表!$E1:$BB1");
  b.book.AddName("'成绩登记表'!计法1", "=成绩登记表!$B1");
  b.book.AddName("'成绩登记表'!条件1",
                 "=(IF(成绩登记表!计法1=\"计时\",RANK(成绩登记表!A2,成绩登记表!myRng1,1),"
                 "RANK(成绩登记表!A2,成绩登记表!myRng1))<=成绩登记表!数目1)");
  reg.PutValue(4, 2, "计时");
  reg.PutValue(4, 5, 12.5);
  reg.PutValue(4, 6, 11.0);
  reg.PutValue(4, 54, 1.0);    // BB4
  reg.PutValue(4, 55, 100.0);  // BC4, outside
  EXPECT_EQ(fx::Evaluate(reg, 4, 1, "SUM(myRng)"), CellValue(24.5));
  EXPECT_EQ(fx::Evaluate(reg, 5, 1, "SUM(myRng)"), CellValue(0.0));
  EXPECT_EQ(fx::Evaluate(reg, 4, 1, "计法1=\"计时\""), CellValue(true));
  EXPECT_EQ(fx::Evaluate(reg, 4, 1, "成绩登记表!计法1&\"\""), CellValue("计时"));
  // The register's highlight: from a number row, the result row below ranked
  // among its row (ascending for timed events) against the places in column C.
  b.book.AddName("'成绩登记表'!myRng1", "=成绩登记表!$E2:$BB2");
  b.book.AddName("'成绩登记表'!数目1", "=成绩登记表!$C1");
  reg.PutValue(3, 2, "计时");
  reg.PutValue(3, 3, 2);
  EXPECT_EQ(fx::Evaluate(reg, 3, 5, "条件1"), CellValue(false));          // 12.5 is third
  EXPECT_EQ(fx::Evaluate(reg, 3, 6, "条件1"), CellValue(true));           // 11 is second
  EXPECT_EQ(fx::Evaluate(reg, 3, 7, "条件1"), CellValue(ErrorCode::NA));  // no result
}

TEST(FormulaFunctions, RankAndOffset) {
  Book b;
  Worksheet& ws = b.ws;
  for (int r = 1; r <= 4; ++r) ws.PutValue(r, 1, CellValue(static_cast<double>(r * 10)));
  ws.PutValue(5, 1, "text");
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "RANK(30,A1:A5)"), CellValue(2.0));
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "RANK(30,A1:A5,1)"), CellValue(3.0));
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "RANK(35,A1:A5)"), CellValue(ErrorCode::NA));
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "SUM(OFFSET(A1,1,0,2,1))"), CellValue(50.0));
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "OFFSET(A2,-1,0)"), CellValue(10.0));
  EXPECT_EQ(fx::Evaluate(ws, 9, 9, "OFFSET(A1,-1,0)"), CellValue(ErrorCode::Ref));
}

TEST(FormulaNames, NamesThatReferToThemselvesGiveRefError) {
  Book b;
  b.book.AddName("甲", "=乙+1");
  b.book.AddName("乙", "=甲+1");
  b.book.AddName("自己", "=自己");
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, "甲"), CellValue(ErrorCode::Ref));
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, "自己"), CellValue(ErrorCode::Ref));
  b.book.AddName("标题", "=数据!$A:$E,数据!$1:$2");  // a union: not a value
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, "标题"), std::nullopt);
}

// ---- functions ----

TEST(FormulaFunctions, SumCountAndFriendsOverRangesAndTypedArguments) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, "3");   // text in a range: skipped by SUM
  ws.PutValue(2, 1, true);  // boolean in a range: skipped by SUM
  ws.PutValue(3, 1, 4.0);
  ws.PutValue(4, 1, 6.0);
  ws.PutFormula(5, 1, "\"\"", CellValue(""));  // a formula giving ""
  ws.PutValue(1, 3, 1.0);
  ws.PutValue(2, 3, ErrorCode::Div0);
  ExpectAll(ws, {
                    {"SUM(A1:A5)", 10.0},
                    {"SUM(\"3\",TRUE,4)", 8.0},  // typed arguments are converted
                    {"SUM(A1)", 0.0},
                    {"SUM(\"a\")", ErrorCode::Value},
                    {"SUM(A1:A5,1,)", 11.0},
                    {"SUM(C1:C2)", ErrorCode::Div0},
                    {"SUM(B1:B9)", 0.0},
                    {"COUNT(A1:A5)", 2.0},
                    {"COUNT(\"1\",TRUE,\"x\",C2)", 2.0},
                    {"COUNTA(A1:A5)", 5.0},  // the "" formula counts
                    {"COUNTA(A1:A9,C1:C9)", 7.0},
                    {"COUNTA(B1:B9)", 0.0},
                    {"COUNTA(\"\",1)", 2.0},
                    {"COUNTBLANK(A1:A9)", 5.0},
                    {"MAX(A1:A5)", 6.0},
                    {"MIN(A1:A5,-1)", -1.0},
                    {"MAX(B1:B5)", 0.0},
                    {"AVERAGE(A1:A5)", 5.0},
                    {"AVERAGE(B1:B5)", ErrorCode::Div0},
                    {"SUM(IF(A1:A5=\"\",1,0))", 1.0},
                    {"SUM(IF(A1:A5=\"\",1,0),IF(A3:A4>4,10,0))", 11.0},
                });
}

TEST(FormulaFunctions, LogicalFunctions) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, true);
  ws.PutValue(2, 1, "text");
  ws.PutValue(3, 1, 0.0);
  ws.PutValue(1, 2, ErrorCode::NA);
  ExpectAll(ws, {
                    {"IF(1>0,\"yes\",\"no\")", "yes"},
                    {"IF(0,\"yes\",\"no\")", "no"},
                    {"IF(FALSE,1)", false},
                    {"IF(TRUE,,1)", 0.0},
                    {"IF(\"TRUE\",1,2)", 1.0},
                    {"IF(\"x\",1,2)", ErrorCode::Value},
                    {"IF(#N/A,1,2)", ErrorCode::NA},
                    {"IF(TRUE,1,1/0)", 1.0},       // only the chosen branch counts
                    {"IF(FALSE,TODAY(),5)", 5.0},  // the other branch is not evaluated
                    {"IF(Z9=\"\",\"empty\")", "empty"},
                    {"AND(TRUE,1)", true},
                    {"AND(TRUE,0)", false},
                    {"AND(A1:A3)", false},  // texts in ranges are skipped
                    {"AND(A1:A2)", true},
                    {"OR(A3,FALSE)", false},
                    {"OR(A1:A3)", true},
                    {"OR(B5:B9)", ErrorCode::Value},  // nothing logical
                    {"AND(\"x\")", ErrorCode::Value},
                    {"AND(TRUE,B1)", ErrorCode::NA},
                    {"NOT(0)", true},
                    {"NOT(\"FALSE\")", true},
                    {"NOT(\"x\")", ErrorCode::Value},
                    {"IFERROR(1/0,\"bad\")", "bad"},
                    {"IFERROR(B1,0)", 0.0},
                    {"IFERROR(A3+5,0)", 5.0},
                    {"ISBLANK(Z1)", true},
                    {"ISBLANK(A3)", false},
                    {"ISNUMBER(A3)", true},
                    {"ISNUMBER(\"1\")", false},
                    {"ISTEXT(A2)", true},
                    {"ISERROR(B1)", true},
                    {"ISERROR(A1)", false},
                });
}

TEST(FormulaFunctions, NumbersAndTexts) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, "  a   b  ");
  ExpectAll(ws, {
                    {"ROUND(2.675,2)", 2.68},
                    {"ROUND(2.5,0)", 3.0},
                    {"ROUND(-2.5,0)", -3.0},
                    {"ROUND(1234.5,-2)", 1200.0},
                    {"ROUND(1.25,1.9)", 1.3},
                    {"ROUNDUP(1.21,1)", 1.3},
                    {"ROUNDUP(-1.21,1)", -1.3},
                    {"ROUNDDOWN(1.29,1)", 1.2},
                    {"ROUND(\"x\",1)", ErrorCode::Value},
                    {"INT(-1.5)", -2.0},
                    {"INT(\"7.9\")", 7.0},
                    {"ABS(-3)", 3.0},
                    {"MOD(7,3)", 1.0},
                    {"MOD(-7,3)", 2.0},
                    {"MOD(7,0)", ErrorCode::Div0},
                    {"LEN(\"设置abc\")", 5.0},
                    {"LEN(123.5)", 5.0},
                    {"LEN(Z1)", 0.0},
                    {"LEFT(\"比赛项目\",2)", "比赛"},
                    {"LEFT(\"abc\")", "a"},
                    {"LEFT(\"abc\",10)", "abc"},
                    {"LEFT(\"abc\",-1)", ErrorCode::Value},
                    {"RIGHT(\"100米\",1)", "米"},
                    {"RIGHT(\"abc\",0)", ""},
                    {"MID(\"4×100米接力\",2,4)", "×100"},
                    {"MID(\"abc\",5,2)", ""},
                    {"MID(\"abc\",0,1)", ErrorCode::Value},
                    {"TRIM(A1)", "a b"},
                    {"UPPER(\"abc设\")", "ABC设"},
                    {"LOWER(\"ABC\")", "abc"},
                    {"CONCATENATE(\"第\",3,\"组\")", "第3组"},
                    {"VALUE(\"12.5\")", 12.5},
                    {"VALUE(\"x\")", ErrorCode::Value},
                    {"TEXT(3.14159,\"0.00\")", "3.14"},
                    {"TEXT(5,\"00\")", "05"},
                    {"TEXT(1234567.891,\"#,##0.0\")", "1,234,567.9"},
                    {"TEXT(0.256,\"0%\")", "26%"},
                    {"TEXT(2.5,\"0.##\")", "2.5"},
                    {"TEXT(0.5,\"#.00\")", ".50"},
                    {"TEXT(-1.5,\"0\")", "-2"},
                    {"TEXT(\"abc\",\"0.0\")", "abc"},
                    {"TEXT(1/3,\"General\")", "0.333333333"},
                    {"ROW()", 100.0},
                    {"COLUMN()", 100.0},
                    {"ROW(C7:D9)", 7.0},
                    {"COLUMN(C7)", 3.0},
                });
  ExpectNotEvaluated(ws, {"TEXT(45000,\"yyyy-mm-dd\")", "TEXT(\"2024-1-1\",\"0\")"});
}

TEST(FormulaFunctions, CountIfCriteriaInFormulas) {
  Book b;
  Worksheet& ws = b.ws;
  const CellValue column[] = {CellValue(5.0),     CellValue(7.0),       CellValue("7"),
                              CellValue("apple"), CellValue("Apricot"), CellValue("a*b"),
                              CellValue(true),    CellValue(),          CellValue(ErrorCode::NA)};
  for (int i = 0; i < 9; ++i) ws.PutValue(i + 1, 1, column[i]);
  ws.PutFormula(10, 1, "\"\"", CellValue(""));
  for (int i = 1; i <= 10; ++i) ws.PutValue(i, 2, i * 1.0);
  ExpectAll(ws, {
                    {"COUNTIF(A1:A10,7)", 2.0},  // 7 and "7"
                    {"COUNTIF(A1:A10,\">5\")", 1.0},
                    {"COUNTIF(A1:A10,\">=5\")", 2.0},
                    {"COUNTIF(A1:A10,\"<>7\")", 8.0},
                    {"COUNTIF(A1:A10,\"a*\")", 3.0},  // apple, Apricot, a*b
                    {"COUNTIF(A1:A10,\"a~*b\")", 1.0},
                    {"COUNTIF(A1:A10,\"?pple\")", 1.0},
                    {"COUNTIF(A1:A10,\"APPLE\")", 1.0},
                    {"COUNTIF(A1:A10,\"\")", 2.0},   // blank and ""
                    {"COUNTIF(A1:A10,\"=\")", 1.0},  // blank only
                    {"COUNTIF(A1:A10,\"<>\")", 9.0},
                    {"COUNTIF(A1:A10,TRUE)", 1.0},
                    {"COUNTIF(A1:A10,\"#N/A\")", 1.0},
                    {"COUNTIF(A1:A10,\">b\")", 0.0},
                    {"COUNTIF(A1:A9,\"<b\")", 4.0},  // "7", "apple", "Apricot", "a*b"
                    {"COUNTIF(A1:A10,A2)", 2.0},
                    {"COUNTIF(A1:A10,Z99)", 0.0},  // a blank criterion means 0
                    {"COUNTIF(C:C,\"\")", static_cast<double>(kMaxRows)},
                    {"SUMIF(A1:A10,\">5\",B1:B10)", 2.0},
                    {"SUMIF(B1:B10,\">5\")", 40.0},
                    {"SUMIF(A1:A10,\"\",B1:B10)", 18.0},
                    {"SUMIF(A1:A10,\"a*\",B5)", 27.0},  // B5 stands for B5:B14
                });
  ExpectNotEvaluated(ws, {"COUNTIF({1,2},1)", "COUNTIF(A1:A10,\">2024-1-1\")", "COUNT(\"2024-1-1\")"});
}

TEST(FormulaFunctions, WholeColumnsCostOnlyWhatTheSheetHolds) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, 1.0);
  ws.PutValue(1000000, 1, 2.0);
  ws.PutValue(kMaxRows, 1, "last");
  ws.PutValue(1000000, kMaxCols, 4.0);
  ExpectAll(ws,
            {
                {"SUM(A:A)", 3.0},
                {"COUNTA(A:A)", 3.0},
                {"COUNT($A:$A)", 2.0},
                {"COUNTIF(A:A,\">1\")", 1.0},
                {"COUNTIF(A:A,\"<>\")", 3.0},
                {"COUNTBLANK(A:A)", static_cast<double>(kMaxRows - 3)},
                {"MAX(A:A)", 2.0},
                {"SUM(1000000:1000000)", 6.0},
                {"SUM(A:XFD)", 7.0},
                {"SUMIF(A:A,\">0\",XFD:XFD)", 4.0},
            },
            5, 5);
  // Element-wise work over a whole column is beyond the array limit.
  EXPECT_EQ(fx::Evaluate(ws, 5, 5, "SUM(IF(A:A=\"\",0,1))"), std::nullopt);
}

TEST(FormulaFunctions, UnknownAndVolatileFunctionsAreNotEvaluated) {
  Book b;
  ExpectNotEvaluated(b.ws, {"TODAY()", "NOW()+1", "RAND()", "INDIRECT(\"A1\")", "VLOOKUP(1,A1:B2,2,FALSE)", "FOO(1)",
                            "_xlfn.CONCAT(\"a\")", "SUM()", "IF(TRUE)", "IF(1,2,3,4)", "1+TODAY()", "NOT(1,2)"});
}

TEST(FormulaParsing, MalformedTextIsNotEvaluated) {
  Book b;
  ExpectNotEvaluated(b.ws, {
                               "",
                               "   ",
                               "=1",
                               "1+",
                               "(1",
                               "1)",
                               "SUM(1",
                               "SUM(1,2",
                               "\"abc",
                               "1 2",
                               "A1 B1",
                               "A1:",
                               "{1,2}",
                               "Sheet1!",
                               "#FOO",
                               "1+*2",
                               "@A1",
                               "SUM(A1:A3 A2:A4)",
                               "[1]Sheet1!A1",
                               "'[book.xlsx]Sheet1'!A1",
                               "Sheet1:Sheet3!A1",
                               "A1:B2,C3",
                           });
  // Beyond the grid these are names, and no such names exist.
  ExpectAll(b.ws, {{"XFE1+1", ErrorCode::Name}, {"A1048577", ErrorCode::Name}});
  // Nesting within the application's limits is fine; far beyond it is refused
  // without exhausting the stack.
  std::string ok = std::string(60, '(') + "1" + std::string(60, ')');
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, ok), CellValue(1.0));
  std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, deep), std::nullopt);
  std::string signs = std::string(100000, '-') + "1";
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, signs), std::nullopt);
  std::string longSum = "1";
  for (int i = 0; i < 5000; ++i) longSum += "+1";
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, longSum), CellValue(5001.0));
  std::mt19937 rng(7);
  const std::string alphabet = "AZaz09$:!'\"()+-*/^&=<>%,. #{}[];@设";
  for (int i = 0; i < 2000; ++i) {
    std::string s;
    for (int k = rng() % 30; k > 0; --k) s += alphabet[rng() % alphabet.size()];
    (void)fx::Evaluate(b.ws, 1, 1, s);  // must neither crash nor throw
  }
}

// ---- criteria as the host's CountIf uses them ----

TEST(FormulaCriteria, MatchesCriterion) {
  struct Case {
    CellValue value;
    CellValue criterion;
    bool match;
  };
  const Case cases[] = {
      {CellValue(3.0), CellValue(3.0), true},
      {CellValue("3"), CellValue(3.0), true},
      {CellValue(3.0), CellValue("3"), true},
      {CellValue(3.0), CellValue("=3"), true},
      {CellValue(3.0), CellValue(">2"), true},
      {CellValue(3.0), CellValue(">3"), false},
      {CellValue(3.0), CellValue("<=3"), true},
      {CellValue("9"), CellValue(">5"), false},  // texts never pass number comparisons
      {CellValue(3.0), CellValue("<>3"), false},
      {CellValue("x"), CellValue("<>3"), true},
      {CellValue(), CellValue("<>3"), true},
      {CellValue(), CellValue(">-1"), false},
      {CellValue(), CellValue(0.0), false},
      {CellValue(), CellValue(""), true},
      {CellValue(""), CellValue(""), true},
      {CellValue(""), CellValue("="), false},
      {CellValue(), CellValue("="), true},
      {CellValue(""), CellValue("<>"), true},
      {CellValue(), CellValue("<>"), false},
      {CellValue("abc"), CellValue("ABC"), true},
      {CellValue("abc"), CellValue("a*"), true},
      {CellValue("abc"), CellValue("a?c"), true},
      {CellValue("ac"), CellValue("a?c"), false},
      {CellValue("a*c"), CellValue("a~*c"), true},
      {CellValue("abc"), CellValue("a~*c"), false},
      {CellValue("a?"), CellValue("a~?"), true},
      {CellValue("甲组一"), CellValue("甲组*"), true},
      {CellValue("甲组"), CellValue("甲?"), true},
      {CellValue(12.0), CellValue("1*"), false},  // wildcards match texts only
      {CellValue("abc"), CellValue("<>a*"), false},
      {CellValue(5.0), CellValue("<>a*"), true},
      {CellValue("b"), CellValue(">a"), true},
      {CellValue("B"), CellValue(">a"), true},
      {CellValue(5.0), CellValue(">a"), false},
      {CellValue(true), CellValue(true), true},
      {CellValue(true), CellValue("true"), true},
      {CellValue(1.0), CellValue(true), false},
      {CellValue(ErrorCode::NA), CellValue("#N/A"), true},
      {CellValue(ErrorCode::NA), CellValue(ErrorCode::NA), true},
      {CellValue(ErrorCode::Div0), CellValue("#N/A"), false},
      {CellValue(0.1 + 0.2), CellValue(0.3), true},
      {CellValue(1000.0), CellValue("1,000"), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fx::MatchesCriterion(c.value, c.criterion), c.match) << Show(c.value) << " against " << Show(c.criterion);
  // Long wildcard patterns against long texts stay quick (no exponential backtracking).
  EXPECT_FALSE(fx::MatchesCriterion(CellValue(std::string(5000, 'a')), CellValue(std::string(30, '*') + "b")));
}

// ---- rewriting for row and column shifts ----

namespace {
fx::Shift Rows(const std::string& sheet, int at, int count) { return {sheet, true, at, count}; }
fx::Shift Cols(const std::string& sheet, int at, int count) { return {sheet, false, at, count}; }
}  // namespace

TEST(FormulaShift, InsertedRowsMoveGrowOrLeaveReferences) {
  struct Case {
    const char* before;
    int at, count;
    const char* after;
  };
  const Case cases[] = {
      {"SUM(A5:A10)", 1, 2, "SUM(A7:A12)"},   // before the range
      {"SUM(A5:A10)", 5, 2, "SUM(A7:A12)"},   // at its first row
      {"SUM(A5:A10)", 6, 2, "SUM(A5:A12)"},   // inside: grows
      {"SUM(A5:A10)", 10, 1, "SUM(A5:A11)"},  // at its last row: grows
      {"SUM(A5:A10)", 11, 3, "SUM(A5:A10)"},  // after
      {"SUM(A10:A5)", 6, 2, "SUM(A12:A5)"},   // written backwards
      {"B4+$B$4+B$4+$B4", 4, 1, "B5+$B$5+B$5+$B5"},
      {"B3+B4", 4, 1, "B3+B5"},
      {"SUM(2:4)", 3, 1, "SUM(2:5)"},
      {"SUM($2:$4)", 1, 1, "SUM($3:$5)"},
      {"SUM(A:C)", 1, 5, "SUM(A:C)"},  // whole columns span every row
      {"A1048576", 5, 1, "#REF!"},     // pushed off the sheet
      {"A1048570+1", 5, 10, "#REF!+1"},
      {"SUM(A5:A1048576)", 1, 1, "SUM(A6:A1048576)"},  // the end stays at the edge
      {"sum(a1)+a5", 3, 2, "sum(a1)+A7"},              // untouched references keep their spelling
      {"\"A5\"&A5", 1, 1, "\"A5\"&A6"},                // texts are not references
      {"LOG10(A5)+ABC5+XFD5", 1, 1, "LOG10(A6)+ABC6+XFD6"},
      {"IF( A5 >0 , \"x\" ,B5 )", 5, 1, "IF( A6 >0 , \"x\" ,B6 )"},
      {"myName+A5", 1, 1, "myName+A6"},  // names are not references
  };
  for (const auto& c : cases)
    EXPECT_EQ(fx::AdjustForShift(c.before, "S", Rows("S", c.at, c.count)), c.after) << c.before;
}

TEST(FormulaShift, DeletedRowsMoveShrinkOrBreakReferences) {
  struct Case {
    const char* before;
    int at, count;
    const char* after;
  };
  const Case cases[] = {
      {"B5*2", 5, -1, "#REF!*2"},            // the referenced cell is gone
      {"B5*2", 3, -2, "B3*2"},               // rows above it went
      {"B5*2", 6, -2, "B5*2"},               // rows below it went
      {"SUM(A1:A10)", 3, -2, "SUM(A1:A8)"},  // inside
      {"SUM(A1:A10)", 1, -2, "SUM(A1:A8)"},  // its first rows
      {"SUM(A1:A10)", 9, -4, "SUM(A1:A8)"},  // its last rows and beyond
      {"SUM(A3:A10)", 1, -4, "SUM(A1:A6)"},  // from above into it
      {"SUM(A3:A4)", 3, -2, "SUM(#REF!)"},   // all of it
      {"SUM(A3:A4)", 1, -10, "SUM(#REF!)"},
      {"SUM(A5:B5)", 5, -1, "SUM(#REF!)"},
      {"SUM(2:4)", 2, -3, "SUM(#REF!)"},
      {"SUM(2:4)", 3, -1, "SUM(2:3)"},
      {"SUM(A:A)", 1, -100, "SUM(A:A)"},
      {"$A$7+A$7+$A7", 2, -2, "$A$5+A$5+$A5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fx::AdjustForShift(c.before, "S", Rows("S", c.at, c.count)), c.after) << c.before;
}

TEST(FormulaShift, ColumnsAndOtherSheets) {
  EXPECT_EQ(fx::AdjustForShift("SUM(B1:D1)+A:C+2:2", "S", Cols("S", 2, 1)), "SUM(C1:E1)+A:D+2:2");
  EXPECT_EQ(fx::AdjustForShift("C1+XFD1", "S", Cols("S", 3, 1)), "D1+#REF!");
  EXPECT_EQ(fx::AdjustForShift("SUM(B1:D1)", "S", Cols("S", 2, -3)), "SUM(#REF!)");
  EXPECT_EQ(fx::AdjustForShift("SUM(A:C)", "S", Cols("S", 2, -1)), "SUM(A:B)");
  // References into another sheet move only when that sheet changes; those
  // without a sheet part belong to the formula's own sheet.
  EXPECT_EQ(fx::AdjustForShift("Other!A5+A5", "S", Rows("S", 1, 2)), "Other!A5+A7");
  EXPECT_EQ(fx::AdjustForShift("Other!A5+A5", "S", Rows("Other", 1, 2)), "Other!A7+A5");
  EXPECT_EQ(fx::AdjustForShift("other!A5", "S", Rows("OTHER", 1, 2)), "other!A7");
  EXPECT_EQ(fx::AdjustForShift("Other!B5*2", "S", Rows("Other", 5, -1)), "Other!#REF!*2");
  EXPECT_EQ(fx::AdjustForShift("'1'!C4+'a''b'!A1", "S", Rows("1", 2, 1)), "'1'!C5+'a''b'!A1");
  EXPECT_EQ(fx::AdjustForShift("'1'!C4+'a''b'!A1", "S", Rows("a'b", 1, 1)), "'1'!C4+'a''b'!A2");
  EXPECT_EQ(fx::AdjustForShift("SUM(设置!B2:B8)+设置!H2", "x", Rows("设置", 3, 1)), "SUM(设置!B2:B9)+设置!H2");
  EXPECT_EQ(fx::AdjustForShift("比赛项目名单!A5&\"比赛项目名单!A5\"", "x", Rows("比赛项目名单", 1, 1)),
            "比赛项目名单!A6&\"比赛项目名单!A5\"");
  EXPECT_EQ(fx::AdjustForShift("[1]S!A5+S!A5", "S", Rows("S", 1, 1)), "[1]S!A5+S!A6");
  EXPECT_EQ(fx::AdjustForShift("SUM(表1[列])+A5", "S", Rows("S", 1, 1)), "SUM(表1[列])+A6");
  EXPECT_EQ(fx::AdjustForShift("A5", "S", Rows("S", 1, 0)), "A5");
}

TEST(FormulaShift, AbsoluteOnlyForDefinedNames) {
  EXPECT_EQ(fx::AdjustForShift("=成绩登记表!$E1:$BB1", "", Cols("成绩登记表", 3, 1), true), "=成绩登记表!$F1:$BC1");
  EXPECT_EQ(fx::AdjustForShift("=成绩登记表!$E1:$BB1", "", Rows("成绩登记表", 1, 5), true), "=成绩登记表!$E1:$BB1");
  EXPECT_EQ(fx::AdjustForShift("=成绩登记表!$B65536", "", Rows("成绩登记表", 1, 1), true), "=成绩登记表!$B65536");
  EXPECT_EQ(fx::AdjustForShift("=数据!$B$5+数据!B$5+数据!$B5", "", Rows("数据", 2, 2), true),
            "=数据!$B$7+数据!B$7+数据!$B5");
  EXPECT_EQ(fx::AdjustForShift("=数据!$B$5", "", Rows("数据", 5, -1), true), "=数据!#REF!");
  EXPECT_EQ(fx::AdjustForShift("=比赛项目名单!$A:$E,比赛项目名单!$1:$2", "", Rows("比赛项目名单", 1, 1), true),
            "=比赛项目名单!$A:$E,比赛项目名单!$2:$3");
  EXPECT_EQ(fx::AdjustForShift("=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))", "", Cols("比赛项目名单", 1, 1), true),
            "=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))");
  EXPECT_EQ(fx::AdjustForShift("=SUM(IF(比赛项目名单!B1:BX1=\"\",0,1))", "", Cols("比赛项目名单", 1, 1), false),
            "=SUM(IF(比赛项目名单!C1:BY1=\"\",0,1))");
}

TEST(FormulaShift, EverythingButReferencesIsCopiedByteForByte) {
  std::mt19937 rng(11);
  const std::string alphabet = "AZaz09$:!'\"()+-*/^&=<>%,. #{}[];@设置\t";
  for (int i = 0; i < 3000; ++i) {
    std::string s;
    for (int k = rng() % 40; k > 0; --k) s += alphabet[rng() % alphabet.size()];
    // A shift on a sheet no formula names changes nothing.
    EXPECT_EQ(fx::AdjustForShift(s, "Home", Rows("Nowhere", 1, 3)), s);
    EXPECT_EQ(fx::RenameSheet(s, "Nowhere", "x y"), s);
    EXPECT_EQ(fx::InvalidateSheet(s, "Nowhere"), s);
  }
}

TEST(FormulaShift, WorksheetInsertAndDeleteKeepResultsRight) {
  Book b;
  Worksheet& ws = b.ws;
  Worksheet& other = b.AddSheet("汇总");
  for (int r = 1; r <= 5; ++r) ws.Cells(r, 1).SetValue(r * 1.0);
  ws.Cells(7, 1).SetValue("=SUM(A1:A5)");
  other.Cells(1, 1).SetValue("=" + ws.Name() + "!A7*2");
  ws.InsertRows(3, 2);
  ws.Cells(3, 1).SetValue(100.0);
  EXPECT_EQ(ws.FormulaAt(9, 1), "SUM(A1:A7)");
  EXPECT_EQ(ws.ValueAt(9, 1), CellValue(115.0));
  EXPECT_EQ(other.FormulaAt(1, 1), ws.Name() + "!A9*2");
  EXPECT_EQ(other.ValueAt(1, 1), CellValue(230.0));
  ws.DeleteRows(1, 3);
  EXPECT_EQ(ws.FormulaAt(6, 1), "SUM(A1:A4)");
  EXPECT_EQ(ws.ValueAt(6, 1), CellValue(12.0));
  ws.DeleteRows(6, 1);
  EXPECT_EQ(other.FormulaAt(1, 1), ws.Name() + "!#REF!*2");
  EXPECT_EQ(other.ValueAt(1, 1), CellValue(ErrorCode::Ref));
}

// ---- sheet renames and deletions ----

TEST(FormulaSheets, RenameFollowsAndRequotes) {
  EXPECT_EQ(fx::RenameSheet("Sheet1!A1+'Sheet1'!B2:C3+A1", "Sheet1", "my sheet"), "'my sheet'!A1+'my sheet'!B2:C3+A1");
  EXPECT_EQ(fx::RenameSheet("'my sheet'!A1", "my sheet", "设置"), "设置!A1");
  EXPECT_EQ(fx::RenameSheet("sheet1!A1", "Sheet1", "1"), "'1'!A1");
  EXPECT_EQ(fx::RenameSheet("S!A1+S1!A1+\"S!A1\"", "S", "it's"), "'it''s'!A1+S1!A1+\"S!A1\"");
  EXPECT_EQ(fx::RenameSheet("成绩登记表!计法1=\"计时\"", "成绩登记表", "登记"), "登记!计法1=\"计时\"");
  EXPECT_EQ(fx::RenameSheet("S!#REF!+1", "S", "T"), "T!#REF!+1");
  EXPECT_EQ(fx::RenameSheet("S!A1", "S", "A1"), "'A1'!A1");
}

TEST(FormulaSheets, DeletedSheetReferencesBecomeRefErrors) {
  EXPECT_EQ(fx::InvalidateSheet("SUM(Data!A1:A3)+1+A1", "Data"), "SUM(#REF!)+1+A1");
  EXPECT_EQ(fx::InvalidateSheet("'1'!C4&\"'1'!C4\"", "1"), "#REF!&\"'1'!C4\"");
  EXPECT_EQ(fx::InvalidateSheet("data!名称+Data2!A1", "DATA"), "#REF!+Data2!A1");
  Book b;
  EXPECT_EQ(fx::Evaluate(b.ws, 1, 1, fx::InvalidateSheet("SUM(Data!A1:A3)+1", "Data")), CellValue(ErrorCode::Ref));
}

// ---- translation of copied formulas ----

TEST(FormulaTranslate, RelativePartsMoveAbsolutePartsStay) {
  EXPECT_EQ(fx::Translate("A1+$A$1+A$1+$A1", 2, 3), "D3+$A$1+D$1+$A3");
  EXPECT_EQ(fx::Translate("SUM(A1:B2)", 1, 0), "SUM(A2:B3)");
  EXPECT_EQ(fx::Translate("SUM($A1:B$2)", 1, 1), "SUM($A2:C$2)");
  EXPECT_EQ(fx::Translate("SUM(1:2)+SUM(A:B)", 1, 1), "SUM(2:3)+SUM(B:C)");
  EXPECT_EQ(fx::Translate("SUM($1:$2)+SUM($A:$B)", 5, 5), "SUM($1:$2)+SUM($A:$B)");
  EXPECT_EQ(fx::Translate("Sheet2!A1&\"A1\"", 1, 1), "Sheet2!B2&\"A1\"");
  EXPECT_EQ(fx::Translate("'1'!C4", 0, -1), "'1'!B4");
  EXPECT_EQ(fx::Translate("A1*2", -1, 0), "#REF!*2");
  EXPECT_EQ(fx::Translate("Sheet2!A1", 0, -1), "Sheet2!#REF!");
  EXPECT_EQ(fx::Translate("$A$1+A1048576", 1, 0), "$A$1+#REF!");
  EXPECT_EQ(fx::Translate("XFD1", 0, 1), "#REF!");
  EXPECT_EQ(fx::Translate("本行金额+LOG10(A1)", 1, 0), "本行金额+LOG10(A2)");
}

TEST(FormulaTranslate, CopiedRangesEvaluateAtTheirNewPlace) {
  Book b;
  Worksheet& ws = b.ws;
  ws.Cells(1, 1).SetValue(1.0);
  ws.Cells(1, 2).SetValue(2.0);
  ws.Cells(2, 1).SetValue(10.0);
  ws.Cells(2, 2).SetValue(20.0);
  ws.Cells(1, 3).SetValue("=A1+B1+$A$1");
  ws.Cells(1, 3).Copy(ws.Cells(2, 3));
  EXPECT_EQ(ws.FormulaAt(2, 3), "A2+B2+$A$1");
  EXPECT_EQ(ws.ValueAt(2, 3), CellValue(31.0));
}
