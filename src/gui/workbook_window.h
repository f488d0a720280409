// The workbook window: one window for all open workbooks (a list to switch
// between them), the formula bar, the grid of the active sheet, a tab per
// visible sheet and the host's status bar. It stands in for the spreadsheet
// application's own window: shown when the host is visible and a workbook is
// open, hidden when none is, and it has no close box while the program runs.
#pragma once

#include <QTableView>
#include <QWidget>

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

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  void MoveCurrent(int dRow, int dCol);
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
