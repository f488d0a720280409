#include "meet/parameters.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "host/address.h"
#include "host/errors.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"

namespace korvane::meet {

namespace {

int ClampToInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

// What follows a broken rule: a full stop, or what cannot run.
std::string Consequence(std::string_view command) {
  if (command.empty()) return "。";
  return "，否则无法" + std::string(command) + "。请在“设置”中修改后再试。";
}

// The athlete rows of the team sheets as made, from the closing row of team
// sheet "1"; 0 when there is no such sheet or its column A ends above the
// closing row of the smallest form.
int FormRowsOf(const host::Workbook& book) {
  const host::Worksheet* first = book.FindSheet(TeamSheetName(1));
  if (first == nullptr) return 0;
  const int closing = first->End(host::kMaxRows, 1, host::Direction::Up).first;
  if (closing < form::kTemplateClosingRow) return 0;
  return closing - (form::ClosingRow(0));
}

}  // namespace

namespace parameter_text {

std::string RowsPerTeamInvalid(std::string_view command) {
  return "设置!H2 的每队人数必须是不小于" + std::to_string(kMinRowsPerTeam) + "的偶数" + Consequence(command);
}
std::string RowsPerTeamTooLarge(std::string_view command) {
  return "设置!H2 的每队人数不能超过" + std::to_string(kMaxRowsPerTeam) + "（运动员号码中的序号只有两位）" +
         Consequence(command);
}
std::string MaxPerTeamPerEventInvalid(std::string_view command) {
  return "设置!H3 的每项每队限报人数必须大于0" + Consequence(command);
}
std::string MaxEventsPerAthleteInvalid(std::string_view command) {
  return "设置!H4 的每人限报项数必须大于0" + Consequence(command);
}
std::string RowsPerTeamChanged(int rowsPerTeam, int formRows) {
  const std::string made = std::to_string(formRows);
  return "设置!H2 的每队人数（" + std::to_string(rowsPerTeam) + "）与报名表不符：本次运动会的报名表是按每队" + made +
         "人制作的。请把设置!H2 改回" + made + "；要改每队人数，请用“新建”重新建立运动会。";
}
std::string GroupSizeMissing(std::string_view eventTitle, std::string_view notDone, std::string_view retry) {
  return "项目“" + std::string(eventTitle) + "”按分组不分道编排，但设置!H5 的每组最多人数为空或不是正整数，无法分组，" +
         std::string(notDone) + "。\n请在设置!H5 中填写每组最多人数后" + std::string(retry) + "。";
}

}  // namespace parameter_text

ParameterFault Parameters::Fault(ParameterUse use) const {
  if (use.formSize) {
    if (RowsPerTeam < kMinRowsPerTeam || RowsPerTeam % 2 != 0) return ParameterFault::RowsPerTeamInvalid;
    if (FormRows > 0) {
      if (RowsPerTeam != FormRows) return ParameterFault::RowsPerTeamChanged;
    } else if (RowsPerTeam > kMaxRowsPerTeam) {
      return ParameterFault::RowsPerTeamTooLarge;
    }
  }
  if (use.entryLimits) {
    if (MaxPerTeamPerEvent < 1) return ParameterFault::MaxPerTeamPerEvent;
    if (MaxEventsPerAthlete < 1) return ParameterFault::MaxEventsPerAthlete;
  }
  return ParameterFault::None;
}

Refusal Parameters::Validate(ParameterUse use, std::string_view command) const {
  namespace t = parameter_text;
  switch (Fault(use)) {
    case ParameterFault::None: return {};
    case ParameterFault::RowsPerTeamInvalid: return Refusal::Because(t::RowsPerTeamInvalid(command));
    case ParameterFault::RowsPerTeamTooLarge: return Refusal::Because(t::RowsPerTeamTooLarge(command));
    case ParameterFault::RowsPerTeamChanged: return Refusal::Because(t::RowsPerTeamChanged(RowsPerTeam, FormRows));
    case ParameterFault::MaxPerTeamPerEvent: return Refusal::Because(t::MaxPerTeamPerEventInvalid(command));
    case ParameterFault::MaxEventsPerAthlete: return Refusal::Because(t::MaxEventsPerAthleteInvalid(command));
  }
  return {};
}

Parameters LoadParameters(const host::Workbook& book) {
  const host::Worksheet* ws = book.FindSheet(std::string(kSettingsSheet));
  if (ws == nullptr) throw host::HostError("工作簿中没有工作表“" + std::string(kSettingsSheet) + "”!");
  auto read = [ws](CellPos at) { return ClampToInt(ws->ValueAt(at.row, at.col).ToWhole()); };
  Parameters p;
  p.RowsPerTeam = read(settings::RowsPerTeam);
  p.MaxPerTeamPerEvent = read(settings::MaxPerTeamPerEvent);
  p.MaxEventsPerAthlete = read(settings::MaxEventsPerAthlete);
  p.MaxPerGroup = std::min(read(settings::MaxPerGroup), kLargestGroup);
  p.FormRows = FormRowsOf(book);
  return p;
}

std::string FractionalCountText(const host::Workbook& book) {
  namespace s = settings;
  const host::Worksheet* settings = book.FindSheet(std::string(kSettingsSheet));
  if (!settings) return {};
  std::vector<CellPos> cells;
  for (int r = s::kFirstGradeRow; r <= s::kLastGradeRow; ++r) cells.push_back({r, s::kTeamsCol});
  for (CellPos at : {s::TeamSheetCount, s::RowsPerTeam, s::MaxPerTeamPerEvent, s::MaxEventsPerAthlete, s::MaxPerGroup})
    cells.push_back(at);
  for (const CellPos& at : cells) {
    const host::CellValue v = settings->ValueAt(at.row, at.col);
    double d = 0;
    if (v.IsBool() || !v.ToNumber(d)) continue;
    if (!std::isfinite(d) || d != std::floor(d))
      return "设置!" + host::ColumnLetters(at.col) + std::to_string(at.row) + " 的值" + v.ToText() +
             "不是整数，请改为整数后再试。";
  }
  return {};
}

}  // namespace korvane::meet
