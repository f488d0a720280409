// The schedule command under its menu control.
#pragma once

#include "shell/program.h"

namespace korvane::schedule {

// Registers 赛事日程... under its menu control.
void RegisterCommands(shell::CommandTable& table);

}  // namespace korvane::schedule
