// The road of one meet through the desktop program, as a teacher goes it with
// mouse and keyboard: 默认目录, 初始化 with a typed class count, 项目管理 in
// its dialog, 新建, entries pasted and typed into the team sheets, 汇总及编号,
// 报表生成, 创建成绩记录表, 赛事日程 arranged in its dialogs, 成绩管理 with typed
// results and their places highlighted, 赛事奖项 with the prize settings typed
// into its workbook, the four 打印 commands (PDFs beside the workbooks, no
// printer), 保存所有 and 退出. Menu items are chosen through their actions,
// cells through the grid, dialogs through their widgets.
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include "gui/dialog_view.h"
#include "gui/sheet_model.h"
#include "gui_support.h"
#include "host/application.h"
#include "host/print/sheet_pdf.h"
#include "host/workbook.h"
#include "support/poppler.h"

namespace korvane::gui::testing {
namespace {

class AcceptanceRoad : public DesktopTest {
 protected:
  void ShowBook(const std::string& prefix) {
    QComboBox* books = workbooks_->Books();
    for (int i = 0; i < books->count(); ++i) {
      if (books->itemText(i).startsWith(QString::fromStdString(prefix))) {
        books->setCurrentIndex(i);
        emit books->activated(i);
        return;
      }
    }
    ADD_FAILURE() << "no open workbook " << prefix;
  }
  void Paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(workbooks_->Grid(), Qt::Key_V, Qt::ControlModifier);
  }
  static bool SheetContains(const host::Worksheet& ws, const std::string& text) {
    for (int r = 1; r <= ws.LastUsedRow(); ++r)
      for (int c = 1; c <= ws.LastUsedCol(); ++c)
        if (ws.ValueAt(r, c).ToText().find(text) != std::string::npos) return true;
    return false;
  }
  // The pages the host's page breaks give these sheets of a workbook.
  static int HostPages(const host::Workbook& book, const std::vector<std::string>& names) {
    std::vector<const host::Worksheet*> sheets;
    for (const std::string& n : names) sheets.push_back(book.FindSheet(n));
    for (const host::Worksheet* ws : sheets)
      if (!ws) return -1;
    return host::print::PrintedPageCount(sheets);
  }
  static bool SheetHolds(const host::Worksheet& ws, const std::string& text) {
    for (int r = 1; r <= ws.LastUsedRow(); ++r)
      for (int c = 1; c <= ws.LastUsedCol(); ++c)
        if (ws.ValueAt(r, c).ToText() == text) return true;
    return false;
  }
  bool Highlighted(int row, int col) const {
    return workbooks_->Grid()->model()->index(row - 1, col - 1).data(FillRole).isValid();
  }
};

TEST_F(AcceptanceRoad, OneMeetFromTheTemplateToTheCertificates) {
  // 默认目录...: the meets folder.
  ui_.folders.push_back(meets_.string());
  Choose("DefaultFolder");

  // 初始化...: the template; 高一 gets four classes, typed into 设置.
  Choose("Initialization");
  ASSERT_TRUE(workbooks_->isVisible());
  host::Worksheet& settings = ShowTab("设置");
  GoTo(5, 2);
  Type(QStringLiteral("4"));
  EXPECT_EQ(settings.ValueAt(5, 2), host::CellValue(4.0));

  // 项目管理...: 高一女子 also hold 跳高.
  ui_.answers.push_back(shell::Answer::Yes);  // junior grades compete grade by grade
  ui_.drivers.push_back([](DialogView& view) {
    auto* grade = qobject_cast<QComboBox*>(view.Widget("CmbGrade"));
    const int senior = grade->findText(QStringLiteral("高一"));
    grade->setCurrentIndex(senior);
    emit grade->activated(senior);
    auto* sex = qobject_cast<QComboBox*>(view.Widget("CmbSex"));
    sex->setCurrentIndex(1);
    emit sex->activated(1);
    auto* list = qobject_cast<QTreeWidget*>(view.Widget("List1"));
    const int highJump = view.Model().Get<shell::ListBox>("List1").FindRow("跳高");
    ASSERT_GE(highJump, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(highJump)).center());
    QTest::mouseClick(qobject_cast<QPushButton*>(view.Widget("Select")), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QPushButton*>(view.Widget("CmdSave")), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QPushButton*>(view.Widget("CmdClose")), Qt::LeftButton);
  });
  Choose("ItemSetup");
  EXPECT_TRUE(ui_.drivers.empty());
  Choose("Save");
  Choose("Close");
  EXPECT_FALSE(workbooks_->isVisible());

