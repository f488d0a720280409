#include "shell/menu.h"

#include <stdexcept>

#include "shell/menu_stages.h"

namespace korvane::shell {

namespace {

MenuNode Item(std::string caption, std::string control, int index, bool separatorAfter = false) {
  MenuNode n;
  n.caption = std::move(caption);
  n.control = std::move(control);
  n.index = index;
  n.separatorAfter = separatorAfter;
  return n;
}

MenuNode Menu(std::string caption, std::vector<MenuNode> children, bool separatorAfter = false) {
  MenuNode n;
  n.caption = std::move(caption);
  n.children = std::move(children);
  n.separatorAfter = separatorAfter;
  return n;
}

std::vector<MenuNode> BuildTree() {
  MenuNode protect = Item("保护工作表", "ProtectAllYN", 34);
  protect.checkable = true;
  return {
      Menu("文件",
           {
               Item("新建", "New", 11),
               Item("打开", "Open", 12),
               Menu("导入导出",
                    {
                        Item("导入报名数据", "Import", 131),
                        Item("导出报名数据", "Export", 132),
                        Item("导出打印报表", "ExportPRF", 133),
                    },
                    /*separatorAfter=*/true),
               Item("保存所有", "Save", 15),
               Item("关闭所有", "Close", 16, /*separatorAfter=*/true),
               Menu("打印",
                    {
                        Item("报名表样表(A4)", "MyPrint1", 181),
                        Item("报表(A4)", "MyPrint2", 182),
                        Item("成绩记录表(B4)", "MyPrint3", 183),
                        Item("赛事日程(A4)", "MyPrint4", 184),
                    },
                    /*separatorAfter=*/true),
               Item("退出", "Quit", 0),
           }),
      Menu("操作",
           {
               Item("汇总及编号", "consolidate", 21),
               Item("年级合并...", "Combine", 22),
               Item("随机排序", "Sort", 23, /*separatorAfter=*/true),
               Item("报表生成", "CreateReport", 25),
           }),
      Menu("工具",
           {
               Item("模拟报名", "MNBM", 31),
               Item("成绩管理", "ScoreEdit", 32),
               Item("创建成绩记录表", "CreateTables", 33),
               protect,
           }),
      Menu("设置",
           {
               Item("默认目录...", "DefaultFolder", 41),
               Item("初始化...", "Initialization", 42),
               Item("项目管理...", "ItemSetup", 43),
               Item("赛事日程...", "Schedule", 44),
               // A submenu, as its indexes 451 to 453 (menu 4, entry 5) say.
               Menu("赛事奖项",
                    {
                        Item("设置", "PrizeSetup", 451),
                        Item("明细单", "PrizeList", 452),
                        Item("奖状(证书)生成", "PrizeCreate", 453),
                    }),
           }),
      Menu("帮助",
           {
               Item("内容", "Content", 0),
               Item("关于", "About", 0),
           }),
  };
}

void CollectItems(const std::vector<MenuNode>& nodes, std::vector<const MenuNode*>& out) {
  for (const MenuNode& n : nodes) {
    if (n.children.empty())
      out.push_back(&n);
    else
      CollectItems(n.children, out);
  }
}

}  // namespace

const std::vector<MenuNode>& MenuTree() {
  static const std::vector<MenuNode> tree = BuildTree();
  return tree;
}

const std::vector<const MenuNode*>& MenuItems() {
  static const std::vector<const MenuNode*> items = [] {
    std::vector<const MenuNode*> v;
    CollectItems(MenuTree(), v);
    return v;
  }();
  return items;
}

const MenuNode* FindMenuItem(std::string_view control) {
  for (const MenuNode* n : MenuItems())
    if (n->control == control) return n;
  return nullptr;
}

const MenuNode* FindMenuItemByIndex(int index) {
  if (index == 0) return nullptr;
  for (const MenuNode* n : MenuItems())
    if (n->index == index) return n;
  return nullptr;
}

MenuState::MenuState() {
  for (const MenuNode* n : MenuItems()) items_.emplace(n->control, Flags{});
}

MenuState::Flags& MenuState::At(std::string_view control) {
  auto it = items_.find(control);
  if (it == items_.end()) throw std::out_of_range("no menu item " + std::string(control));
  return it->second;
}

const MenuState::Flags& MenuState::At(std::string_view control) const {
  auto it = items_.find(control);
  if (it == items_.end()) throw std::out_of_range("no menu item " + std::string(control));
  return it->second;
}

bool MenuState::Enabled(std::string_view control) const { return At(control).enabled; }
bool MenuState::Checked(std::string_view control) const { return At(control).checked; }

void MenuState::SetEnabled(std::string_view control, bool enabled) {
  At(control).enabled = enabled;
  ++revision_;
}

void MenuState::SetChecked(std::string_view control, bool checked) {
  At(control).checked = checked;
  ++revision_;
}

void MenuState::Restore(const MenuState& earlier) {
  items_ = earlier.items_;
  ++revision_;
}

void MenuState::SetEnabled(std::initializer_list<std::string_view> controls, bool enabled) {
  for (std::string_view c : controls) SetEnabled(c, enabled);
}

void ResetMenu(MenuState& menu) {
  EnterMenuStep(menu, MenuStep::NoMeet);
  menu.SetChecked("ProtectAllYN", false);
}

}  // namespace korvane::shell
