// 奖状(证书)生成: one mail-merge main document per award type, made from the
// certificate template of that name and bound to its list in the prize
// workbook.
#include <filesystem>

#include "awards/awards.h"
#include "awards/certificate_pdf.h"
#include "awards/command_support.h"
#include "host/docx/document.h"
#include "host/errors.h"
#include "host/print/pdf.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "shell/paths.h"

namespace korvane::awards {

namespace fs = std::filesystem;
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

// The lines of a list sheet below its headings: `columns` texts each; rows
// without any text are left out.
std::vector<std::vector<std::string>> ListLines(const host::Worksheet& list, std::size_t columns) {
  std::vector<std::vector<std::string>> lines;
  const int last = list.LastUsedRow();
  for (int r = 2; r <= last; ++r) {
    std::vector<std::string> line;
    bool any = false;
    for (std::size_t c = 1; c <= columns; ++c) {
      line.push_back(list.ValueAt(r, static_cast<int>(c)).ToText());
      any = any || !line.back().empty();
    }
    if (any) lines.push_back(std::move(line));
  }
  return lines;
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
  std::vector<std::pair<std::string, int>> printed;  // the ready-to-print PDFs and their pages
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
    const std::vector<std::string> headings = Headings(*list);
    try {
      host::docx::Document doc = host::docx::Document::FromTemplate(templatePath.string());
      doc.SetMailMergeSource(dataSource, "SELECT * FROM `" + type + "$`");
      for (const std::string& heading : headings) {
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
      // The certificates ready to print without a word processor: one page
      // per line, never sent to a printer by this command.
      const std::vector<std::vector<std::string>> lines = ListLines(*list, headings.size());
      if (!lines.empty()) {
        WriteCertificatePdf(doc, headings, lines, (fs::path(*folder) / (type + ".pdf")).string(), type);
        printed.emplace_back(type, static_cast<int>(lines.size()));
      }
    } catch (const host::HostError& e) {
      ui.MessageBox(e.what(), Icon::Exclamation);
    } catch (const host::print::PrintError& e) {
      ui.MessageBox(e.what(), Icon::Exclamation);
    }
  }
  std::string closing(text::kCertificatesMade);
  if (!printed.empty()) closing += "\n" + text::PdfsMade(printed);
  if (!missing.empty()) closing += "\n\n" + text::PlaceholdersMissing(missing);
  ui.MessageBox(closing, Icon::None);
}

}  // namespace korvane::awards
