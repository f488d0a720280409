#include <gtest/gtest.h>

#include <fstream>

#include "awards/awards_fixture.h"
#include "host/docx/document.h"
#include "host/ooxml/xlsx.h"

namespace korvane::awards {
namespace {

using namespace testing;
using host::CellValue;

const std::vector<std::string> kGrades = {"高一", "高二"};
const std::vector<std::string> kEvents = {"100米", "4×100米接力"};

std::vector<std::string> Instructions(const fs::path& file) {
  std::vector<std::string> v;
  for (const auto& field : host::docx::Document::FromTemplate(file.string()).MergeFields())
    v.push_back(field.instruction);
  return v;
}

// Settings and lists made, ready for the certificates.
void Prepare(AwardsFixture& f) {
  f.Run("PrizeSetup");
  f.Run("PrizeList");
  ASSERT_TRUE(f.ui.boxes.empty()) << f.ui.boxes.front().text;
}

TEST(PrizeCreate, OneBoundDocumentPerAwardTypeReplacingAnOldOne) {
  AwardsFixture f(kGrades, kEvents);
  Prepare(f);
  { std::ofstream(f.meets / "单项奖.docx") << "an old file"; }
  f.Run("PrizeCreate");
  // Two grades: two 精神文明奖 lines, the template's three total-score places
  // each, and six places for boys and girls in two events, four runners in the relay.
  EXPECT_EQ(f.BoxTexts(),
            std::vector<std::string>{"奖状模板已生成，保存在默认目录下!\n可直接打印的奖状：精神文明奖.pdf（2页）、"
                                     "团体总分奖.pdf（6页）、单项奖.pdf（120页）"});
  EXPECT_EQ(f.ui.boxes[0].icon, shell::Icon::None);
  for (const char* pdf : {"精神文明奖.pdf", "团体总分奖.pdf", "单项奖.pdf"}) {
    std::ifstream in(f.meets / pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-") << pdf;
  }
  EXPECT_TRUE(f.program.Host().PrintJobs().empty());  // never sent to a printer

  const std::string source = (f.meets / "奖项设置.xlsx").string();
  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"精神文明奖", {"MERGEFIELD  年级"}},
      {"团体总分奖", {"MERGEFIELD  年级", "MERGEFIELD  名次"}},
      {"单项奖", {"MERGEFIELD  年级", "MERGEFIELD  组别", "MERGEFIELD  项目", "MERGEFIELD  名次"}}};
  for (const auto& [type, fields] : expected) {
    const fs::path file = f.meets / (type + ".docx");
    ASSERT_TRUE(fs::exists(file)) << type;
    host::docx::Document doc = host::docx::Document::FromTemplate(file.string());
    EXPECT_EQ(Instructions(file), fields) << type;
    EXPECT_EQ(doc.PlainText().find("《"), std::string::npos) << type;
    auto mm = doc.MailMerge();
    ASSERT_TRUE(mm) << type;
    EXPECT_EQ(mm->mainDocumentType, "formLetters");
    EXPECT_EQ(mm->query, "SELECT * FROM `" + type + "$`");
    EXPECT_EQ(mm->dataSource, host::docx::FileUri(source));
  }
  // The data source on disk holds the lists the documents were made for.
  auto saved = host::ooxml::ReadWorkbookFile(source, f.program.Host().Tables());
  EXPECT_EQ(saved->Sheet("单项奖").ValueAt(2, 3).ToText(), "100米");
  EXPECT_TRUE(f.Prize()->Saved());
}

TEST(PrizeCreate, AHeadingWithoutPlaceholderIsSkippedAndNamed) {
  AwardsFixture f(kGrades, kEvents);
  Prepare(f);
  f.Set("单项奖", "B1", CellValue("组别名称"));  // the template has 《组别》, not 《组别名称》
  f.Run("PrizeCreate");
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_NE(f.ui.boxes[0].text.find("奖状模板已生成，保存在默认目录下!"), std::string::npos);
  EXPECT_NE(f.ui.boxes[0].text.find("单项奖：《组别名称》"), std::string::npos) << f.ui.boxes[0].text;
  const fs::path file = f.meets / "单项奖.docx";
  EXPECT_EQ(Instructions(file), (std::vector<std::string>{"MERGEFIELD  年级", "MERGEFIELD  项目", "MERGEFIELD  名次"}));
  // Nothing else was deleted in its stead: the unmatched placeholder is still there.
  EXPECT_NE(host::docx::Document::FromTemplate(file.string()).PlainText().find("《组别》"), std::string::npos);
}

TEST(PrizeCreate, AMissingTemplateIsNamedAndTheOthersAreMade) {
  AwardsFixture f(kGrades, kEvents);
  Prepare(f);
  fs::remove(f.dir / "program" / "prize" / "团体总分奖.docx");
  f.Run("PrizeCreate");
  ASSERT_EQ(f.ui.boxes.size(), 2u);
  EXPECT_EQ(f.ui.boxes[0].text, "“团体总分奖”模板文件缺失，请联系作者!");
  EXPECT_EQ(f.ui.boxes[1].text.rfind("奖状模板已生成，保存在默认目录下!", 0), 0u);
  EXPECT_EQ(f.ui.boxes[1].text.find("团体总分奖.pdf"), std::string::npos);
  EXPECT_TRUE(fs::exists(f.meets / "精神文明奖.docx"));
  EXPECT_FALSE(fs::exists(f.meets / "团体总分奖.docx"));
  EXPECT_TRUE(fs::exists(f.meets / "单项奖.docx"));
}

TEST(PrizeCreate, ListsWithoutLinesGetNoPdf) {
  AwardsFixture f(kGrades, kEvents);
  f.Run("PrizeSetup");  // 明细单 not run: the lists hold their headings only
  f.Run("PrizeCreate");
  EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{"奖状模板已生成，保存在默认目录下!"});
  EXPECT_TRUE(fs::exists(f.meets / "单项奖.docx"));
  EXPECT_FALSE(fs::exists(f.meets / "单项奖.pdf"));
}

TEST(PrizeCreate, RefusedWhenThePrizeWorkbookOrEveryWorkbookIsClosed) {
  AwardsFixture f(kGrades, kEvents);
  Prepare(f);
  f.program.Host().Close(*f.Prize());
  f.Run("PrizeCreate");
  EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{"“奖项设置”文件被关闭，操作终止!"});
  EXPECT_TRUE(f.program.Menu().Enabled("PrizeSetup"));
  EXPECT_FALSE(f.program.Menu().Enabled("PrizeCreate"));
  EXPECT_FALSE(fs::exists(f.meets / "单项奖.docx"));

  f.program.Host().CloseAll();
  f.program.Menu().SetEnabled("PrizeCreate", true);
  f.Run("PrizeCreate");
  EXPECT_EQ(f.ui.boxes.back().text, "目标文件被关闭!");
  EXPECT_FALSE(f.program.Menu().Enabled("PrizeCreate"));
  EXPECT_TRUE(f.program.Menu().Enabled("New"));
}

}  // namespace
}  // namespace korvane::awards
