// The workbook window over the host: tabs follow the active sheet both ways;
// typed, pasted and deleted cells reach the host by the rule of typed cells;
// a locked cell of a protected sheet refuses and nothing changes; header
// drags store widths and heights in the host; the grid shows what the host
// shows (formats, merges, hidden rows, conditional fills).
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabBar>

#include "gui/sheet_model.h"
#include "gui_support.h"
#include "host/range.h"
#include "host/workbook.h"

namespace korvane::gui::testing {
namespace {

class WorkbookWindowTest : public DesktopTest {
 protected:
  void SetUp() override {
    NewMeet();
    meet_ = Host().ActiveWorkbook();
    ASSERT_NE(meet_, nullptr);
    ASSERT_TRUE(workbooks_->isVisible());
    ui_.boxes.clear();  // what 新建 said
  }
  std::string Text(host::Worksheet& ws, int row, int col) { return ws.ValueAt(row, col).ToText(); }

  host::Workbook* meet_ = nullptr;
};

TEST_F(WorkbookWindowTest, TabsAreTheVisibleSheetsAndFollowTheActiveSheetBothWays) {
  QTabBar* tabs = workbooks_->Tabs();
  std::vector<std::string> visible;
  for (host::Worksheet* ws : meet_->Sheets())
    if (ws->Visible()) visible.push_back(ws->Name());
  ASSERT_EQ(tabs->count(), static_cast<int>(visible.size()));
  for (int i = 0; i < tabs->count(); ++i)
    EXPECT_EQ(tabs->tabText(i).toStdString(), visible[static_cast<std::size_t>(i)]);
  EXPECT_EQ(tabs->tabText(tabs->currentIndex()).toStdString(), meet_->ActiveSheet().Name());

  ShowTab("2");
  EXPECT_EQ(meet_->ActiveSheet().Name(), "2");  // the host follows the tab

  meet_->SetActiveSheet(meet_->Sheet("1"));  // and the tab follows the host
  window_->Sync();
  EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("1"));
  EXPECT_EQ(workbooks_->Books()->currentText().toStdString(), meet_->Name());
}

TEST_F(WorkbookWindowTest, TypingReachesTheHostAsTypedCellsDo) {
  host::Worksheet& team = ShowTab("1");
  GoTo(4, 3);
  Type(QStringLiteral("Zhang"));
  EXPECT_EQ(Text(team, 4, 3), "Zhang");
  EXPECT_EQ(workbooks_->Grid()->currentIndex().row(), 4);  // Enter moved down
  Type(QStringLiteral("12.5"));
  EXPECT_TRUE(team.ValueAt(5, 3).IsNumber());
  GoTo(6, 3);
  Type(QStringLiteral("=C5*2"));
  EXPECT_EQ(team.FormulaAt(6, 3), "C5*2");
  EXPECT_EQ(team.ValueAt(6, 3), host::CellValue(25.0));
  GoTo(6, 3);
  EXPECT_EQ(workbooks_->FormulaLine()->text(), QStringLiteral("=C5*2"));
  EXPECT_FALSE(meet_->Saved());

  // Delete clears the selection.
  GoTo(4, 3);
  QTest::keyClick(workbooks_->Grid(), Qt::Key_Delete);
  EXPECT_FALSE(team.HasContent(4, 3));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(WorkbookWindowTest, ALockedCellRefusesWithAChineseMessageAndKeepsItsValue) {
  host::Worksheet& team = ShowTab("1");
  ASSERT_TRUE(team.ProtectContents());
  const std::string before = Text(team, 1, 1);
  GoTo(1, 1);
  Type(QStringLiteral("x"));
  EXPECT_EQ(Text(team, 1, 1), before);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_NE(ui_.boxes[0].text.find("受保护"), std::string::npos);
  EXPECT_EQ(ui_.boxes[0].icon, shell::Icon::Exclamation);
}

TEST_F(WorkbookWindowTest, PastedTabSeparatedTextFillsTheCellsAndALockedCellStopsTheWholePaste) {
  host::Worksheet& team = ShowTab("1");
  GoTo(4, 3);
  QApplication::clipboard()->setText(QStringLiteral("李四\t√\r\n王五\t\r\n"));
  QTest::keyClick(workbooks_->Grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(team, 4, 3), "李四");
  EXPECT_EQ(Text(team, 4, 4), "√");
  EXPECT_EQ(Text(team, 5, 3), "王五");
  EXPECT_FALSE(team.HasContent(5, 4));

  // A block reaching into the locked row numbers changes nothing.
  GoTo(4, 2);
  QApplication::clipboard()->setText(QStringLiteral("9\t赵六\n"));
  QTest::keyClick(workbooks_->Grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(team, 4, 3), "李四");
  ASSERT_EQ(ui_.boxes.size(), 1u);

  // Copy gives the same text back.
  GoTo(4, 3);
  workbooks_->Grid()->selectionModel()->select(
      QItemSelection(workbooks_->Grid()->model()->index(3, 2), workbooks_->Grid()->model()->index(4, 3)),
      QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(workbooks_->Grid()->CopyText(), QStringLiteral("李四\t√\n王五\t\n"));
}

TEST_F(WorkbookWindowTest, HeaderDragsAreStoredInTheHostAndRefusedOnAProtectedSheet) {
  host::Worksheet& team = ShowTab("1");
  QHeaderView* cols = workbooks_->Grid()->horizontalHeader();
  const double before = team.ColumnWidth(3);
  const int px = cols->sectionSize(2);
  cols->resizeSection(2, px + 40);
  EXPECT_EQ(team.ColumnWidth(3), before);
  EXPECT_EQ(cols->sectionSize(2), px);
  EXPECT_FALSE(ui_.boxes.empty());

  team.Unprotect();
  ui_.boxes.clear();
  cols->resizeSection(2, px + 40);
  EXPECT_GT(team.ColumnWidth(3), before);
  EXPECT_EQ(ColumnWidthPixels(team, team.ColumnWidth(3)), px + 40);
  QHeaderView* rows = workbooks_->Grid()->verticalHeader();
  rows->resizeSection(9, 60);
  EXPECT_DOUBLE_EQ(team.RowHeight(10), 45);
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(WorkbookWindowTest, EachSheetShowsOnlyItsOwnHiddenLinesAndHeights) {
  host::Worksheet& one = meet_->Sheet("1");
  host::Worksheet& two = meet_->Sheet("2");
  one.SetRowHidden(5, true);
  one.SetColumnHidden(6, true);
  one.SetRowHeight(7, 40);
  two.SetRowHidden(8, true);
  ASSERT_NE(two.RowHeight(7), 40);
  window_->Sync();
  SheetView* grid = workbooks_->Grid();
  for (const char* name : {"1", "2", "1", "2"}) {
    host::Worksheet& ws = ShowTab(name);
    for (int r = 1; r <= 10; ++r) EXPECT_EQ(grid->isRowHidden(r - 1), ws.RowHidden(r)) << name << " row " << r;
    EXPECT_EQ(grid->isColumnHidden(5), ws.ColumnHidden(6)) << name;
    EXPECT_EQ(grid->rowHeight(6), RowHeightPixels(ws.RowHeight(7))) << name;
  }
}

// The grid's reading of a sheet, on a workbook of its own.
TEST(SheetModelTest, ShowsValuesFormatsMergesAndConditionalFills) {
  host::WorkbookHost host;
  host::Workbook& book = host.Add();
  host::Worksheet& ws = book.Sheet(1);
  ws.Cells(1, 1).SetValue(host::CellValue(0.3645833333));
  ws.Cells(1, 1).SetNumberFormat("h:mm");
  ws.Cells(2, 1).SetValue(host::CellValue(3));
  ws.Cells(2, 1).SetNumberFormat("\"第\"0\"组\"");
  ws.Cells(3, 1).SetValue(host::CellValue("=A2*2"));
  ws.RangeAt("B1:C2").Merge();
  ws.Cells(4, 1).SetValue(host::CellValue(5));
  host::ConditionalFormat cf;
  cf.areas.push_back(host::RangeRef{4, 1, 5, 1});
  host::ConditionalRule rule;
  rule.formula = "A4>3";
  rule.format.fill = 0xFFFFC7CE;
  cf.rules.push_back(rule);
  ws.ConditionalFormats().push_back(cf);
  ws.Cells(5, 1).SetValue(host::CellValue(1));

  SheetModel model;
  model.SetSheet(&ws);
  auto display = [&](int r, int c) { return model.index(r - 1, c - 1).data(Qt::DisplayRole).toString(); };
  EXPECT_EQ(display(1, 1), QStringLiteral("8:45"));
  EXPECT_EQ(display(2, 1), QStringLiteral("第3组"));
  EXPECT_EQ(display(3, 1), QStringLiteral("6"));
  EXPECT_EQ(model.index(2, 0).data(Qt::EditRole).toString(), QStringLiteral("=A2*2"));
  EXPECT_EQ(model.index(3, 0).data(FillRole).value<QColor>(), QColor(0xFF, 0xC7, 0xCE));
  EXPECT_FALSE(model.index(4, 0).data(FillRole).isValid());

  // The window spans merged areas and hides hidden rows.
  ws.SetRowHidden(7, true);
  AnsweringUi ui;
  WorkbookWindow window(ui);
  host.visible = true;
  window.Refresh(&host);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.Grid()->rowSpan(0, 1), 2);
  EXPECT_EQ(window.Grid()->columnSpan(0, 1), 2);
  EXPECT_TRUE(window.Grid()->isRowHidden(6));
  host.Close(book);
  window.Refresh(&host);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace korvane::gui::testing
