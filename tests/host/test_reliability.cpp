// Reliability of the host: reading bounded by what a file holds, what a cell
// may hold, putting the open workbooks and saved files back after a failure,
// and saves that stop part way.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "host/application.h"
#include "host/cell_limits.h"
#include "host/errors.h"
#include "host/fault.h"
#include "host/file_save.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;

namespace {

std::string WriteError(Range cell, const std::string& typed) {
  try {
    cell.SetValue(CellValue(typed));
  } catch (const HostError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(ReadingBounds, CellsBeyondTheBudgetAreRefusedAsTooLargeWhateverTheFileSize) {
  // Full rows of one small number: 200,000 cells in a few kilobytes. (The
  // catalogue of bad inputs reads ten million with the default limits.)
  std::string row = "<row>";
  for (int c = 0; c < 1000; ++c) row += "<c><v>1</v></c>";
  row += "</row>";
  std::string data;
  for (int r = 0; r < 200; ++r) data += row;
  HandPackage p;
  p.sheets.emplace_back("1", SheetXml(data));
  const std::string bytes = p.Bytes();
  EXPECT_LT(bytes.size(), 64u << 10);
  ReadLimits limits;
  limits.maxCells = 100'000;
  EXPECT_NE(ReadError(bytes, limits).find("文件过大"), std::string::npos);
  limits.maxCells = 202'000;
  EXPECT_EQ(ReadError(bytes, limits), "");
}

TEST(ReadingBounds, OverlappingMergesOfAFileKeepTheLaterOne) {
  HandPackage p;
  p.sheets.emplace_back("1", SheetXml("",
                                      "<mergeCells><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"B2:C3\"/>"
                                      "<mergeCell ref=\"D1:E1\"/><mergeCell ref=\"D1:D2\"/>"
                                      "<mergeCell ref=\"F1:G1\"/><mergeCell ref=\"H5\"/></mergeCells>"));
  auto book = ReadWorkbookBytes(p.Bytes(), std::make_shared<SharedTables>());
  std::vector<std::string> merges;
  for (const RangeRef& m : book->Sheet(1).Merges()) merges.push_back(RelativeAddress(m));
  std::sort(merges.begin(), merges.end());
  EXPECT_EQ(merges, (std::vector<std::string>{"B2:C3", "D1:D2", "F1:G1"}));
}

TEST(ReadingBounds, ADocumentTypeInASheetIsRefused) {
  HandPackage p;
  p.sheets.emplace_back("1", "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"aaaa\">]><worksheet xmlns=\"" +
                                 std::string(kMain) +
                                 "\"><sheetData><row><c t=\"str\"><v>&a;</v></c></row></sheetData></worksheet>");
  EXPECT_NE(ReadError(p.Bytes()).find("DOCTYPE"), std::string::npos);
}

TEST(CellLimits, TextsAndFormulasBeyondTheOfficeProgramsAreRefusedNamingTheCell) {
  WorkbookHost host;
  Workbook& wb = host.Add();
  Worksheet& ws = wb.Sheet(1);
  ws.SetName("设置");
  std::string nested = "=";
  for (int i = 0; i < 65; ++i) nested += "(";
  nested += "1";
  for (int i = 0; i < 65; ++i) nested += ")";
  struct Case {
    std::string typed;
    std::string error;  // empty: accepted
  } cases[] = {
      {std::string(32767, 'x'), ""},
      {std::string(32768, 'x'), "单元格“设置!B2”不能写入：文字超过32767个字符（共32768个）。"},
      {std::string(32766, 'x') + "😀", "单元格“设置!B2”不能写入：文字超过32767个字符（共32768个）。"},  // two units
      {"=\"" + std::string(8189, 'a') + "\"", ""},
      {"=\"" + std::string(8190, 'a') + "\"", "单元格“设置!B2”不能写入：公式超过8192个字符（共8193个）。"},
      {nested, "单元格“设置!B2”不能写入：公式的括号嵌套超过64层。"},
      {"=\"((((\"&(1)", ""},
  };
  for (const Case& c : cases) {
    ws.ClearCell(2, 2);
    EXPECT_EQ(WriteError(ws.Cells(2, 2), c.typed), c.error) << c.typed.substr(0, 20);
    EXPECT_EQ(ws.HasContent(2, 2), c.error.empty());
  }
  // A grid is checked whole before anything is written.
  ValueGrid grid = {{CellValue("甲"), CellValue(std::string(40000, 'y'))}};
  EXPECT_THROW(Range(&ws, RangeRef{5, 1, 5, 2}).SetLiterals(grid), HostError);
  EXPECT_FALSE(ws.HasContent(5, 1));
}

TEST(Rollback, ASnapshotPutsBackEveryWorkbookAsItWas) {
  WorkbookHost host;
  host.displayAlerts = false;
  Workbook& wb = host.Add();
  Worksheet& ws = wb.Sheet(1);
  ws.PutValue(1, 1, "原来");
  ws.AddMerge(RangeRef{3, 1, 3, 4});
  wb.AddSheet(nullptr, &ws, "第二");
  wb.AddName("'第二'!局部", "=第二!$A$1");
  wb.AddName("全局", "=Sheet1!$A$1:$B$2");
  const std::string before = WriteWorkbookBytes(wb, FileKind::Xlsx);
  const int count = host.WorkbooksCount();

  HostSnapshot snapshot = host.Snapshot();
  ws.PutValue(1, 1, "改了");
  ws.InsertRows(1, 3);
  wb.Sheet("第二").SetName("改名");
  wb.RemoveSheet(wb.Sheet("改名"));
  wb.Protect(true);
  host.Add();
  host.Restore(std::move(snapshot));

  EXPECT_EQ(host.WorkbooksCount(), count);
  EXPECT_EQ(&host.WorkbookAt(1), &wb);  // the same object, so pointers to it stay valid
  EXPECT_EQ(WriteWorkbookBytes(wb, FileKind::Xlsx), before);
  EXPECT_EQ(wb.FindName("局部", wb.FindSheet("第二"))->refersTo, "=第二!$A$1");
  // The restored workbook works on: its sheets know their workbook.
  wb.Sheet("第二").SetName("再改");
  EXPECT_EQ(wb.FindSheet("再改")->Book().Name(), wb.Name());
}

#ifdef KORVANE_FAULT_INJECTION
TEST(Rollback, ASaveStoppedPartWayLeavesTheOldFileByteForByte) {
  ScratchDir dir;
  WorkbookHost host;
  Workbook& wb = host.Add();
  // Enough numbers that the file is written in several pieces.
  for (int r = 1; r <= 20000; ++r)
    for (int c = 1; c <= 4; ++c) wb.Sheet(1).PutValue(r, c, r * 7919.0 / c + 0.123456789 * c);
  const std::string path = dir / "成绩.xlsx";
  WriteWorkbookFile(wb, path, FileKind::Xlsx);
  const std::string before = ReadFile(path);
  ASSERT_GT(before.size(), 512u << 10);
  wb.Sheet(1).PutValue(1, 1, "新内容");
  // The save's operations: start, each piece written, the replacement.
  fault::Arm(0);
  WriteWorkbookFile(wb, path, FileKind::Xlsx);
  const long long calls = fault::Calls();
  ASSERT_GE(calls, 4);
  WriteFile(path, before);
  for (long long n = 1; n <= calls; ++n) {
    fault::Arm(n);
    EXPECT_THROW(WriteWorkbookFile(wb, path, FileKind::Xlsx), fault::InjectedFault) << n;
    EXPECT_EQ(ReadFile(path), before) << n;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"成绩.xlsx"}) << n;
  }
  fault::Arm(0);
}
#endif

TEST(Rollback, AJournalPutsBackTheFilesSavedWhileItWasAlive) {
  ScratchDir dir;
  WorkbookHost host;
  Workbook& wb = host.Add();
  wb.Sheet(1).PutValue(1, 1, "旧");
  const std::string path = dir / "运动会.xlsm";
  WriteWorkbookFile(wb, path, FileKind::Xlsm);
  const std::string before = ReadFile(path);
  {
    SaveJournal journal;
    wb.Sheet(1).PutValue(1, 1, "新");
    WriteWorkbookFile(wb, path, FileKind::Xlsm);
    WriteWorkbookFile(wb, path, FileKind::Xlsm);  // recorded once, with the first old bytes
    WriteWorkbookFile(wb, dir / "报表.xlsx", FileKind::Xlsx);
    EXPECT_EQ(journal.Size(), 2u);
    EXPECT_EQ(journal.RollBack(), std::vector<std::string>{});
  }
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"运动会.xlsm"});
}
