#include "reports/protection.h"

#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/guards.h"

namespace korvane::reports {

void ProtectAllYN(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (book == nullptr) return;
  meet::ScreenUpdatingOff screen(program.Host());

  shell::MenuState& menu = program.Menu();
  const int count = book->Count();
  if (!menu.Checked("ProtectAllYN")) {
    for (int i = 1; i <= count; ++i)
      book->Sheet(i).Protect(/*drawingObjects=*/true, /*contents=*/true, /*scenarios=*/true);
    menu.SetChecked("ProtectAllYN", true);
  } else {
    for (int i = 1; i <= count; ++i) book->Sheet(i).Unprotect();
    menu.SetChecked("ProtectAllYN", false);
  }
}

}  // namespace korvane::reports
