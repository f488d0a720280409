// Builds the shipped templates into a program folder:
//   korvane_make_templates PROGRAM_DIR
// writes PROGRAM_DIR/号码对照表及分组分道编排.xltm, PROGRAM_DIR/日程安排表.xltx and
// PROGRAM_DIR/prize/奖项设置.xltx, with the extensions the program itself
// chooses for the host's version, and the certificate templates
// PROGRAM_DIR/prize/精神文明奖.docx, 团体总分奖.docx and 单项奖.docx.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "builders.h"
#include "host/application.h"
#include "meet/layout.h"

namespace fs = std::filesystem;
namespace layout = korvane::meet;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "用法：%s 程序目录\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  try {
    korvane::host::WorkbookHost host;
    host.displayAlerts = false;
    const layout::ExtensionTable ext = layout::ExtensionsForVersion(host.Version());
    fs::create_directories(fs::path(dir) / std::string(layout::kPrizeFolder));

    const std::string meet = dir + "/" + std::string(layout::kTemplateBaseName) + std::string(ext.meetTemplate);
    const std::string schedule =
        dir + "/" + std::string(layout::kScheduleTemplateBaseName) + std::string(ext.plainTemplate);
    const std::string prize = layout::PrizeTemplatePath(dir, ext.plainTemplate);

    korvane::templates::BuildMeetTemplate(host).SaveAs(meet);
    korvane::templates::BuildScheduleTemplate(host).SaveAs(schedule);
    korvane::templates::BuildPrizeTemplate(host).SaveAs(prize);
    korvane::templates::WriteCertificateTemplates(dir + "/" + std::string(layout::kPrizeFolder));
    for (const std::string& f : {meet, schedule, prize}) std::printf("%s\n", f.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "模板生成失败：%s\n", e.what());
    return 1;
  }
  return 0;
}
