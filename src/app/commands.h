// The one place where every subsystem's menu commands are installed into the
// program's command table; the command line and the desktop program both
// start the program with it.
#pragma once

#include "shell/program.h"

namespace korvane::app {

// Registers the commands of the main window, set-up, files, processing,
// reports and awards under their menu controls.
void InstallCommands(shell::CommandTable& table);

}  // namespace korvane::app
