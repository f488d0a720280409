#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/pagination.h"
#include "setup/item_setup.h"
#include "setup_support.h"

namespace korvane::setup {
namespace {

using namespace testing;
using shell::Answer;
using shell::Icon;
namespace xl = host::xl;

const std::vector<std::string> kTemplateCatalogue{"100米", "200米", "400米",  "800米", "1500米",     "跳高",
                                                  "跳远",  "铅球",  "实心球", "跳绳",  "4×100米接力"};

std::vector<std::string> Rows(const shell::ListBox& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.RowCount(); ++i) out.push_back(list.Cell(i, 0));
  return out;
}

std::vector<std::string> RowTexts(host::Worksheet& ws, int row, int fromCol) {
  std::vector<std::string> out;
  const int last = ws.End(row, host::kMaxCols, host::Direction::ToLeft).second;
  for (int c = fromCol; c <= last; ++c) out.push_back(ws.ValueAt(row, c).ToText());
  return out;
}

// The template opened by 初始化..., with its grades set to `grades` when given.
struct Events : SetupFixture {
  host::Workbook* book = nullptr;
  explicit Events(std::vector<std::string> grades = {}) {
    program.Run("Initialization");
    ui.boxes.clear();  // where the user's copy of the template was made
    book = meet::FindMeetWorkbook(Host());
    if (!grades.empty()) {
      host::Worksheet& s = Settings();
      for (int r = 2; r <= 8; ++r) s.RangeAt("A" + std::to_string(r)).SetValue(host::CellValue());
      for (std::size_t i = 0; i < grades.size(); ++i) s.Cells(static_cast<int>(i) + 2, 1).SetValue(grades[i]);
    }
  }
  host::Worksheet& Settings() { return book->Sheet("设置"); }
  host::Worksheet& Form() { return book->Sheet("报名表样表"); }
  host::Worksheet& EventsSheet() { return book->Sheet("比赛项目名单"); }
  // No configured events yet.
  void ClearEvents() { EventsSheet().PutValue(2, 4, host::CellValue(0)); }
  // The dialog as the command loads it; `answers` for the questions of loading.
  std::unique_ptr<Frm项目管理> Dialog(std::initializer_list<Answer> answers = {}) {
    for (Answer a : answers) ui.answers.push_back(a);
    auto d = std::make_unique<Frm项目管理>(program, *book);
    d->Load();
    EXPECT_TRUE(ui.answers.empty()) << "a question expected while loading was not asked";
    return d;
  }
};

void Insert(Frm项目管理& d, const std::string& typed) {
  d.Text1.UserType(typed);
  d.CmdInsert.Click();
}

void Configure(Frm项目管理& d, const std::string& grade, const std::string& sex, const std::string& rule,
               const std::string& method, const std::vector<std::string>& events) {
  d.CmbGrade.UserChoose(grade);
  d.CmbSex.UserChoose(sex);
  d.CmbRule.UserChoose(rule);
  d.CmbMeasuringMethod.UserChoose(method);
  std::vector<int> rows;
  for (const std::string& e : events) rows.push_back(d.List1.FindRow(e));
  d.List1.UserSelect(rows);
  d.Select.Click();
}

// ---- the command ----

TEST(ItemSetup, ShowsTheDialogWithScreenUpdatingOff) {
  Events f({"高一", "高二"});
  bool shown = false;
  f.ui.driveDialog = [&](shell::DialogModel& d) {
    shown = true;
    EXPECT_EQ(d.Caption(), "比赛项目");
    EXPECT_FALSE(f.Host().screenUpdating);
    auto& dialog = dynamic_cast<Frm项目管理&>(d);
    EXPECT_EQ(Rows(dialog.List1), kTemplateCatalogue);
    // 关闭 discards what was not written.
    Insert(dialog, "60m");
    dialog.CmdClose.Click();
  };
  f.program.Run("ItemSetup");
  EXPECT_TRUE(shown);
  EXPECT_TRUE(f.Host().screenUpdating);
  EXPECT_EQ(RowTexts(f.Form(), 3, 4), kTemplateCatalogue);
}

TEST(ItemSetup, RefusesWithoutGradesOrWithAGapOrALongName) {
  struct Case {
    std::vector<std::string> grades;  // A2 downward; A1 keeps its heading
    bool clearHeading;
    std::string message;
  };
  const std::vector<Case> cases{
      {{}, true, "请先设置好班级数据!"},
      {{}, false, "请先设置好班级数据!"},
      {{"高一", "", "高三"}, false, "年级列内部不能为空!(如单元格A3无内容)"},
      {{"", "高二"}, false, "年级列内部不能为空!(如单元格A2无内容)"},
      {{"高一", "高二年级"}, false, "年级名称必须是两个字!(如单元格A3为“高二年级”)"},
  };
  for (const Case& c : cases) {
    Events f(c.grades.empty() ? std::vector<std::string>{"x"} : c.grades);
    if (c.grades.empty()) f.Settings().RangeAt("A2").SetValue(host::CellValue());
    if (c.clearHeading) f.Settings().PutValue(1, 1, host::CellValue());
    f.ui.driveDialog = [](shell::DialogModel&) { FAIL() << "the dialog must not open"; };
    f.program.Run("ItemSetup");
    ASSERT_EQ(f.ui.boxes.size(), 1u) << c.message;
    EXPECT_EQ(f.ui.boxes[0].text, c.message);
    EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
    EXPECT_TRUE(f.ui.dialogsShown.empty());
  }
}

TEST(ItemSetup, WithoutAMeetWorkbookTheMenuIsReset) {
  Events f;
  f.Host().Close(*f.book);
  f.program.Run("ItemSetup");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "文件被关闭!");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_FALSE(f.program.Menu().Enabled("ItemSetup"));
  EXPECT_TRUE(f.program.Menu().Enabled("Initialization"));
}

