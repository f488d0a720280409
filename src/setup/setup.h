// The 设置 menu's set-up commands: 初始化... opens the meet template itself for
// editing; 项目管理... (item_setup.h) edits its event catalogue and events.
#pragma once

#include <string>
#include <string_view>

#include "shell/program.h"

namespace korvane::setup {

// The user's copy of the template has just been made.
std::string TemplateCopiedText(std::string_view path);
std::string TemplateNotCopiedText(std::string_view path, std::string_view reason);

// The meet template in the program folder: <program folder>/号码对照表及分组分道编排
// + the template extension of the program's extension table.
std::string MeetTemplatePath(const shell::Program& program);

// The user's copy of the meet template, which 初始化... and 项目管理... edit:
// the same name in the user's data folder. The shipped template stays
// read-only, so a rebuild or an update of the program never wipes the
// teacher's grades, classes and events.
std::string UserMeetTemplatePath(const shell::Program& program);
// The template 新建 starts from: the user's copy once there is one, else the
// shipped template.
std::string TemplateForNew(const shell::Program& program);

// 初始化...: opens the user's copy of the meet template for editing (made
// from the shipped one on first use, with a message saying where it is),
// shows its 设置 sheet and enables the commands that work on it.
void Initialization(shell::Program& program);

}  // namespace korvane::setup
