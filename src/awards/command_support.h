// Pieces the 赛事奖项 commands share.
#pragma once

#include <optional>
#include <string>

#include "host/application.h"
#include "shell/program.h"

namespace korvane::awards::detail {

// The prize workbook open: 明细单 and 奖状(证书)生成 enabled, 设置 disabled; or
// the other way round when it has been found closed.
void SetPrizeWorkbookOpen(shell::MenuState& menu, bool open);

// The default folder; when none is set, asks for one as 新建 does and stores
// it. nullopt when the user cancels the picker.
std::optional<std::string> RequireDefaultFolder(shell::Program& program);

// 奖项设置 + the plain workbook extension, in `folder`.
std::string PrizeWorkbookPath(const shell::Program& program, const std::string& folder);

}  // namespace korvane::awards::detail
