#include "gui/workbook_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "gui/cell_painter.h"
#include "gui/fonts.h"
#include "gui/sheet_model.h"
#include "host/application.h"
#include "host/workbook.h"

namespace korvane::gui {

namespace {

// Splits tab-separated text as spreadsheets put it on the clipboard: rows by
// line feeds, cells by tabs; a cell in double quotes may hold tabs, line feeds
// and doubled quotes.
std::vector<std::vector<QString>> ParseTabbed(const QString& text) {
  std::vector<std::vector<QString>> rows(1);
  QString cell;
  bool quoted = false, atCellStart = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (quoted) {
      if (c == QLatin1Char('"')) {
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
          cell += c;
          ++i;
        } else {
          quoted = false;
        }
      } else {
        cell += c;
      }
      continue;
    }
    if (c == QLatin1Char('"') && atCellStart) {
      quoted = true;
      atCellStart = false;
    } else if (c == QLatin1Char('\t')) {
      rows.back().push_back(cell);
      cell.clear();
      atCellStart = true;
    } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
      rows.back().push_back(cell);
      cell.clear();
      rows.emplace_back();
      atCellStart = true;
    } else {
      cell += c;
      atCellStart = false;
    }
  }
  if (!cell.isEmpty() || !rows.back().empty()) rows.back().push_back(cell);
  if (rows.back().empty()) rows.pop_back();  // the line feed after the last row
  return rows;
}

QString Quoted(const QString& cell) {
  if (!cell.contains(QLatin1Char('\t')) && !cell.contains(QLatin1Char('\n')) && !cell.contains(QLatin1Char('"')))
    return cell;
  QString q = cell;
  q.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

// ---- the grid ----

SheetView::SheetView(QWidget* parent) : QTableView(parent) {
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setShowGrid(false);  // the cell painter draws grid lines where no border is
  setWordWrap(true);
  horizontalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(true);
}

SheetModel* SheetView::Model() const { return qobject_cast<SheetModel*>(model()); }

QString SheetView::CopyText() const {
  const QItemSelection sel = selectionModel()->selection();
  if (sel.isEmpty()) {
    QModelIndex i = currentIndex();
    return i.isValid() ? Quoted(i.data(Qt::DisplayRole).toString()) + QLatin1Char('\n') : QString();
  }
  const QItemSelectionRange& range = sel.first();
  QString text;
  for (int r = range.top(); r <= range.bottom(); ++r) {
    for (int c = range.left(); c <= range.right(); ++c) {
      if (c > range.left()) text += QLatin1Char('\t');
      text += Quoted(model()->index(r, c).data(Qt::DisplayRole).toString());
    }
    text += QLatin1Char('\n');
  }
  return text;
}

void SheetView::CopySelection() { QApplication::clipboard()->setText(CopyText()); }

bool SheetView::PasteText(const QString& text) {
  SheetModel* m = Model();
  if (!m) return false;
  auto rows = ParseTabbed(text);
  if (rows.empty()) return false;
  // At the current cell, or at the top-left of the selected block holding it.
  QModelIndex at = currentIndex();
  int top = at.isValid() ? at.row() : 0, left = at.isValid() ? at.column() : 0;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    if (range.contains(at)) {
      top = range.top();
      left = range.left();
    }
  }
  if (!m->TypeBlock(top + 1, left + 1, rows)) return false;
  int width = 0;
  for (const auto& r : rows) width = std::max(width, static_cast<int>(r.size()));
  QItemSelection pasted(m->index(top, left),
                        m->index(std::min(m->rowCount() - 1, top + static_cast<int>(rows.size()) - 1),
                                 std::min(m->columnCount() - 1, left + width - 1)));
  selectionModel()->select(pasted, QItemSelectionModel::ClearAndSelect);
  return true;
}

void SheetView::Paste() { PasteText(QApplication::clipboard()->text()); }

void SheetView::ClearSelection() {
  SheetModel* m = Model();
  if (!m) return;
  // Only a selection holding the cursor is cleared; otherwise the cursor's cell.
  QItemSelection sel = selectionModel()->selection();
  if (currentIndex().isValid() && !sel.contains(currentIndex())) {
    sel.clear();
    sel.select(currentIndex(), currentIndex());
  }
  for (const QItemSelectionRange& r : sel)
    if (!m->ClearBlock(r.top(), r.left(), r.bottom(), r.right())) return;
}

