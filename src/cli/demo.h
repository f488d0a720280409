// korvane demo: the whole road of a sample meet, run into a folder of its own.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "shell/program.h"

namespace korvane::cli {

// One step of the sample meet: what it does, in words for the person
// watching, and the command-script lines that do it.
struct DemoStep {
  std::string title;
  std::string script;  // whole lines, each ending in "\n"
};

// The steps of the sample meet for the given folders, in order. A new step
// goes where it belongs on the meet's road; its lines may rely on the
// workbooks the earlier steps left open.
std::vector<DemoStep> DemoSteps(const std::string& meetsFolder, const std::string& exportFolder);

// The steps joined into one command script.
std::string DemoScript(const std::vector<DemoStep>& steps);

// The file that marks a folder as made by the demo; only such a folder (or
// an empty or missing one) is used, and a second run clears what the first
// one made there.
inline constexpr const char* kDemoMarker = ".korvane-demo";
// The transcript of the command script, in the demo folder.
inline constexpr const char* kDemoLog = "演示记录.txt";

struct DemoOptions {
  std::string folder = "meet-demo";
  bool transcript = false;  // print the script's transcript instead of the steps
};

// Runs the sample meet into `options.folder` (created when missing): its own
// settings file, the user's template folder, the meet workbooks and the
// exported workbooks. Prints each step with the files it made or changed
// (or, with `transcript`, every box as a command script prints it) and
// keeps the transcript in kDemoLog. Returns 0 on success, 1 when a step
// failed, 2 when the folder cannot be used (the reason on `err`, one line
// beginning "korvane: ").
int RunDemo(const DemoOptions& options, const std::function<void(shell::CommandTable&)>& installCommands,
            std::ostream& out, std::ostream& err);

}  // namespace korvane::cli
