// 奖状(证书)生成: one mail-merge main document per award type, made from the
// certificate template of that name and bound to its list in the prize
// workbook.
#include <filesystem>

#include "awards/awards.h"
#include "awards/command_support.h"
#include "host/docx/document.h"
#include "host/errors.h"
#include "host/meet_layout.h"
#include "host/worksheet.h"
#include "shell/paths.h"

namespace korvane::awards {

namespace fs = std::filesystem;
namespace meet = host::meet;
using shell::Icon;

namespace {

constexpr std::string_view kDocumentExtension = ".docx";

// The headings of row 1 of a list sheet, up to its last used column.
std::vector<std::string> Headings(const host::Worksheet& list) {
  const int last = list.End(1, host::Worksheet::ColumnsCount(), host::Direction::ToLeft).second;
  std::vector<std::string> headings;
  for (int c = 1; c <= last; ++c) headings.push_back(list.ValueAt(1, c).ToText());
  return headings;
}

}  // namespace

void PrizeCreate(shell::Program& program) {
  host::WorkbookHost& host = program.Host();
  shell::Ui& ui = program.ui();
  if (host.WorkbooksCount() == 0) {
    ui.MessageBox(std::string(shell::kTargetFileClosed), Icon::Information);
    shell::ResetForm(program);
    return;
  }
  host::Workbook* prize = FindPrizeWorkbook(host);
  if (prize == nullptr) {
    ui.MessageBox(std::string(text::kPrizeWorkbookClosed), Icon::Information);
    detail::SetPrizeWorkbookOpen(program.Menu(), false);
    return;
  }
  const std::optional<std::string> folder = detail::RequireDefaultFolder(program);
  if (!folder) return;

  // The documents read their lines from the file: the lists made since the
  // last save are saved first, or the certificates would miss them.
  if (prize->Path().empty()) {
    try {
      prize->SaveAs(detail::PrizeWorkbookPath(program, *folder));
    } catch (const host::HostError& e) {
      ui.MessageBox(text::CannotSave(e.what()), Icon::Exclamation);
      return;
    }
  } else if (!prize->Saved()) {
    try {
      prize->Save();
    } catch (const host::HostError& e) {
      ui.MessageBox(text::CannotSave(e.what()), Icon::Exclamation);
      return;
    }
  }
  const std::string dataSource = prize->FullName();

  shell::CaptionNote note(program, shell::notes::kPleaseWait);
  std::vector<std::pair<std::string, std::string>> missing;
  for (std::string_view typeView : meet::kAwardTypes) {
    const std::string type(typeView);
    const fs::path templatePath =
        fs::path(shell::ProgramFolder()) / meet::kPrizeFolder / (type + std::string(kDocumentExtension));
    std::error_code ec;
    if (!fs::is_regular_file(templatePath, ec)) {
      ui.MessageBox(text::CertificateTemplateMissing(type), Icon::None);
      continue;
    }
    const host::Worksheet* list = prize->FindSheet(type);
    if (list == nullptr) {
      ui.MessageBox(text::SheetMissing(prize->Name(), type), Icon::Exclamation);
      continue;
    }
    try {
      host::docx::Document doc = host::docx::Document::FromTemplate(templatePath.string());
      doc.SetMailMergeSource(dataSource, "SELECT * FROM `" + type + "$`");
      for (const std::string& heading : Headings(*list)) {
        if (heading.empty()) continue;
        // A heading without its placeholder is left out: nothing else in the
        // certificate is touched in its stead.
        const std::optional<host::docx::TextMatch> found = doc.Find("《" + heading + "》");
        if (!found) {
          missing.emplace_back(type, heading);
          continue;
        }
        doc.InsertMergeField(doc.Delete(*found), heading);
      }
      doc.SaveAs((fs::path(*folder) / (type + std::string(kDocumentExtension))).string());
    } catch (const host::HostError& e) {
      ui.MessageBox(e.what(), Icon::Exclamation);
    }
  }
  std::string closing(text::kCertificatesMade);
  if (!missing.empty()) closing += "\n\n" + text::PlaceholdersMissing(missing);
  ui.MessageBox(closing, Icon::None);
}

}  // namespace korvane::awards