// ---- loading ----

TEST(EventDialog, JuniorGradesMayCompeteTogether) {
  {
    Events f({"初一", "初二", "初三", "高一", "高二"});
    auto d = f.Dialog({Answer::No});
    EXPECT_EQ(f.ui.boxes.back().text, "〖初中部〗是否 “分年级” 进行比赛？");
    EXPECT_EQ(f.ui.boxes.back().icon, Icon::Question);
    EXPECT_EQ(f.ui.boxes.back().buttons, shell::Buttons::YesNo);
    EXPECT_EQ(d->CmbGrade.items, (std::vector<std::string>{"初中", "高一", "高二"}));
  }
  {
    Events f({"初一", "初二", "初三", "高一", "高二"});
    auto d = f.Dialog({Answer::Yes});
    EXPECT_EQ(d->CmbGrade.items, (std::vector<std::string>{"初一", "初二", "初三", "高一", "高二"}));
  }
  {
    // 初中 itself is not a junior grade to split; no question without one.
    Events f({"初中", "高一"});
    auto d = f.Dialog();
    EXPECT_TRUE(f.ui.boxes.empty());
    EXPECT_EQ(d->CmbGrade.items, (std::vector<std::string>{"初中", "高一"}));
  }
}

TEST(EventDialog, LoadsTheDropDownsTheCatalogueAndTheConfiguredEvents) {
  Events f;
  auto d = f.Dialog({Answer::Yes});
  EXPECT_EQ(d->CmbGrade.Text(), "初一");
  EXPECT_EQ(d->CmbSex.items, (std::vector<std::string>{"男子", "女子", "混合"}));
  EXPECT_EQ(d->CmbRule.items, (std::vector<std::string>{"分道", "不分道&不分组", "分组不分道/田赛分组"}));
  EXPECT_EQ(d->CmbMeasuringMethod.items, (std::vector<std::string>{"计时", "计高", "计远", "计个", "其它"}));
  for (shell::ComboBox* c : {&d->CmbGrade, &d->CmbSex, &d->CmbRule, &d->CmbMeasuringMethod})
    EXPECT_EQ(c->ListIndex(), 0);
  EXPECT_EQ(Rows(d->List1), kTemplateCatalogue);

  // Every configured event of the sheet, in its order, with its code.
  host::Worksheet& ev = f.EventsSheet();
  const int n = static_cast<int>(ev.ValueAt(2, 4).ToWhole());
  ASSERT_EQ(d->List2.RowCount(), n);
  EXPECT_EQ(d->List2.Cell(0, 0), "101111_初一男子100米");
  EXPECT_EQ(d->List2.Cell(1, 0), "101211_初一女子100米");
  for (int i = 0; i < n; ++i) EXPECT_EQ(d->List2.Cell(i, 0).substr(7), ev.ValueAt(i + 3, 4).ToText()) << i;
  EXPECT_EQ(d->List2.Cell(n - 1, 0), "611211_高三女子4×100米接力");
  // Loaded events are pending: 应用 writes them (checked) back.
  EXPECT_TRUE(d->CmdSave.enabled);
  EXPECT_EQ(d->EventsMark(), 2);
  EXPECT_EQ(d->CatalogueMark(), 0);
}

