#include "app/commands.h"

#include "awards/awards.h"
#include "files/commands.h"
#include "processing/commands.h"
#include "reports/commands.h"
#include "schedule/commands.h"
#include "setup/commands.h"
#include "shell/commands.h"

namespace korvane::app {

void InstallCommands(shell::CommandTable& table) {
  shell::RegisterShellCommands(table);
  setup::RegisterCommands(table);
  files::RegisterCommands(table);
  processing::RegisterCommands(table);
  reports::RegisterCommands(table);
  schedule::RegisterCommands(table);
  awards::RegisterCommands(table);
}

}  // namespace korvane::app
