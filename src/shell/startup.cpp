#include "shell/startup.h"

#include <exception>

#include "shell/instance_lock.h"

namespace korvane::shell {

void LoadMainWindow(Program& program) {
  ResetForm(program);
  program.placement = MainWindowPlacement{};
}

void ShutDown(Program& program) {
  program.lockdown.fileMenuDisabled = false;
  program.lockdown.protectMenuDisabled = false;
  program.lockdown.ctrlF4Disabled = false;
  program.lockdown.altF4Disabled = false;
  program.ReleaseHost();
}

int StartUp(Ui& ui, const StartupOptions& options, const MainWindow& window) {
  // 1. The host.
  std::unique_ptr<host::WorkbookHost> host;
  try {
    host = options.createHost ? options.createHost() : std::make_unique<host::WorkbookHost>();
  } catch (const std::exception&) {
    host.reset();
  }
  if (!host) {
    ui.MessageBox(std::string(kHostMissing), Icon::Information);
    return kNotStarted;
  }

  // 2. One running copy.
  std::unique_ptr<SingleInstanceLock> lock;
  if (options.singleInstance) {
    lock = std::make_unique<SingleInstanceLock>(options.lockFile.empty() ? SingleInstanceLock::DefaultFile()
                                                                         : options.lockFile);
    if (lock->Acquire() == SingleInstanceLock::State::HeldElsewhere) {
      ui.MessageBox(std::string(kAlreadyRunning), Icon::Information);
      host.reset();
      return kNotStarted;
    }
  }

  Program program(std::move(host), ui,
                  SettingsStore(options.settingsFile.empty() ? SettingsStore::DefaultFile() : options.settingsFile));
  if (options.installCommands) options.installCommands(program.Commands());

  // 3-4. The program-wide tables.
  program.FillTables();

  // 5-6. The host window's close box, menus and close keys.
  program.lockdown = HostLockdown{true, true, true, true, true};

  // 7. The main window, for as long as it is open.
  LoadMainWindow(program);
  int status = 0;
  struct AtEnd {
    Program& p;
    ~AtEnd() { ShutDown(p); }  // 8., also when the window ends by an error
  } atEnd{program};
  status = window(program);
  return status;
}

}  // namespace korvane::shell
