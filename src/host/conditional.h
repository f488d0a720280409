// Conditional formats as the application applies them: which rules hold for
// a cell, and the format they give it (the grid's highlight of leading places).
#pragma once

#include <optional>

#include "host/style.h"

namespace korvane::host {

class Worksheet;

// The format the conditional formats of `ws` give cell (row, col): of every
// rule that holds, each setting comes from the rule of highest priority (the
// lowest number) that sets it. nullopt when no rule holds. An expression rule
// holds when its formula, moved from the area's first cell to this one, is
// TRUE or a non-zero number; a cellIs rule compares the cell's value. A rule
// whose formula the host does not evaluate does not hold.
std::optional<DiffStyle> ConditionalStyleAt(const Worksheet& ws, int row, int col);

}  // namespace korvane::host
