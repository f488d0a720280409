#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/dialog.h"

namespace korvane::shell {
namespace {

// A small dialog in the way the real ones are written: controls added in the
// constructor, handlers bound to its own methods, a log of what ran.
class SampleDialog : public DialogModel {
 public:
  std::vector<std::string> log;
  SampleDialog() : DialogModel("样例") {
    AddFrame("Frame1", "日程");
    AddLabel("Label1", "开始时间：");
    auto& list = AddListBox("List1", 2);
    list.AddRow({"100米", "分道"});
    list.AddRow({"跳高", "计高"});
    list.AddRow({"800米", "不分道"});
    list.onMouseDown = [this] { log.push_back("down:" + Selected("List1")); };
    list.onClick = [this] { log.push_back("click:" + Selected("List1")); };
    list.onMouseUp = [this] { log.push_back("up:" + Selected("List1")); };
    auto& many = AddListBox("List2", 1, /*multiSelect=*/true);
    for (const char* t : {"a", "b", "c", "d"}) many.AddRow({t});
    auto& combo = AddComboBox("CmbGrade");
    combo.items = {"初一", "初二", "高一"};
    combo.onChange = [this] { log.push_back("grade:" + Get<ComboBox>("CmbGrade").Text()); };
    auto& box = AddTextBox("tbInsert");
    box.onMouseDown = [this] { log.push_back("tb-down"); };
    box.onChange = [this] { log.push_back("tb:" + Get<TextBox>("tbInsert").Text()); };
    auto& month = AddSpinButton("SpinMonth", 4, 11, 10);
    month.onChange = [this] { OnMonth(); };
    auto& day = AddSpinButton("SpinDay", 1, 31, 31);
    day.onChange = [this] { log.push_back("day:" + std::to_string(Get<SpinButton>("SpinDay").Value())); };
    auto& opts = AddOptionButtons("Option");
    opts.Add("初一、初二", 1);
    opts.Add("初二、初三", 1);
    opts.Add("高一、高二", 2);
    opts.onClick = [this](int i) { log.push_back("option:" + std::to_string(i)); };
    auto& tabs = AddTabStrip("Tabs", {"径赛", "田赛"});
    tabs.onChange = [this] { log.push_back("tab:" + std::to_string(Get<TabStrip>("Tabs").Index())); };
    AddCheckBox("Check1", "打印", [this] { log.push_back(Get<CheckBox>("Check1").value ? "on" : "off"); });
    AddButton("CmdOk", "确定", [this] { Close(); });
  }
  std::string Selected(const char* name) {
    std::string s;
    for (int r : Get<ListBox>(name).Selection()) s += std::to_string(r);
    return s.empty() ? "-" : s;
  }
  // The day range follows the month, as a date dialog needs.
  void OnMonth() {
    int m = Get<SpinButton>("SpinMonth").Value();
    Get<SpinButton>("SpinDay").SetMax(m == 4 || m == 6 || m == 9 || m == 11 ? 30 : 31);
    log.push_back("month:" + std::to_string(m));
  }
};

TEST(DialogModel, ControlsAreFoundByNameAndKind) {
  SampleDialog d;
  EXPECT_EQ(d.Find("List1")->Kind(), ControlKind::ListBox);
  EXPECT_EQ(d.Find("Frame1")->Kind(), ControlKind::Frame);
  EXPECT_EQ(d.Find("nothing"), nullptr);
  EXPECT_THROW(d.Get<ListBox>("CmbGrade"), std::out_of_range);
  EXPECT_EQ(d.Get<StaticControl>("Label1").caption, "开始时间：");

  struct Twice : DialogModel {
    Twice() : DialogModel("x") {
      AddButton("A", "a");
      AddLabel("A", "again");
    }
  };
  EXPECT_THROW(Twice{}, std::invalid_argument);
}

TEST(DialogModel, OpensAndClosesThroughItsHandlers) {
  SampleDialog d;
  EXPECT_FALSE(d.IsOpen());
  d.MarkOpen();
  d.Get<Button>("CmdOk").Click();
  EXPECT_FALSE(d.IsOpen());

  d.MarkOpen();
  d.UserCloseBox();  // no close-box handler: the box closes the dialog
  EXPECT_FALSE(d.IsOpen());
  int asked = 0;
  d.onCloseBox = [&] { ++asked; };  // a dialog that refuses to close that way
  d.MarkOpen();
  d.UserCloseBox();
  EXPECT_TRUE(d.IsOpen());
  EXPECT_EQ(asked, 1);
}

TEST(ListBox, AUserClickRunsDownThenSelectionThenClickAndUp) {
  SampleDialog d;
  auto& list = d.Get<ListBox>("List1");
  list.UserSelect({1});
  EXPECT_EQ(d.log, (std::vector<std::string>{"down:-", "click:1", "up:1"}));
  EXPECT_EQ(list.ListIndex(), 1);
  d.log.clear();
  list.UserSelect({});
  EXPECT_EQ(d.log, (std::vector<std::string>{"down:1", "click:-", "up:-"}));
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_THROW(list.UserSelect({0, 2}), std::invalid_argument);
  EXPECT_THROW(list.UserSelect({3}), std::invalid_argument);
  EXPECT_EQ(list.FindRow("计高"), 1);  // any column
  EXPECT_EQ(list.FindRow("计"), -1);   // whole texts only
}

TEST(ListBox, SelectionAndCurrentRowFollowTheirRows) {
  SampleDialog d;
  auto& list = d.Get<ListBox>("List1");
  list.SetListIndex(1);
  list.AddRow({"铅球", "计远"}, 0);
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_TRUE(list.Selected(2));
  EXPECT_EQ(list.Cell(2, 0), "跳高");
  list.RemoveRow(0);
  EXPECT_EQ(list.ListIndex(), 1);
  list.RemoveRow(1);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_TRUE(list.Selection().empty());
  EXPECT_EQ(list.Cell(0, 5), "");  // a column the row does not have
  list.SetCell(0, 3, "x");
  EXPECT_EQ(list.Row(0).size(), 4u);

  auto& many = d.Get<ListBox>("List2");
  many.UserSelect({0, 2, 3});
  EXPECT_EQ(many.Selection(), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(many.ListIndex(), 3);
  many.SetSelected(2, false);
  EXPECT_EQ(many.Selection(), (std::vector<int>{0, 3}));
}

TEST(ComboAndTextBox, ChangeHandlersRunOnlyForRealChanges) {
  SampleDialog d;
  auto& combo = d.Get<ComboBox>("CmbGrade");
  combo.UserChoose("初二");
  combo.UserChoose("初二");
  EXPECT_EQ(combo.ListIndex(), 1);
  EXPECT_THROW(combo.UserChoose("高三"), std::invalid_argument);
  EXPECT_EQ(combo.Text(), "初二");
  combo.SetListIndex(-1);
  EXPECT_EQ(combo.Text(), "");

  auto& box = d.Get<TextBox>("tbInsert");
  box.UserType("高一男子5000米");
  box.UserType("高一男子5000米");  // clicked into, nothing changed
  EXPECT_EQ(d.log, (std::vector<std::string>{"grade:初二", "grade:", "tb-down", "tb:高一男子5000米", "tb-down"}));
}

TEST(SpinButton, StaysInItsRangeAndFollowsANarrowedRange) {
  SampleDialog d;
  auto& month = d.Get<SpinButton>("SpinMonth");
  auto& day = d.Get<SpinButton>("SpinDay");
  int ups = 0;
  month.onSpinUp = [&] { ++ups; };
  month.UserUp();  // 11
  month.UserUp();  // at the top: no change, the press still counts
  EXPECT_EQ(month.Value(), 11);
  EXPECT_EQ(ups, 2);
  // Month 11 has 30 days: the day drops from 31 and its handler runs.
  EXPECT_EQ(day.Value(), 30);
  EXPECT_EQ(d.log, (std::vector<std::string>{"day:30", "month:11"}));
  day.UserUp();
  EXPECT_EQ(day.Value(), 30);
  day.SetValue(-5);
  EXPECT_EQ(day.Value(), 1);
  day.UserDown();
  EXPECT_EQ(day.Value(), 1);
}

TEST(OptionButtons, ExcludeEachOtherWithinTheirGroupOnly) {
  SampleDialog d;
  auto& opts = d.Get<OptionButtons>("Option");
  opts.UserClick(0);
  opts.UserClick(2);
  opts.UserClick(1);
  EXPECT_FALSE(opts.At(0).value);
  EXPECT_TRUE(opts.At(1).value);
  EXPECT_TRUE(opts.At(2).value);
  EXPECT_EQ(d.log, (std::vector<std::string>{"option:0", "option:2", "option:1"}));
  EXPECT_THROW(opts.UserClick(3), std::out_of_range);
}

TEST(TabStripAndCheckBox, ReportTheirChanges) {
  SampleDialog d;
  auto& tabs = d.Get<TabStrip>("Tabs");
  tabs.SetIndex(0);  // already there
  tabs.SetIndex(1);
  EXPECT_THROW(tabs.SetIndex(2), std::invalid_argument);
  auto& check = d.Get<CheckBox>("Check1");
  check.UserClick();
  check.UserClick();
  EXPECT_EQ(d.log, (std::vector<std::string>{"tab:1", "on", "off"}));
}

}  // namespace
}  // namespace korvane::shell
