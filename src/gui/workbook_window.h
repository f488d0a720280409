// The workbook window: one window for all open workbooks (a list to switch
// between them), the formula bar, the grid of the active sheet, a tab per
// visible sheet and the host's status bar. It stands in for the spreadsheet
// application's own window: shown when the host is visible and a workbook is
// open, hidden when none is. Its close box asks to end the program, as the
// menu window's does; the window itself closes only once the program ends.
#pragma once

#include <QTableView>
#include <QWidget>

#include <functional>

#include "shell/ui.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QTabBar;

namespace korvane::host {
class WorkbookHost;
class Workbook;
class Worksheet;
}  // namespace korvane::host

namespace korvane::gui {

class CellPainter;
class SheetModel;

// The grid: spreadsheet keys (F2 and typing edit, Delete clears, Enter moves
// down, Tab right, Ctrl+C / Ctrl+V copy and paste tab-separated text).
class SheetView : public QTableView {
  Q_OBJECT

 public:
  explicit SheetView(QWidget* parent = nullptr);
  SheetModel* Model() const;
  // The selection as tab-separated text (rows by line feeds).
  QString CopyText() const;
  // Pastes tab-separated text at the current cell; false when refused.
  bool PasteText(const QString& text);
  void CopySelection();
  void Paste();
  void ClearSelection();
  // Ends an edit in progress, keeping what was typed (as Enter does, without moving).
  void CommitEdit();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  // A cursor key without Shift leaves a single selected cell where the cursor
  // lands (Ctrl included); with Shift it stretches the selection.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;
  // Ctrl+arrow jumps to the edge of the data: the last filled cell of a run,
  // or the next filled cell after blanks, or the sheet's edge.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  void MoveCurrent(int dRow, int dCol);
  QModelIndex DataEdge(const QModelIndex& from, int dRow, int dCol) const;
};

class WorkbookWindow : public QWidget {
  Q_OBJECT

 public:
  explicit WorkbookWindow(shell::Ui& ui, QWidget* parent = nullptr);
  ~WorkbookWindow() override;

  // Mirrors the host: its open workbooks, the active workbook and sheet, the
  // status bar; shown or hidden as the host's visibility and workbooks say.
  // A null host (released) hides the window.
  void Refresh(host::WorkbookHost* host);
  void SetStatusText(const QString& text);
  // Once the program ends, the window may close.
  void AllowClose() { closeAllowed_ = true; }
  // Runs when the close box is pressed while the program runs.
  std::function<void()> onCloseRequested;
  // Brings the window forward with the keyboard in the grid.
  void FocusGrid();

  SheetView* Grid() const { return grid_; }
  QTabBar* Tabs() const { return tabs_; }
  QComboBox* Books() const { return books_; }
  QLineEdit* FormulaLine() const { return formula_; }
  host::Worksheet* CurrentSheet() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowSheet(host::Worksheet* ws);
  void ApplySheetLayout();
  void UpdateFormulaBar();
  void UpdateTitle();
  void TabChosen(int index);
  void BookChosen(int index);
  void ColumnResized(int col, int oldSize, int newSize);
  void RowResized(int row, int oldSize, int newSize);

  shell::Ui& ui_;
  host::WorkbookHost* host_ = nullptr;
  QComboBox* books_;
  QLabel* address_;
  QLineEdit* formula_;
  SheetView* grid_;
  SheetModel* model_;
  CellPainter* painter_;
  QTabBar* tabs_;
  QStatusBar* status_;
  std::vector<host::Workbook*> bookList_;
  std::vector<host::Worksheet*> tabSheets_;
  bool updating_ = false;
  bool closeAllowed_ = false;
};

}  // namespace korvane::gui
