// The text a cell shows: its value rendered with the cell's number format, as
// the application displays it (the grid of the desktop window, printed pages).
#pragma once

#include <string>
#include <string_view>

#include "host/value.h"

namespace korvane::host {

// Renders `value` with the number format code `format` as Chinese (zh-CN)
// Excel and WPS show it: up to four sections (positive;negative;zero;text) or
// conditional ones ([>=60]), quoted and escaped literals, 0 # ? digit
// placeholders with decimals, thousands grouping and scaling, %, scientific
// (0.00E+00) and fractions (# ?/?), dates and times (y m d h s, ss.00, [h],
// AM/PM, 上午/下午, aaaa for the Chinese weekday, the 1904 date system),
// [DBNum1]/[DBNum2] Chinese digits and [$¥-804] currencies. Numbers round half
// away from zero on their decimal value. The built-in formats whose display
// depends on the language show as in Chinese (id 14 as yyyy/m/d). Colours are
// not shown. Texts show as they are unless a text section says otherwise;
// numbers under "@" show as General; an empty value shows nothing. This is the
// one text of a value for the grid, printing and scripts.
// Example: FormatValue(0.3645833, "h:mm") == "8:45".
std::string FormatValue(const CellValue& value, std::string_view format, bool date1904 = false);

}  // namespace korvane::host
