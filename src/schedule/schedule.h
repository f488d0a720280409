// 赛事日程...: the competition schedule of the open meet. The schedule is a
// workbook of its own in the default folder (日程安排表_YYYY-MM-DD_NNNNN.xlsx).
// When the folder holds one of this year, the newest is edited; otherwise a
// new one is made from the template 日程安排表.xltx: the meet's dates are
// asked (赛程设置), then the first page number, and the competition items are
// derived from the meet's events and entrant counts. The arrangement dialog
// (赛事日程安排) does the rest.
//
// Refusals: no meet workbook open (文件被关闭!); no default folder and none
// picked; the template missing (新 schedules only); an event laid out in
// groups while 设置!H5 holds no group size; a schedule workbook that cannot
// be opened, or an open one whose changes cannot be saved.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "shell/program.h"

namespace korvane::schedule {

void Schedule(shell::Program& program);

// The newest schedule workbook of `folder`: among the names
// 日程安排表_YYYY-MM-DD_NNNNN + extension, the latest date, and on one date the
// greatest serial. nullopt when there is none.
struct FoundSchedule {
  std::filesystem::path path;
  int year = 0;
};
std::optional<FoundSchedule> NewestSchedule(const std::string& folder, std::string_view extension);

namespace text {
std::string CannotOpenText(std::string_view path, std::string_view reason);
std::string OpenScheduleNotSavedText(std::string_view name, std::string_view reason);
}  // namespace text

}  // namespace korvane::schedule
