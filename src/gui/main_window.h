// The main window: a small always-on-top window with only the menu bar. The
// menu is built from the program's menu tree and mirrors MenuState after
// every command; choosing an item runs its command through the program.
#pragma once

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>

#include "shell/program.h"

class QAction;
class QMenu;

namespace korvane::gui {

class WorkbookWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(shell::Program& program, WorkbookWindow* workbooks, QWidget* parent = nullptr);

  // Runs once the program has ended (退出): the desktop leaves its event loop.
  std::function<void()> onEnded;

  // Runs the command of a menu control as choosing the item does (nothing when
  // the item is disabled), then mirrors the menu, caption and workbooks.
  void RunCommand(const std::string& control);
  // Menu, caption and workbook window from the program's state.
  void Sync();
  // The action of a menu item by control name; null when none.
  QAction* Action(const std::string& control) const;
  // The top-level menu with that caption; null when none.
  QMenu* Menu(const QString& caption) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddNodes(QMenu* menu, const std::vector<shell::MenuNode>& nodes);

  shell::Program& program_;
  WorkbookWindow* workbooks_;
  std::map<std::string, QAction*> actions_;
  bool running_ = false;  // a command is running (menus take no second one)
};

}  // namespace korvane::gui
