// Sheet helpers every command shares: finding a sheet it needs, reading blank
// and text cells, and removing the generated sheets of a meet from a stage on.
#pragma once

#include <string_view>

#include "host/value.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::meet {

// The sheet of that name; throws host::HostError with a message naming it
// when the workbook has none.
host::Worksheet& RequireSheet(host::Workbook& book, std::string_view name);

// An empty cell, or one holding empty text.
inline bool IsBlank(const host::CellValue& v) { return v.IsEmpty() || (v.IsText() && v.Text().empty()); }

// A text cell holding exactly `text`.
inline bool IsText(const host::CellValue& v, std::string_view text) { return v.IsText() && v.Text() == text; }

// Deletes generated sheets from stage `stage` (1..8) on: the sheet of that
// stage and of every later one, where present, without asking and in one
// step (all of them or, when the host refuses, none). The workbook's
// structure protection is lifted for it and put back as it was. True when the
// sheet of stage `stage` existed. Throws std::out_of_range for another stage.
bool delSht(host::Workbook& book, int stage);

}  // namespace korvane::meet
