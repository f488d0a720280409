// The dialog views: clicked through as a user does, each agrees with its
// model after every action (list rows and selection, drop-down texts,
// enabled buttons, option buttons) and closes when the model closes.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "gui/dialog_view.h"
#include "gui_support.h"
#include "shell/about_form.h"

namespace korvane::gui::testing {
namespace {

template <typename W>
W* Get(DialogView& view, const std::string& name) {
  auto* w = qobject_cast<W*>(view.Widget(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

// Rows and selection of a list view against its model.
void ExpectListMirrors(DialogView& view, const std::string& name) {
  auto& model = view.Model().Get<shell::ListBox>(name);
  auto* tree = Get<QTreeWidget>(view, name);
  ASSERT_EQ(tree->topLevelItemCount(), model.RowCount()) << name;
  for (int r = 0; r < model.RowCount(); ++r) {
    EXPECT_EQ(tree->topLevelItem(r)->text(0).toStdString(), model.Cell(r, 0)) << name << " row " << r;
    EXPECT_EQ(tree->topLevelItem(r)->isSelected(), model.Selected(r)) << name << " row " << r;
  }
}

void ExpectEnabledMirrors(DialogView& view) {
  for (const auto& c : view.Model().Controls()) {
    if (c->Kind() == shell::ControlKind::OptionButtons) continue;
    QWidget* w = view.Widget(c->Name());
    ASSERT_NE(w, nullptr) << c->Name();
    EXPECT_EQ(w->isEnabled(), c->enabled) << c->Name();
    EXPECT_EQ(w->isVisibleTo(&view), c->visible) << c->Name();
  }
}

void ClickRow(QTreeWidget* tree, int row) {
  QTreeWidgetItem* item = tree->topLevelItem(row);
  ASSERT_NE(item, nullptr);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

class DialogViewTest : public DesktopTest {};

TEST_F(DialogViewTest, AboutBoxShowsTheModelsTextsAndClosesWithOk) {
  ui_.drivers.push_back([](DialogView& view) {
    EXPECT_EQ(view.windowTitle(), QStringLiteral("关于 Korvane"));
    EXPECT_EQ(Get<QLabel>(view, "lblDescription")->text().toStdString(), shell::AboutDescription());
    EXPECT_EQ(Get<QLabel>(view, "lblVersion")->text().toStdString(), shell::VersionLine());
    QTest::mouseClick(Get<QPushButton>(view, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(view.isVisible());
  });
  Choose("About");
  EXPECT_TRUE(ui_.drivers.empty());
}

TEST_F(DialogViewTest, EventsDialogAgreesWithItsModelWhileEventsAreMovedAndApplied) {
  Choose("Initialization");
  ui_.answers.push_back(shell::Answer::Yes);  // junior grades compete grade by grade
  ui_.drivers.push_back([](DialogView& view) {
    auto& model = view.Model();
    EXPECT_EQ(view.windowTitle(), QStringLiteral("比赛项目"));
    ExpectListMirrors(view, "List1");
    ExpectListMirrors(view, "List2");
    ExpectEnabledMirrors(view);
    EXPECT_EQ(Get<QWidget>(view, "CmdInsert")->toolTip(), QStringLiteral("新增可选项目"));

    auto* grade = Get<QComboBox>(view, "CmbGrade");
    auto& gradeModel = model.Get<shell::ComboBox>("CmbGrade");
    ASSERT_EQ(grade->count(), static_cast<int>(gradeModel.items.size()));
    EXPECT_EQ(grade->currentText().toStdString(), gradeModel.Text());
    const int senior = grade->findText(QStringLiteral("高一"));
    ASSERT_GE(senior, 0);
    grade->setCurrentIndex(senior);
    emit grade->activated(senior);
    EXPECT_EQ(gradeModel.Text(), "高一");
    auto* sex = Get<QComboBox>(view, "CmbSex");
    sex->setCurrentIndex(1);
    emit sex->activated(1);
    EXPECT_EQ(model.Get<shell::ComboBox>("CmbSex").Text(), "女子");

    auto& catalogue = model.Get<shell::ListBox>("List1");
    const int highJump = catalogue.FindRow("跳高");
    ASSERT_GE(highJump, 0);
    ClickRow(Get<QTreeWidget>(view, "List1"), highJump);
    EXPECT_TRUE(catalogue.Selected(highJump));
    ExpectListMirrors(view, "List1");

    const int before = model.Get<shell::ListBox>("List2").RowCount();
    QTest::mouseClick(Get<QPushButton>(view, "Select"), Qt::LeftButton);
    ExpectListMirrors(view, "List2");
    auto& events = model.Get<shell::ListBox>("List2");
    bool moved = false;
    for (int r = 0; r < events.RowCount(); ++r) moved = moved || events.Cell(r, 0).ends_with("_高一女子跳高");
    EXPECT_TRUE(moved);
    EXPECT_GE(events.RowCount(), before);
    EXPECT_TRUE(Get<QPushButton>(view, "CmdSave")->isEnabled());

    QTest::mouseClick(Get<QPushButton>(view, "CmdSave"), Qt::LeftButton);
    EXPECT_FALSE(model.Get<shell::Button>("CmdSave").enabled);
    ExpectEnabledMirrors(view);
    QTest::mouseClick(Get<QPushButton>(view, "CmdClose"), Qt::LeftButton);
    EXPECT_FALSE(view.isVisible());
  });
  Choose("ItemSetup");
  EXPECT_TRUE(ui_.drivers.empty());
}

TEST_F(DialogViewTest, GradeMergeOptionsMirrorTheModelAndOkFollowsTheChoice) {
  NewMeet();
  ui_.answers.push_back(shell::Answer::Yes);  // the entries made so far are overwritten
  Choose("MNBM");
  Choose("consolidate");
  ui_.drivers.push_back([](DialogView& view) {
    auto& options = view.Model().Get<shell::OptionButtons>("Option");
    for (int i = 0; i < options.Count(); ++i) {
      auto* radio = Get<QRadioButton>(view, "Option#" + std::to_string(i));
      EXPECT_EQ(radio->text().toStdString(), options.At(i).caption);
      EXPECT_EQ(radio->isVisibleTo(&view), options.At(i).visible);
      EXPECT_EQ(radio->isEnabled(), options.At(i).enabled);
    }
    EXPECT_EQ(Get<QRadioButton>(view, "Option#0")->text(), QStringLiteral("初一、初二"));
    EXPECT_FALSE(Get<QPushButton>(view, "OKButton")->isEnabled());
    QTest::mouseClick(Get<QRadioButton>(view, "Option#0"), Qt::LeftButton);
    EXPECT_TRUE(options.At(0).value);
    EXPECT_TRUE(Get<QRadioButton>(view, "Option#0")->isChecked());
    EXPECT_TRUE(Get<QPushButton>(view, "OKButton")->isEnabled());
    // The second pair of the same level takes the place of the first.
    QTest::mouseClick(Get<QRadioButton>(view, "Option#1"), Qt::LeftButton);
    EXPECT_FALSE(Get<QRadioButton>(view, "Option#0")->isChecked());
    EXPECT_TRUE(Get<QRadioButton>(view, "Option#1")->isChecked());
    QTest::mouseClick(Get<QPushButton>(view, "CancelButton"), Qt::LeftButton);
    EXPECT_FALSE(view.isVisible());
  });
  Choose("Combine");
  EXPECT_TRUE(ui_.drivers.empty());
}

}  // namespace
}  // namespace korvane::gui::testing
