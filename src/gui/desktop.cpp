#include "gui/desktop.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>

#include "gui/fonts.h"
#include "gui/main_window.h"
#include "gui/qt_ui.h"
#include "gui/workbook_window.h"

namespace korvane::gui {

int RunDesktop(int argc, char** argv, shell::StartupOptions options) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvane"));
  QApplication::setDesktopFileName(QStringLiteral("korvane"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korvane")));
  QApplication::setFont(DialogFont());
  // The program ends through its main window, not when the last window hides.
  QApplication::setQuitOnLastWindowClosed(false);

  QtUi ui;
  options.singleInstance = true;
  return shell::StartUp(ui, options, [&ui](shell::Program& program) {
    WorkbookWindow workbooks(ui);
    MainWindow window(program, &workbooks);
    window.onEnded = [] { QApplication::exit(0); };
    ui.SetOwner(&window);
    // A progress note shows while the command works: the windows are brought
    // up to the host's state and painted, taking no input meanwhile.
    ui.onCaption = [&window](const std::string& caption) {
      window.setWindowTitle(QString::fromStdString(caption));
      try {
        window.Sync();
      } catch (...) {
        // also called while a failing command unwinds; the next Sync catches up
      }
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    ui.onStatusBar = [&workbooks](const std::string& text) { workbooks.SetStatusText(QString::fromStdString(text)); };
    ui.beforeModal = [&window] { window.Sync(); };
    window.show();
    const int status = QApplication::exec();
    ui.SetOwner(nullptr);
    ui.beforeModal = nullptr;
    ui.onCaption = nullptr;
    ui.onStatusBar = nullptr;
    workbooks.AllowClose();
    return status;
  });
}

}  // namespace korvane::gui
