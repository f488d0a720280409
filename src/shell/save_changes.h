// The question before workbooks with unsaved changes close: 关闭所有, 退出
// and closing the desktop window all ask it, so nothing typed since the last
// save is lost without the user's word.
#pragma once

#include <string>
#include <string_view>

#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::shell {

// "是否保存对 NAME 的更改?"
std::string SaveChangesQuestion(std::string_view workbookName);
// A workbook that could not be saved when the user asked for it.
std::string SaveChangesFailed(std::string_view workbookName, std::string_view reason);

enum class SaveChoice {
  Saved,      // 是: the workbook has been saved (or had nothing to save)
  Discard,    // 否: its changes may be dropped
  Cancelled,  // 取消, or the save failed: nothing may close
};

// One workbook about to close. With unsaved changes asks the question above
// (是 / 否 / 取消, default 是); 是 saves it in place. A failed save is told
// with its reason and counts as 取消, so the workbook stays open with its
// changes. A workbook without unsaved changes is Saved without a question.
SaveChoice AskToSaveChanges(Program& program, host::Workbook& book);

// Every open workbook, in the host's order. True when all of them may now
// close without losing anything the user wanted kept; false at the first
// 取消 (or failed save), when nothing should close. Workbooks answered 是
// before a 取消 stay saved.
bool AskToSaveAll(Program& program);

}  // namespace korvane::shell
