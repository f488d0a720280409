// Fixtures of the desktop tests: the real program (every command, the shipped
// template copied into a temporary program folder, its own settings and
// default folder) behind the real main window, workbook window and dialog
// views, on Qt's offscreen platform. Only the boxes and pickers are answered
// by the test: they record what they showed and take queued answers.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/commands.h"
#include "awards/awards.h"
#include "files/files.h"
#include "gui/dialog_view.h"
#include "gui/main_window.h"
#include "gui/qt_ui.h"
#include "gui/workbook_window.h"
#include "host/application.h"
#include "processing/consolidation.h"
#include "processing/grade_merge.h"
#include "processing/simulate.h"
#include "reports/protection.h"
#include "reports/record_tables.h"
#include "reports/report_driver.h"
#include "reports/score_register.h"
#include "setup/setup.h"
#include "shell/commands.h"
#include "shell/startup.h"
#include "support/scratch.h"

namespace korvane::gui::testing {

namespace fs = std::filesystem;

struct ShownBox {
  std::string text;
  shell::Icon icon;
  shell::Buttons buttons;
  std::string title;
};

// QtUi with the boxes, pickers and input boxes answered from queues; dialogs
// are the real views, driven by `drive` once they are on screen.
class AnsweringUi : public QtUi {
 public:
  std::deque<shell::Answer> answers;
  std::deque<std::optional<std::string>> folders;
  std::deque<std::optional<std::string>> inputs;  // nullopt = cancel
  std::vector<ShownBox> boxes;
  std::vector<std::function<void(DialogView&)>> drivers;  // one per dialog, in order

  AnsweringUi() {
    onDialogShown = [this](QWidget* w) {
      auto* view = static_cast<DialogView*>(w);
      if (drivers.empty()) {
        ADD_FAILURE() << "no driver for dialog " << view->Model().Caption();
        view->Model().Close();
        view->Sync();
        return;
      }
      auto drive = std::move(drivers.front());
      drivers.erase(drivers.begin());
      drive(*view);
      if (view->isVisible()) {
        ADD_FAILURE() << "dialog left open: " << view->Model().Caption();
        view->Model().Close();
        view->Sync();
      }
    };
  }

