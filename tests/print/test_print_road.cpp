// Every sheet the program prints, made by the program itself from the shipped
// template: the PDF of each has exactly the pages the host's pagination
// counts, the print commands' PDFs hold the pages of their sheets, and no
// report block is split over two pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/commands.h"
#include "cli/script.h"
#include "host/application.h"
#include "host/pagination.h"
#include "host/print/pdf.h"
#include "host/print/sheet_pdf.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "shell/commands.h"
#include "support/poppler.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using namespace korvane;
using print_testing::PdfPages;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;

namespace {

// A command script run by the program in a folder of its own, with a copy of
// the program folder, no printer, a fixed clock and seed.
struct Road {
  TempDir dir;
  ScopedEnv printer{"KORVANE_PRINTER", "none"};
  ScopedEnv program{"KORVANE_PROGRAM_DIR", (dir / "program").string()};
  ScopedEnv data{"XDG_DATA_HOME", (dir / "data").string()};
  ScopedEnv config{"XDG_CONFIG_HOME", (dir / "config").string()};
  ScopedEnv now{"KORVANE_NOW", "2026-12-07T09:30:00"};
  ScopedEnv seed{"KORVANE_SEED", "20261207"};
  std::string output;

  fs::path Meets() const { return dir / "meets"; }

  void Run(const std::string& script) {
    fs::create_directories(Meets());
    fs::copy(KORVANE_SHARE_DIR, dir / "program", fs::copy_options::recursive);
    shell::StartupOptions options;
    options.singleInstance = false;
    options.settingsFile = dir / "settings.ini";
    options.installCommands = app::InstallCommands;
    std::ostringstream out, err;
    const int rc = cli::RunScript(script, out, err, options);
    output = out.str();
    ASSERT_EQ(rc, 0) << err.str() << "\n" << output;
  }

  fs::path MeetFile() const {
    for (const auto& e : fs::directory_iterator(Meets()))
      if (e.path().extension() == ".xlsm") return e.path();
    return {};
  }
};

std::string NewMeetScript(const fs::path& meets, int rowsPerTeam) {
  return "Initialization\nset 设置!H2 " + std::to_string(rowsPerTeam) + "\nSave\nClose\nfolder " + meets.string() +
         "\nNew\n";
}

// Renders one sheet alone and returns the PDF's page count.
int RenderedPages(const host::Worksheet& ws, const fs::path& pdf) {
  host::print::PdfDocument doc(pdf.string());
  const int drawn = host::print::RenderSheets({&ws}, doc);
  if (drawn == 0) return 0;
  doc.Close();
  return PdfPages(pdf);
}

TEST(PrintRoad, TheRegistrationFormPrintsOnOnePageOrIsRefused) {
  for (int rows : {4, 20, 40}) {
    Road road;
    road.Run(NewMeetScript(road.Meets(), rows) + "answer yes\nMyPrint1\nSave\n");
    host::WorkbookHost host;
    const host::Worksheet& form = host.Open(road.MeetFile().string()).Sheet(std::string(meet::kFormSampleSheet));
    const int pages = host::print::Paginate(form).PageCount();
    EXPECT_EQ(RenderedPages(form, road.dir / "form.pdf"), pages) << "H2 = " << rows;
    const fs::path printed = road.Meets() / "报名表样表.pdf";
    if (pages == 1) {
      EXPECT_EQ(PdfPages(printed), 1) << "H2 = " << rows;
      EXPECT_NE(road.output.find("printed: " + printed.string() + " (1 pages)\n"), std::string::npos) << road.output;
    } else {
      EXPECT_FALSE(fs::exists(printed)) << "H2 = " << rows;
      EXPECT_NE(road.output.find("列数过多一页放不下"), std::string::npos) << road.output;
    }
  }
}

// The first row with content on each page after the first starts a block:
// its first cell with content is a title (黑体).
void ExpectBlocksWhole(const host::Worksheet& ws) {
  const host::print::Pagination p = host::print::Paginate(ws);
  for (int n = 1; n < static_cast<int>(p.rowBands.size()); ++n) {
    const host::print::Band& band = p.rowBands[static_cast<std::size_t>(n)];
    for (int r = band.first; r <= band.last; ++r) {
      const int c = ws.LastUsedCol();
      int first = 0;
      for (int col = 1; col <= c && !first; ++col)
        if (ws.HasContent(r, col)) first = col;
      if (!first) continue;
      EXPECT_EQ(ws.StyleAt(r, first).font.name, "黑体")
          << ws.Name() << ": page " << n + 1 << " starts inside a block at row " << r;
      break;
    }
  }
}

TEST(PrintRoad, ReportsAndRecordSheetsPrintTheHostsPages) {
  Road road;
  road.Run(NewMeetScript(road.Meets(), 20) +
           "answer yes\nMNBM\nconsolidate\nCreateReport\nCreateTables\n"
           "answer yes\nMyPrint2\nanswer yes\nMyPrint3\nSave\n");
  host::WorkbookHost host;
  host::Workbook& book = host.Open(road.MeetFile().string());
  auto pagesOf = [&](std::string_view name) {
    return host::print::Paginate(book.Sheet(std::string(name))).PageCount();
  };
  int reportPages = 0, recordPages = 0;
  for (std::string_view name : {meet::kNumberReportSheet, meet::kRosterReportSheet, meet::kStartFinishSheet,
                                meet::kHeightRecordSheet, meet::kDistanceRecordSheet, meet::kOtherRecordSheet}) {
    const host::Worksheet& ws = book.Sheet(std::string(name));
    const int pages = pagesOf(name);
    EXPECT_GT(pages, 0) << name;
    EXPECT_EQ(RenderedPages(ws, road.dir / "sheet.pdf"), pages) << name;
    (name == meet::kNumberReportSheet || name == meet::kRosterReportSheet ? reportPages : recordPages) += pages;
  }
  EXPECT_EQ(PdfPages(road.Meets() / "报表.pdf"), reportPages);
  EXPECT_EQ(PdfPages(road.Meets() / "成绩记录表.pdf"), recordPages);
  EXPECT_NE(road.output.find("printed: " + (road.Meets() / "报表.pdf").string() + " (" + std::to_string(reportPages) +
                             " pages)\n"),
            std::string::npos)
      << road.output;
  ExpectBlocksWhole(book.Sheet(std::string(meet::kNumberReportSheet)));
  ExpectBlocksWhole(book.Sheet(std::string(meet::kRosterReportSheet)));

  // The footers number the booklet from the number report's first page number on.
  const int first = book.Sheet(std::string(meet::kNumberReportSheet)).Page().firstPageNumber.value_or(1);
  const std::string page1 = print_testing::Squeezed(print_testing::PdfText(road.Meets() / "报表.pdf", 1));
  EXPECT_NE(page1.find("第" + std::to_string(first) + "页"), std::string::npos) << page1;
}

}  // namespace
