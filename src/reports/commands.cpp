#include "reports/commands.h"

#include "reports/print.h"
#include "reports/protection.h"
#include "reports/record_tables.h"
#include "reports/report_driver.h"
#include "reports/score_register.h"

namespace korvane::reports {

void RegisterCommands(shell::CommandTable& table) {
  table.Register("CreateReport", CreateReport);
  table.Register("CreateTables", static_cast<void (*)(shell::Program&)>(CreateTables));
  table.Register("ScoreEdit", ScoreEdit);
  table.Register("ProtectAllYN", ProtectAllYN);
  table.Register("MyPrint1", MyPrint1);
  table.Register("MyPrint2", MyPrint2);
  table.Register("MyPrint3", MyPrint3);
  table.Register("MyPrint4", MyPrint4);
}

}  // namespace korvane::reports
