// Screenshots of the desktop program along the road of a sample meet, for a
// person to look at: the menu window, the template, the events dialog, a team
// sheet before and after entries, the number table, the grade merge dialog,
// the number report, a roster, a judges' form, the schedule's three dialogs
// and its printable track sheet, the score register with typed results and
// their highlighted places, and the about box. Run under a
// virtual display by scripts/screenshots.sh; the boxes the commands show are
// answered as a teacher would and printed.
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <iostream>

#include "app/commands.h"
#include "awards/awards.h"
#include "files/files.h"
#include "gui/dialog_view.h"
#include "gui/main_window.h"
#include "gui/qt_ui.h"
#include "gui/sheet_model.h"
#include "gui/workbook_window.h"
#include "host/application.h"
#include "host/workbook.h"
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

namespace fs = std::filesystem;
using namespace korvane;

namespace {

fs::path g_out;

void Settle() {
  for (int i = 0; i < 5; ++i) QTest::qWait(60);
}

void Save(const QPixmap& pixmap, const std::string& name) {
  const fs::path file = g_out / (name + ".png");
  if (!pixmap.save(QString::fromStdString(file.string())))
    std::cerr << "cannot save " << file << "\n";
  else
    std::cout << "screenshot: " << file.string() << "\n";
}

void Shot(QWidget* w, const std::string& name) {
  Settle();
  Save(w->window()->grab(), name);
}

void ScreenShot(const QRect& area, const std::string& name) {
  Settle();
  QScreen* screen = QGuiApplication::primaryScreen();
  Save(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()), name);
}

class ShotUi : public gui::QtUi {
 public:
  std::deque<shell::Answer> answers;
  std::deque<std::string> folders;
  std::deque<std::function<void(gui::DialogView&)>> drivers;

  ShotUi() {
    onDialogShown = [this](QWidget* w) {
      auto& view = *static_cast<gui::DialogView*>(w);
      if (drivers.empty()) {
        view.Model().Close();
        view.Sync();
        return;
      }
      auto drive = std::move(drivers.front());
      drivers.pop_front();
      (void)QTest::qWaitForWindowExposed(&view);  // a dialog not shown in time is shot all the same
      drive(view);
      if (view.isVisible()) {
        view.Model().Close();
        view.Sync();
      }
    };
  }
  shell::Answer MessageBox(const std::string& text, shell::Icon, shell::Buttons buttons, const std::string&) override {
    if (buttons == shell::Buttons::Ok) {
      std::cout << "message: " << text << "\n";
      return shell::Answer::Ok;
    }
    shell::Answer a = answers.empty() ? shell::Answer::No : answers.front();
    if (!answers.empty()) answers.pop_front();
    std::cout << "question: " << text << " -> " << (a == shell::Answer::Yes ? "yes" : "no") << "\n";
    return a;
  }
  std::optional<std::string> PickFolder(const std::string&) override {
    if (folders.empty()) return std::nullopt;
    std::string f = folders.front();
    folders.pop_front();
    return f;
  }
  std::optional<std::string> InputBox(const std::string& prompt, const std::string&,
                                      const std::string& proposed) override {
    std::cout << "input: " << prompt << " -> " << proposed << "\n";
    return proposed;
  }
  bool OpenHelp(const std::string& path) override {
    std::cout << "help: " << path << "\n";
    return true;
  }
};

void ShowTab(gui::WorkbookWindow& wb, const std::string& name) {
  QTabBar* tabs = wb.Tabs();
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->tabText(i).toStdString() == name) tabs->setCurrentIndex(i);
}

void ShowBook(gui::WorkbookWindow& wb, const char* prefix) {
  QComboBox* books = wb.Books();
  for (int i = 0; i < books->count(); ++i) {
    if (books->itemText(i).startsWith(QString::fromUtf8(prefix))) {
      books->setCurrentIndex(i);
      emit books->activated(i);
      return;
    }
  }
}

QPushButton* Button(gui::DialogView& view, const char* name) { return qobject_cast<QPushButton*>(view.Widget(name)); }

void Click(gui::DialogView& view, const char* name) { QTest::mouseClick(Button(view, name), Qt::LeftButton); }

