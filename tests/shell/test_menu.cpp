#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "shell/menu.h"

namespace korvane::shell {
namespace {

std::vector<std::string> Controls() {
  std::vector<std::string> v;
  for (const MenuNode* n : MenuItems()) v.push_back(n->control);
  return v;
}

TEST(MenuTree, ItemsInMenuOrderWithUniqueNamesAndIndexes) {
  // The order the `menu` statement prints and the desktop menu shows.
  std::vector<std::string> expected{"New",           "Open",           "Import",      "Export",       "ExportPRF",
                                    "Save",          "Close",          "MyPrint1",    "MyPrint2",     "MyPrint3",
                                    "MyPrint4",      "Quit",           "consolidate", "Combine",      "Sort",
                                    "CreateReport",  "MNBM",           "ScoreEdit",   "CreateTables", "ProtectAllYN",
                                    "DefaultFolder", "Initialization", "ItemSetup",   "Schedule",     "PrizeSetup",
                                    "PrizeList",     "PrizeCreate",    "Content",     "About"};
  EXPECT_EQ(Controls(), expected);

  std::set<int> indexes;
  for (const MenuNode* n : MenuItems()) {
    EXPECT_TRUE(n->children.empty());
    EXPECT_EQ(FindMenuItem(n->control), n);
    if (n->index != 0) {
      EXPECT_TRUE(indexes.insert(n->index).second) << n->control;
      EXPECT_EQ(FindMenuItemByIndex(n->index), n);
    }
  }
  EXPECT_EQ(FindMenuItem("Nothing"), nullptr);
  EXPECT_EQ(FindMenuItemByIndex(0), nullptr);
  EXPECT_EQ(FindMenuItemByIndex(14), nullptr);  // the place of a separator
}

TEST(MenuTree, SeparatorsSubMenusAndTheCheckItem) {
  const auto& tree = MenuTree();
  std::vector<std::string> menus;
  for (const MenuNode& m : tree) menus.push_back(m.caption);
  EXPECT_EQ(menus, (std::vector<std::string>{"文件", "操作", "工具", "设置", "帮助"}));
  const MenuNode& settings = tree[3];
  ASSERT_EQ(settings.children.size(), 5u);
  EXPECT_EQ(settings.children[4].caption, "赛事奖项");
  EXPECT_EQ(settings.children[4].children[0].control, "PrizeSetup");

  // Nodes followed by a separator, by caption.
  std::vector<std::string> before;
  std::function<void(const std::vector<MenuNode>&)> walk = [&](const std::vector<MenuNode>& nodes) {
    for (const MenuNode& n : nodes) {
      if (n.separatorAfter) before.push_back(n.caption);
      walk(n.children);
    }
  };
  walk(tree);
  EXPECT_EQ(before, (std::vector<std::string>{"导入导出", "关闭所有", "打印", "随机排序"}));

  const MenuNode& file = tree[0];
  ASSERT_EQ(file.children.size(), 7u);
  EXPECT_EQ(file.children[2].caption, "导入导出");
  EXPECT_EQ(file.children[2].children.size(), 3u);
  EXPECT_EQ(file.children[5].caption, "打印");
  EXPECT_EQ(file.children[5].children[2].caption, "成绩记录表(B4)");
  EXPECT_EQ(file.children[6].control, "Quit");

  for (const MenuNode* n : MenuItems()) EXPECT_EQ(n->checkable, n->control == "ProtectAllYN") << n->control;
  EXPECT_EQ(FindMenuItemByIndex(453)->caption, "奖状(证书)生成");
  EXPECT_EQ(FindMenuItemByIndex(34)->caption, "保护工作表");
}

TEST(MenuState, ResetMenuLeavesOnlyTheStartItemsEnabled) {
  MenuState menu;
  for (const MenuNode* n : MenuItems()) EXPECT_TRUE(menu.Enabled(n->control));
  menu.SetChecked("ProtectAllYN", true);
  menu.SetEnabled("New", false);

  ResetMenu(menu);
  std::set<std::string> enabled;
  for (const MenuNode* n : MenuItems())
    if (menu.Enabled(n->control)) enabled.insert(n->control);
  EXPECT_EQ(enabled,
            (std::set<std::string>{"New", "Open", "DefaultFolder", "Initialization", "Quit", "Content", "About"}));
  EXPECT_FALSE(menu.Checked("ProtectAllYN"));
}

TEST(MenuState, UnknownItemsAreRefusedAndChangesCounted) {
  MenuState menu;
  EXPECT_THROW(menu.Enabled("Nope"), std::out_of_range);
  EXPECT_THROW(menu.SetEnabled("Nope", true), std::out_of_range);
  EXPECT_THROW(menu.SetChecked("new", true), std::out_of_range);  // names are case-sensitive
  auto before = menu.Revision();
  menu.SetEnabled({"Save", "Close"}, false);
  EXPECT_GT(menu.Revision(), before);
  EXPECT_FALSE(menu.Enabled("Save"));
  EXPECT_FALSE(menu.Enabled("Close"));
  EXPECT_TRUE(menu.Enabled("Open"));
}

}  // namespace
}  // namespace korvane::shell