  shell::Answer MessageBox(const std::string& text, shell::Icon icon, shell::Buttons buttons,
                           const std::string& title) override {
    boxes.push_back({text, icon, buttons, title});
    if (buttons == shell::Buttons::Ok) return shell::Answer::Ok;
    if (answers.empty()) throw std::runtime_error("unanswered question: " + text);
    shell::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::string> PickFolder(const std::string&) override {
    if (folders.empty()) throw std::runtime_error("folder picker without a folder");
    auto f = folders.front();
    folders.pop_front();
    return f;
  }
  std::optional<std::string> InputBox(const std::string& prompt, const std::string&, const std::string&) override {
    if (inputs.empty()) throw std::runtime_error("input box without input: " + prompt);
    auto in = inputs.front();
    inputs.pop_front();
    return in;
  }
  bool OpenHelp(const std::string&) override { return true; }
};

// Clicks as a user does on a dialog view: a list row, a button, the up (0) or
// down (1) arrow of a spin button.
inline void ClickListRow(DialogView& view, const std::string& list, int row) {
  auto* tree = qobject_cast<QTreeWidget*>(view.Widget(list));
  ASSERT_NE(tree, nullptr) << list;
  QTreeWidgetItem* item = tree->topLevelItem(row);
  ASSERT_NE(item, nullptr) << list << " row " << row;
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// The row of a list one of whose columns holds `text`.
inline void ClickListRowWith(DialogView& view, const std::string& list, const std::string& text) {
  const int row = view.Model().Get<shell::ListBox>(list).FindRow(text);
  ASSERT_GE(row, 0) << list << " has no row " << text;
  ClickListRow(view, list, row);
}

inline void PressButton(DialogView& view, const std::string& name) {
  auto* button = qobject_cast<QPushButton*>(view.Widget(name));
  ASSERT_NE(button, nullptr) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

inline void ClickSpin(DialogView& view, const std::string& spin, int which, int times = 1) {
  QWidget* w = view.Widget(spin);
  ASSERT_NE(w, nullptr) << spin;
  auto arrows = w->findChildren<QToolButton*>();
  ASSERT_EQ(arrows.size(), 2) << spin;
  for (int i = 0; i < times; ++i) QTest::mouseClick(arrows.at(which), Qt::LeftButton);
}

// Text typed into a widget: ASCII by its keys, anything else (Chinese, full
// width punctuation) as an input method commits it.
inline void TypeText(QWidget* w, const QString& text) {
  for (QChar ch : text) {
    if (ch.unicode() < 128) {
      QTest::keyClick(w, ch.toLatin1());
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(QString(ch));
      QApplication::sendEvent(w, &commit);
    }
  }
}

// The program with its windows, in a folder of its own.
class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest()
      : programDir_(dir_ / "program"),
        meets_(dir_ / "meets"),
        envProgram_("KORVANE_PROGRAM_DIR", programDir_.string()),
        envData_("XDG_DATA_HOME", (dir_ / "data").string()),
        envConfig_("XDG_CONFIG_HOME", (dir_ / "config").string()),
        envNow_("KORVANE_NOW", std::string("2026-12-07T09:30:00")),
        envSeed_("KORVANE_SEED", std::string("7")),
        envPrinter_("KORVANE_PRINTER", std::string("none")) {
    fs::create_directories(meets_);
    fs::copy(KORVANE_SHARE_DIR, programDir_, fs::copy_options::recursive);
    program_ = std::make_unique<shell::Program>(std::make_unique<host::WorkbookHost>(), ui_,
                                                shell::SettingsStore(dir_ / "settings.ini"));
    app::InstallCommands(program_->Commands());
    program_->FillTables();
    shell::LoadMainWindow(*program_);
    workbooks_ = std::make_unique<WorkbookWindow>(ui_);
    window_ = std::make_unique<MainWindow>(*program_, workbooks_.get());
    ui_.SetOwner(window_.get());
    ui_.beforeModal = [this] { window_->Sync(); };
    window_->show();
  }
  ~DesktopTest() override {
    ui_.beforeModal = nullptr;
    workbooks_->AllowClose();
    window_.reset();
    workbooks_.reset();
  }

  // Chooses a menu item as a click does.
  void Choose(const std::string& control) {
    QAction* action = window_->Action(control);
    ASSERT_NE(action, nullptr) << control;
    ASSERT_TRUE(action->isEnabled()) << control << " is disabled in the menu";
    action->trigger();
  }

  // 新建 in the meets folder: a meet workbook from the shipped template.
  void NewMeet() {
    ui_.folders.push_back(meets_.string());
    Choose("New");
  }

  host::WorkbookHost& Host() { return program_->Host(); }

  // Shows sheet `name` by clicking its tab.
  host::Worksheet& ShowTab(const std::string& name) {
    QTabBar* tabs = workbooks_->Tabs();
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i).toStdString() == name) tabs->setCurrentIndex(i);
    EXPECT_EQ(workbooks_->CurrentSheet()->Name(), name);
    return *workbooks_->CurrentSheet();
  }
  void GoTo(int row, int col) {
    SheetView* grid = workbooks_->Grid();
    grid->setCurrentIndex(grid->model()->index(row - 1, col - 1));
  }
  // Types into the current cell as a user does: the first key opens the
  // editor, Enter ends it.
  void Type(const QString& text) {
    SheetView* grid = workbooks_->Grid();
    QTest::keyClick(grid, text.at(0).toLatin1());
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
      if (e->isVisible()) editor = e;  // editors closed before are deleted later
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor is committed by a queued call
  }

  shell::testing::TempDir dir_;
  fs::path programDir_, meets_;
  shell::testing::ScopedEnv envProgram_, envData_, envConfig_, envNow_, envSeed_, envPrinter_;
  AnsweringUi ui_;
  std::unique_ptr<shell::Program> program_;
  std::unique_ptr<WorkbookWindow> workbooks_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace korvane::gui::testing
