// The workbook window over the host: tabs follow the active sheet both ways;
// typed, pasted and deleted cells reach the host by the rule of typed cells;
// a locked cell of a protected sheet refuses and nothing changes; header
// drags store widths and heights in the host; the grid shows what the host
// shows (formats, merges, hidden rows, conditional fills).
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
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

TEST_F(WorkbookWindowTest, MovingTheCursorWithoutShiftLeavesOnlyItsCellSelected) {
  host::Worksheet& team = ShowTab("1");
  SheetView* grid = workbooks_->Grid();
  auto pasteTen = [&] {
    GoTo(4, 3);
    QApplication::clipboard()->setText(QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n"));
    QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(grid->selectionModel()->selectedIndexes().size(), 10);
  };
  auto names = [&] {
    int n = 0;
    for (int r = 4; r <= 13; ++r) n += team.HasContent(r, 3) ? 1 : 0;
    return n;
  };
  pasteTen();
  QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(grid, Qt::Key_Down, Qt::ControlModifier);
  const QModelIndex at = grid->currentIndex();  // a merged cell is selected whole
  EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), grid->rowSpan(at.row(), at.column()));
  EXPECT_FALSE(grid->selectionModel()->isSelected(grid->model()->index(3, 2)));
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(names(), 10);

  pasteTen();
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->selectionModel()->selectedIndexes(), QModelIndexList{grid->model()->index(4, 2)});
  QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);  // Shift stretches the selection
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(names(), 8);
  EXPECT_FALSE(team.HasContent(5, 3));
  EXPECT_FALSE(team.HasContent(6, 3));

  // A right click inside the selection keeps it; outside it selects the cell clicked.
  pasteTen();
  QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualRect(grid->model()->index(7, 2)).center());
  EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), 10);
  QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualRect(grid->model()->index(7, 5)).center());
  EXPECT_EQ(grid->selectionModel()->selectedIndexes(), QModelIndexList{grid->model()->index(7, 5)});
}

TEST_F(WorkbookWindowTest, TheKeysGoToTheGridAgainAfterACommand) {
  ShowTab("1");
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  ASSERT_NE(QApplication::focusWidget(), workbooks_->Grid());
  ui_.drivers.push_back([](DialogView& view) { PressButton(view, "cmdOK"); });
  Choose("About");
  EXPECT_TRUE(QTest::qWaitForWindowActive(workbooks_.get()));
  EXPECT_EQ(QApplication::focusWidget(), workbooks_->Grid());
}

TEST_F(WorkbookWindowTest, ItsCloseBoxAsksAsQuitDoes) {
  ShowTab("1");
  GoTo(4, 3);
  Type(QStringLiteral("Zhang"));
  ui_.answers.push_back(shell::Answer::Cancel);
  workbooks_->close();
  ASSERT_EQ(ui_.boxes.size(), 1u);  // the unsaved changes, asked about
  EXPECT_EQ(ui_.boxes[0].buttons, shell::Buttons::YesNoCancel);
  EXPECT_FALSE(program_->Ended());
  EXPECT_TRUE(workbooks_->isVisible());

  ui_.answers.push_back(shell::Answer::No);
  workbooks_->close();
  EXPECT_TRUE(program_->Ended());
  EXPECT_FALSE(workbooks_->isVisible());
}

TEST_F(WorkbookWindowTest, CtrlSSavesEverythingAndTheTitleMarksUnsavedChanges) {
  ShowTab("1");
  workbooks_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(workbooks_.get()));
  SheetView* grid = workbooks_->Grid();
  auto marked = [&] { return workbooks_->windowTitle().startsWith(QLatin1Char('*')); };
  EXPECT_EQ(marked(), !meet_->Saved());
  QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(meet_->Saved());
  EXPECT_FALSE(marked());
  GoTo(4, 3);
  Type(QStringLiteral("Zhang"));
  EXPECT_TRUE(marked());

  // Ctrl+S in the middle of typing a cell enters it and saves.
  QTest::keyClick(grid, Qt::Key_L);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
  QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Text(meet_->Sheet("1"), 5, 3), "l");
  EXPECT_TRUE(meet_->Saved());
  EXPECT_FALSE(marked());
  EXPECT_TRUE(ui_.boxes.empty());
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

namespace korvane::gui::testing {
namespace {

// Ctrl+arrows jump as in a spreadsheet, on a column holding A2:A5 and A9.
TEST(SheetViewTest, CtrlArrowsJumpToTheEdgeOfTheData) {
  host::WorkbookHost host;
  host::Workbook& book = host.Add();
  host::Worksheet& ws = book.Sheet(1);
  for (int r : {2, 3, 4, 5, 9}) ws.Cells(r, 1).SetValue(host::CellValue(r));
  AnsweringUi ui;
  WorkbookWindow window(ui);
  host.visible = true;
  window.Refresh(&host);
  SheetView* grid = window.Grid();
  const int last = grid->model()->rowCount();
  struct Case {
    int from;
    Qt::Key key;
    int to;
  };
  for (const Case& c :
       {Case{2, Qt::Key_Down, 5}, Case{5, Qt::Key_Down, 9}, Case{9, Qt::Key_Down, last}, Case{3, Qt::Key_Up, 2},
        Case{9, Qt::Key_Up, 5}, Case{2, Qt::Key_Up, 1}, Case{7, Qt::Key_Up, 5}}) {
    grid->setCurrentIndex(grid->model()->index(c.from - 1, 0));
    QTest::keyClick(grid, c.key, Qt::ControlModifier);
    EXPECT_EQ(grid->currentIndex().row() + 1, c.to) << "from A" << c.from;
  }
  host.Close(book);
  window.Refresh(&host);
}

}  // namespace
}  // namespace korvane::gui::testing
