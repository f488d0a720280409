#include "setup/setup.h"

#include <filesystem>

#include "host/workbook.h"
#include "meet/layout.h"
#include "setup/item_setup.h"
#include "shell/menu_stages.h"
#include "shell/paths.h"

namespace korvane::setup {

std::string MeetTemplatePath(const shell::Program& program) {
  return shell::ProgramFolder() + "/" + std::string(meet::kTemplateBaseName) +
         std::string(program.tables.extensions.meetTemplate);
}

std::string UserMeetTemplatePath(const shell::Program& program) {
  return shell::UserDataFolder() + "/" + std::string(meet::kTemplateBaseName) +
         std::string(program.tables.extensions.meetTemplate);
}

std::string TemplateForNew(const shell::Program& program) {
  std::error_code ec;
  std::string user = UserMeetTemplatePath(program);
  return std::filesystem::is_regular_file(user, ec) ? user : MeetTemplatePath(program);
}

std::string TemplateCopiedText(std::string_view path) {
  return "模板已复制到“" + std::string(path) +
         "”。\n初始化和项目管理的修改都保存在这份模板中，新建运动会时使用它；程序更新不会覆盖它。";
}

std::string TemplateNotCopiedText(std::string_view path, std::string_view reason) {
  return "无法把模板复制到“" + std::string(path) + "”：" + std::string(reason);
}

void Initialization(shell::Program& program) {
  namespace fs = std::filesystem;
  const std::string path = UserMeetTemplatePath(program);
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    const std::string shipped = MeetTemplatePath(program);
    if (!fs::is_regular_file(shipped, ec)) {
      program.ui().MessageBox(std::string(shell::kTemplateMissing), shell::Icon::None, shell::Buttons::Ok);
      return;
    }
    // First use: the teacher's own copy, writable whatever the program folder is.
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (!ec) fs::copy_file(shipped, path, ec);
    if (!ec) fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    if (ec) {
      program.ui().MessageBox(TemplateNotCopiedText(path, ec.message()), shell::Icon::Exclamation);
      return;
    }
    program.ui().MessageBox(TemplateCopiedText(path), shell::Icon::Information);
  }
  host::WorkbookHost& host = program.Host();
  host::Workbook& book = host.Open(path, /*editable=*/true);
  // Protecting the workbook as it was protected is no change to save: the
  // question before closing is kept for real changes.
  const host::WorkbookProtection opened = book.Protection();
  const bool wasSaved = book.Saved();
  book.Unprotect();
  book.Protect(/*structure=*/true, /*windows=*/true);
  if (opened.structure && opened.windows && opened.passwordHash.empty()) book.SetSaved(wasSaved);
  program.Menu().SetChecked("ProtectAllYN", book.ActiveSheet().ProtectContents());
  host.visible = true;
  book.Sheet(std::string(meet::kSettingsSheet)).Select();
  shell::ShowGreeting(program);
  shell::EnterMenuStep(program.Menu(), shell::MenuStep::TemplateOpen);
}

}  // namespace korvane::setup
