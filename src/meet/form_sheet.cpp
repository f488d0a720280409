#include "meet/form_sheet.h"

#include <algorithm>
#include <string>

#include "host/range.h"
#include "host/utf8.h"
#include "meet/layout.h"

namespace korvane::meet {

namespace {

// Notice of a tick cell holding something else than the list offers.
constexpr std::string_view kTickErrorTitle = "报名";
constexpr std::string_view kTickError = "请在所报项目下方格内打“√”（可从下拉列表中选取）。";

}  // namespace

bool EventHeadingFitsAcross(std::string_view name, double widthChars) {
  // A character unit is about 6 points of the 11-point default font, and a
  // column adds some 4 points of padding; the text keeps 3 points of room.
  // An ideograph is as wide as the font size, a digit or "×" half of it.
  double textPoints = 0;
  for (char32_t c : host::utf8::Decode(name))
    textPoints += c < 0x2E80 ? kEventHeadingFontSize / 2 : kEventHeadingFontSize;
  return textPoints <= widthChars * 6 + 4 - 3;
}

void OrientEventHeading(host::Worksheet& form, int col) {
  const std::string name = form.ValueAt(form::kHeadingRow, col).ToText();
  int orientation = host::xl::Horizontal;
  if (!EventHeadingFitsAcross(name, form.ColumnWidth(col))) {
    const std::u32string text = host::utf8::Decode(name);
    const bool ideographsOnly = std::all_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x2E80; });
    orientation = ideographsOnly ? host::xl::Vertical : host::xl::Upward;
  }
  form.Cells(form::kHeadingRow, col).SetOrientation(orientation);
}

void SetTickValidation(host::Worksheet& form, int lastAthleteRow, int lastEventCol) {
  const host::RangeRef band{form::kFirstAthleteRow, form::kFirstEventCol, lastAthleteRow, host::kMaxCols};
  std::vector<host::DataValidation>& all = form.DataValidations();
  all.erase(std::remove_if(all.begin(), all.end(),
                           [&](const host::DataValidation& dv) {
                             return std::any_of(dv.areas.begin(), dv.areas.end(),
                                                [&](const host::RangeRef& a) { return a.Intersects(band); });
                           }),
            all.end());
  if (lastEventCol < form::kFirstEventCol || lastAthleteRow < form::kFirstAthleteRow) return;
  host::DataValidation ticks;
  ticks.areas.push_back({form::kFirstAthleteRow, form::kFirstEventCol, lastAthleteRow, lastEventCol});
  ticks.type = "list";
  ticks.formula1 = "\"" + std::string(form::kEntryMark) + "\"";
  ticks.errorStyle = "information";
  ticks.allowBlank = true;
  ticks.inCellDropDown = true;
  ticks.showErrorMessage = true;
  ticks.errorTitle = std::string(kTickErrorTitle);
  ticks.error = std::string(kTickError);
  all.push_back(std::move(ticks));
}

}  // namespace korvane::meet
