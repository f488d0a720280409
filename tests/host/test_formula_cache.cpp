// Formula results are computed once and kept until the workbook changes: every
// change that can alter a result must make the next read compute it afresh,
// also where the formula's own text and place stay as they were.
#include <gtest/gtest.h>

#include <string>

#include "host/application.h"
#include "host/range.h"
#include "support/host_book.h"

using namespace korvane::host;

namespace {

using korvane::host::testing::Book;

double Num(const Worksheet& ws, int row, int col) { return ws.ValueAt(row, col).Number(); }

}  // namespace

TEST(FormulaValueCache, EveryWriteToAPrecedentReachesTheChainOfDependents) {
  Book b;
  Worksheet& ws = b.ws;
  // A running serial number down 3000 rows, read top to bottom as a grid or a save does.
  ws.PutValue(1, 1, 1.0);
  for (int r = 2; r <= 3000; ++r) ws.PutFormula(r, 1, "A" + std::to_string(r - 1) + "+1", CellValue());
  ws.PutFormula(1, 2, "SUM(A:A)", CellValue());
  for (int r = 1; r <= 3000; ++r) ASSERT_EQ(Num(ws, r, 1), r);
  EXPECT_EQ(Num(ws, 1, 2), 3000.0 * 3001 / 2);

  ws.Cells(1, 1).SetValue(101.0);  // the application's Value assignment
  EXPECT_EQ(Num(ws, 3000, 1), 3100);
  ws.PutValue(1500, 1, 0.0);  // a constant in the middle cuts the chain
  EXPECT_EQ(Num(ws, 1499, 1), 1599);
  EXPECT_EQ(Num(ws, 3000, 1), 1500);
  ws.Cells(1500, 1).SetValue("=A1499*2");
  EXPECT_EQ(Num(ws, 1501, 1), 3199);
  ws.Cells(1, 1).ClearContents();
  EXPECT_EQ(Num(ws, 2, 1), 1);
  ws.PutValue(1, 1, 1.0);
  ws.ClearCell(1, 1);
  EXPECT_EQ(Num(ws, 3, 1), 2);
  // A cell changed through direct access to its row (as the file reader does).
  ws.PutValue(1, 1, 1.0);
  EXPECT_EQ(Num(ws, 2, 1), 2);
  for (Cell& c : ws.MutableRow(1).cells)
    if (c.col == 1) c.num = 41;
  EXPECT_EQ(Num(ws, 2, 1), 42);
  // A value read inside a range: the sum follows a new cell below the chain.
  const double sum = Num(ws, 1, 2);
  ws.PutValue(5000, 1, 7.0);
  EXPECT_EQ(Num(ws, 1, 2), sum + 7);
}

TEST(FormulaValueCache, RowsInsertedOrDeletedChangeResultsOfFormulasThatStayPut) {
  Book b;
  Worksheet& data = b.ws;
  Worksheet& other = b.AddSheet("Other");
  for (int r = 1; r <= 5; ++r) data.PutValue(r, 1, r * 10.0);
  // Neither formula moves nor changes its text when rows of Sheet1 move.
  other.PutFormula(1, 1, "SUM(Sheet1!A:A)", CellValue());
  // A relative name keeps its offsets when rows move: from Other!A3 it reads Sheet1!A3.
  b.book.AddName("Other!here", "=Sheet1!A1");
  other.PutFormula(3, 1, "here+0", CellValue());
  EXPECT_EQ(Num(other, 1, 1), 150);
  EXPECT_EQ(Num(other, 3, 1), 30);

  data.DeleteRows(2, 1);  // 20 goes
  EXPECT_EQ(Num(other, 1, 1), 130);
  EXPECT_EQ(Num(other, 3, 1), 40);
  data.InsertRows(1, 1);  // row 1 is empty now
  EXPECT_EQ(Num(other, 3, 1), 30);
  EXPECT_EQ(Num(other, 1, 1), 130);
  data.InsertColumns(1, 1);          // the numbers move to column B
  EXPECT_EQ(Num(other, 1, 1), 130);  // the reference followed them
  EXPECT_EQ(other.FormulaAt(1, 1), "SUM(Sheet1!B:B)");
  data.DeleteColumns(2, 1);
  EXPECT_EQ(other.ValueAt(1, 1), CellValue(ErrorCode::Ref));
}

