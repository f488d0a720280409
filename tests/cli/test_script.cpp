#include <gtest/gtest.h>

#include <sstream>

#include "cli/script.h"
#include "host/range.h"
#include "host/workbook.h"
#include "shell/commands.h"
#include "shell/dialog.h"
#include "support/scratch.h"

namespace korvane::shell {
namespace {

using namespace cli;
using testing::ScopedEnv;
using testing::TempDir;
namespace fs = std::filesystem;

const char* const kMeetName = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";

struct Result {
  int status = -1;
  std::string out, err;
};

struct Runner {
  TempDir dir;
  std::function<void(host::WorkbookHost&)> prepareHost;
  std::function<void(Program&)> onInitialization;  // the handler of 初始化... for this test

  Result Run(std::string_view script) {
    StartupOptions o;
    o.settingsFile = dir / "settings.ini";
    o.createHost = [this] {
      auto h = std::make_unique<host::WorkbookHost>();
      if (prepareHost) prepareHost(*h);
      return h;
    };
    o.installCommands = [this](CommandTable& t) {
      RegisterShellCommands(t);
      if (onInitialization) t.Register("Initialization", onInitialization);
    };
    std::ostringstream out, err;
    Result r;
    r.status = RunScript(script, out, err, o);
    r.out = out.str();
    r.err = err.str();
    return r;
  }
};

// A dialog that shows the state of its controls when OK is pressed.
class ProbeDialog : public DialogModel {
 public:
  explicit ProbeDialog(Ui& ui, std::string caption = "样例") : DialogModel(std::move(caption)), ui_(ui) {
    AddLabel("Label1", "请选择项目");
    AddLabel("Hidden", "看不见").visible = false;
    auto& list = AddListBox("List1", 2);
    list.AddRow({"100米", "分道"});
    list.AddRow({"跳高", "计高"});
    list.AddRow({"4×100米接力", ""});
    auto& many = AddListBox("List2", 1, true);
    for (const char* t : {"a", "b", "c"}) many.AddRow({t});
    AddComboBox("CmbGrade").items = {"初一", "初二"};
    AddTextBox("tbInsert");
    AddSpinButton("Spin1", 0, 5, 1);
    auto& opts = AddOptionButtons("Option");
    opts.Add("甲");
    opts.Add("乙");
    opts.At(opts.Add("丙")).enabled = false;
    AddTabStrip("Tabs", {"径赛", "田赛"});
    AddCheckBox("Check1", "打印");
    AddButton("CmdOff", "不可用").enabled = false;
    AddButton("CmdAsk", "问", [this] {
      ui_.MessageBox(ui_.MessageBox("继续吗？", Icon::Question, Buttons::YesNo) == Answer::Yes ? "是" : "否");
    });
    AddButton("CmdNested", "内层", [this] {
      ProbeDialog inner(ui_, "内层");
      ui_.ShowDialog(inner);
      ui_.MessageBox("内层已关闭");
    });
    AddButton("CmdOk", "确定", [this] {
      ui_.MessageBox(State());
      Close();
    });
  }
  std::string State() {
    std::string s = "List1=";
    for (int r : Get<ListBox>("List1").Selection()) s += std::to_string(r);
    s += " List2=";
    for (int r : Get<ListBox>("List2").Selection()) s += std::to_string(r);
    auto& opts = Get<OptionButtons>("Option");
    int opt = -1;
    for (int i = 0; i < opts.Count(); ++i)
      if (opts.At(i).value) opt = i;
    return s + " Cmb=" + Get<ComboBox>("CmbGrade").Text() + " tb=" + Get<TextBox>("tbInsert").Text() +
           " spin=" + std::to_string(Get<SpinButton>("Spin1").Value()) + " opt=" + std::to_string(opt) +
           " tab=" + std::to_string(Get<TabStrip>("Tabs").Index()) +
           " check=" + (Get<CheckBox>("Check1").value ? "1" : "0");
  }

