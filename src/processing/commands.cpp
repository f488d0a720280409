#include "processing/commands.h"

#include "processing/consolidation.h"
#include "processing/grade_merge.h"
#include "processing/random_order.h"
#include "processing/simulate.h"

namespace korvane::processing {

void RegisterCommands(shell::CommandTable& table) {
  table.Register("consolidate", Consolidate);
  table.Register("Sort", Sort);
  table.Register("Combine", Combine);
  table.Register("MNBM", SimulatedRegistration);
}

}  // namespace korvane::processing
