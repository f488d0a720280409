// The 设置 menu's set-up commands: 初始化... opens the meet template itself for
// editing; 项目管理... (item_setup.h) edits its event catalogue and events.
#pragma once

#include <string>
#include <string_view>

#include "shell/program.h"

namespace korvane::setup {

inline constexpr std::string_view kTemplateMissing = "模板文件缺失，请联系作者!";

// The meet template in the program folder: <program folder>/号码对照表及分组分道编排
// + the template extension of the program's extension table.
std::string MeetTemplatePath(const shell::Program& program);

// 初始化...: opens the meet template itself (not a copy) for editing, shows
// its 设置 sheet and enables the commands that work on it.
void Initialization(shell::Program& program);

// Registers 初始化... and 项目管理... under their menu controls.
void RegisterSetupCommands(shell::CommandTable& table);

}  // namespace korvane::setup
