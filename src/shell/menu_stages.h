// The stage table: for every menu item, the steps of a meet that enable it and
// the steps that disable it. A command that moves the meet on enters its step
// here instead of naming items itself; an item a step does not name keeps its
// state. Only NoMeet sets every item, so it alone is a whole menu state;
// every other step changes just the items it names, as the commands
// always have (a step cannot know, for instance, whether 成绩管理 has been used
// since the reports were made).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "meet/layout.h"
#include "shell/menu.h"

namespace korvane::shell {

enum class MenuStep : std::uint8_t {
  NoMeet,               // no meet workbook open (ResetForm)
  TemplateOpen,         // 初始化...: the template open for editing
  MeetOpen,             // 新建 or 打开: a meet workbook open, whatever its stage
  OpenedAtEntries,      // 新建, or 打开 of a meet not yet consolidated
  OpenedConsolidated,   // 打开 of a consolidated meet without reports
  OpenedWithReports,    // 打开 of a meet with reports, without record tables
  OpenedWithRecords,    // 打开 of a meet with record tables
  EntriesReplaced,      // 模拟报名 replaced the entries of a numbered meet (after NoMeet)
  NumbersRemoved,       // 汇总及编号 removed the numbers of an earlier run
  Consolidated,         // 汇总及编号 done
  ReportsRemoved,       // 随机排序 or 年级合并... removed the reports
  ReportsMade,          // 报表生成 done
  ReportsAbandoned,     // 报表生成 failed and removed what it had made
  RecordTablesMade,     // 创建成绩记录表 done
  ScoreRegisterFilled,  // 成绩管理 filled the score register
  PrizeWorkbookOpen,    // 赛事奖项 设置 opened the prize workbook
  PrizeWorkbookClosed,  // the prize workbook found closed
};
inline constexpr int kMenuStepCount = static_cast<int>(MenuStep::PrizeWorkbookClosed) + 1;

// A set of steps.
class MenuSteps {
 public:
  constexpr MenuSteps() = default;
  constexpr MenuSteps(std::initializer_list<MenuStep> steps) {
    for (MenuStep s : steps) bits_ |= Bit(s);
  }
  constexpr bool Has(MenuStep s) const { return (bits_ & Bit(s)) != 0; }
  constexpr bool Overlaps(MenuSteps other) const { return (bits_ & other.bits_) != 0; }

 private:
  static constexpr std::uint32_t Bit(MenuStep s) { return std::uint32_t{1} << static_cast<unsigned>(s); }
  std::uint32_t bits_ = 0;
};

// One menu item's row.
struct StageRow {
  std::string_view control;
  MenuSteps on;                 // steps that enable the item
  MenuSteps onOutsideTeamMode;  // steps that enable it unless the meet runs in team mode (设置!M1 "√")
  MenuSteps off;                // steps that disable it
};

// One row per menu item, in the order of the menu.
std::span<const StageRow> StageTable();

// The step of 打开 for a meet at this stage.
MenuStep OpenedStep(meet::MeetStage stage);

// Enables and disables the items the step names and leaves every other item
// as it is. A step that offers an item only outside team mode needs to know
// the meet's mode: entering it without `teamMode` throws std::logic_error.
void EnterMenuStep(MenuState& menu, MenuStep step);
void EnterMenuStep(MenuState& menu, MenuStep step, bool teamMode);

}  // namespace korvane::shell
