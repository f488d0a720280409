// korvane demo: the whole road of a sample meet, run into a folder of its own.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "shell/program.h"

namespace korvane::cli {

// Runs the sample meet into `folder` (created when missing): a private copy of
// the program folder, its own settings file, the meet workbooks and the
// exported workbooks. Prints the boxes as a command script does, then what
// was produced. Returns 0 on success.
int RunDemo(const std::string& folder, const std::function<void(shell::CommandTable&)>& installCommands,
            std::ostream& out, std::ostream& err);

// The command script of the sample meet for the given folders.
std::string DemoScript(const std::string& meetsFolder, const std::string& exportFolder);

}  // namespace korvane::cli
