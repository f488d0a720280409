#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/menu.h"
#include "shell/menu_stages.h"

namespace korvane::shell {
namespace {

TEST(StageTable, OneRowPerMenuItemInMenuOrder) {
  // A misspelt or forgotten control name shows here, not when a teacher
  // reaches the step.
  std::vector<std::string> rows, items;
  for (const StageRow& row : StageTable()) {
    rows.emplace_back(row.control);
    EXPECT_NE(FindMenuItem(row.control), nullptr) << row.control;
  }
  for (const MenuNode* n : MenuItems()) items.push_back(n->control);
  EXPECT_EQ(rows, items);
}

TEST(EnterMenuStep, ItemsTheStepDoesNotNameKeepTheirState) {
  for (bool before : {true, false}) {
    MenuState menu;
    for (const MenuNode* n : MenuItems()) menu.SetEnabled(n->control, before);
    EnterMenuStep(menu, MenuStep::RecordTablesMade);
    for (const MenuNode* n : MenuItems()) {
      const bool expected = n->control == "MyPrint3" ? true : n->control == "CreateTables" ? false : before;
      EXPECT_EQ(menu.Enabled(n->control), expected) << n->control << " from " << before;
    }
  }
}

TEST(EnterMenuStep, TheGradeMergeIsOfferedOnlyOutsideTeamMode) {
  MenuState menu;
  ResetMenu(menu);
  const unsigned long before = menu.Revision();
  EXPECT_THROW(EnterMenuStep(menu, MenuStep::Consolidated), std::logic_error);
  EXPECT_EQ(menu.Revision(), before) << "nothing changed by a step refused";

  EnterMenuStep(menu, MenuStep::Consolidated, /*teamMode=*/true);
  EXPECT_FALSE(menu.Enabled("Combine"));
  EXPECT_TRUE(menu.Enabled("Sort"));
  menu.SetEnabled("Combine", true);
  EnterMenuStep(menu, MenuStep::OpenedWithRecords, /*teamMode=*/true);
  EXPECT_TRUE(menu.Enabled("Combine")) << "team mode leaves the item as it was";
  ResetMenu(menu);
  EnterMenuStep(menu, MenuStep::OpenedWithRecords, /*teamMode=*/false);
  EXPECT_TRUE(menu.Enabled("Combine"));
}

}  // namespace
}  // namespace korvane::shell
