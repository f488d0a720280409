#include "schedule/commands.h"

#include "schedule/schedule.h"

namespace korvane::schedule {

void RegisterCommands(shell::CommandTable& table) { table.Register("Schedule", Schedule); }

}  // namespace korvane::schedule