TEST(EventDialog, LoadingDropsEntriesThatNoLongerFit) {
  Events f;
  host::Worksheet& ev = f.EventsSheet();
  // An event no longer in the catalogue, and the junior grades taken together.
  ev.PutValue(5, 4, host::CellValue("初一男子铁饼"));
  auto d = f.Dialog({Answer::No});
  const int n = static_cast<int>(ev.ValueAt(2, 4).ToWhole());
  int senior = 0;
  for (int r = 3; r < n + 3; ++r)
    if (ev.ValueAt(r, 4).ToText().rfind("高", 0) == 0) ++senior;
  EXPECT_EQ(d->List2.RowCount(), senior);
  EXPECT_EQ(d->List2.Cell(0, 0), "201111_高一男子100米");  // 高一 is second after 初中
  EXPECT_TRUE(d->CmdSave.enabled);
  // 应用 says how many events go, of which grades, and how to keep them.
  std::vector<std::string> expected;
  for (const char* grade : {"初一", "初二", "初三"}) {
    int count = 0;
    for (int r = 3; r < n + 3; ++r)
      if (ev.ValueAt(r, 4).ToText().rfind(grade, 0) == 0) ++count;
    expected.push_back(std::string(grade) + "（" + std::to_string(count) + " 项）");
  }
  f.ui.boxes.clear();
  d->CmdSave.Click();
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(f.ui.boxes[0].buttons, shell::Buttons::Ok);
  const std::string& text = f.ui.boxes[0].text;
  EXPECT_EQ(text.rfind("有 " + std::to_string(n - senior) + " 个已设项目的年级不在现在的年级列表中：初一（", 0), 0u)
      << text;
  for (const std::string& grade : expected) EXPECT_NE(text.find(grade), std::string::npos) << grade;
  EXPECT_NE(text.find("选“否”"), std::string::npos);
  EXPECT_EQ(static_cast<int>(ev.ValueAt(2, 4).ToWhole()), senior);
  // Told once: a second 应用 writes the same events without a word.
  f.ui.boxes.clear();
  d->CmdCheck.Click();
  d->CmdSave.Click();
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(EventDialog, WithoutConfiguredEventsNothingIsPending) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  EXPECT_EQ(d->List2.RowCount(), 0);
  EXPECT_FALSE(d->CmdSave.enabled);
  d->CmdCheck.Click();  // nothing to check
  EXPECT_FALSE(d->CmdSave.enabled);
  d->CmdDel.Click();  // nothing selected
  EXPECT_FALSE(d->CmdSave.enabled);
  EXPECT_EQ(d->CatalogueMark() + d->EventsMark(), 0);
}

