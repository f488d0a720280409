#include "shell/menu_stages.h"

#include <stdexcept>
#include <string>

namespace korvane::shell {

namespace {

using enum MenuStep;

constexpr StageRow kStageTable[] = {
    // 文件
    {.control = "New", .on = {NoMeet}, .off = {TemplateOpen, MeetOpen, EntriesReplaced}},
    {.control = "Open", .on = {NoMeet}, .off = {TemplateOpen, MeetOpen, EntriesReplaced}},
    {.control = "Import", .on = {OpenedAtEntries, EntriesReplaced}, .off = {NoMeet, Consolidated}},
    {.control = "Export", .on = {MeetOpen, EntriesReplaced}, .off = {NoMeet}},
    {.control = "ExportPRF",
     .on = {OpenedWithReports, OpenedWithRecords, ReportsMade},
     .off = {NoMeet, EntriesReplaced, Consolidated, ReportsRemoved, ReportsAbandoned}},
    {.control = "Save", .on = {TemplateOpen, MeetOpen, EntriesReplaced, NumbersRemoved}, .off = {NoMeet}},
    {.control = "Close", .on = {TemplateOpen, MeetOpen, EntriesReplaced, NumbersRemoved}, .off = {NoMeet}},
    {.control = "MyPrint1",
     .on = {MeetOpen, EntriesReplaced},
     .off = {NoMeet, OpenedConsolidated, OpenedWithReports, OpenedWithRecords, Consolidated, ReportsRemoved,
             ReportsMade}},
    {.control = "MyPrint2",
     .on = {OpenedWithReports, OpenedWithRecords, ReportsMade},
     .off = {NoMeet, Consolidated, ReportsRemoved, ReportsAbandoned}},
    {.control = "MyPrint3",
     .on = {OpenedWithRecords, RecordTablesMade},
     .off = {NoMeet, Consolidated, ReportsRemoved, ReportsMade}},
    {.control = "MyPrint4",
     .on = {OpenedWithReports, OpenedWithRecords, ReportsMade},
     .off = {NoMeet, Consolidated, ReportsRemoved}},
    {.control = "Quit", .on = {NoMeet}},
    // 操作
    {.control = "consolidate", .on = {MeetOpen, EntriesReplaced, NumbersRemoved}, .off = {NoMeet}},
    {.control = "Combine",
     .onOutsideTeamMode = {OpenedConsolidated, OpenedWithReports, OpenedWithRecords, Consolidated},
     .off = {NoMeet}},
    {.control = "Sort",
     .on = {OpenedConsolidated, OpenedWithReports, OpenedWithRecords, Consolidated},
     .off = {NoMeet}},
    {.control = "CreateReport",
     .on = {OpenedConsolidated, OpenedWithReports, OpenedWithRecords, Consolidated},
     .off = {NoMeet}},
    // 工具
    {.control = "MNBM", .on = {MeetOpen, EntriesReplaced, NumbersRemoved}, .off = {NoMeet}},
    {.control = "ScoreEdit",
     .on = {OpenedWithReports, OpenedWithRecords, ReportsMade},
     .off = {NoMeet, Consolidated, ReportsRemoved, ReportsAbandoned, ScoreRegisterFilled}},
    {.control = "CreateTables",
     .on = {OpenedWithReports, ReportsMade},
     .off = {NoMeet, NumbersRemoved, ReportsRemoved, ReportsAbandoned, RecordTablesMade}},
    {.control = "ProtectAllYN", .on = {TemplateOpen}, .off = {NoMeet}},
    // 设置
    {.control = "DefaultFolder", .on = {NoMeet}},
    {.control = "Initialization", .on = {NoMeet}, .off = {TemplateOpen, MeetOpen, EntriesReplaced, NumbersRemoved}},
    {.control = "ItemSetup", .on = {TemplateOpen}, .off = {NoMeet, NumbersRemoved}},
    {.control = "Schedule",
     .on = {OpenedConsolidated, OpenedWithReports, OpenedWithRecords, Consolidated},
     .off = {NoMeet}},
    {.control = "PrizeSetup", .on = {MeetOpen, PrizeWorkbookClosed}, .off = {NoMeet, PrizeWorkbookOpen}},
    {.control = "PrizeList", .on = {PrizeWorkbookOpen}, .off = {NoMeet, PrizeWorkbookClosed}},
    {.control = "PrizeCreate", .on = {PrizeWorkbookOpen}, .off = {NoMeet, PrizeWorkbookClosed}},
    // 帮助
    {.control = "Content", .on = {NoMeet}},
    {.control = "About", .on = {NoMeet}},
};

// Each row says one thing per step, and NoMeet, the menu with no meet
// workbook, says something of every item.
constexpr bool WellFormed(const StageRow& row) {
  return !row.on.Overlaps(row.off) && !row.on.Overlaps(row.onOutsideTeamMode) &&
         !row.onOutsideTeamMode.Overlaps(row.off) && (row.on.Has(NoMeet) || row.off.Has(NoMeet));
}
constexpr bool AllWellFormed() {
  for (const StageRow& row : kStageTable)
    if (!WellFormed(row)) return false;
  return true;
}
static_assert(AllWellFormed(), "a stage row names a step twice, or leaves the item's state with no meet unsaid");

void Enter(MenuState& menu, MenuStep step, const bool* teamMode) {
  if (teamMode == nullptr)
    for (const StageRow& row : kStageTable)
      if (row.onOutsideTeamMode.Has(step))
        throw std::logic_error("menu step " + std::to_string(static_cast<int>(step)) + " needs the team mode");
  for (const StageRow& row : kStageTable) {
    if (row.on.Has(step)) {
      menu.SetEnabled(row.control, true);
    } else if (row.off.Has(step)) {
      menu.SetEnabled(row.control, false);
    } else if (row.onOutsideTeamMode.Has(step) && !*teamMode) {
      menu.SetEnabled(row.control, true);
    }
  }
}

}  // namespace

std::span<const StageRow> StageTable() { return kStageTable; }

MenuStep OpenedStep(meet::MeetStage stage) {
  switch (stage) {
    case meet::MeetStage::NotConsolidated: return OpenedAtEntries;
    case meet::MeetStage::Consolidated: return OpenedConsolidated;
    case meet::MeetStage::Reports: return OpenedWithReports;
    case meet::MeetStage::RecordTables: return OpenedWithRecords;
  }
  throw std::invalid_argument("unknown meet stage");
}

void EnterMenuStep(MenuState& menu, MenuStep step) { Enter(menu, step, nullptr); }

void EnterMenuStep(MenuState& menu, MenuStep step, bool teamMode) { Enter(menu, step, &teamMode); }

}  // namespace korvane::shell
