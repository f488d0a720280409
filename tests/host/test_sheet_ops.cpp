// Sheet operations that touch many cells: merging a range, copying a sheet
// under its final name, renaming a sheet that many formulas name.
#include <gtest/gtest.h>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"

using namespace korvane::host;

TEST(MergeCells, ClearsTheRangeButItsFirstCellAndNothingAround) {
  WorkbookHost host;
  Worksheet& ws = host.Add().Sheet(1);
  // Values all around and inside C3:E5, and a merge elsewhere that stays.
  for (int r = 1; r <= 7; ++r)
    for (int c = 1; c <= 7; ++c) ws.PutValue(r, c, r * 10.0 + c);
  ws.RangeAt("A10:B10").SetMergeCells(true);
  ws.RangeAt("C3:E5").SetMergeCells(true);

  for (int r = 1; r <= 7; ++r)
    for (int c = 1; c <= 7; ++c) {
      const bool inside = r >= 3 && r <= 5 && c >= 3 && c <= 5;
      const bool kept = !inside || (r == 3 && c == 3);
      EXPECT_EQ(ws.HasContent(r, c), kept) << "row " << r << " col " << c;
    }
  EXPECT_EQ(ws.ValueAt(3, 3), CellValue(33.0));
  ASSERT_EQ(ws.Merges().size(), 2u);
  EXPECT_EQ(ws.RangeAt("D4").MergeArea().Address(), "$C$3:$E$5");
  EXPECT_TRUE(ws.RangeAt("B10").MergeCells());
}

TEST(SheetCopy, ACopyNamedAtOnceIsLikeACopyRenamedAfterwards) {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& form = book.Sheet(1);
  form.SetName("Form");
  form.PutValue(1, 1, 4.0);
  form.PutFormula(1, 2, "Form!A1*2", CellValue());
  book.AddName("Form!own", "=Form!$A$1");

  Worksheet& copy = form.CopyTo(book, nullptr, &form, "Team 1");
  EXPECT_EQ(copy.Name(), "Team 1");
  EXPECT_EQ(copy.FormulaAt(1, 2), "'Team 1'!A1*2");
  copy.PutValue(1, 1, 5.0);
  EXPECT_EQ(copy.ValueAt(1, 2), CellValue(10.0));
  EXPECT_EQ(form.ValueAt(1, 2), CellValue(8.0));
  const DefinedName* own = book.FindName("own", &copy);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->refersTo, "='Team 1'!$A$1");
  EXPECT_EQ(&book.ActiveSheet(), &copy);

  // A taken or invalid name refuses before anything changes.
  for (const char* bad : {"team 1", "Form", "a/b"})
    EXPECT_THROW(form.CopyTo(book, nullptr, nullptr, bad), HostError) << bad;
  EXPECT_EQ(book.Count(), 2);
}

TEST(SheetRename, EveryFormulaNamingTheSheetFollowsAndNoOtherChanges) {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& data = book.Sheet(1);
  data.SetName("Data");
  Worksheet& other = book.AddSheet(nullptr, &data, "Other");
  data.PutValue(1, 1, 2.0);
  // Many cells with the same text, one naming the sheet in lower case, and own-sheet references.
  for (int r = 1; r <= 50; ++r) other.PutFormula(r, 1, "Data!$A$1*" + std::to_string(r % 3), CellValue());
  other.PutFormula(1, 2, "data!A1+B2", CellValue());
  other.PutFormula(2, 2, "A1+1", CellValue());
  data.PutFormula(2, 1, "A1*10", CellValue());

  data.SetName("成绩");
  for (int r = 1; r <= 50; ++r) ASSERT_EQ(other.FormulaAt(r, 1), "成绩!$A$1*" + std::to_string(r % 3)) << r;
  EXPECT_EQ(other.FormulaAt(1, 2), "成绩!A1+B2");
  EXPECT_EQ(other.FormulaAt(2, 2), "A1+1");
  EXPECT_EQ(data.FormulaAt(2, 1), "A1*10");
  EXPECT_EQ(other.ValueAt(1, 2), CellValue(5.0));  // 2 + (Data!$A$1*1 + 1)
}
