#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "gui/fonts.h"
#include "gui/workbook_window.h"

namespace korvane::gui {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

MainWindow::MainWindow(shell::Program& program, WorkbookWindow* workbooks, QWidget* parent)
    : QMainWindow(parent), program_(program), workbooks_(workbooks) {
  setWindowFlag(Qt::WindowStaysOnTopHint, program.placement.topMost);
  setFont(DialogFont());
  menuBar()->setFont(DialogFont());
  menuBar()->setNativeMenuBar(false);
  for (const shell::MenuNode& top : shell::MenuTree()) {
    QMenu* menu = menuBar()->addMenu(Q(top.caption));
    menu->setObjectName(Q(top.caption));
    AddNodes(menu, top.children);
  }
  setCentralWidget(new QWidget(this));
  // The small window of the menu alone, at its place; wide enough for the
  // menu bar in the fonts installed.
  const auto& p = program.placement;
  const int width = std::max(p.width, menuBar()->sizeHint().width() + 4);
  const int height = std::max(p.height, menuBar()->sizeHint().height() + 4);
  setFixedSize(width, height);
  move(p.x, p.y);
  if (workbooks_)
    workbooks_->onCloseRequested = [this] {
      if (!running_) RunCommand("Quit");
    };
  Sync();
}

void MainWindow::AddNodes(QMenu* menu, const std::vector<shell::MenuNode>& nodes) {
  for (const shell::MenuNode& node : nodes) {
    if (!node.children.empty()) {
      QMenu* sub = menu->addMenu(Q(node.caption));
      sub->setObjectName(Q(node.caption));
      AddNodes(sub, node.children);
    } else {
      QAction* action = menu->addAction(Q(node.caption));
      action->setObjectName(Q(node.control));
      action->setCheckable(node.checkable);
      const std::string control = node.control;
      connect(action, &QAction::triggered, this, [this, control] { RunCommand(control); });
      // Ctrl+S is 保存所有 in both windows, as in a spreadsheet.
      if (node.control == "Save") {
        action->setShortcut(QKeySequence::Save);
        action->setShortcutContext(Qt::ApplicationShortcut);
      }
      actions_[node.control] = action;
    }
    if (node.separatorAfter) menu->addSeparator();
  }
}

QAction* MainWindow::Action(const std::string& control) const {
  auto it = actions_.find(control);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainWindow::Menu(const QString& caption) const {
  for (QAction* a : menuBar()->actions())
    if (a->menu() && a->text() == caption) return a->menu();
  return nullptr;
}

void MainWindow::RunCommand(const std::string& control) {
  if (running_ || program_.Ended() || !program_.Menu().Enabled(control)) {
    Sync();  // a checkable item toggled itself: put the mark back
    return;
  }
  running_ = true;
  // A cell being typed into keeps its text: it is entered before the command runs.
  if (workbooks_) workbooks_->Grid()->CommitEdit();
  program_.Run(control);  // reports a command that fails unexpectedly
  running_ = false;
  Sync();
  // After the command's boxes and dialogs the keys go to the grid again.
  if (workbooks_) workbooks_->FocusGrid();
  if (program_.Ended()) {
    if (workbooks_) {
      workbooks_->AllowClose();
      workbooks_->close();
    }
    close();
    if (onEnded) onEnded();
  }
}

void MainWindow::Sync() {
  setWindowTitle(Q(program_.Caption()));
  const shell::MenuState& menu = program_.Menu();
  for (auto& [control, action] : actions_) {
    action->setEnabled(menu.Enabled(control));
    if (action->isCheckable()) action->setChecked(menu.Checked(control));
  }
  if (workbooks_) workbooks_->Refresh(program_.HasHost() ? &program_.Host() : nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (program_.Ended()) {
    event->accept();
    return;
  }
  // Closing the window is 退出: it asks about unsaved changes (取消 keeps
  // the program running) and ends the program.
  event->ignore();
  if (running_) return;
  RunCommand("Quit");
}

}  // namespace korvane::gui
