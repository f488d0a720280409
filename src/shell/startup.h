// Start-up and shut-down of the program: the host, the single-instance lock,
// the program-wide tables, the lock-down of the host window, the main window
// for as long as it is open, and what is undone when it closes.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "shell/program.h"

namespace korvane::shell {

inline constexpr std::string_view kHostMissing = "请先安装Excel软件!";
inline constexpr std::string_view kAlreadyRunning = "程序已经运行!";

struct StartupOptions {
  // The desktop program allows one running copy; command scripts and the
  // demo run beside it and beside each other.
  bool singleInstance = true;
  std::filesystem::path lockFile;      // empty: SingleInstanceLock::DefaultFile()
  std::filesystem::path settingsFile;  // empty: SettingsStore::DefaultFile()
  // Makes the workbook host; the default constructs one.
  std::function<std::unique_ptr<host::WorkbookHost>()> createHost;
  // Registers the commands of every subsystem.
  std::function<void(CommandTable&)> installCommands;
};

// The main window: shows the menu until the window closes and returns the
// program's exit status.
using MainWindow = std::function<int(Program&)>;

// Exit status when the program does not start (no host, another copy running).
inline constexpr int kNotStarted = 1;

// The start-up procedure, in order:
// 1. make the host ("请先安装Excel软件!" only when it cannot be made);
// 2. with singleInstance, take the lock ("程序已经运行!" when another copy
//    holds it; a lock file that cannot be used does not stop the start);
// 3-4. fill the sheet-name, numeral and extension tables;
// 5-6. lock down the host window (close box, file and protection menus,
//    Ctrl+F4, Alt+F4);
// 7. load the main window (ResetForm), place it and run it;
// 8. once it has closed: ShutDown.
int StartUp(Ui& ui, const StartupOptions& options, const MainWindow& window);

// Loads the main window: the menu of ResetForm, caption Korvane, placement.
void LoadMainWindow(Program& program);
// After the main window has closed: gives the host's menus and keys back and
// releases the host (its workbooks are discarded unsaved). The close box stays
// removed.
void ShutDown(Program& program);

}  // namespace korvane::shell