 private:
  Ui& ui_;
};

void ShowProbe(Program& p) {
  ProbeDialog d(p.ui());
  p.ui().ShowDialog(d);
}

// ---- reading scripts ----

TEST(ScriptParse, WordsQuotesCommentsAndIndentation) {
  auto lines = ParseScript(
      "\xEF\xBB\xBF# a comment\r\n"
      "\n"
      "   \n"
      "type tbInsert \"高一男子5000米，预决赛 1组\" x\\y\r\n"
      "\t  press \"say \\\"hi\\\" \\\\ \\n\"   \n"
      "  # indented comment\n"
      "input \"\"\n"
      "bad \"open\n"
      "bad \"closed\"glued\n"
      "last");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].number, 4);
  EXPECT_EQ(lines[0].indent, 0);
  ASSERT_EQ(lines[0].words.size(), 4u);
  EXPECT_EQ(lines[0].words[2].text, "高一男子5000米，预决赛 1组");
  EXPECT_TRUE(lines[0].words[2].quoted);
  EXPECT_EQ(lines[0].words[3].text, "x\\y");  // a backslash outside quotes is kept
  EXPECT_FALSE(lines[0].words[3].quoted);
  EXPECT_EQ(lines[1].number, 5);
  EXPECT_EQ(lines[1].indent, 3);
  EXPECT_EQ(lines[1].words[1].text, "say \"hi\" \\ \\n");
  EXPECT_EQ(lines[2].words[1].text, "");
  EXPECT_TRUE(lines[2].words[1].quoted);
  EXPECT_EQ(lines[3].error, "unterminated quoted word");
  EXPECT_EQ(lines[4].error, "a quoted word must be followed by a space");
  EXPECT_EQ(lines[5].number, 10);
  EXPECT_TRUE(lines[5].error.empty());
}

TEST(ScriptParse, PrintedTextsKeepLineFeedsOnOneLine) { EXPECT_EQ(PrintableText("a\nb\r\nc\rd"), "a\\nb\\nc\\rd"); }

// ---- dialogs ----

