// The main window's menu: the fixed tree of menus and items, and MenuState,
// the enabled and checked flags per item. The menu state is the program's
// record of where the meet stands; the desktop window only mirrors it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::shell {

// One node of the menu tree. A node with children is a menu or a sub-menu
// (no control name); a node without children is a command item.
struct MenuNode {
  std::string caption;
  std::string control;          // the item's control name ("New", "ProtectAllYN"); empty for menus
  int index = 0;                // the number that identifies the item when its state is set; 0 = none
  bool checkable = false;       // shows a check mark (ProtectAllYN)
  bool separatorAfter = false;  // a separator line follows this node in its menu
  std::vector<MenuNode> children;
};

// The top-level menus in order: 文件, 操作, 工具, 设置 (with the submenu 赛事奖项), 帮助.
const std::vector<MenuNode>& MenuTree();
// Every command item, depth first, in the order the menus show them.
const std::vector<const MenuNode*>& MenuItems();
// The item with that control name / index; null when there is none.
const MenuNode* FindMenuItem(std::string_view control);
const MenuNode* FindMenuItemByIndex(int index);

// Enabled and checked flags of every command item. A new state has every item
// enabled and unchecked; ResetForm gives the state with no meet workbook.
// Naming an item that does not exist is a programming error and throws
// std::out_of_range.
class MenuState {
 public:
  MenuState();

  bool Enabled(std::string_view control) const;
  bool Checked(std::string_view control) const;
  void SetEnabled(std::string_view control, bool enabled);
  void SetChecked(std::string_view control, bool checked);
  // Several items at once.
  void SetEnabled(std::initializer_list<std::string_view> controls, bool enabled);

  // Every item's flags as they are in `earlier`, counted as one change.
  void Restore(const MenuState& earlier);

  // Counts every change, so a view can tell whether it must refresh.
  unsigned long Revision() const { return revision_; }

 private:
  struct Flags {
    bool enabled = true;
    bool checked = false;
  };
  Flags& At(std::string_view control);
  const Flags& At(std::string_view control) const;
  std::map<std::string, Flags, std::less<>> items_;
  unsigned long revision_ = 0;
};

// The menu with no meet workbook open (the stage table's NoMeet): 新建, 打开,
// 默认目录..., 初始化... and the items without an index enabled; every other
// item disabled; the check mark of 保护工作表 cleared.
void ResetMenu(MenuState& menu);

}  // namespace korvane::shell
