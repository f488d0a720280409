// 保存所有 and 关闭所有.
#include <gtest/gtest.h>

#include "meet_fixture.h"
#include "shell/menu.h"

namespace korvane::files::testing {
namespace {

using shell::Icon;

// ---- 保存所有 ----

TEST(Save, SavesEveryOpenWorkbookInPlace) {
  Fixture f;
  host::Workbook& meetBook = f.OpenMeet({.teams = 2});
  host::Workbook& other = f.Host().Add();
  const fs::path otherPath = f.Folder("misc") / "名单.xlsx";
  other.SaveAs(otherPath.string());
  meetBook.Sheet(1).PutValue(4, 3, "张三");
  other.Sheet(1).PutValue(1, 1, "其他工作簿");

  f.program.Run("Save");

  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_TRUE(meetBook.Saved());
  EXPECT_TRUE(other.Saved());
  EXPECT_EQ(Cell(FileReader(f.MeetFolder() / kMeetName)->Sheet(1), 4, 3), "张三");
  EXPECT_EQ(Cell(FileReader(otherPath)->Sheet(1), 1, 1), "其他工作簿");
  EXPECT_TRUE(f.Host().displayAlerts);
  EXPECT_EQ(f.Host().WorkbooksCount(), 2);
}

TEST(Save, AWorkbookThatCannotBeSavedIsNamedAndTheOthersAreSaved) {
  Fixture f;
  host::Workbook& unsavedNew = f.Host().Add();  // never saved: no place to save it to
  host::Workbook& meetBook = f.OpenMeet({.teams = 2});
  meetBook.Sheet(1).PutValue(4, 3, "张三");
  const std::string unsavedName = unsavedNew.Name();

  f.program.Run("Save");

  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(f.ui.boxes[0].text.rfind("以下工作簿没有保存：\n" + unsavedName + "：", 0), 0u) << f.ui.boxes[0].text;
  EXPECT_EQ(f.ui.boxes[0].text.find(kMeetName), std::string::npos);
  EXPECT_EQ(Cell(FileReader(f.MeetFolder() / kMeetName)->Sheet(1), 4, 3), "张三");
  EXPECT_TRUE(f.Host().displayAlerts);
}

TEST(Save, WithNothingOpenResetsTheMenu) {
  Fixture f;
  f.program.Menu().SetEnabled({"Save", "Close", "consolidate"}, true);
  f.program.Run("Save");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"文件被关闭!"});
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_FALSE(f.program.Menu().Enabled("Save"));
  EXPECT_FALSE(f.program.Menu().Enabled("consolidate"));
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
}

// ---- 关闭所有 ----

TEST(Close, AsksForEachChangedWorkbookAndClosesEverything) {
  Fixture f;
  host::Workbook& meetBook = f.OpenMeet({.teams = 2});
  host::Workbook& other = f.Host().Add();
  const fs::path otherPath = f.Folder("misc") / "名单.xlsx";
  other.SaveAs(otherPath.string());
  other.Sheet(1).PutValue(1, 1, "不要的改动");
  f.Host().Add().SetSaved(true);  // nothing changed: no question
  f.Host().visible = true;
  meetBook.Sheet(1).PutValue(4, 3, "要保存的名字");
  f.program.Menu().SetEnabled({"Save", "Close", "Export", "consolidate"}, true);
  f.program.Menu().SetEnabled("New", false);
  f.ui.answers = {shell::Answer::Yes, shell::Answer::No};

  f.program.Run("Close");

  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[0].text, "是否保存对 " + std::string(kMeetName) + " 的更改?");
  EXPECT_EQ(f.ui.boxes[0].buttons, shell::Buttons::YesNoCancel);
  EXPECT_EQ(f.ui.boxes[1].text, "是否保存对 名单.xlsx 的更改?");
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_FALSE(f.Host().visible);
  EXPECT_EQ(Cell(FileReader(f.MeetFolder() / kMeetName)->Sheet(1), 4, 3), "要保存的名字");
  EXPECT_EQ(Cell(FileReader(otherPath)->Sheet(1), 1, 1), "");
  shell::MenuState reset;
  shell::ResetMenu(reset);
  for (const shell::MenuNode* item : shell::MenuItems())
    EXPECT_EQ(f.program.Menu().Enabled(item->control), reset.Enabled(item->control)) << item->control;
  EXPECT_EQ(f.program.Caption(), "Korvane");
}

TEST(Close, CancelKeepsEverythingOpenAsItWas) {
  Fixture f;
  host::Workbook& meetBook = f.OpenMeet({.teams = 2});
  meetBook.Sheet(1).PutValue(4, 3, "没保存的名字");
  f.program.Menu().SetEnabled({"Save", "Close"}, true);
  f.program.Menu().SetEnabled("New", false);
  f.ui.answers = {shell::Answer::Cancel};

  f.program.Run("Close");

  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
  EXPECT_FALSE(meetBook.Saved());
  EXPECT_EQ(Cell(meetBook.Sheet(1), 4, 3), "没保存的名字");
  EXPECT_TRUE(f.program.Menu().Enabled("Close"));
  EXPECT_FALSE(f.program.Menu().Enabled("New"));
}

TEST(Close, AFailedSaveKeepsTheWorkbookOpenAndSaysWhy) {
  Fixture f;
  host::Workbook& unsavedNew = f.Host().Add();  // never saved: no place to save it to
  unsavedNew.Sheet(1).PutValue(1, 1, "新内容");
  f.ui.answers = {shell::Answer::Yes};

  f.program.Run("Close");

  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[1].icon, Icon::Exclamation);
  EXPECT_EQ(f.ui.boxes[1].text.rfind(unsavedNew.Name() + " 未能保存", 0), 0u) << f.ui.boxes[1].text;
  EXPECT_EQ(f.Host().WorkbooksCount(), 1);
}

TEST(Close, WithNothingOpenSaysSoAndResetsTheMenu) {
  Fixture f;
  f.program.Menu().SetEnabled("Close", true);
  f.program.Run("Close");
  EXPECT_EQ(f.Texts(), std::vector<std::string>{"文件被关闭!"});
  EXPECT_FALSE(f.program.Menu().Enabled("Close"));
}

}  // namespace
}  // namespace korvane::files::testing