TEST(ScriptDialogs, LinesUnderTheCommandDriveTheDialogAsAUserWould) {
  Runner r;
  r.onInitialization = ShowProbe;
  Result res = r.Run(
      "Initialization\n"
      " list List1\n"
      " select List1 =跳高\n"
      " # comments and blank lines do not end the block\n"
      "\n"
      " select List2 0 2\n"
      " choose CmbGrade 初二\n"
      "   type tbInsert \"高一 男子\"\n"
      " spin Spin1 up 9\n"
      " spin Spin1 down\n"
      " option Option 1\n"
      " tab Tabs 1\n"
      " press Check1\n"
      " press CmdOk\n"
      "caption\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.status, 0);
  EXPECT_EQ(res.out,
            "dialog: 样例\n"
            "label: 请选择项目\n"
            "100米\t分道\n"
            "跳高\t计高\n"
            "4×100米接力\t\n"
            "message: List1=1 List2=02 Cmb=初二 tb=高一 男子 spin=4 opt=1 tab=1 check=1\n"
            "Korvane\n");
}

TEST(ScriptDialogs, ANestedDialogTakesTheLinesThatFollowItsPress) {
  Runner r;
  r.onInitialization = ShowProbe;
  Result res = r.Run(
      "Initialization\n"
      " select List1 0\n"
      " press CmdNested\n"
      "  select List1 2\n"
      " press CmdOk\n"  // closes the inner dialog: indentation depth does not matter
      " select List1 none\n"
      " press CmdOk\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.out,
            "dialog: 样例\n"
            "label: 请选择项目\n"
            "dialog: 内层\n"
            "label: 请选择项目\n"
            "message: List1=2 List2= Cmb= tb= spin=1 opt=-1 tab=0 check=0\n"
            "message: 内层已关闭\n"
            "message: List1= List2= Cmb= tb= spin=1 opt=-1 tab=0 check=0\n");
}

TEST(ScriptDialogs, QuestionsInsideADialogTakeAnswersQueuedInTheBlock) {
  Runner r;
  r.onInitialization = ShowProbe;
  Result res = r.Run(
      "answer no\n"
      "Initialization\n"
      " press CmdAsk\n"
      " answer yes\n"
      " press CmdAsk\n"
      " press CmdOk\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.out,
            "dialog: 样例\n"
            "label: 请选择项目\n"
            "question: 继续吗？ -> no\n"
            "message: 否\n"
            "question: 继续吗？ -> yes\n"
            "message: 是\n"
            "message: List1= List2= Cmb= tb= spin=1 opt=-1 tab=0 check=0\n");
}

TEST(ScriptErrors, EachFailingLineIsReportedWithItsNumber) {
  struct Case {
    const char* script;
    const char* err;
  };
  const Case cases[] = {
      {"Initialization\n", "error: line 1: dialog 样例 is still open at the end of its block\n"},
      {"Initialization\n press Check1\ncaption\n",
       "error: line 1: dialog 样例 is still open at the end of its block\n"},
      {"Initialization\n press CmdOk\n press CmdOk\n", "error: line 3: no dialog is open\n"},
      {"caption\n press CmdOk\n", "error: line 2: no dialog is open\n"},
      {"press CmdOk\n", "error: line 1: no dialog is open\n"},
      {"Initialization\n press CmdOff\n", "error: line 2: control CmdOff is disabled\n"},
      {"Initialization\n press Nothing\n", "error: line 2: dialog 样例 has no control Nothing\n"},
      {"Initialization\n press List1\n", "error: line 2: List1 is a list box, not a button or check box\n"},
      {"Initialization\n type List1 x\n", "error: line 2: List1 is a list box, not a text box\n"},
      {"Initialization\n select List1 =铅球\n", "error: line 2: list List1 has no row 铅球\n"},
      {"Initialization\n select List1 0 1\n", "error: line 2: list List1 takes only one selected row\n"},
      {"Initialization\n select List1 3\n", "error: line 2: list List1 has no row 3 (it has 3 rows)\n"},
      {"Initialization\n select List1 first\n", "error: line 2: a row is a number or =TEXT: first\n"},
      {"Initialization\n choose CmbGrade 高三\n", "error: line 2: combo box CmbGrade has no item 高三\n"},
      {"Initialization\n option Option 2\n", "error: line 2: option Option(2) is disabled\n"},
      {"Initialization\n option Option 3\n", "error: line 2: option button array Option has no index 3\n"},
      {"Initialization\n tab Tabs 2\n", "error: line 2: tab strip Tabs has no tab 2\n"},
      {"Initialization\n spin Spin1 sideways\n", "error: line 2: usage: spin SPINBUTTON up|down [COUNT]\n"},
      {"Initialization\n New\n", "error: line 2: menu item New cannot be chosen while dialog 样例 is open\n"},
      {"Initialization\n press CmdAsk\n", "error: line 2: no answer queued for the question: 继续吗？\n"},
      {"Import\n", "error: line 1: menu item Import is disabled\n"},
      {"New now\n", "error: line 1: usage: New (a menu command takes no arguments)\n"},
      {"about\n", "error: line 1: unknown statement about\n"},
      {"answer maybe\n", "error: line 1: usage: answer yes|no|cancel\n"},
      {"answer cancel\nInitialization\n press CmdAsk\n",
       "error: line 3: answer cancel was queued but the question has no 取消 button: 继续吗？\n"},
      {"menu all\n", "error: line 1: usage: menu\n"},
      {"caption\nanswer yes\n", "error: line 2: answer yes was queued but no question came\n"},
      {"input x\nfolder cancel\nanswer no\n", "error: line 1: input x was queued but no input box came\n"},
      {"answer no\nfolder cancel\nDefaultFolder\n", "error: line 1: answer no was queued but no question came\n"},
      {"folder /no/such/folder\nDefaultFolder\n", "error: line 2: folder /no/such/folder does not exist\n"},
      {"Quit\ncaption\n", "error: line 2: the program has ended; nothing runs after Quit\n"},
      {"caption\ntype x \"open\n", "error: line 2: unterminated quoted word\n"},
      {"set 设置!A1 1\n", "error: line 1: no meet workbook is open\n"},
      {"sheets 运动会\n", "error: line 1: no open workbook's name begins with 运动会\n"},
  };
  for (const Case& c : cases) {
    Runner r;
    r.onInitialization = ShowProbe;
    Result res = r.Run(c.script);
    EXPECT_EQ(res.err, c.err) << c.script;
    EXPECT_EQ(res.status, 1) << c.script;
  }
}

TEST(ScriptErrors, ACommandThatSwallowsTheErrorCannotCarryOn) {
  Runner r;
  r.onInitialization = [](Program& p) {
    try {
      p.ui().MessageBox("继续吗？", Icon::Question, Buttons::YesNo);
    } catch (...) {
      // a careless command ignores the failure
    }
    p.ui().MessageBox("不应显示");
  };
  Result res = r.Run("Initialization\ncaption\n");
  EXPECT_EQ(res.out, "");
  EXPECT_EQ(res.err, "error: line 1: no answer queued for the question: 继续吗？\n");
  EXPECT_EQ(res.status, 1);

  r.onInitialization = [](Program& p) {
    ProbeDialog d(p.ui());
    try {
      p.ui().ShowDialog(d);
    } catch (...) {
    }
  };
  res = r.Run("Initialization\n press CmdOff\ncaption\n");
  EXPECT_EQ(res.err, "error: line 2: control CmdOff is disabled\n");
}

TEST(ScriptErrors, OutputBeforeTheFailingLineIsKept) {
  Runner r;
  Result res = r.Run("caption\nabout\ncaption\n");
  EXPECT_EQ(res.out, "Korvane\n");
  EXPECT_EQ(res.err, "error: line 2: unknown statement about\n");
}

// ---- boxes ----

TEST(ScriptBoxes, FoldersAndInputsAreAnsweredInOrder) {
  Runner r;
  fs::create_directories(r.dir / "cancel");
  r.onInitialization = [](Program& p) {
    auto a = p.ui().InputBox("输入起始页码：", "Korvane", "11");
    auto b = p.ui().InputBox("再输入：");
    p.ui().MessageBox((a ? *a : "<none>") + "|" + (b ? *b : "<none>"));
    auto f = p.ui().PickFolder();
    auto g = p.ui().PickFolder();
    p.ui().MessageBox((f ? *f : "<none>") + "|" + (g ? *g : "<none>"));
  };
  std::string folder = (r.dir / "cancel").string();
  Result res = r.Run("input 12\ninput cancel\nfolder \"" + folder + "/\"\nfolder cancel\nInitialization\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.out,
            "input: 输入起始页码： -> 12\n"
            "input: 再输入： -> cancel\n"
            "message: 12|<none>\n"
            "folder: -> " +
                folder +
                "/\n"
                "folder: -> cancel\n"
                "message: " +
                folder + "/|<none>\n");
}

TEST(ScriptBoxes, AMalformedClockStopsTheScriptBeforeItRuns) {
  ScopedEnv now("KORVANE_NOW", "yesterday");
  Runner r;
  Result res = r.Run("caption\n");
  EXPECT_EQ(res.status, 1);
  EXPECT_EQ(res.out, "");
  EXPECT_EQ(res.err, "error: 环境变量 KORVANE_NOW 不是有效的日期时间：yesterday\n");
}

// ---- the menu ----

TEST(ScriptMenu, PrintsEveryItemWithItsState) {
  Runner r;
  r.onInitialization = [](Program& p) {
    p.Menu().SetEnabled("ProtectAllYN", true);
    p.Menu().SetChecked("ProtectAllYN", true);
    p.Menu().SetEnabled("New", false);
  };
  Result res = r.Run("Initialization\nmenu\n");
  EXPECT_EQ(res.err, "");
  std::istringstream lines(res.out);
  std::string line;
  std::vector<std::string> got;
  while (std::getline(lines, line)) got.push_back(line);
  ASSERT_EQ(got.size(), MenuItems().size());
  EXPECT_EQ(got[0], "New 新建 disabled");
  EXPECT_EQ(got[19], "ProtectAllYN 保护工作表 enabled checked");
  EXPECT_EQ(got[28], "About 关于 enabled");
}

TEST(ScriptMenu, AMeetWorkbookClosedBehindTheProgramsBackIsRefused) {
  Runner r;
  r.prepareHost = [](host::WorkbookHost& h) { h.Add().SetUnsavedName(kMeetName); };
  r.onInitialization = [](Program& p) {
    // The user closes the meet workbook in the workbook window, then a command needs it.
    p.Host().Close(*p.Host().Workbooks().front());
    p.Menu().SetEnabled("Save", true);
    if (!RequireMeetWorkbook(p)) return;
    p.ui().MessageBox("not reached");
  };
  Result res = r.Run("sheets\nInitialization\nmenu\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.out.substr(0, res.out.find("New ")), "Sheet1\nmessage: 文件被关闭!\n");
  EXPECT_NE(res.out.find("\nSave 保存所有 disabled\n"), std::string::npos);
}

// ---- cells ----

class ScriptCells : public ::testing::Test {
 protected:
  Runner r;
  void SetUp() override {
    r.prepareHost = [](host::WorkbookHost& h) {
      host::Workbook& meet = h.Add();
      meet.SetUnsavedName(kMeetName);
      meet.Sheet(1).SetName("设置");
      meet.Sheet(1).Cells(2, 3).SetValue(host::CellValue("old"));
      host::Worksheet& form = meet.AddSheet(nullptr, &meet.Sheet(1), "报名表样表");
      form.SetVisible(false);
      host::Worksheet& team = meet.AddSheet(&meet.Sheet(1), nullptr, "1");
      team.Cells(4, 3).SetLocked(false);
      team.Protect();
      host::Workbook& reg = h.Add();
      reg.SetUnsavedName("运动会报名登记表.xlsm");
      reg.Sheet(1).Cells(1, 1).SetValue(host::CellValue("登记"));
    };
  }
};

TEST_F(ScriptCells, TypedValuesBecomeNumbersFormulasOrTexts) {
  r.onInitialization = [](Program& p) {
    host::Worksheet& ws = RequireMeetWorkbook(p)->Sheet("设置");
    std::string s;
    for (int c = 1; c <= 6; ++c) {
      host::CellValue v = ws.StoredValue(2, c);
      s += v.IsNumber() ? "n" : v.IsText() ? "t" : v.IsBool() ? "b" : v.IsEmpty() ? "e" : "?";
    }
    p.ui().MessageBox(s + " " + ws.FormulaAt(2, 7));
  };
  Result res = r.Run(
      "set 设置!A2 初一\n"
      "set 设置!B2 12\n"
      "set 设置!C2 \"\"\n"
      "set 设置!D2 '007\n"
      "set 设置!E2 1,000\n"
      "set 设置!F2 true\n"
      "set 设置!G2 \"=B2*2\"\n"
      "get 设置!A2:F2\n"
      "Initialization\n");
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(res.out,
            "初一\t12\t\t007\t1000\tTRUE\n"
            "message: tnetnb B2*2\n");
}

TEST_F(ScriptCells, SheetsBooksAndProtection) {
  Result res = r.Run(
      "sheets\n"
      "sheets 运动会\n"
      "get 运动会:Sheet1!A1\n"
      "get 运动会报名登记表.xlsm:Sheet1!A1:B1\n"
      "set '1'!C4 张三\n"
      "get 1!C4\n"
      "get 设置!C:C\n"
      "set 1!D4 √\n");
  EXPECT_EQ(res.out,
            "1\n设置\n报名表样表 hidden\n"
            "Sheet1\n"
            "登记\n"
            "登记\t\n"
            "张三\n"
            "\nold\n");
  EXPECT_EQ(res.status, 1);
  EXPECT_EQ(res.err.rfind("error: line 8: ", 0), 0u) << res.err;  // the host's own refusal follows
  EXPECT_GT(res.err.size(), std::string("error: line 8: \n").size());
}

TEST_F(ScriptCells, BadReferencesAreErrors) {
  struct Case {
    const char* script;
    std::string err;
  };
  const Case cases[] = {
      {"set 设置!A1:B2 1\n", "error: line 1: set takes one cell: 设置!A1:B2\n"},
      {"set A1 1\n", "error: line 1: not a cell reference: A1\n"},
      {"get 设置!ZZZZ1\n", "error: line 1: not a range reference: 设置!ZZZZ1\n"},
      {"get 成绩!A1\n", "error: line 1: workbook " + std::string(kMeetName) + " has no sheet 成绩\n"},
      {"get 日程:Sheet1!A1\n", "error: line 1: no open workbook's name begins with 日程\n"},
  };
  for (const Case& c : cases) {
    Result res = r.Run(c.script);
    EXPECT_EQ(res.err, c.err) << c.script;
  }
}

}  // namespace
}  // namespace korvane::shell