void SheetView::CommitEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void SheetView::MoveCurrent(int dRow, int dCol) {
  QModelIndex i = currentIndex();
  if (!i.isValid() || !model()) return;
  int row = std::clamp(i.row() + dRow, 0, model()->rowCount() - 1);
  int col = std::clamp(i.column() + dCol, 0, model()->columnCount() - 1);
  // Step over the rest of a merged area and over hidden lines.
  while (dRow > 0 && row < model()->rowCount() - 1 &&
         (rowSpan(i.row(), i.column()) > row - i.row() || isRowHidden(row)))
    ++row;
  while (dCol > 0 && col < model()->columnCount() - 1 &&
         (columnSpan(i.row(), i.column()) > col - i.column() || isColumnHidden(col)))
    ++col;
  while (dRow < 0 && row > 0 && isRowHidden(row)) --row;
  while (dCol < 0 && col > 0 && isColumnHidden(col)) --col;
  selectionModel()->setCurrentIndex(model()->index(row, col), QItemSelectionModel::ClearAndSelect);
}

QModelIndex SheetView::DataEdge(const QModelIndex& from, int dRow, int dCol) const {
  const SheetModel* m = Model();
  if (!m || !m->Sheet() || !from.isValid()) return from;
  const host::Worksheet& ws = *m->Sheet();
  // The next shown line in the direction of travel; -1 past the edge.
  auto step = [&](int row, int col) -> std::pair<int, int> {
    do {
      row += dRow;
      col += dCol;
    } while (row >= 0 && row < m->rowCount() && col >= 0 && col < m->columnCount() &&
             (isRowHidden(row) || isColumnHidden(col)));
    if (row < 0 || row >= m->rowCount() || col < 0 || col >= m->columnCount()) return {-1, -1};
    return {row, col};
  };
  auto filled = [&](int row, int col) { return ws.HasContent(row + 1, col + 1); };
  int row = from.row(), col = from.column();
  auto next = step(row, col);
  if (next.first < 0) return from;
  if (filled(row, col) && filled(next.first, next.second)) {
    // Along the run of filled cells to its last one.
    while (next.first >= 0 && filled(next.first, next.second)) {
      row = next.first;
      col = next.second;
      next = step(row, col);
    }
  } else {
    // Over the blanks to the next filled cell, or to the last line.
    while (next.first >= 0) {
      row = next.first;
      col = next.second;
      if (filled(row, col)) break;
      next = step(row, col);
    }
  }
  return m->index(row, col);
}

QModelIndex SheetView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ControlModifier) {
    switch (action) {
      case MoveUp: return DataEdge(currentIndex(), -1, 0);
      case MoveDown: return DataEdge(currentIndex(), 1, 0);
      case MoveLeft: return DataEdge(currentIndex(), 0, -1);
      case MoveRight: return DataEdge(currentIndex(), 0, 1);
      default: break;
    }
  }
  return QTableView::moveCursor(action, modifiers);
}

QItemSelectionModel::SelectionFlags SheetView::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  if (event && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Home:
      case Qt::Key_End:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        return key->modifiers() & Qt::ShiftModifier ? QItemSelectionModel::SelectCurrent
                                                    : QItemSelectionModel::ClearAndSelect;
      default: break;
    }
  }
  return QTableView::selectionCommand(index, event);
}

void SheetView::keyPressEvent(QKeyEvent* event) {
  if (state() != QAbstractItemView::EditingState) {
    if (event->matches(QKeySequence::Copy)) {
      CopySelection();
      return;
    }
    if (event->matches(QKeySequence::Paste)) {
      Paste();
      return;
    }
    switch (event->key()) {
      case Qt::Key_Delete: ClearSelection(); return;
      case Qt::Key_Return:
      case Qt::Key_Enter: MoveCurrent(event->modifiers() & Qt::ShiftModifier ? -1 : 1, 0); return;
      case Qt::Key_Tab: MoveCurrent(0, 1); return;
      case Qt::Key_Backtab: MoveCurrent(0, -1); return;
      default: break;
    }
  }
  QTableView::keyPressEvent(event);
}

void SheetView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  // Enter moves down, Tab right, Shift+Tab left, as in a spreadsheet.
  if (hint == QAbstractItemDelegate::SubmitModelCache)
    MoveCurrent(1, 0);
  else if (hint == QAbstractItemDelegate::EditNextItem)
    MoveCurrent(0, 1);
  else if (hint == QAbstractItemDelegate::EditPreviousItem)
    MoveCurrent(0, -1);
  setFocus();
}

// ---- the window ----

