// 保存所有 and 关闭所有: every workbook open in the host, not only the meet
// workbook.
#include <string>

#include "files/files.h"
#include "host/errors.h"
#include "host/workbook.h"
#include "meet/guards.h"
#include "shell/save_changes.h"

namespace korvane::files {

using shell::Icon;

void Save(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  if (host.WorkbooksCount() == 0) {
    program.ui().MessageBox(std::string(shell::kFileClosed), Icon::Information);
    shell::ResetForm(program);
    return;
  }
  // Every workbook gets its save even when an earlier one fails; the ones
  // that could not be saved are named afterwards instead of passing silently.
  std::string failed;
  {
    meet::HostFlagsGuard flags(host);
    host.displayAlerts = false;
    for (host::Workbook* book : host.Workbooks()) {
      try {
        book->Save();
      } catch (const host::HostError& e) {
        failed += book->Name() + "：" + e.what() + "\n";
      }
    }
  }
  if (!failed.empty()) {
    failed.pop_back();
    program.ui().MessageBox(text::NotSaved(failed), Icon::Exclamation);
  }
}

void Close(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  if (host.WorkbooksCount() == 0) {
    program.ui().MessageBox(std::string(shell::kFileClosed), Icon::Information);
  } else {
    // 取消 leaves every workbook open and the menu as it is.
    if (!shell::AskToSaveAll(program)) return;
    for (host::Workbook* book : host.Workbooks()) host.Close(*book, /*saveChanges=*/false);
    host.visible = false;
  }
  shell::ResetForm(program);
}

}  // namespace korvane::files
