// 保护工作表: protects or unprotects every worksheet of the meet workbook at
// once. The menu item's check mark is the toggle's state: unchecked means the
// sheets are taken to be unprotected.
#pragma once

#include "shell/program.h"

namespace korvane::reports {

// Protects every worksheet (drawing objects, contents, scenarios; no
// password) and checks the item when it is unchecked; otherwise unprotects
// every worksheet and clears the check mark. The sheets' own state is not
// read: the command always does the opposite of the check mark.
void ProtectAllYN(shell::Program& program);

}  // namespace korvane::reports