TEST(EventDialog, DuplicatesOfOneGradeEventAndSexAreResolved) {
  for (Answer answer : {Answer::Yes, Answer::No}) {
    Events f({"高一"});
    host::Worksheet& ev = f.EventsSheet();
    ev.PutValue(2, 4, host::CellValue(4));
    const char* rows[][3] = {{"1", "1", "高一男子100米"},
                             {"3", "1", "高一男子100米"},
                             {"1", "1", "高一女子100米"},
                             {"1", "1", "高一女子100米"}};
    for (int i = 0; i < 4; ++i) {
      ev.PutValue(i + 3, 2, host::CellValue(std::stoi(rows[i][0])));
      ev.PutValue(i + 3, 3, host::CellValue(std::stoi(rows[i][1])));
      ev.PutValue(i + 3, 4, host::CellValue(rows[i][2]));
    }
    auto d = f.Dialog({answer});
    // Only the pair that differs in its lane rule is asked about.
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, "项目重复：\n101111_高一男子100米\n101131_高一男子100米\n删除前一项吗？");
    EXPECT_EQ(f.ui.boxes[0].icon, Icon::Question);
    const std::string kept = answer == Answer::Yes ? "101131_高一男子100米" : "101111_高一男子100米";
    EXPECT_EQ(Rows(d->List2), (std::vector<std::string>{kept, "101211_高一女子100米"}));
  }
}

// ---- the catalogue ----

TEST(EventDialog, NewCatalogueNamesAreCheckedAndWrittenWithMi) {
  Events f({"高一"});
  auto d = f.Dialog();
  d->List1.UserSelect({d->List1.FindRow("100米"), d->List1.FindRow("4×100米接力")});
  d->CmdDel.Click();
  ASSERT_EQ(d->List1.FindRow("100米"), -1);

  for (const char* bad : {"4×100米*接力", "100", "A组跳远"}) {
    f.ui.boxes.clear();
    const auto before = Rows(d->List1);
    Insert(*d, bad);
    ASSERT_EQ(f.ui.boxes.size(), 1u) << bad;
    EXPECT_EQ(f.ui.boxes[0].text, "项目名称不合法!");
    EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(Rows(d->List1), before) << bad;
  }
  f.ui.boxes.clear();
  d->List1.UserSelect({});
  Insert(*d, "100m");  // nothing selected: at the top
  EXPECT_EQ(d->List1.Cell(0, 0), "100米");
  d->List1.UserSelect({0});
  Insert(*d, "4×100m接力");  // after the selected one, which is then deselected
  EXPECT_EQ(d->List1.Cell(1, 0), "4×100米接力");
  EXPECT_TRUE(d->List1.Selection().empty());
  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_EQ(d->CatalogueMark(), 1);
  EXPECT_TRUE(d->CmdSave.enabled);
}

TEST(EventDialog, OneSelectionAtMostAndNoSecondCopy) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  d->List1.UserSelect({0, 1});
  Insert(*d, "60m");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "不能选择多项!");
  EXPECT_EQ(d->List1.FindRow("60米"), -1);

  f.ui.boxes.clear();
  d->List1.UserSelect({0});
  Insert(*d, "跳远");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "已经存在!");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(d->List1.Selection(), (std::vector<int>{d->List1.FindRow("跳远")}));
  EXPECT_EQ(Rows(d->List1), kTemplateCatalogue);
  EXPECT_FALSE(d->CmdSave.enabled);  // refused names change nothing
}

// ---- configuring ----

TEST(EventDialog, ChoosingAnEventTwiceKeepsOneEntryWithTheLaterChoice) {
  Events f({"高一", "高二"});
  f.ClearEvents();
  auto d = f.Dialog();
  Configure(*d, "高一", "男子", "分道", "计远", {"跳远"});
  EXPECT_EQ(Rows(d->List2), (std::vector<std::string>{"107113_高一男子跳远"}));
  Configure(*d, "高一", "男子", "分组不分道/田赛分组", "计远", {"跳远"});
  EXPECT_EQ(Rows(d->List2), (std::vector<std::string>{"107133_高一男子跳远"}));
  EXPECT_EQ(d->EventsMark(), 2);
  EXPECT_TRUE(d->CmdSave.enabled);
}

