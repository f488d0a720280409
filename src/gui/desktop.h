// The desktop program: `korvane` without arguments. Qt stays inside src/gui:
// this header needs none of it.
#pragma once

#include "shell/startup.h"

namespace korvane::gui {

// Starts the program with its windows (the one running copy, the main window
// with the menu, the workbook window) and returns the exit status once the
// main window has closed. `options.installCommands` installs the commands.
int RunDesktop(int argc, char** argv, shell::StartupOptions options);

}  // namespace korvane::gui
