// The about box (关于): the program's description and version, closed by 确定.
#pragma once

#include <string>

#include "shell/dialog.h"

namespace korvane::shell {

// "版本：" + major.minor.revision of the program.
std::string VersionLine();
// The description shown in the about box.
const std::string& AboutDescription();

class AboutForm : public DialogModel {
 public:
  AboutForm();
};

}  // namespace korvane::shell
