// The main window: its menu is the program's menu tree and mirrors MenuState
// after every command; its caption, place and always-on-top flag.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui_support.h"
#include "shell/menu.h"

namespace korvane::gui::testing {
namespace {

// The menu as text: items by caption, sub-menus in brackets, separators "-".
QString Describe(const QMenu* menu) {
  QStringList parts;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator())
      parts << QStringLiteral("-");
    else if (a->menu())
      parts << a->text() + QStringLiteral("[") + Describe(a->menu()) + QStringLiteral("]");
    else
      parts << a->text();
  }
  return parts.join(QLatin1Char('|'));
}

QString Describe(const std::vector<shell::MenuNode>& nodes) {
  QStringList parts;
  for (const shell::MenuNode& n : nodes) {
    const QString caption = QString::fromStdString(n.caption);
    parts << (n.children.empty() ? caption
                                 : caption + QStringLiteral("[") + Describe(n.children) + QStringLiteral("]"));
    if (n.separatorAfter) parts << QStringLiteral("-");
  }
  return parts.join(QLatin1Char('|'));
}

class MainWindowTest : public DesktopTest {
 protected:
  // Every item's enabled flag and check mark as MenuState holds them.
  void ExpectMenuMirrorsState(const char* after) {
    for (const shell::MenuNode* item : shell::MenuItems()) {
      QAction* a = window_->Action(item->control);
      ASSERT_NE(a, nullptr) << item->control;
      EXPECT_EQ(a->isEnabled(), program_->Menu().Enabled(item->control)) << item->control << " after " << after;
      EXPECT_EQ(a->isChecked(), program_->Menu().Checked(item->control)) << item->control << " after " << after;
    }
    EXPECT_EQ(window_->windowTitle().toStdString(), program_->Caption()) << after;
  }
};

TEST_F(MainWindowTest, MenuBarHoldsTheWholeTreeWithItsSeparators) {
  const auto& tree = shell::MenuTree();
  const QList<QAction*> top = window_->menuBar()->actions();
  ASSERT_EQ(top.size(), static_cast<qsizetype>(tree.size()));
  for (std::size_t i = 0; i < tree.size(); ++i) {
    EXPECT_EQ(top[static_cast<qsizetype>(i)]->text().toStdString(), tree[i].caption);
    EXPECT_EQ(Describe(top[static_cast<qsizetype>(i)]->menu()), Describe(tree[i].children)) << tree[i].caption;
  }
  EXPECT_TRUE(window_->Action("ProtectAllYN")->isCheckable());
  EXPECT_FALSE(window_->Action("New")->isCheckable());
}

TEST_F(MainWindowTest, PlacedOnTopAtItsCorner) {
  EXPECT_TRUE(window_->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window_->pos(), QPoint(800, 0));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Korvane"));
  EXPECT_LE(window_->height(), 80);  // the menu bar alone
}

TEST_F(MainWindowTest, MenuFollowsMenuStateThroughTheCommands) {
  ExpectMenuMirrorsState("start");
  EXPECT_TRUE(window_->Action("New")->isEnabled());
  EXPECT_FALSE(window_->Action("consolidate")->isEnabled());

  Choose("Initialization");
  ExpectMenuMirrorsState("Initialization");
  // The check mark of 保护工作表 follows each toggle.
  const bool checked = window_->Action("ProtectAllYN")->isChecked();
  Choose("ProtectAllYN");
  EXPECT_NE(window_->Action("ProtectAllYN")->isChecked(), checked);
  ExpectMenuMirrorsState("ProtectAllYN");
  Choose("ProtectAllYN");
  EXPECT_EQ(window_->Action("ProtectAllYN")->isChecked(), checked);
  ui_.answers.push_back(shell::Answer::No);  // 保存 the template's changes? no
  Choose("Close");
  ExpectMenuMirrorsState("Close");

  NewMeet();
  ExpectMenuMirrorsState("New");
  EXPECT_TRUE(window_->Action("consolidate")->isEnabled());
  EXPECT_FALSE(window_->Action("CreateReport")->isEnabled());

  ui_.answers.push_back(shell::Answer::Yes);  // the entries made so far are overwritten
  Choose("MNBM");
  Choose("consolidate");
  ExpectMenuMirrorsState("consolidate");
  EXPECT_TRUE(window_->Action("CreateReport")->isEnabled());

  Choose("CreateReport");
  ExpectMenuMirrorsState("CreateReport");

  ui_.answers.push_back(shell::Answer::No);
  Choose("Close");
  ExpectMenuMirrorsState("Close");
  EXPECT_FALSE(window_->Action("Save")->isEnabled());
  EXPECT_FALSE(workbooks_->isVisible());
}

TEST_F(MainWindowTest, ADisabledItemRunsNothing) {
  QAction* save = window_->Action("Save");
  ASSERT_FALSE(save->isEnabled());
  window_->RunCommand("Save");
  EXPECT_TRUE(ui_.boxes.empty());
  ExpectMenuMirrorsState("a disabled item");
}

TEST_F(MainWindowTest, QuitEndsTheProgramAndReleasesTheHost) {
  NewMeet();
  ui_.answers.push_back(shell::Answer::No);  // changes since 新建 may go
  Choose("Quit");
  EXPECT_TRUE(program_->Ended());
  EXPECT_FALSE(program_->HasHost());
  EXPECT_FALSE(workbooks_->isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowIsQuitAndCancelKeepsEverything) {
  NewMeet();
  host::Workbook* meet = Host().ActiveWorkbook();
  ASSERT_NE(meet, nullptr);
  meet->SetSaved(false);
  ui_.answers.push_back(shell::Answer::Cancel);
  window_->close();
  EXPECT_FALSE(program_->Ended());
  EXPECT_EQ(Host().WorkbooksCount(), 1);
  ASSERT_FALSE(ui_.boxes.empty());
  EXPECT_EQ(ui_.boxes.back().buttons, shell::Buttons::YesNoCancel);

  ui_.answers.push_back(shell::Answer::No);  // the changes may go
  window_->close();
  EXPECT_TRUE(program_->Ended());
}

}  // namespace
}  // namespace korvane::gui::testing
