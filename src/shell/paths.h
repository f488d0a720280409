// Where the program finds its own files.
#pragma once

#include <string>

namespace korvane::shell {

// The program folder (templates, prize templates, help): $KORVANE_PROGRAM_DIR
// when set, else the install's share folder beside the executable's folder,
// <exe dir>/../share/korvane (build/share/korvane in the build tree). No
// trailing separator.
std::string ProgramFolder();

// The user's own data folder, where the templates the teacher edits live:
// $XDG_DATA_HOME/korvane, or ~/.local/share/korvane when XDG_DATA_HOME is not
// set (or not an absolute path). No trailing separator.
std::string UserDataFolder();

// The folder of the running executable; empty when it cannot be found.
std::string ExecutableFolder();

// The help file opened by 内容.
inline constexpr const char* kHelpFileName = "Quillowen.html";
std::string HelpFilePath();

// Removes one trailing "/" from a folder path, as the folder picker's answer
// is used; the root folder "/" stays as it is.
std::string WithoutTrailingSeparator(std::string folder);

}  // namespace korvane::shell
