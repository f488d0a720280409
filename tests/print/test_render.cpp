// The PDF layer read back with poppler: pages and paper sizes, the texts and
// footer numbers of rendered sheets, the file replaced only when complete,
// number formats and header codes, and the job without a printer.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/application.h"
#include "host/number_format.h"
#include "host/pagination.h"
#include "host/print/job.h"
#include "host/print/pdf.h"
#include "host/print/sheet_pdf.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "support/poppler.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using namespace korvane::host;
using namespace korvane::print_testing;
using korvane::shell::testing::FileSizeLimit;
using korvane::shell::testing::ScopedEnv;
using korvane::shell::testing::TempDir;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PdfDocument, PagesOfTheirOwnSizeWithTheirTexts) {
  TempDir dir;
  const fs::path pdf = dir / "奖状.pdf";
  {
    print::PdfDocument doc(pdf.string(), "奖状");
    doc.NewPage(print::kA4Width, print::kA4Height);
    print::TextStyle big{
        .face = std::string(print::kSerifFace), .size = 36, .bold = true, .align = print::Align::Center};
    doc.DrawText({0, 100, print::kA4Width, 60}, "奖状", big);
    doc.DrawLine(72, 180, 523, 180, print::Pen{.width = 1});
    auto [w, h] = print::PaperSizePoints(xl::PaperB4);
    doc.NewPage(h, w);  // B4 landscape
    doc.FillRect({10, 10, 100, 20}, 0xFFFF00);
    doc.DrawText({20, 40, 300, 40}, "第二页 Page two", print::TextStyle{.face = std::string(print::kSansFace)});
    EXPECT_EQ(doc.PageCount(), 2);
    EXPECT_FALSE(fs::exists(pdf)) << "the file appears only when complete";
    doc.Close();
  }
  EXPECT_EQ(PdfPages(pdf), 2);
  EXPECT_EQ(Capture("pdfinfo -f 1 -l 2 " + Quoted(pdf) + " | grep '^Page.*size:' | tr -s ' ' | cut -d' ' -f4-6"),
            "595.276 x 841.89\n1000.63 x 708.661\n");
  EXPECT_NE(Squeezed(PdfText(pdf, 1)).find("奖状"), std::string::npos);
  EXPECT_NE(Squeezed(PdfText(pdf, 2)).find("第二页Pagetwo"), std::string::npos);
  EXPECT_NE(Capture("pdffonts " + Quoted(pdf)).find("NotoSerifCJK"), std::string::npos);
}

TEST(PdfDocument, AnUnfinishedDocumentLeavesTheEarlierFile) {
  TempDir dir;
  const fs::path pdf = dir / "报表.pdf";
  std::ofstream(pdf) << "earlier";
  {
    print::PdfDocument doc(pdf.string());
    doc.NewPage(100, 100);
  }
  EXPECT_EQ(ReadAll(pdf), "earlier");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "no temporary file left";
}

TEST(PdfDocument, AWriteThatFailsKeepsTheEarlierFileAndSaysWhy) {
  TempDir dir;
  const fs::path pdf = dir / "报表.pdf";
  std::ofstream(pdf) << "earlier";
  std::string message;
  {
    FileSizeLimit fullDisk(4096);
    print::PdfDocument doc(pdf.string());
    for (int page = 0; page < 20; ++page) {
      doc.NewPage(print::kA4Width, print::kA4Height);
      doc.DrawText({0, 100, print::kA4Width, 60}, "第" + std::to_string(page) + "页 运动员名单", print::TextStyle{});
    }
    try {
      doc.Close();
    } catch (const print::PrintError& e) {
      message = e.what();
    }
  }
  EXPECT_EQ(message.rfind("无法写入 PDF 文件：" + pdf.string() + "：", 0), 0u) << message;
  EXPECT_EQ(ReadAll(pdf), "earlier");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "no temporary file left";
}

