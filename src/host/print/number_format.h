// The text a cell shows for its value and number format, as a spreadsheet
// displays and prints it.
#pragma once

#include <string>
#include <string_view>

#include "host/value.h"

namespace korvane::host::print {

// Formats `value` with `format`: General, "@", digit patterns ("0", "0.00",
// "#,##0", "0%"), quoted and escaped literals ("\"第\"0\"组\""), up to four
// sections (positive;negative;zero;text), colour and condition brackets (ignored),
// and dates and times ("h:mm", "hh:mm:ss", "[h]:mm", "yyyy-m-d", "m月d日") of
// serial values. A text value shows through the fourth section when there is
// one, else as it is.
std::string FormatValue(const CellValue& value, std::string_view format);

}  // namespace korvane::host::print
