// What a user's typing into a cell becomes, the same for every front end
// (the desktop grid, pasted text, command scripts).
#pragma once

#include <string>

#include "host/range.h"

namespace korvane::host {

// Types `typed` into the top-left cell of `cell`: "" clears it, a leading
// apostrophe keeps the rest as text, "=..." is a formula, TRUE and FALSE are
// booleans, a time of day (8:30) a time shown h:mm, a text that reads as a
// number is that number, anything else text.
// A locked cell of a protected sheet refuses with HostError and stays as it was.
void TypeIntoCell(Range cell, const std::string& typed);

}  // namespace korvane::host
