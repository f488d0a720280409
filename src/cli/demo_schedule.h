// The schedule step of the sample meet: 赛事日程... with a whole arrangement
// of the items the meet gives, written once the meet's entries are known.
#pragma once

#include <string>

#include "schedule/items.h"

namespace korvane::cli {

// Command-script lines that open the meet workbook, make a new two-day
// schedule (10月25日 and 26日, first page 11) and arrange every item: the
// track items spread over the four half days after the opening ceremony or
// a check-in, with durations by distance and groups and a rest after every
// sixth; the field items after a check-in, in turn with the four judges'
// groups, each group's items one after another from its start; the closing
// ceremony at the end. Then OK, and the meet workbook saved with its new
// first report page.
std::string ScheduleDemoScript(const schedule::DerivedItems& items);

}  // namespace korvane::cli
