#include "files/commands.h"

#include "files/files.h"

namespace korvane::files {

void RegisterCommands(shell::CommandTable& table) {
  table.Register("New", New);
  table.Register("Open", Open);
  table.Register("Import", Import);
  table.Register("Export", Export);
  table.Register("ExportPRF", ExportPRF);
  table.Register("Save", Save);
  table.Register("Close", Close);
}

}  // namespace korvane::files