WorkbookWindow::WorkbookWindow(shell::Ui& ui, QWidget* parent) : QWidget(parent, Qt::Window), ui_(ui) {
  setWindowTitle(QStringLiteral("Korvane"));
  setFont(DialogFont());
  resize(1000, 700);

  books_ = new QComboBox(this);
  books_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  books_->setToolTip(QStringLiteral("打开的工作簿"));
  address_ = new QLabel(this);
  address_->setMinimumWidth(70);
  address_->setFrameShape(QFrame::StyledPanel);
  address_->setAlignment(Qt::AlignCenter);
  formula_ = new QLineEdit(this);
  formula_->setToolTip(QStringLiteral("单元格内容（有公式时显示公式）"));

  model_ = new SheetModel(this);
  grid_ = new SheetView(this);
  painter_ = new CellPainter(grid_);
  grid_->setItemDelegate(painter_);
  grid_->setModel(model_);

  tabs_ = new QTabBar(this);
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);
  status_ = new QStatusBar(this);
  status_->setSizeGripEnabled(false);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("工作簿："), this));
  top->addWidget(books_);
  top->addSpacing(12);
  top->addWidget(address_);
  top->addWidget(new QLabel(QStringLiteral("fx"), this));
  top->addWidget(formula_, 1);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(4, 4, 4, 0);
  box->setSpacing(2);
  box->addLayout(top);
  box->addWidget(grid_, 1);
  box->addWidget(tabs_);
  box->addWidget(status_);

  connect(model_, &SheetModel::refused, this, [this](const QString& reason) {
    ui_.MessageBox(reason.toStdString(), shell::Icon::Exclamation);
    FocusGrid();
  });
  connect(model_, &SheetModel::edited, this, &WorkbookWindow::UpdateFormulaBar);
  connect(model_, &SheetModel::edited, this, &WorkbookWindow::UpdateTitle);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, &WorkbookWindow::UpdateFormulaBar);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, &WorkbookWindow::UpdateFormulaBar,
            Qt::UniqueConnection);
  });
  connect(formula_, &QLineEdit::returnPressed, this, [this] {
    QModelIndex i = grid_->currentIndex();
    if (!i.isValid()) return;
    if (model_->TypeInto(i.row() + 1, i.column() + 1, formula_->text())) grid_->setFocus();
    UpdateFormulaBar();
  });
  connect(tabs_, &QTabBar::currentChanged, this, &WorkbookWindow::TabChosen);
  connect(books_, &QComboBox::activated, this, &WorkbookWindow::BookChosen);
  connect(grid_->horizontalHeader(), &QHeaderView::sectionResized, this, &WorkbookWindow::ColumnResized);
  connect(grid_->verticalHeader(), &QHeaderView::sectionResized, this, &WorkbookWindow::RowResized);
}

WorkbookWindow::~WorkbookWindow() = default;

host::Worksheet* WorkbookWindow::CurrentSheet() const { return model_->Sheet(); }

void WorkbookWindow::FocusGrid() {
  if (!isVisible()) return;
  activateWindow();
  grid_->setFocus(Qt::OtherFocusReason);
}

void WorkbookWindow::SetStatusText(const QString& text) { status_->showMessage(text); }

void WorkbookWindow::Refresh(host::WorkbookHost* host) {
  host_ = host;
  updating_ = true;
  if (!host || host->WorkbooksCount() == 0) {
    model_->SetSheet(nullptr);
    bookList_.clear();
    tabSheets_.clear();
    books_->clear();
    while (tabs_->count()) tabs_->removeTab(0);
    hide();
    updating_ = false;
    return;
  }
  bookList_ = host->Workbooks();
  host::Workbook* active = host->ActiveWorkbook();
  if (!active) active = bookList_.back();
  books_->clear();
  for (host::Workbook* b : bookList_) books_->addItem(QString::fromStdString(b->Name()));
  books_->setCurrentIndex(static_cast<int>(std::find(bookList_.begin(), bookList_.end(), active) - bookList_.begin()));

  tabSheets_.clear();
  while (tabs_->count()) tabs_->removeTab(0);
  host::Worksheet* activeSheet = &active->ActiveSheet();
  host::Worksheet* shown = nullptr;
  for (host::Worksheet* ws : active->Sheets()) {
    if (!ws->Visible()) continue;
    tabSheets_.push_back(ws);
    tabs_->addTab(QString::fromStdString(ws->Name()));
    if (ws == activeSheet) shown = ws;
  }
  if (!shown && !tabSheets_.empty()) shown = tabSheets_.front();
  if (shown)
    tabs_->setCurrentIndex(
        static_cast<int>(std::find(tabSheets_.begin(), tabSheets_.end(), shown) - tabSheets_.begin()));

  // The same sheet keeps its scroll position and current cell.
  const bool same = shown == model_->Sheet();
  const int h = grid_->horizontalScrollBar()->value(), v = grid_->verticalScrollBar()->value();
  const QModelIndex current = grid_->currentIndex();
  ShowSheet(shown);
  if (same) {
    grid_->horizontalScrollBar()->setValue(h);
    grid_->verticalScrollBar()->setValue(v);
    if (current.isValid()) grid_->setCurrentIndex(model_->index(current.row(), current.column()));
  }
  UpdateTitle();
  SetStatusText(QString::fromStdString(host->statusBar));
  updating_ = false;
  if (host->visible) show();
}

