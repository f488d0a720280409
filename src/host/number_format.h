// The text a cell shows: its value rendered with the cell's number format, as
// the application displays it (the grid of the desktop window, printed pages).
#pragma once

#include <string>
#include <string_view>

#include "host/value.h"

namespace korvane::host {

// Renders `value` with the number format code `format` ("General", "0.00",
// "h:mm", "\"第\"0\"组\"", "yyyy-mm-dd", ...). Supported: up to four sections
// (positive;negative;zero;text), quoted and escaped literals, 0 # ? digit
// placeholders with a decimal point, thousands separators and %, dates and
// times (y m d h s, [h], AM/PM, aaaa for the Chinese weekday). Colour and
// locale tags in brackets are ignored. Texts show as they are unless a text
// section says otherwise; an empty value shows nothing.
// Example: FormatValue(0.3645833, "h:mm") == "8:45".
std::string FormatValue(const CellValue& value, std::string_view format, bool date1904 = false);

}  // namespace korvane::host
