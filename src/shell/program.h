// The running program: the workbook host, the Ui, the menu state, the
// settings store, the program-wide tables, the main window's caption and the
// command table that maps each menu control to its handler. Every menu
// command is a handler taking the Program; commands run one at a time to
// completion (modal dialogs included).
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/application.h"
#include "meet/layout.h"
#include "shell/clock.h"
#include "shell/menu.h"
#include "shell/printing.h"
#include "shell/settings.h"
#include "shell/ui.h"

namespace korvane::shell {

class Program;
using CommandHandler = std::function<void(Program&)>;

// Control name -> handler. Each subsystem registers the commands it provides;
// a menu item without a handler tells the user that it is not available yet.
class CommandTable {
 public:
  // Throws std::invalid_argument when `control` is not a menu item or already
  // has a handler.
  void Register(std::string_view control, CommandHandler handler);
  const CommandHandler* Find(std::string_view control) const;
  bool Has(std::string_view control) const { return Find(control) != nullptr; }

 private:
  std::map<std::string, CommandHandler, std::less<>> handlers_;
};

// What the program takes away from the host's own window while it runs, so
// that workbooks and the host are closed only through the program. The
// desktop window honours it: no close box, its 文件 and 工具→保护 menus
// disabled, Ctrl+F4 and Alt+F4 ignored.
struct HostLockdown {
  bool closeBoxRemoved = false;
  bool fileMenuDisabled = false;     // 文件(&F)
  bool protectMenuDisabled = false;  // 工具(&T) → 保护(&P)
  bool ctrlF4Disabled = false;       // ^{F4}
  bool altF4Disabled = false;        // %{F4}
  bool operator==(const HostLockdown&) const = default;
};

// The main window: always on top at this place and size; only its menu bar is used.
struct MainWindowPlacement {
  int x = 800, y = 0, width = 205, height = 49;
  bool topMost = true;
};

// The program-wide tables, filled at start-up.
struct ProgramTables {
  std::array<std::string, meet::kStageCount> sheetNames;  // generated sheets in stage order
  std::array<std::string, 10> numerals;                   // 一 .. 十; entry i stands for i + 1
  meet::ExtensionTable extensions = meet::ExtensionsForVersion("16.0");
  bool filled = false;
};

// The refusal of a command that finds no meet workbook open, and the wording
// some commands use instead.
inline constexpr std::string_view kFileClosed = "文件被关闭!";
inline constexpr std::string_view kTargetFileClosed = "目标文件被关闭!";
// The refusal of a command whose template is missing from the program folder.
inline constexpr std::string_view kTemplateMissing = "模板文件缺失，请联系作者!";
// The refusal of a command that needs the default folder before one is set.
inline constexpr std::string_view kMustSetDefaultFolder = "必须先指定保存的默认目录!";

class Program {
 public:
  Program(std::unique_ptr<host::WorkbookHost> host, Ui& ui, SettingsStore settings);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The host; throws std::logic_error once it has been released.
  host::WorkbookHost& Host();
  bool HasHost() const { return host_ != nullptr; }
  // Lets the host go: its workbooks are discarded unsaved.
  void ReleaseHost();

  Ui& ui() { return ui_; }
  MenuState& Menu() { return menu_; }
  const MenuState& Menu() const { return menu_; }
  SettingsStore& Settings() { return settings_; }
  CommandTable& Commands() { return commands_; }

  ProgramTables tables;
  std::string defaultFolder;  // working copy of the default folder
  HostLockdown lockdown;
  MainWindowPlacement placement;

  // Fills the sheet-name and numeral tables, and the extension table from the
  // host's version.
  void FillTables();

  // The main window's caption: Korvane, or Korvane + a progress note.
  const std::string& Caption() const { return caption_; }
  void SetCaptionNote(std::string_view note);
  void ResetCaption();

  // Runs the command of a menu control: its handler, or a message that it is
  // not available yet. Whether the item is enabled is for the caller (the
  // menu) to check. Throws std::invalid_argument for a name that is not a
  // menu item.
  //
  // A command is all or nothing, the same way for every front end: when it
  // fails with an exception it did not handle itself, the open workbooks, the
  // files it saved, the menu and the program's tables are put back as they
  // were before it ran, the caption goes back to Korvane, and a critical
  // message box names the command and the error. UiStopped passes through.
  void Run(std::string_view control);

  // The main window closes (退出 or its close box): the program ends.
  void EndMainWindow() { ended_ = true; }
  bool Ended() const { return ended_; }

 private:
  void RunAllOrNothing(const CommandHandler& handler);

  std::unique_ptr<host::WorkbookHost> host_;
  Ui& ui_;
  UiHostPrompter prompter_;
  PdfPrintSink printSink_{*this};
  SettingsStore settings_;
  MenuState menu_;
  CommandTable commands_;
  std::string caption_{kProgramTitle};
  bool ended_ = false;
};

// Shows a progress note in the caption for as long as it lives, then puts the
// caption back to Korvane (also when the command fails).
class CaptionNote {
 public:
  CaptionNote(Program& program, std::string_view note) : program_(program) { program_.SetCaptionNote(note); }
  ~CaptionNote() { program_.ResetCaption(); }
  CaptionNote(const CaptionNote&) = delete;
  CaptionNote& operator=(const CaptionNote&) = delete;

 private:
  Program& program_;
};

// The progress note of a command that gives no account of its steps; each
// subsystem keeps its own notes beside its commands.
namespace notes {
inline constexpr std::string_view kPleaseWait = " - 请稍候...";
}  // namespace notes

// The menu state with no meet workbook, and the caption Korvane.
void ResetForm(Program& program);

// The folder picker: the chosen folder without its trailing separator, or
// "1" when the user cancels.
inline constexpr std::string_view kPickerCancelled = "1";
std::string PathLocation(Program& program);

// The meet workbook: the last open workbook whose name begins with the
// recognition prefix. When none is open: the refusal message (information
// icon), ResetForm, and null; the command then stops.
host::Workbook* RequireMeetWorkbook(Program& program, std::string_view closedMessage = kFileClosed);

// The status-bar greeting shown once a meet workbook or the template is open:
// "作者: Merisk   今天是 2026年12月7日 星期一".
std::string GreetingText(const DateTime& now);
void ShowGreeting(Program& program);

// The message of a menu item whose command is not available yet.
std::string NotAvailableText(std::string_view caption);
// The message of a command that failed unexpectedly.
std::string CommandFailedText(std::string_view caption, std::string_view error);

}  // namespace korvane::shell
