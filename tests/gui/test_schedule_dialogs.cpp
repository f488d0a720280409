// The schedule's dialogs through their views, clicked and typed as a teacher
// does: the settings dialog's spin buttons and boxes, the arrangement
// dialog's lists, start-time controls, inserts and its own entry box, and the
// preview's tab strip showing one list at a time. After every action the
// view shows what the model holds.
#include <QLineEdit>
#include <QTabBar>
#include <QTreeWidget>

#include "gui/dialog_view.h"
#include "gui_support.h"
#include "host/workbook.h"

namespace korvane::gui::testing {
namespace {

QLineEdit* Box(DialogView& view, const std::string& name) {
  auto* edit = qobject_cast<QLineEdit*>(view.Widget(name));
  EXPECT_NE(edit, nullptr) << name;
  return edit;
}

// A box's text on screen equals the model's, and is `expected`.
void ExpectBox(DialogView& view, const std::string& name, const QString& expected) {
  QLineEdit* edit = Box(view, name);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), expected) << name;
  EXPECT_EQ(edit->text().toStdString(), view.Model().Get<shell::TextBox>(name).Text()) << name;
}

// Types into a box as a user does: click, select all, keys, Enter.
void TypeInto(DialogView& view, const std::string& name, const QString& text) {
  QLineEdit* edit = Box(view, name);
  ASSERT_NE(edit, nullptr);
  QTest::mouseClick(edit, Qt::LeftButton);
  edit->selectAll();
  TypeText(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

// Every row, column and selection of a list view against its model.
void ExpectRowsMirror(DialogView& view, const std::string& name) {
  auto& model = view.Model().Get<shell::ListBox>(name);
  auto* tree = qobject_cast<QTreeWidget*>(view.Widget(name));
  ASSERT_NE(tree, nullptr) << name;
  ASSERT_EQ(tree->columnCount(), std::max(1, model.columnCount)) << name;
  ASSERT_EQ(tree->topLevelItemCount(), model.RowCount()) << name;
  for (int r = 0; r < model.RowCount(); ++r) {
    for (int c = 0; c < tree->columnCount(); ++c)
      EXPECT_EQ(tree->topLevelItem(r)->text(c).toStdString(), model.Cell(r, c)) << name << " " << r << "," << c;
    EXPECT_EQ(tree->topLevelItem(r)->isSelected(), model.Selected(r)) << name << " row " << r;
  }
}

// Enabled and visible states of every control against the model.
void ExpectStatesMirror(DialogView& view) {
  for (const auto& c : view.Model().Controls()) {
    QWidget* w = view.Widget(c->Name());
    ASSERT_NE(w, nullptr) << c->Name();
    EXPECT_EQ(w->isEnabled(), c->enabled) << c->Name();
    EXPECT_EQ(w->isVisibleTo(&view), c->visible) << c->Name();
  }
}

class ScheduleDialogsTest : public DesktopTest {
 protected:
  // A meet with simulated entries, consolidated: what 赛事日程... needs.
  void ConsolidatedMeet() {
    NewMeet();
    ui_.answers.push_back(shell::Answer::Yes);  // the entries made so far are overwritten
    Choose("MNBM");
    Choose("consolidate");
  }
};

TEST_F(ScheduleDialogsTest, SettingsArrangementAndPreviewMirrorTheirModels) {
  ConsolidatedMeet();
  ui_.inputs.push_back(std::string("12"));  // the schedule's first page: even, so 13

  // 赛程设置: each spin button rewrites its box; the month's length bounds
  // the day; a number typed into a box moves its spin button, anything else
  // is put back.
  ui_.drivers.push_back([](DialogView& view) {
    EXPECT_EQ(view.windowTitle(), QStringLiteral("赛程设置"));
    ExpectBox(view, "TextBox1", QStringLiteral("10月"));
    ExpectBox(view, "TextBox2", QStringLiteral("25日"));
    ExpectBox(view, "TextBox3", QStringLiteral("3天"));
    ExpectStatesMirror(view);
    ClickSpin(view, "SpinButton3", 1);
    ExpectBox(view, "TextBox3", QStringLiteral("2天"));
    ClickSpin(view, "SpinButton3", 1);  // two days at least
    ExpectBox(view, "TextBox3", QStringLiteral("2天"));
    ClickSpin(view, "SpinButton2", 0, 6);
    ExpectBox(view, "TextBox2", QStringLiteral("31日"));
    ClickSpin(view, "SpinButton1", 0);  // November has 30 days
    ExpectBox(view, "TextBox1", QStringLiteral("11月"));
    ExpectBox(view, "TextBox2", QStringLiteral("30日"));
    TypeInto(view, "TextBox1", QStringLiteral("13"));  // no such month of a meet
    ExpectBox(view, "TextBox1", QStringLiteral("11月"));
    TypeInto(view, "TextBox1", QStringLiteral("5"));
    ExpectBox(view, "TextBox1", QStringLiteral("5月"));
    EXPECT_EQ(view.Model().Get<shell::SpinButton>("SpinButton1").Value(), 5);
    TypeInto(view, "TextBox2", QStringLiteral("20日"));
    ExpectBox(view, "TextBox2", QStringLiteral("20日"));
    EXPECT_EQ(view.Model().Get<shell::SpinButton>("SpinButton2").Value(), 20);
    PressButton(view, "CmdOk");
    EXPECT_FALSE(view.isVisible());
  });

  // 赛事日程安排: one sound half day arranged by clicks, a typed entry, the preview.
  ui_.drivers.push_back([this](DialogView& view) {
    auto& model = view.Model();
    auto& track = model.Get<shell::ListBox>("ListBox21");
    auto& field = model.Get<shell::ListBox>("ListBox22");
    auto& items = model.Get<shell::ListBox>("ListBox11");
    const char* lists[] = {"ListBox11", "ListBox12", "ListBox13", "ListBox21", "ListBox22"};
    for (const char* list : lists) ExpectRowsMirror(view, list);
    ExpectStatesMirror(view);
    EXPECT_FALSE(view.Widget("tbHours")->isEnabled());
    EXPECT_FALSE(view.Widget("cmdApply")->isEnabled());
    EXPECT_EQ(view.Widget("ListBox11")->toolTip(), QStringLiteral("需设置预计用时插入右侧框中"));
    // The half days of the chosen dates, on both arranged lists.
    ASSERT_EQ(track.RowCount(), 4);
    EXPECT_EQ(track.Cell(0, 1), "5月20日上午");
    EXPECT_EQ(field.Cell(3, 1), "5月21日下午");
    ASSERT_GT(items.RowCount(), 0);

    // Track: 开幕式 at 8:29, 开始检录, then the first track item, all before the afternoon.
    ClickListRow(view, "ListBox21", 1);
    ClickListRowWith(view, "ListBox13", "开幕式");
    EXPECT_TRUE(view.Widget("tbHours")->isEnabled());  // a ceremony needs its start time
    ExpectStatesMirror(view);
    ClickSpin(view, "SpinButton3", 1);
    ExpectBox(view, "tbMinutes", QStringLiteral("29分"));
    PressButton(view, "cmdAppend");
    EXPECT_EQ(track.Cell(1, 1), "开幕式");
    EXPECT_EQ(track.Cell(1, 2), "8:29");
    EXPECT_TRUE(view.Widget("cmdApply")->isEnabled());
    ClickListRowWith(view, "ListBox13", "开始检录");
    PressButton(view, "cmdAppend");
    const std::string firstItem = items.Cell(0, 1);
    ClickListRow(view, "ListBox11", 0);
    EXPECT_FALSE(view.Widget("tbHours")->isEnabled());  // a track item takes only its duration
    ClickSpin(view, "SpinButton1", 0, 3);
    ExpectBox(view, "tbTimes", QStringLiteral("8分钟"));
    PressButton(view, "cmdAppend");
    EXPECT_EQ(track.Cell(3, 1), firstItem);
    EXPECT_EQ(track.Cell(3, 6), "8分钟");
    EXPECT_EQ(track.Cell(4, 1), "5月20日下午");
    for (const char* list : lists) ExpectRowsMirror(view, list);

    // Field: 开始检录, 第一组裁判, then the first field item at 9时00分.
    ClickListRow(view, "ListBox22", 1);
    EXPECT_EQ(track.Selection(), std::vector<int>{});  // one arranged list at a time
    ClickListRowWith(view, "ListBox13", "开始检录");
    PressButton(view, "cmdAppend");
    ClickListRowWith(view, "ListBox13", "第一组裁判");
    PressButton(view, "cmdAppend");
    ClickListRow(view, "ListBox12", 0);
    EXPECT_TRUE(view.Widget("tbHours")->isEnabled());
    ClickSpin(view, "SpinButton2", 0);
    ExpectBox(view, "tbHours", QStringLiteral("9时"));
    ClickSpin(view, "SpinButton3", 0);
    ExpectBox(view, "tbMinutes", QStringLiteral("30分"));
    PressButton(view, "cmdAppend");
    EXPECT_EQ(field.Cell(3, 6), "9:30_8分钟");
    for (const char* list : lists) ExpectRowsMirror(view, list);

    // An entry of the teacher's own, typed with a full-width comma: it goes to
    // the track list before its selected row.
    ClickListRow(view, "ListBox21", 4);
    TypeInto(view, "tbInsert", QStringLiteral("高一男子5000米，预决赛，1组(25人)"));
    PressButton(view, "cmdUserDef");
    EXPECT_EQ(track.Cell(4, 0), "600");
    EXPECT_EQ(track.Cell(4, 1), "高一");
    ExpectBox(view, "tbInsert", QString());
    ExpectRowsMirror(view, "ListBox21");
    // One step up and down again, by the arrow buttons.
    ClickListRow(view, "ListBox21", 4);
    PressButton(view, "cmdUp");
    EXPECT_EQ(track.Cell(3, 0), "600");
    PressButton(view, "cmdDown");
    EXPECT_EQ(track.Cell(4, 0), "600");
    EXPECT_TRUE(track.Selected(4));
    ExpectRowsMirror(view, "ListBox21");

    // 预览: the computed times, one list at a time, switched by the tab strip.
    ui_.drivers.push_back([&](DialogView& preview) {
      auto* tabs = qobject_cast<QTabBar*>(preview.Widget("TbsPreview"));
      ASSERT_NE(tabs, nullptr);
      ASSERT_EQ(tabs->count(), 2);
      EXPECT_EQ(tabs->tabText(0), QStringLiteral("径赛"));
      EXPECT_EQ(tabs->currentIndex(), 0);
      EXPECT_TRUE(preview.Widget("jsList")->isVisibleTo(&preview));
      EXPECT_FALSE(preview.Widget("tsList")->isVisibleTo(&preview));
      ExpectRowsMirror(preview, "jsList");
      ExpectRowsMirror(preview, "tsList");
      auto& js = preview.Model().Get<shell::ListBox>("jsList");
      EXPECT_GE(js.FindRow(firstItem), 0);
      EXPECT_GE(js.FindRow("8:29"), 0);  // the opening at its typed time
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
      EXPECT_EQ(preview.Model().Get<shell::TabStrip>("TbsPreview").Index(), 1);
      EXPECT_FALSE(preview.Widget("jsList")->isVisibleTo(&preview));
      EXPECT_TRUE(preview.Widget("tsList")->isVisibleTo(&preview));
      ExpectStatesMirror(preview);
      PressButton(preview, "cmdClose");
      EXPECT_FALSE(preview.isVisible());
    });
    PressButton(view, "cmdPreview");
    EXPECT_TRUE(ui_.drivers.empty()) << "the preview did not open";
    EXPECT_TRUE(view.isVisible());
    // The preview trimmed the empty half days at the end of both lists.
    for (const char* list : lists) ExpectRowsMirror(view, list);

    PressButton(view, "cmdApply");
    EXPECT_FALSE(view.Widget("cmdApply")->isEnabled());
    PressButton(view, "CmdCancel");
    EXPECT_FALSE(view.isVisible());
  });
  Choose("Schedule");
  EXPECT_TRUE(ui_.drivers.empty());
  for (const ShownBox& box : ui_.boxes) EXPECT_NE(box.icon, shell::Icon::Exclamation) << box.text;
  // 取消 leaves no schedule behind: the workbook was closed unsaved.
  for (host::Workbook* book : Host().Workbooks()) EXPECT_FALSE(book->Name().starts_with("日程安排表")) << book->Name();
}

}  // namespace
}  // namespace korvane::gui::testing