void WorkbookWindow::ShowSheet(host::Worksheet* ws) {
  const bool wasUpdating = updating_;
  updating_ = true;
  model_->SetSheet(ws);
  ApplySheetLayout();
  if (ws && !grid_->currentIndex().isValid()) grid_->setCurrentIndex(model_->index(0, 0));
  updating_ = wasUpdating;
  UpdateFormulaBar();
}

void WorkbookWindow::ApplySheetLayout() {
  host::Worksheet* ws = model_->Sheet();
  grid_->clearSpans();
  if (!ws) return;
  painter_->SetGridLines(ws->showGridLines);
  QHeaderView* cols = grid_->horizontalHeader();
  QHeaderView* rows = grid_->verticalHeader();
  const int rowCount = model_->rowCount(), colCount = model_->columnCount();
  for (int c = 0; c < colCount; ++c) {
    const bool hidden = ws->ColumnHidden(c + 1);
    grid_->setColumnHidden(c, hidden);
    if (!hidden) cols->resizeSection(c, ColumnWidthPixels(*ws, ws->ColumnWidth(c + 1)));
  }
  // The header keeps hidden lines and sizes across a model reset, so every
  // row is set to this sheet's state: shown or hidden, and its own height.
  const int defaultHeight = RowHeightPixels(ws->DefaultRowHeight());
  rows->setDefaultSectionSize(defaultHeight);
  const auto& rowMap = ws->RowMap();
  auto it = rowMap.begin();
  for (int r = 0; r < rowCount; ++r) {
    while (it != rowMap.end() && it->first < r + 1) ++it;
    const host::Row* row = it != rowMap.end() && it->first == r + 1 ? &it->second : nullptr;
    const bool hidden = row && row->hidden;
    if (grid_->isRowHidden(r) != hidden) grid_->setRowHidden(r, hidden);
    if (hidden) continue;
    const int height = row && row->height >= 0 ? RowHeightPixels(row->height) : defaultHeight;
    if (rows->sectionSize(r) != height) rows->resizeSection(r, height);
  }
  for (const host::RangeRef& m : ws->Merges()) {
    if (m.r1 > rowCount || m.c1 > colCount) continue;
    const int r2 = std::min(m.r2, rowCount), c2 = std::min(m.c2, colCount);
    if (r2 > m.r1 || c2 > m.c1) grid_->setSpan(m.r1 - 1, m.c1 - 1, r2 - m.r1 + 1, c2 - m.c1 + 1);
  }
}

// The workbook's name, after a "*" while it has changes not yet saved.
void WorkbookWindow::UpdateTitle() {
  host::Worksheet* ws = model_->Sheet();
  if (!ws) return;
  const host::Workbook& book = ws->Book();
  setWindowTitle((book.Saved() ? QString() : QStringLiteral("*")) + QStringLiteral("Korvane - ") +
                 QString::fromStdString(book.Name()));
}

void WorkbookWindow::UpdateFormulaBar() {
  QModelIndex i = grid_->currentIndex();
  if (!i.isValid() || !model_->Sheet()) {
    address_->clear();
    formula_->clear();
    return;
  }
  address_->setText(CellAddress(i.row() + 1, i.column() + 1));
  formula_->setText(model_->EditText(i.row() + 1, i.column() + 1));
}

void WorkbookWindow::TabChosen(int index) {
  if (updating_ || index < 0 || index >= static_cast<int>(tabSheets_.size())) return;
  host::Worksheet* ws = tabSheets_[static_cast<std::size_t>(index)];
  ws->Book().SetActiveSheet(*ws);  // the host's active sheet follows the tab
  ShowSheet(ws);
}

void WorkbookWindow::BookChosen(int index) {
  if (updating_ || !host_ || index < 0 || index >= static_cast<int>(bookList_.size())) return;
  host_->Activate(*bookList_[static_cast<std::size_t>(index)]);
  Refresh(host_);
}

void WorkbookWindow::ColumnResized(int col, int oldSize, int newSize) {
  if (updating_ || !model_->Sheet() || newSize == 0) return;
  if (!model_->StoreColumnWidth(col, newSize)) {
    updating_ = true;
    grid_->horizontalHeader()->resizeSection(col, oldSize);
    updating_ = false;
  }
  UpdateTitle();
}

void WorkbookWindow::RowResized(int row, int oldSize, int newSize) {
  if (updating_ || !model_->Sheet() || newSize == 0) return;
  if (!model_->StoreRowHeight(row, newSize)) {
    updating_ = true;
    grid_->verticalHeader()->resizeSection(row, oldSize);
    updating_ = false;
  }
  UpdateTitle();
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
  // The close box is 退出: it asks about unsaved changes and ends the
  // program, or 取消 keeps both windows as they are.
  if (!closeAllowed_ && onCloseRequested) onCloseRequested();
  if (closeAllowed_)
    event->accept();
  else
    event->ignore();
}

}  // namespace korvane::gui