TEST(EventDialog, EntriesStaySortedByCode) {
  Events f({"高一", "高二"});
  f.ClearEvents();
  auto d = f.Dialog();
  Configure(*d, "高二", "女子", "分道", "计时", {"100米", "400米"});
  Configure(*d, "高一", "男子", "分组不分道/田赛分组", "计高", {"跳高"});
  Configure(*d, "高一", "女子", "分道", "计时", {"100米"});
  EXPECT_EQ(Rows(d->List2), (std::vector<std::string>{"101211_高一女子100米", "106132_高一男子跳高",
                                                      "201211_高二女子100米", "203211_高二女子400米"}));
  d->List2.UserSelect({1, 3});
  d->Remove.Click();
  EXPECT_EQ(Rows(d->List2), (std::vector<std::string>{"101211_高一女子100米", "201211_高二女子100米"}));
}

TEST(EventDialog, TheCheckFollowsADeletedCatalogueEvent) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  Configure(*d, "高一", "男子", "分道", "计时", {"100米", "200米", "400米"});
  Configure(*d, "高一", "女子", "分组不分道/田赛分组", "计远", {"跳远"});
  d->List1.UserSelect({1});  // 200米, the second event
  d->CmdDel.Click();
  d->CmdCheck.Click();
  EXPECT_EQ(Rows(d->List2),
            (std::vector<std::string>{"101111_高一男子100米", "102111_高一男子400米", "106233_高一女子跳远"}));
  // A new first event moves every entry one place on.
  d->List1.UserSelect({});
  Insert(*d, "60m");
  d->CmdCheck.Click();
  EXPECT_EQ(Rows(d->List2),
            (std::vector<std::string>{"102111_高一男子100米", "103111_高一男子400米", "107233_高一女子跳远"}));
}

// ---- writing ----

TEST(EventDialog, ApplyingTheCatalogueRewritesTheFormHeadings) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  d->List1.UserSelect({d->List1.FindRow("跳绳"), d->List1.FindRow("实心球")});
  d->CmdDel.Click();
  d->List1.UserSelect({});
  Insert(*d, "60m");
  d->CmdSave.Click();
  EXPECT_TRUE(f.ui.boxes.empty());
  EXPECT_FALSE(d->CmdSave.enabled);
  EXPECT_EQ(d->CatalogueMark() + d->EventsMark(), 0);

  host::Worksheet& form = f.Form();
  const std::vector<std::string> expected{"60米",   "100米", "200米", "400米", "800米",
                                          "1500米", "跳高",  "跳远",  "铅球",  "4×100米接力"};
  EXPECT_EQ(RowTexts(form, 3, 4), expected);
  const int last = 3 + static_cast<int>(expected.size());  // column M
  for (int c : {last + 1, last + 2}) {
    EXPECT_TRUE(form.ValueAt(3, c).IsEmpty()) << c;
    for (int r = 3; r <= 7; ++r)
      for (int e : {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom})
        EXPECT_EQ(form.Cells(r, c).Border(e), xl::LineNone) << r << "," << c << " edge " << e;
  }
  for (int c = 4; c <= last; ++c) {
    for (int r = 3; r <= 7; ++r) {
      EXPECT_EQ(form.Cells(r, c).Border(xl::EdgeLeft), xl::Continuous) << r << "," << c;
      EXPECT_EQ(form.Cells(r, c).Border(xl::EdgeRight), xl::Continuous) << r << "," << c;
    }
    EXPECT_EQ(form.Cells(5, c).Border(xl::EdgeBottom), xl::Double) << c;
    // Drawn once, by row 5: rows inserted below row 6 take its format.
    EXPECT_EQ(form.Cells(6, c).Border(xl::EdgeTop), xl::LineNone) << c;
    EXPECT_EQ(form.Cells(4, c).Border(xl::EdgeBottom), xl::Continuous) << c;
    EXPECT_EQ(form.Cells(7, c).Border(xl::EdgeBottom), xl::Continuous) << c;
  }
  ASSERT_NE(form.MergeAt(1, 1), nullptr);
  EXPECT_EQ(*form.MergeAt(1, 1), (host::RangeRef{1, 1, 1, last}));
  EXPECT_EQ(form.ValueAt(1, 1).ToText(), "田径运动会报名表");
  EXPECT_TRUE(form.ProtectContents());
  EXPECT_EQ(&f.book->ActiveSheet(), &form);
  // The events sheet was not touched.
  EXPECT_EQ(f.EventsSheet().ValueAt(2, 4).ToWhole(), 0);
}

