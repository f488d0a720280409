#include "reports/protection.h"

#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::reports {

namespace {
constexpr std::string_view kControl = "ProtectAllYN";
}

void ProtectAllYN(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (book == nullptr) return;
  host::WorkbookHost& host = program.Host();
  const bool screenUpdating = host.screenUpdating;
  host.screenUpdating = false;

  shell::MenuState& menu = program.Menu();
  const int count = book->Count();
  if (!menu.Checked(kControl)) {
    for (int i = 1; i <= count; ++i) book->Sheet(i).Protect(/*drawingObjects=*/true, /*contents=*/true, /*scenarios=*/true);
    menu.SetChecked(kControl, true);
  } else {
    for (int i = 1; i <= count; ++i) book->Sheet(i).Unprotect();
    menu.SetChecked(kControl, false);
  }
  host.screenUpdating = screenUpdating;
}

void RegisterProtectionCommands(shell::CommandTable& table) { table.Register(kControl, ProtectAllYN); }

}  // namespace korvane::reports