  // 新建: the meet workbook with a form per class, in the default folder.
  Choose("New");
  ASSERT_TRUE(workbooks_->isVisible());
  host::Workbook* meet = Host().ActiveWorkbook();
  ASSERT_NE(meet, nullptr);
  EXPECT_NE(meet->FindSheet("13"), nullptr);  // 4 + 4 + 4 + 4 (高一) + 3 + 3 ... classes

  // 打印 → 报名表样表(A4): the blank form for the classes, one page, as a PDF
  // beside the meet workbook (no printer is set: KORVANE_PRINTER=none).
  ui_.answers.push_back(shell::Answer::Yes);
  Choose("MyPrint1");
  EXPECT_EQ(print_testing::PdfPages(meets_ / "报名表样表.pdf"), 1);

  // Entries: names and ticks pasted from another program into the first three
  // classes (boys from row 4, girls from row 14; 李四 runs 200米 and jumps
  // 跳高), one more boy typed.
  for (int t = 1; t <= 3; ++t) {
    ShowTab(std::to_string(t));
    GoTo(4, 3);
    Paste(QStringLiteral("张三%1\t√\t\t√\n李四%1\t\t√\t\t\t\t√\n").arg(t));
    GoTo(14, 3);
    Paste(QStringLiteral("王芳%1\t√\n赵丽%1\t√\t√\n").arg(t));
  }
  host::Worksheet& first = ShowTab("1");
  GoTo(6, 3);
  Type(QStringLiteral("Liu Yang"));
  EXPECT_EQ(first.ValueAt(4, 3).ToText(), "张三1");
  EXPECT_EQ(first.ValueAt(4, 4).ToText(), "√");
  EXPECT_EQ(first.ValueAt(6, 3).ToText(), "Liu Yang");

  // 汇总及编号: every athlete numbered in 号码对照表.
  Choose("consolidate");
  host::Worksheet* numbers = meet->FindSheet("号码对照表");
  ASSERT_NE(numbers, nullptr);
  for (const char* name : {"张三1", "李四2", "王芳3", "赵丽1", "Liu Yang"})
    EXPECT_TRUE(SheetHolds(*numbers, name)) << name;

  // 报表生成, 创建成绩记录表, 成绩管理.
  Choose("CreateReport");
  EXPECT_NE(meet->FindSheet("号码对照表报表"), nullptr);
  EXPECT_NE(meet->FindSheet("比赛项目名单报表"), nullptr);
  Choose("CreateTables");
  EXPECT_NE(meet->FindSheet("起终点用表"), nullptr);

