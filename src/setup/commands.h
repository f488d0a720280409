// The 设置 menu's set-up commands under their menu controls, and the progress
// notes set-up shows in the caption.
#pragma once

#include <string_view>

#include "shell/program.h"

namespace korvane::setup {

// Registers 初始化... and 项目管理....
void RegisterCommands(shell::CommandTable& table);

namespace notes {
inline constexpr std::string_view kCreateForms = " - 创建报名表...";
}  // namespace notes

}  // namespace korvane::setup
