#include "shell/save_changes.h"

#include "host/application.h"
#include "host/errors.h"

namespace korvane::shell {

std::string SaveChangesQuestion(std::string_view workbookName) {
  return "是否保存对 " + std::string(workbookName) + " 的更改?";
}

std::string SaveChangesFailed(std::string_view workbookName, std::string_view reason) {
  return std::string(workbookName) + " 未能保存，仍保持打开：\n" + std::string(reason);
}

SaveChoice AskToSaveChanges(Program& program, host::Workbook& book) {
  if (book.Saved()) return SaveChoice::Saved;
  switch (program.ui().MessageBox(SaveChangesQuestion(book.Name()), Icon::Exclamation, Buttons::YesNoCancel)) {
    case Answer::Yes:
    case Answer::Ok: break;
    case Answer::No: return SaveChoice::Discard;
    case Answer::Cancel: return SaveChoice::Cancelled;
  }
  try {
    book.Save();
  } catch (const host::HostError& e) {
    program.ui().MessageBox(SaveChangesFailed(book.Name(), e.what()), Icon::Exclamation);
    return SaveChoice::Cancelled;
  }
  return SaveChoice::Saved;
}

bool AskToSaveAll(Program& program) {
  if (!program.HasHost()) return true;
  for (host::Workbook* book : program.Host().Workbooks())
    if (AskToSaveChanges(program, *book) == SaveChoice::Cancelled) return false;
  return true;
}

}  // namespace korvane::shell
