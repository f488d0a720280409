#include "setup/setup.h"

#include <filesystem>

#include "host/meet_layout.h"
#include "host/workbook.h"
#include "setup/item_setup.h"
#include "shell/paths.h"

namespace korvane::setup {

namespace meet = host::meet;

std::string MeetTemplatePath(const shell::Program& program) {
  return shell::ProgramFolder() + "/" + std::string(meet::kTemplateBaseName) +
         std::string(program.tables.extensions.meetTemplate);
}

void Initialization(shell::Program& program) {
  const std::string path = MeetTemplatePath(program);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    program.ui().MessageBox(std::string(kTemplateMissing), shell::Icon::None, shell::Buttons::Ok);
    return;
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
  shell::MenuState& menu = program.Menu();
  menu.SetEnabled({"New", "Open", "Initialization"}, false);
  menu.SetEnabled({"Save", "Close", "ProtectAllYN", "ItemSetup"}, true);
}

void RegisterSetupCommands(shell::CommandTable& table) {
  table.Register("Initialization", Initialization);
  table.Register("ItemSetup", ItemSetup);
}

}  // namespace korvane::setup