TEST(EventDialog, AFormWiderThanOnePageIsReported) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  for (int i = 1; i <= 30; ++i) {
    d->List1.UserSelect({});
    Insert(*d, std::to_string(i) + "项");
  }
  d->CmdSave.Click();
  ASSERT_GT(host::print::Paginate(f.Form()).PageCount(), 1);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "报名表样表超过1页，请调整列宽!");
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Exclamation);
  EXPECT_EQ(f.ui.boxes[0].title, "Korvane");
  EXPECT_TRUE(f.Form().ProtectContents());
  EXPECT_EQ(RowTexts(f.Form(), 3, 4).size(), kTemplateCatalogue.size() + 30);
  // Narrowing did not make it fit: the columns keep their width.
  EXPECT_DOUBLE_EQ(f.Form().ColumnWidth(4), 3.125);
}

// Events that would not fit narrow the event columns before anything is said;
// the tick list and the heading directions follow the catalogue.
TEST(EventDialog, EventColumnsAreNarrowedWhenANewEventWouldNotFit) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  for (int i = 1; i <= 12; ++i) {
    d->List1.UserSelect({});
    Insert(*d, "第" + std::to_string(i) + "项");
  }
  d->CmdSave.Click();
  host::Worksheet& form = f.Form();
  const int last = 3 + static_cast<int>(kTemplateCatalogue.size()) + 12;
  EXPECT_TRUE(f.ui.boxes.empty()) << f.ui.boxes[0].text;
  EXPECT_EQ(host::print::Paginate(form).PageCount(), 1);
  for (int c = 4; c <= last; ++c) {
    EXPECT_LT(form.ColumnWidth(c), 3.125) << c;
    EXPECT_GE(form.ColumnWidth(c), 2.5) << c;
  }
  EXPECT_EQ(form.StyleAt(3, 4).rotation, 90) << "第12项 reads upward";
  ASSERT_EQ(form.DataValidations().size(), 1u);
  EXPECT_EQ(form.DataValidations()[0].areas, (std::vector<host::RangeRef>{{4, 4, 7, last}}));
}

