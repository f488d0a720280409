#include <gtest/gtest.h>

#include "setup/setup.h"
#include "setup_support.h"

namespace korvane::setup {
namespace {

using namespace testing;

TEST(Initialization, OpensTheUsersCopyOfTheTemplateForEditing) {
  SetupFixture f;
  f.program.Run("Initialization");
  // The first use makes the copy and says where it is.
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, TemplateCopiedText(f.UserTemplatePath().string()));
  ASSERT_EQ(f.Host().WorkbooksCount(), 1);
  host::Workbook& book = *f.Host().ActiveWorkbook();
  EXPECT_EQ(fs::path(book.FullName()), f.UserTemplatePath());
  EXPECT_EQ(book.Kind(), host::FileKind::Xltm);
  EXPECT_EQ(meet::FindMeetWorkbook(f.Host()), &book);
  EXPECT_TRUE(book.Protection().structure);
  EXPECT_TRUE(book.Protection().windows);
  EXPECT_TRUE(f.Host().visible);
  EXPECT_EQ(book.ActiveSheet().Name(), "设置");
  ASSERT_FALSE(f.ui.statusTexts.empty());
  EXPECT_EQ(f.ui.statusTexts.back().rfind("作者: Merisk   今天是 ", 0), 0u);
  EXPECT_EQ(f.Host().statusBar, f.ui.statusTexts.back());

  const shell::MenuState& menu = f.program.Menu();
  for (const char* off : {"New", "Open", "Initialization"}) EXPECT_FALSE(menu.Enabled(off)) << off;
  for (const char* on : {"Save", "Close", "ProtectAllYN", "ItemSetup", "DefaultFolder"})
    EXPECT_TRUE(menu.Enabled(on)) << on;
  for (const char* still : {"Import", "Export", "consolidate", "MyPrint1", "Schedule"})
    EXPECT_FALSE(menu.Enabled(still)) << still;
  // The template's settings sheet is protected.
  EXPECT_TRUE(menu.Checked("ProtectAllYN"));

  // What is saved goes into the user's copy, which 新建 then starts from; the
  // shipped template stays as it was, and the next 初始化... asks nothing.
  book.Sheet("设置").RangeAt("H2").SetValue(16);
  book.Save();
  host::WorkbookHost other;
  EXPECT_EQ(other.Add(f.UserTemplatePath().string()).Sheet("设置").ValueAt(2, 8).ToWhole(), 16);
  EXPECT_NE(other.Add(f.TemplatePath().string()).Sheet("设置").ValueAt(2, 8).ToWhole(), 16);
  EXPECT_EQ(TemplateForNew(f.program), f.UserTemplatePath().string());
  f.program.Run("Close");
  f.ui.boxes.clear();
  f.program.Run("Initialization");
  EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(Initialization, TheCheckMarkFollowsTheProtectionOfTheActiveSheet) {
  SetupFixture f;
  {
    host::WorkbookHost other;
    host::Workbook& t = other.Open(f.TemplatePath().string(), /*editable=*/true);
    t.Sheet("设置").Unprotect();
    t.Sheet("设置").Activate();
    t.Save();
  }
  f.program.Menu().SetChecked("ProtectAllYN", true);
  f.program.Run("Initialization");
  EXPECT_FALSE(f.program.Menu().Checked("ProtectAllYN"));
}

TEST(Initialization, AMissingTemplateIsReportedAndNothingChanges) {
  SetupFixture f;
  fs::remove(f.TemplatePath());
  const auto revision = f.program.Menu().Revision();
  f.program.Run("Initialization");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "模板文件缺失，请联系作者!");
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::None);
  EXPECT_EQ(f.ui.boxes[0].buttons, shell::Buttons::Ok);
  EXPECT_EQ(f.Host().WorkbooksCount(), 0);
  EXPECT_FALSE(f.Host().visible);
  EXPECT_EQ(f.program.Menu().Revision(), revision);
  EXPECT_TRUE(f.program.Menu().Enabled("Initialization"));
}

TEST(Initialization, TheTemplateNameFollowsTheHostsExtensions) {
  SetupFixture f;
  EXPECT_EQ(MeetTemplatePath(f.program), f.programDir.string() + "/号码对照表及分组分道编排.xltm");
  f.program.tables.extensions = meet::ExtensionsForVersion("11.0");
  EXPECT_EQ(MeetTemplatePath(f.program), f.programDir.string() + "/号码对照表及分组分道编排.xlt");
}

}  // namespace
}  // namespace korvane::setup
