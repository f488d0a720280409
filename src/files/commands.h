// The File menu's workbook commands under their menu controls.
#pragma once

#include "shell/program.h"

namespace korvane::files {

// Registers 新建, 打开, 导入报名数据, 导出报名数据, 导出打印报表, 保存所有 and 关闭所有.
void RegisterCommands(shell::CommandTable& table);

}  // namespace korvane::files
