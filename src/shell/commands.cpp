#include "shell/commands.h"

#include <filesystem>

#include "shell/about_form.h"
#include "shell/paths.h"
#include "shell/save_changes.h"

namespace korvane::shell {

void Quit(Program& program) {
  if (program.HasHost()) {
    if (!AskToSaveAll(program)) return;  // 取消: the program keeps running with everything open
    host::WorkbookHost& host = program.Host();
    for (host::Workbook* book : host.Workbooks()) host.Close(*book, /*saveChanges=*/false);
    host.Quit();
    program.ReleaseHost();
  }
  program.EndMainWindow();
}

void About(Program& program) {
  AboutForm form;
  program.ui().ShowDialog(form);
}

std::string HelpMissingText(std::string_view path) { return "找不到帮助文件：" + std::string(path); }
std::string HelpNotShownText(std::string_view path) { return "无法打开帮助文件：" + std::string(path); }

void Content(Program& program) {
  std::string path = HelpFilePath();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    program.ui().MessageBox(HelpMissingText(path), Icon::Exclamation);
    return;
  }
  if (!program.ui().OpenHelp(path)) program.ui().MessageBox(HelpNotShownText(path), Icon::Exclamation);
}

std::string DefaultFolderQuestion(std::string_view folder) {
  return "默认目录已设置：\n" + std::string(folder) + "\n要修改吗？";
}

void DefaultFolderCommand(Program& program) {
  host::WorkbookHost& host = program.Host();
  const bool hostWasVisible = host.visible;
  std::string stored = StoredDefaultPath(program.Settings());
  if (IsFolderSet(stored)) {
    if (program.ui().MessageBox(DefaultFolderQuestion(stored), Icon::Question, Buttons::YesNo) != Answer::Yes) return;
  } else {
    program.ui().MessageBox(std::string(kAskForDefaultFolder), Icon::Information);
  }
  std::string folder = PathLocation(program);
  if (!hostWasVisible) host.visible = false;  // the picker may have brought the host forward
  if (folder == kPickerCancelled) return;     // nothing stored, the working copy unchanged
  try {
    SaveDefaultPath(program.Settings(), folder);
  } catch (const SettingsError& e) {
    program.ui().MessageBox(std::string(e.what()) + "\n默认目录没有改变。", Icon::Exclamation);
    return;
  }
  program.defaultFolder = folder;
}

void RegisterShellCommands(CommandTable& table) {
  table.Register("Quit", Quit);
  table.Register("About", About);
  table.Register("Content", Content);
  table.Register("DefaultFolder", DefaultFolderCommand);
}

}  // namespace korvane::shell
