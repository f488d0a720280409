#include "shell/program.h"

#include <optional>
#include <stdexcept>

#include "host/file_save.h"
#include "host/ooxml/xlsx.h"
#include "shell/clock.h"
#include "shell/paths.h"

namespace korvane::shell {

// ---- command table ----

void CommandTable::Register(std::string_view control, CommandHandler handler) {
  if (!FindMenuItem(control)) throw std::invalid_argument("no menu item " + std::string(control));
  if (!handler) throw std::invalid_argument("empty handler for " + std::string(control));
  if (!handlers_.emplace(std::string(control), std::move(handler)).second)
    throw std::invalid_argument("menu item " + std::string(control) + " already has a handler");
}

const CommandHandler* CommandTable::Find(std::string_view control) const {
  auto it = handlers_.find(control);
  return it == handlers_.end() ? nullptr : &it->second;
}

// ---- program ----

Program::Program(std::unique_ptr<host::WorkbookHost> host, Ui& ui, SettingsStore settings)
    : host_(std::move(host)), ui_(ui), prompter_(ui), settings_(std::move(settings)) {
  if (host_) {
    host_->SetPrompter(&prompter_);
    host_->SetPrintSink(&printSink_);
  }
}

Program::~Program() {
  if (host_) {
    host_->SetPrompter(nullptr);
    host_->SetPrintSink(nullptr);
  }
}

host::WorkbookHost& Program::Host() {
  if (!host_) throw std::logic_error("the workbook host has been released");
  return *host_;
}

void Program::ReleaseHost() {
  if (!host_) return;
  host_->SetPrompter(nullptr);
  host_->SetPrintSink(nullptr);
  host_.reset();
}

void Program::FillTables() {
  for (std::size_t i = 0; i < tables.sheetNames.size(); ++i) tables.sheetNames[i] = std::string(meet::kSheetNames[i]);
  for (std::size_t i = 0; i < tables.numerals.size(); ++i) tables.numerals[i] = std::string(meet::kNumerals[i]);
  tables.extensions = meet::ExtensionsForVersion(Host().Version());
  tables.filled = true;
}

void Program::SetCaptionNote(std::string_view note) {
  caption_ = std::string(kProgramTitle) + std::string(note);
  ui_.SetCaption(caption_);
}

void Program::ResetCaption() { SetCaptionNote(""); }

void Program::Run(std::string_view control) {
  const MenuNode* item = FindMenuItem(control);
  if (!item) throw std::invalid_argument("no menu item " + std::string(control));
  const CommandHandler* handler = commands_.Find(control);
  if (!handler) {
    ui_.MessageBox(NotAvailableText(item->caption), Icon::Information);
    return;
  }
  const MenuState menuBefore = menu_;
  std::string error;
  try {
    RunAllOrNothing(*handler);
    return;
  } catch (const UiStopped&) {
    throw;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "未知错误";
  }
  menu_.Restore(menuBefore);
  ResetCaption();
  ui_.MessageBox(CommandFailedText(item->caption, error), Icon::Critical);
}

void Program::RunAllOrNothing(const CommandHandler& handler) {
  // What the command may change: the open workbooks, the files it saves,
  // the menu and the program's tables. A command that fails part way puts
  // them all back, so that it changes either everything or nothing.
  std::optional<host::HostSnapshot> workbooks;
  if (host_) workbooks = host_->Snapshot();
  host::SaveJournal files;
  const MenuState menu = menu_;
  const ProgramTables savedTables = tables;
  const std::string savedDefaultFolder = defaultFolder;
  try {
    handler(*this);
  } catch (...) {
    files.RollBack();
    if (host_ && workbooks) host_->Restore(std::move(*workbooks));
    menu_ = menu;
    tables = savedTables;
    defaultFolder = savedDefaultFolder;
    throw;
  }
}

std::string NotAvailableText(std::string_view caption) {
  return "“" + std::string(caption) + "”功能尚未实现，暂时不能使用。";
}

std::string CommandFailedText(std::string_view caption, std::string_view error) {
  return "执行“" + std::string(caption) + "”时发生意外错误：" + std::string(error);
}

// ---- shared operations of the main window ----

void ResetForm(Program& program) {
  ResetMenu(program.Menu());
  program.ResetCaption();
}

std::string PathLocation(Program& program) {
  std::optional<std::string> folder = program.ui().PickFolder();
  if (!folder) return std::string(kPickerCancelled);
  return WithoutTrailingSeparator(*folder);
}

host::Workbook* RequireMeetWorkbook(Program& program, std::string_view closedMessage) {
  if (host::Workbook* book = meet::FindMeetWorkbook(program.Host())) return book;
  program.ui().MessageBox(std::string(closedMessage), Icon::Information);
  ResetForm(program);
  return nullptr;
}

std::string GreetingText(const DateTime& now) {
  return "作者: Merisk   今天是 " + LongDateText(now) + " " + WeekdayText(now);
}

void ShowGreeting(Program& program) {
  std::string text = GreetingText(Now());
  program.Host().statusBar = text;
  program.ui().SetStatusBar(text);
}

}  // namespace korvane::shell
