// The registration processing commands under their menu controls, and the
// progress notes they show in the caption.
#pragma once

#include <string_view>

#include "shell/program.h"

namespace korvane::processing {

// Registers 汇总及编号, 随机排序, 年级合并... and 模拟报名.
void RegisterCommands(shell::CommandTable& table);

namespace notes {
inline constexpr std::string_view kSimulate = " - 模拟报名...";
inline constexpr std::string_view kTidyEntries = " - 整理报名数据...";
inline constexpr std::string_view kCollectTeams = " - 汇总各班名单...";
inline constexpr std::string_view kCollectEvents = " - 汇总报名项目...";
inline constexpr std::string_view kNumbering = " - 自动编号...";
inline constexpr std::string_view kRandomOrder = " - 随机排序...";
inline constexpr std::string_view kMergeGrades = " - 年级合并...";
}  // namespace notes

}  // namespace korvane::processing