  // 赛事日程...: two days from the proposed first day, the schedule from page
  // 1. Arranged: 开幕式, 开始检录 and the first track item before the first
  // afternoon; 开始检录, 第一组裁判 and the first field item at 9:00 on the
  // field list. 确定 checks the order, writes 径赛 and 田赛 and saves the
  // schedule workbook in the default folder.
  ui_.inputs.push_back(std::string("1"));
  ui_.drivers.push_back([](DialogView& view) {
    ClickSpin(view, "SpinButton3", 1);
    EXPECT_EQ(view.Model().Get<shell::TextBox>("TextBox3").Text(), "2天");
    PressButton(view, "CmdOk");
  });
  std::string trackEvent, fieldEvent;
  ui_.drivers.push_back([&](DialogView& view) {
    auto& trackItems = view.Model().Get<shell::ListBox>("ListBox11");
    auto& fieldItems = view.Model().Get<shell::ListBox>("ListBox12");
    ASSERT_GT(trackItems.RowCount(), 0);
    ASSERT_GT(fieldItems.RowCount(), 0);
    trackEvent = trackItems.Cell(0, 3);
    fieldEvent = fieldItems.Cell(0, 3);
    ClickListRow(view, "ListBox21", 1);
    ClickListRowWith(view, "ListBox13", "开幕式");
    PressButton(view, "cmdAppend");
    ClickListRowWith(view, "ListBox13", "开始检录");
    PressButton(view, "cmdAppend");
    ClickListRow(view, "ListBox11", 0);
    PressButton(view, "cmdAppend");
    ClickListRow(view, "ListBox22", 1);
    ClickListRowWith(view, "ListBox13", "开始检录");
    PressButton(view, "cmdAppend");
    ClickListRowWith(view, "ListBox13", "第一组裁判");
    PressButton(view, "cmdAppend");
    ClickListRow(view, "ListBox12", 0);
    ClickSpin(view, "SpinButton2", 0);      // 9时
    ClickSpin(view, "SpinButton3", 1, 30);  // 00分
    PressButton(view, "cmdAppend");
    PressButton(view, "CmdOk");
  });
  Choose("Schedule");
  EXPECT_TRUE(ui_.drivers.empty());
  fs::path schedulePath;
  for (const auto& e : fs::directory_iterator(meets_))
    if (e.path().filename().string().starts_with("日程安排表_") && e.path().extension() == ".xlsx")
      schedulePath = e.path();
  ASSERT_FALSE(schedulePath.empty()) << "no schedule workbook saved";
  {
    host::WorkbookHost reader;
    host::Workbook& saved = reader.Open(schedulePath.string());
    const host::Worksheet* trackSheet = saved.FindSheet("径赛");
    const host::Worksheet* fieldSheet = saved.FindSheet("田赛");
    ASSERT_NE(trackSheet, nullptr);
    ASSERT_NE(fieldSheet, nullptr);
    EXPECT_NE(saved.FindSheet("附件"), nullptr);
    EXPECT_TRUE(SheetContains(*trackSheet, "开幕式"));
    EXPECT_TRUE(SheetContains(*trackSheet, trackEvent)) << trackEvent;
    EXPECT_TRUE(SheetContains(*fieldSheet, fieldEvent)) << fieldEvent;
    EXPECT_TRUE(SheetContains(*fieldSheet, "第一组裁判"));
  }
  ShowBook("日程安排表");
  ShowTab("径赛");
  ShowBook("号码对照表");
  Choose("ScoreEdit");
  host::Worksheet& reg = ShowTab("成绩登记表");
  EXPECT_EQ(reg.ValueAt(3, 1).ToText(), "初一男子100米");
  // Two places, three results typed: the two fastest are highlighted, number and result.
  GoTo(3, 3);
  Type(QStringLiteral("2"));
  GoTo(4, 5);
  Type(QStringLiteral("12.5"));
  GoTo(4, 6);
  Type(QStringLiteral("12.1"));
  GoTo(4, 7);
  Type(QStringLiteral("13.0"));
  ASSERT_TRUE(reg.HasContent(3, 7));
  EXPECT_TRUE(Highlighted(3, 5) && Highlighted(4, 5));
  EXPECT_TRUE(Highlighted(3, 6) && Highlighted(4, 6));
  EXPECT_FALSE(Highlighted(3, 7) || Highlighted(4, 7));

  // 赛事奖项: the prize settings typed into 奖项设置, the lists, the certificates.
  Choose("PrizeSetup");
  ShowBook("奖项设置");
  host::Worksheet& prizes = ShowTab("设置");
  GoTo(3, 4);
  Type(QStringLiteral("2"));
  GoTo(3, 5);
  Type(QStringLiteral("3"));
  EXPECT_EQ(prizes.ValueAt(3, 4), host::CellValue(2.0));
  Choose("PrizeList");
  Choose("PrizeCreate");
  bool documents = false;
  for (const auto& e : fs::directory_iterator(meets_)) documents = documents || e.path().extension() == ".docx";
  EXPECT_TRUE(documents);

  // 打印 of the reports, the judges' forms and the schedule: every job a PDF
  // beside its workbook with the pages the host's page breaks give.
  const std::vector<std::string> reportSheets{"号码对照表报表", "比赛项目名单报表"};
  const std::vector<std::string> recordSheets{"起终点用表", "高度记录表", "远度记录表", "其它记录表"};
  ui_.answers.push_back(shell::Answer::Yes);
  Choose("MyPrint2");
  EXPECT_EQ(print_testing::PdfPages(meets_ / "报表.pdf"), HostPages(*meet, reportSheets));
  ui_.answers.push_back(shell::Answer::Yes);
  Choose("MyPrint3");
  EXPECT_EQ(print_testing::PdfPages(meets_ / "成绩记录表.pdf"), HostPages(*meet, recordSheets));
  Choose("MyPrint4");
  host::Workbook* schedule = Host().FindWorkbook(schedulePath.filename().string());
  ASSERT_NE(schedule, nullptr);
  const int schedulePages = HostPages(*schedule, {"径赛", "田赛"});
  EXPECT_GE(schedulePages, 2);
  EXPECT_EQ(print_testing::PdfPages(meets_ / "赛事日程.pdf"), schedulePages);
  EXPECT_TRUE(ui_.answers.empty());

  // 保存所有 and 退出.
  Choose("Save");
  Choose("Quit");
  EXPECT_TRUE(program_->Ended());
  for (const ShownBox& box : ui_.boxes) EXPECT_NE(box.icon, shell::Icon::Critical) << box.text;
}

}  // namespace
}  // namespace korvane::gui::testing