TEST(PdfDocument, TheTemporaryFileOfAKilledWriteIsRemovedByTheNextOne) {
  TempDir dir;
  const fs::path pdf = dir / "报表.pdf";
  const pid_t child = ::fork();
  if (child == 0) {
    print::PdfDocument doc(pdf.string());
    doc.NewPage(100, 100);
    ::_exit(0);  // dies with the document unfinished, as under kill -9
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "the temporary file";
  print::PdfDocument doc(pdf.string());
  doc.NewPage(100, 100);
  doc.Close();
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "only the PDF";
  EXPECT_EQ(PdfPages(pdf), 1);
}

TEST(PdfDocument, AFolderThatCannotTakeTheFileIsAnErrorNamingIt) {
  TempDir dir;
  const std::string pdf = (dir / "无此文件夹" / "报表.pdf").string();
  try {
    print::PdfDocument doc(pdf);
    FAIL() << "no error";
  } catch (const print::PrintError& e) {
    EXPECT_NE(std::string(e.what()).find(pdf), std::string::npos) << e.what();
  }
}

TEST(NumberFormat, TheFormatsTheProgramWrites) {
  struct Case {
    CellValue value;
    const char* format;
    const char* shown;
  };
  const Case cases[] = {
      {CellValue(12.0), "General", "12"},
      {CellValue(0.1 + 0.2), "General", "0.3"},
      {CellValue(7.0), "0", "7"},
      {CellValue(7.5), "0", "8"},
      {CellValue(3.14159), "0.00", "3.14"},
      {CellValue(-2.5), "0.0", "-2.5"},
      {CellValue(1234567.0), "#,##0", "1,234,567"},
      {CellValue(0.25), "0%", "25%"},
      {CellValue(3.0), "\"第\"0\"组\"", "第3组"},
      {CellValue(5.0), "\"共\"0\"组\"", "共5组"},
      {CellValue(8.5 / 24), "h:mm", "8:30"},
      {CellValue(13.0 / 24 + 5.0 / 1440), "hh:mm", "13:05"},
      {CellValue(1.5), "[h]:mm", "36:00"},
      {CellValue(45658.0), "yyyy-m-d", "2025-1-1"},
      {CellValue(45658.0), "m月d日", "1月1日"},
      {CellValue(-3.0), "0;(0)", "(3)"},
      {CellValue(0.0), "0;-0;\"—\"", "—"},
      {CellValue("张三"), "@", "张三"},
      {CellValue("张三"), "0.00", "张三"},
      {CellValue("甲"), "0;0;0;\"组\"@", "组甲"},
      {CellValue(true), "General", "TRUE"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatValue(c.value, c.format), c.shown) << c.format;
}

TEST(HeaderFooter, CodesAreReplaced) {
  EXPECT_EQ(print::ExpandHeaderFooter("第 &P 页", 21, 30, "s", "f"), "第 21 页");
  EXPECT_EQ(print::ExpandHeaderFooter("&P/&N &A &F &&", 2, 9, "报表", "书.xlsm"), "2/9 报表 书.xlsm &");
  EXPECT_EQ(print::ExpandHeaderFooter("&\"黑体,加粗\"&14标题&K00FF00绿", 1, 1, "", ""), "标题绿");
}

TEST(FaceForFont, SansForHeiAndYaHeiSerifForSongAndTheRest) {
  EXPECT_EQ(print::FaceForFont("黑体"), print::kSansFace);
  EXPECT_EQ(print::FaceForFont("微软雅黑"), print::kSansFace);
  EXPECT_EQ(print::FaceForFont("宋体"), print::kSerifFace);
  EXPECT_EQ(print::FaceForFont("楷体"), print::kSerifFace);
}

// A report-like sheet: A4 with the reports' margins, rows of 27 points, a
// footer with the page number, the title row repeated.
struct ReportSheet {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& ws = book.Sheet(1);

  explicit ReportSheet(int rows) {
    PageSetup& ps = ws.Page();
    ps.centerFooter = "第 &P 页";
    ps.left = ps.right = WorkbookHost::CentimetersToPoints(1);
    ps.top = ps.bottom = WorkbookHost::CentimetersToPoints(2);
    ps.footer = WorkbookHost::CentimetersToPoints(1);
    ps.centerHorizontally = true;
    for (int r = 1; r <= rows; ++r) {
      ws.SetRowHeight(r, 27);
      ws.PutValue(r, 1, "行" + std::to_string(r));
      ws.PutValue(r, 2, CellValue(r * 10));
    }
    ws.PutValue(1, 1, "标题行");
  }
};

TEST(RenderSheets, PagesAsThePaginationBreaksThemWithTitlesAndNumbers) {
  TempDir dir;
  ReportSheet s(60);
  s.ws.Page().firstPageNumber = 7;
  s.book.AddName("'" + s.ws.Name() + "'!Print_Titles", "='" + s.ws.Name() + "'!$1:$1");
  s.ws.SetRowHidden(30, true);
  const int pages = print::Paginate(s.ws).PageCount();
  ASSERT_EQ(pages, 3);  // 26 rows on the first page, 25 and the title row after

  const fs::path pdf = dir / "a.pdf";
  print::PdfDocument doc(pdf.string());
  EXPECT_EQ(print::RenderSheets({&s.ws}, doc), pages);
  doc.Close();
  ASSERT_EQ(PdfPages(pdf), pages);
  const auto [rows2, cols2] = print::Paginate(s.ws).Page(1);
  for (int p = 1; p <= pages; ++p) {
    const std::string text = Squeezed(PdfText(pdf, p));
    EXPECT_NE(text.find("第" + std::to_string(6 + p) + "页"), std::string::npos) << text;
    EXPECT_NE(text.find("标题行"), std::string::npos) << "page " << p;
  }
  const std::string page2 = Squeezed(PdfText(pdf, 2));
  EXPECT_NE(page2.find("行" + std::to_string(rows2.first)), std::string::npos);
  EXPECT_NE(page2.find("行" + std::to_string(rows2.last)), std::string::npos);
  EXPECT_EQ(page2.find("行" + std::to_string(rows2.last + 1)), std::string::npos);
  EXPECT_EQ(page2.find("行30"), std::string::npos) << "hidden row printed";
}

TEST(RenderSheets, SheetsWithoutAFirstPageNumberContinueTheJobsNumbering) {
  TempDir dir;
  ReportSheet a(30);
  Worksheet& b = a.book.AddSheet(nullptr, &a.ws, "二");
  b.Page().centerFooter = "&P/&N";
  b.PutValue(1, 1, "第二张");
  const fs::path pdf = dir / "b.pdf";
  print::PdfDocument doc(pdf.string());
  ASSERT_EQ(print::RenderSheets({&a.ws, &b}, doc), 3);
  doc.Close();
  EXPECT_NE(Squeezed(PdfText(pdf, 3)).find("3/3"), std::string::npos);
}

TEST(RenderSheets, CellsPrintAsTheGridShowsThem) {
  TempDir dir;
  ReportSheet s(1);
  s.book.date1904 = true;
  const std::pair<double, const char*> cells[] = {{20260409, "@"}, {44659, "yyyy-mm-dd"}, {12.53 / 86400, "mm:ss.00"}};
  int row = 2;
  for (const auto& [value, format] : cells) {
    Style st;
    st.numberFormat = format;
    s.ws.PutValue(row, 2, CellValue(value));
    s.ws.PutStyle(row++, 2, s.book.Tables().styles.Intern(st));
  }
  const fs::path pdf = dir / "c.pdf";
  print::PdfDocument doc(pdf.string());
  ASSERT_EQ(print::RenderSheets({&s.ws}, doc), 1);
  doc.Close();
  const std::string text = Squeezed(PdfText(pdf, 1));
  for (int r = 2; r < row; ++r) {
    const std::string shown = FormatValue(s.ws.ValueAt(r, 2), s.ws.StyleAt(r, 2).numberFormat, true);
    EXPECT_NE(text.find(shown), std::string::npos) << shown << " not in " << text;
  }
  EXPECT_NE(text.find("2026-04-09"), std::string::npos) << "a date of the 1904 system";
}

// Pixels of one colour on page 1, rendered at 36 dpi.
long CountPixels(const fs::path& pdf, unsigned char r, unsigned char g, unsigned char b) {
  const std::string ppm = Capture("pdftoppm -r 36 -f 1 -l 1 " + Quoted(pdf));
  // P6 header: magic, width, height, maximum, then RGB bytes.
  std::size_t pos = 0;
  int fields = 0;
  while (fields < 4 && pos < ppm.size()) {
    while (pos < ppm.size() && std::isspace(static_cast<unsigned char>(ppm[pos]))) ++pos;
    while (pos < ppm.size() && !std::isspace(static_cast<unsigned char>(ppm[pos]))) ++pos;
    ++fields;
  }
  ++pos;
  long n = 0;
  for (; pos + 2 < ppm.size(); pos += 3)
    if (static_cast<unsigned char>(ppm[pos]) == r && static_cast<unsigned char>(ppm[pos + 1]) == g &&
        static_cast<unsigned char>(ppm[pos + 2]) == b)
      ++n;
  return n;
}

TEST(RenderSheets, FillsAndConditionalHighlightsAreDrawnWhereTheyHold) {
  TempDir dir;
  ReportSheet s(3);
  Range(&s.ws, RangeRef{1, 3, 1, 3}).SetFillColor(0xFF0000FF);  // C1 blue
  ConditionalFormat cf;
  cf.areas.push_back(RangeRef{1, 2, 3, 2});  // B1:B3, highlighted where the value is above 15
  ConditionalRule rule;
  rule.formula = "B1>15";
  rule.format.fill = 0xFFFF0000;
  cf.rules.push_back(rule);
  s.ws.ConditionalFormats().push_back(cf);
  const fs::path pdf = dir / "c.pdf";
  print::PdfDocument doc(pdf.string());
  print::RenderSheets({&s.ws}, doc);
  doc.Close();
  const long blue = CountPixels(pdf, 0, 0, 255), red = CountPixels(pdf, 255, 0, 0);
  EXPECT_GT(blue, 100);
  // Two cells' worth of red (less the digits drawn over them): B2 and B3 (20
  // and 30) are highlighted, B1 (10) is not.
  EXPECT_GT(red, blue * 3 / 2);
  EXPECT_LT(red, blue * 5 / 2);
}

TEST(PrintSheets, WithoutAPrinterThePdfIsKeptAndNothingIsSent) {
  TempDir dir;
  ScopedEnv env("KORVANE_PRINTER", "none");
  ReportSheet s(10);
  const print::JobResult r = print::PrintSheets({&s.ws}, (dir / "报表.pdf").string(), "报表");
  EXPECT_EQ(r.pages, 1);
  EXPECT_EQ(PdfPages(dir / "报表.pdf"), 1);
  EXPECT_FALSE(r.spooling.sent);
  EXPECT_FALSE(r.spooling.reason.empty());

  Worksheet& empty = s.book.AddSheet(nullptr, &s.ws, "空");
  const print::JobResult none = print::PrintSheets({&empty}, (dir / "空.pdf").string(), "空");
  EXPECT_EQ(none.pages, 0);
  EXPECT_FALSE(fs::exists(dir / "空.pdf"));
}

TEST(PrintSheets, AQueueThatDoesNotExistIsReportedNotThrown) {
  TempDir dir;
  ScopedEnv env("KORVANE_PRINTER", "korvane-no-such-queue");
  ScopedEnv server("CUPS_SERVER", (dir / "no-cupsd.sock").string());
  ReportSheet s(3);
  const print::JobResult r = print::PrintSheets({&s.ws}, (dir / "x.pdf").string(), "x");
  EXPECT_EQ(PdfPages(dir / "x.pdf"), 1);
  EXPECT_FALSE(r.spooling.sent);
  EXPECT_EQ(r.spooling.printer, "korvane-no-such-queue");
}

}  // namespace
