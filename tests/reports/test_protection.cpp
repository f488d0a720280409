// 保护工作表: every sheet of the meet workbook protected or unprotected at once,
// following the check mark of the menu item.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "reports/commands.h"
#include "reports/protection.h"
#include "shell/program.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::reports {
namespace {

using shell::testing::TempDir;
using shell::testing::TestUi;

struct Fixture {
  TempDir dir;
  TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  Fixture() {
    RegisterCommands(program.Commands());
    shell::ResetForm(program);
    program.Menu().SetEnabled("ProtectAllYN", true);
  }
  // A workbook recognised as the meet workbook, with `sheets` sheets of which
  // the ones listed in `protectedOnes` (1-based) are protected and the last
  // one is hidden.
  host::Workbook& Meet(int sheets, const std::vector<int>& protectedOnes) {
    host::Workbook& book = program.Host().Add();
    book.SetUnsavedName("号码对照表及分组分道编排表_2024-04-09_03715.xlsm");
    for (int i = 2; i <= sheets; ++i) book.AddSheet(nullptr, &book.Sheet(i - 1), "S" + std::to_string(i));
    for (int i : protectedOnes) book.Sheet(i).Protect();
    if (sheets > 1) book.Sheet(sheets).SetVisible(false);
    return book;
  }
};

std::vector<bool> Protected(host::Workbook& book) {
  std::vector<bool> v;
  for (host::Worksheet* ws : book.Sheets()) v.push_back(ws->ProtectContents());
  return v;
}

TEST(ProtectAllYN, TwiceProtectsEverySheetThenUnprotectsEverySheet) {
  Fixture f;
  host::Workbook& book = f.Meet(5, {1, 2});
  f.program.Host().screenUpdating = true;

  f.program.Run("ProtectAllYN");
  EXPECT_EQ(Protected(book), std::vector<bool>(5, true));
  EXPECT_TRUE(f.program.Menu().Checked("ProtectAllYN"));
  for (host::Worksheet* ws : book.Sheets()) {
    EXPECT_TRUE(ws->Protection().drawingObjects) << ws->Name();
    EXPECT_TRUE(ws->Protection().scenarios) << ws->Name();
    EXPECT_TRUE(ws->Protection().passwordHash.empty()) << ws->Name();
  }

  f.program.Run("ProtectAllYN");
  EXPECT_EQ(Protected(book), std::vector<bool>(5, false));
  EXPECT_FALSE(f.program.Menu().Checked("ProtectAllYN"));
  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_TRUE(f.program.Host().screenUpdating);
}

TEST(ProtectAllYN, OneSheetIsProtectedAndTheItemChecked) {
  Fixture f;
  host::Workbook& book = f.Meet(1, {});
  f.program.Run("ProtectAllYN");
  EXPECT_TRUE(book.Sheet(1).ProtectContents());
  EXPECT_TRUE(f.program.Menu().Checked("ProtectAllYN"));
}

TEST(ProtectAllYN, FollowsTheCheckMarkNotTheSheets) {
  Fixture f;
  host::Workbook& book = f.Meet(2, {1, 2});
  // Unchecked while the sheets are protected: they are protected again, no error.
  f.program.Run("ProtectAllYN");
  EXPECT_EQ(Protected(book), std::vector<bool>(2, true));
  EXPECT_TRUE(f.program.Menu().Checked("ProtectAllYN"));
  // Checked while the sheets are unprotected: unprotected again, unchecked.
  for (host::Worksheet* ws : book.Sheets()) ws->Unprotect();
  f.program.Run("ProtectAllYN");
  EXPECT_EQ(Protected(book), std::vector<bool>(2, false));
  EXPECT_FALSE(f.program.Menu().Checked("ProtectAllYN"));
}

TEST(ProtectAllYN, WorksOnTheLaterOfTwoMeetWorkbooks) {
  Fixture f;
  host::Workbook& first = f.Meet(2, {});
  host::Workbook& second = f.program.Host().Add();
  second.SetUnsavedName("号码对照表及分组分道编排1");  // the template opened as a copy
  f.program.Host().Add().SetUnsavedName("别的工作簿");
  f.program.Run("ProtectAllYN");
  EXPECT_EQ(Protected(first), std::vector<bool>(2, false));
  EXPECT_TRUE(second.Sheet(1).ProtectContents());
  EXPECT_FALSE(f.program.Host().WorkbookAt(3).Sheet(1).ProtectContents());
}

TEST(ProtectAllYN, WithoutMeetWorkbookResetsTheMenu) {
  Fixture f;
  f.program.Host().Add().SetUnsavedName("别的工作簿");
  f.program.Menu().SetChecked("ProtectAllYN", true);
  f.program.Run("ProtectAllYN");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::Information);
  EXPECT_FALSE(f.program.Menu().Enabled("ProtectAllYN"));
  EXPECT_FALSE(f.program.Menu().Checked("ProtectAllYN"));
  EXPECT_FALSE(f.program.Host().WorkbookAt(1).Sheet(1).ProtectContents());
}

}  // namespace
}  // namespace korvane::reports
