#include "setup/commands.h"

#include "setup/item_setup.h"
#include "setup/setup.h"

namespace korvane::setup {

void RegisterCommands(shell::CommandTable& table) {
  table.Register("Initialization", Initialization);
  table.Register("ItemSetup", ItemSetup);
}

}  // namespace korvane::setup