void ClickRow(gui::DialogView& view, const char* list, int row) {
  auto* tree = qobject_cast<QTreeWidget*>(view.Widget(list));
  if (!tree || row < 0 || row >= tree->topLevelItemCount()) {
    std::cerr << "no row " << row << " in " << list << "\n";
    return;
  }
  QTreeWidgetItem* item = tree->topLevelItem(row);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

void ClickRowWith(gui::DialogView& view, const char* list, const char* text) {
  ClickRow(view, list, view.Model().Get<shell::ListBox>(list).FindRow(text));
}

// The up (0) or down (1) arrow of a spin button.
void Spin(gui::DialogView& view, const char* spin, int which, int times = 1) {
  auto arrows = view.Widget(spin)->findChildren<QToolButton*>();
  for (int i = 0; i < times && arrows.size() == 2; ++i) QTest::mouseClick(arrows.at(which), Qt::LeftButton);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  g_out = fs::absolute(argc > 1 ? argv[1] : "screenshots");
  fs::create_directories(g_out);
  const fs::path work = g_out / "work";
  fs::remove_all(work);
  fs::create_directories(work / "meets");
  fs::copy(KORVANE_SHARE_DIR, work / "program", fs::copy_options::recursive);
  setenv("KORVANE_PROGRAM_DIR", (work / "program").c_str(), 1);
  setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  setenv("KORVANE_NOW", "2026-12-07T09:30:00", 0);
  setenv("KORVANE_SEED", "2026", 0);
  setenv("KORVANE_PRINTER", "none", 0);

  ShotUi ui;
  shell::Program program(std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(work / "settings.ini"));
  app::InstallCommands(program.Commands());
  program.FillTables();
  shell::LoadMainWindow(program);
  gui::WorkbookWindow wb(ui);
  gui::MainWindow window(program, &wb);
  ui.SetOwner(&window);
  ui.onCaption = [&window](const std::string& c) { window.setWindowTitle(QString::fromStdString(c)); };
  ui.onStatusBar = [&wb](const std::string& t) { wb.SetStatusText(QString::fromStdString(t)); };
  ui.beforeModal = [&window] { window.Sync(); };
  wb.move(0, 120);
  wb.resize(1100, 760);
  window.show();
  (void)QTest::qWaitForWindowExposed(&window);  // likewise the main window
  auto run = [&](const char* control) {
    std::cout << "menu: " << control << "\n";
    window.RunCommand(control);
    Settle();
  };
  const QRect menuArea(780, 0, 420, 320);

  // 1. The menu window, and with its 文件 menu open.
  ScreenShot(QRect(780, 0, 420, 80), "01-menu-window");
  QMenu* file = window.Menu(QStringLiteral("文件"));
  file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
  ScreenShot(menuArea, "02-file-menu");
  file->hide();

  // 2. The template and the events dialog.
  run("Initialization");
  ScreenShot(QRect(0, 0, 1200, 900), "03-template-settings");
  ui.answers.push_back(shell::Answer::Yes);  // junior grades compete grade by grade
  ui.drivers.push_back([](gui::DialogView& view) {
    // 高一女子 also jump 跳高, measured by height.
    for (const auto& [combo, text] :
         {std::pair{"CmbGrade", "高一"}, {"CmbSex", "女子"}, {"CmbMeasuringMethod", "计高"}}) {
      auto* box = qobject_cast<QComboBox*>(view.Widget(combo));
      const int i = box->findText(QString::fromUtf8(text));
      if (i < 0) continue;
      box->setCurrentIndex(i);
      emit box->activated(i);
    }
    auto& catalogue = view.Model().Get<shell::ListBox>("List1");
    auto* tree = qobject_cast<QTreeWidget*>(view.Widget("List1"));
    int row = catalogue.FindRow("跳高");
    if (row >= 0) {
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->topLevelItem(row)).center());
      QTest::mouseClick(Button(view, "Select"), Qt::LeftButton);
    }
    Shot(&view, "04-events-dialog");
    QTest::mouseClick(Button(view, "CmdSave"), Qt::LeftButton);
    QTest::mouseClick(Button(view, "CmdClose"), Qt::LeftButton);
  });
  run("ItemSetup");
  run("Save");
  run("Close");

  // 3. A new meet: a team sheet, then simulated entries.
  ui.folders.push_back((work / "meets").string());
  run("New");
  ShowTab(wb, "1");
  ScreenShot(QRect(0, 0, 1200, 900), "05-team-sheet");
  ui.answers.push_back(shell::Answer::Yes);
  run("MNBM");
  ShowTab(wb, "1");
  Shot(&wb, "06-team-sheet-entries");

  // 4. Consolidation and the grade merge dialog.
  run("consolidate");
  ShowTab(wb, "号码对照表");
  Shot(&wb, "07-number-table");
  ui.drivers.push_back([](gui::DialogView& view) {
    Shot(&view, "08-grade-merge-dialog");
    QTest::mouseClick(qobject_cast<QRadioButton*>(view.Widget("Option#0")), Qt::LeftButton);
    Shot(&view, "09-grade-merge-chosen");
    QTest::mouseClick(Button(view, "CancelButton"), Qt::LeftButton);
  });
  run("Combine");

  // 5. Reports, judges' forms and the score register.
  run("CreateReport");
  ShowTab(wb, "号码对照表报表");
  Shot(&wb, "10-number-report");
  ShowTab(wb, "比赛项目名单报表");
  Shot(&wb, "11-roster");
  run("CreateTables");
  ShowTab(wb, "起终点用表");
  Shot(&wb, "12-record-form");

  // 6. The schedule: its dates, the arrangement with one half day filled in,
  // the preview of both lists, and the printable track sheet.
  ui.drivers.push_back([](gui::DialogView& view) {
    Spin(view, "SpinButton3", 1);
    Shot(&view, "13-schedule-settings");
    Click(view, "CmdOk");
  });
  ui.drivers.push_back([&ui](gui::DialogView& view) {
    ClickRow(view, "ListBox21", 1);
    ClickRowWith(view, "ListBox13", "开幕式");
    Click(view, "cmdAppend");
    ClickRowWith(view, "ListBox13", "开始检录");
    Click(view, "cmdAppend");
    for (int i = 0; i < 3; ++i) {
      ClickRow(view, "ListBox11", 0);
      Click(view, "cmdAppend");
    }
    ClickRow(view, "ListBox22", 1);
    ClickRowWith(view, "ListBox13", "开始检录");
    Click(view, "cmdAppend");
    ClickRowWith(view, "ListBox13", "第一组裁判");
    Click(view, "cmdAppend");
    ClickRow(view, "ListBox12", 0);
    Spin(view, "SpinButton2", 0);
    Click(view, "cmdAppend");
    ClickRow(view, "ListBox12", 0);
    Click(view, "cmdAppend");
    ClickRow(view, "ListBox11", 0);
    Shot(&view, "14-schedule-arrangement");
    ui.drivers.push_back([](gui::DialogView& preview) {
      Shot(&preview, "15-schedule-preview-track");
      auto* tabs = qobject_cast<QTabBar*>(preview.Widget("TbsPreview"));
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
      Shot(&preview, "16-schedule-preview-field");
      Click(preview, "cmdClose");
    });
    Click(view, "cmdPreview");
    Click(view, "CmdOk");
  });
  run("Schedule");
  ShowTab(wb, "径赛");
  Shot(&wb, "17-schedule-track-sheet");
  ShowTab(wb, "田赛");
  Shot(&wb, "18-schedule-field-sheet");

  ShowBook(wb, "号码对照表");
  run("ScoreEdit");
  ShowTab(wb, "成绩登记表");
  if (host::Worksheet* reg = wb.CurrentSheet()) {
    // Places to award and results of the first event, typed as a teacher would.
    gui::SheetModel* model = wb.Grid()->Model();
    model->TypeInto(3, 3, QStringLiteral("3"));
    const char* results[] = {"13.2", "12.8", "13.9", "12.5", "14.1", "13.0"};
    int col = 5;
    for (const char* r : results) {
      if (!reg->HasContent(3, col)) break;
      model->TypeInto(4, col++, QString::fromLatin1(r));
    }
  }
  Shot(&wb, "19-score-register");

  // 7. The about box.
  ui.drivers.push_back([](gui::DialogView& view) {
    Shot(&view, "20-about");
    QTest::mouseClick(Button(view, "cmdOK"), Qt::LeftButton);
  });
  run("About");
  ScreenShot(QRect(0, 0, 1200, 900), "21-desktop");

  program.Run("Quit");
  wb.AllowClose();
  return 0;
}