TEST(FormulaValueCache, SheetsRenamedCopiedOrDeletedAndNamesChanged) {
  Book b;
  Worksheet& ws = b.ws;
  Worksheet& data = b.AddSheet("Data");
  data.PutValue(1, 1, 3.0);
  // References to sheets that do not exist yet: the text stays, the result comes once they do.
  ws.PutFormula(1, 1, "Later!A1*2", CellValue());
  ws.PutFormula(2, 1, "'Data (2)'!A1*3", CellValue());
  ws.PutFormula(3, 1, "Data!A1+1", CellValue());
  EXPECT_EQ(ws.ValueAt(1, 1), CellValue(ErrorCode::Ref));
  EXPECT_EQ(ws.ValueAt(2, 1), CellValue(ErrorCode::Ref));
  EXPECT_EQ(Num(ws, 3, 1), 4);

  data.Copy(nullptr, &data);  // "Data (2)"
  EXPECT_EQ(Num(ws, 2, 1), 9);
  data.SetName("Later");
  EXPECT_EQ(Num(ws, 1, 1), 6);
  EXPECT_EQ(ws.FormulaAt(3, 1), "Later!A1+1");
  EXPECT_EQ(Num(ws, 3, 1), 4);
  b.host.displayAlerts = false;
  ASSERT_TRUE(b.book.Sheet("Data (2)").Delete());
  EXPECT_EQ(ws.ValueAt(2, 1), CellValue(ErrorCode::Ref));

  // Defined names: replaced, changed in place, deleted.
  ws.PutValue(1, 3, 5.0);
  ws.PutValue(2, 3, 7.0);
  b.book.AddName("rate", "=Sheet1!$C$1");
  ws.PutFormula(4, 1, "rate*2", CellValue());
  EXPECT_EQ(Num(ws, 4, 1), 10);
  b.book.AddName("rate", "=Sheet1!$C$2");
  EXPECT_EQ(Num(ws, 4, 1), 14);
  const int index = b.book.NameCount();
  b.book.NameAt(index).refersTo = "=Sheet1!$C$1+100";
  EXPECT_EQ(Num(ws, 4, 1), 210);
  b.book.DeleteName(index);
  EXPECT_EQ(ws.ValueAt(4, 1), CellValue(ErrorCode::Name));
}

TEST(FormulaValueCache, CopiedFormulasAndWorkbooksKeepTheirOwnResults) {
  Book b;
  Worksheet& ws = b.ws;
  ws.PutValue(1, 1, 2.0);
  ws.PutValue(2, 1, 5.0);
  ws.PutFormula(1, 2, "A1*10", CellValue());
  EXPECT_EQ(Num(ws, 1, 2), 20);
  ws.RangeAt("B1").Copy(ws.RangeAt("B2"));  // B2 = A2*10
  EXPECT_EQ(Num(ws, 2, 2), 50);
  ws.RangeAt("A2").Copy(ws.RangeAt("A1"));
  EXPECT_EQ(Num(ws, 1, 2), 50);

  // The same formula in the same cell of another workbook: each workbook its own result.
  Workbook& second = b.host.Add();
  Worksheet& ws2 = second.Sheet(1);
  ws2.PutValue(1, 1, 9.0);
  ws2.PutFormula(1, 2, "A1*10", CellValue());
  EXPECT_EQ(Num(ws2, 1, 2), 90);
  EXPECT_EQ(Num(ws, 1, 2), 50);
  // A sheet copied into the other workbook computes there.
  Worksheet& copy = ws.CopyTo(second, nullptr, nullptr);
  EXPECT_EQ(Num(copy, 2, 2), 50);
  copy.PutValue(2, 1, 1.0);
  EXPECT_EQ(Num(copy, 2, 2), 10);
  EXPECT_EQ(Num(ws, 2, 2), 50);
}