TEST(EventDialog, ApplyingTheEventsRewritesTheirRowsAndDeletesLeftOverRows) {
  Events f({"高一", "高二"});
  // First: no events at all.
  {
    auto d = f.Dialog();
    std::vector<int> all;
    for (int i = 0; i < d->List2.RowCount(); ++i) all.push_back(i);
    d->List2.UserSelect(all);
    d->Remove.Click();
    d->CmdSave.Click();
  }
  // The shipped events of the grades no longer listed were told of.
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].icon, Icon::Information);
  f.ui.boxes.clear();
  host::Worksheet& ev = f.EventsSheet();
  EXPECT_EQ(ev.ValueAt(2, 4).ToWhole(), 0);
  EXPECT_EQ(ev.End(host::kMaxRows, 4, host::Direction::Up).first, 2);
  // Ten events.
  {
    auto d = f.Dialog();
    Configure(*d, "高一", "男子", "分道", "计时", {"100米", "200米", "400米"});
    Configure(*d, "高一", "女子", "分道", "计时", {"100米", "200米"});
    Configure(*d, "高二", "男子", "分组不分道/田赛分组", "计远", {"跳远", "铅球"});
    Configure(*d, "高二", "女子", "分组不分道/田赛分组", "计高", {"跳高"});
    Configure(*d, "高二", "混合", "不分道&不分组", "其它", {"跳绳", "4×100米接力"});
    ASSERT_EQ(d->List2.RowCount(), 10);
    d->CmdSave.Click();
    EXPECT_EQ(&f.book->ActiveSheet(), &ev);
  }
  EXPECT_EQ(ev.ValueAt(2, 4).ToWhole(), 10);
  EXPECT_EQ(ev.Cells(12, 80).Border(xl::EdgeBottom), xl::Continuous);
  EXPECT_EQ(ev.Cells(3, 1).Border(xl::EdgeTop), xl::Continuous);
  EXPECT_TRUE(ev.ProtectContents());
  // A mark below the event rows shows which rows go.
  ev.PutValue(13, 4, host::CellValue("标记"));
  // Seven events: rows 10 to 12 are deleted.
  {
    auto d = f.Dialog();
    d->List2.UserSelect({d->List2.FindRow("103111_高一男子400米"), d->List2.FindRow("208133_高二男子铅球"),
                         d->List2.FindRow("206232_高二女子跳高")});
    d->Remove.Click();
    d->CmdSave.Click();
  }
  EXPECT_EQ(ev.ValueAt(2, 4).ToWhole(), 7);
  EXPECT_EQ(ev.ValueAt(10, 4).ToText(), "标记");
  struct Row {
    const char* grade;
    int rule, method;
    const char* title;
  };
  const Row expected[] = {{"高一", 1, 1, "高一男子100米"},  {"", 1, 1, "高一女子100米"},    {"", 1, 1, "高一男子200米"},
                          {"", 1, 1, "高一女子200米"},      {"高二", 3, 3, "高二男子跳远"}, {"", 2, 5, "高二混合跳绳"},
                          {"", 2, 5, "高二混合4×100米接力"}};
  for (int i = 0; i < 7; ++i) {
    const int r = i + 3;
    EXPECT_EQ(ev.ValueAt(r, 1).ToText(), expected[i].grade) << r;
    EXPECT_TRUE(ev.ValueAt(r, 2).IsNumber()) << r;
    EXPECT_EQ(ev.ValueAt(r, 2).ToWhole(), expected[i].rule) << r;
    EXPECT_EQ(ev.ValueAt(r, 3).ToWhole(), expected[i].method) << r;
    EXPECT_EQ(ev.ValueAt(r, 4).ToText(), expected[i].title) << r;
  }
  ASSERT_NE(ev.MergeAt(3, 1), nullptr);
  EXPECT_EQ(*ev.MergeAt(3, 1), (host::RangeRef{3, 1, 6, 1}));
  ASSERT_NE(ev.MergeAt(7, 1), nullptr);
  EXPECT_EQ(*ev.MergeAt(7, 1), (host::RangeRef{7, 1, 9, 1}));
  EXPECT_EQ(ev.MergeAt(10, 1), nullptr);
  EXPECT_TRUE(ev.ProtectContents());
  EXPECT_TRUE(f.Host().displayAlerts);
  // What was written reads back as the same entries.
  auto again = f.Dialog();
  EXPECT_EQ(again->List2.RowCount(), 7);
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(EventDialog, ApplyingBothWritesTheFormAndTheEvents) {
  Events f({"高一"});
  f.ClearEvents();
  auto d = f.Dialog();
  d->List1.UserSelect({});
  Insert(*d, "60m");
  Configure(*d, "高一", "男子", "分道", "计时", {"60米"});
  d->CmdSave.Click();
  EXPECT_EQ(f.Form().ValueAt(3, 4).ToText(), "60米");
  EXPECT_EQ(f.EventsSheet().ValueAt(3, 4).ToText(), "高一男子60米");
  EXPECT_EQ(f.EventsSheet().ValueAt(2, 4).ToWhole(), 1);
  EXPECT_FALSE(d->CmdSave.enabled);
}

}  // namespace
}  // namespace korvane::setup
