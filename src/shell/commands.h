// The main window's own commands: 退出, 关于, 内容 and 默认目录....
#pragma once

#include "shell/program.h"

namespace korvane::shell {

// 退出: asks for each workbook with unsaved changes whether to save it
// (取消 stops here), closes every open workbook, quits and releases the
// host, and closes the main window, which ends the program.
void Quit(Program& program);
// 关于: the about box.
void About(Program& program);
// 内容: opens the help file of the program folder.
void Content(Program& program);
// 默认目录...: shows the stored default folder and lets the user pick another.
void DefaultFolderCommand(Program& program);

// Registers the commands above under their menu controls.
void RegisterShellCommands(CommandTable& table);

// Texts of these commands.
inline constexpr std::string_view kAskForDefaultFolder = "请指定保存的默认目录!";
std::string DefaultFolderQuestion(std::string_view folder);
std::string HelpMissingText(std::string_view path);
std::string HelpNotShownText(std::string_view path);

}  // namespace korvane::shell
