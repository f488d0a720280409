#include "shell/ui.h"

namespace korvane::shell {

std::string SheetDeletionQuestion(std::string_view sheetNames) {
  return "将永久删除工作表“" + std::string(sheetNames) + "”。是否继续？";
}

bool UiHostPrompter::ConfirmSheetDeletion(const std::string& sheetNames) {
  return ui_.MessageBox(SheetDeletionQuestion(sheetNames), Icon::Exclamation, Buttons::YesNo) == Answer::Yes;
}

}  // namespace korvane::shell
