// Command scripts (korvane run): the menu commands one per line, run in one
// process against one in-memory host, with the boxes, pickers and dialogs the
// commands show answered from the script and printed as they appear.
//
// The script is also an implementation of the Ui seam: questions, folder
// pickers and input boxes take the answers queued by `answer`, `folder` and
// `input`; a dialog takes the indented lines that follow the statement that
// opened it, until it closes. Printed forms, one line each (line feeds in a
// text as \n):
//   message: TEXT                  a box with an OK button only
//   question: TEXT -> yes|no|cancel   a box with two or three buttons
//   folder: -> PATH|cancel         the folder picker
//   input: PROMPT -> TEXT|cancel   an input box
//   dialog: CAPTION                a dialog appears; then each visible label
//   label: TEXT                    with text, in the dialog's order
//   help: PATH                     the help file is opened
//   printed: PDF (N pages)         a print job; " -> PRINTER" when it went to a printer
// Errors stop the script: "error: line N: ..." on the error stream, exit 1.
#pragma once

#include <deque>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/startup.h"
#include "shell/ui.h"

namespace korvane::cli {

struct ScriptWord {
  std::string text;
  bool quoted = false;  // written in double quotes ("cancel" quoted is a text, not the keyword)
};

struct ScriptLine {
  int number = 0;  // 1-based line of the file
  int indent = 0;  // leading blanks; > 0 marks a line of a dialog block
  std::vector<ScriptWord> words;
  std::string error;  // why the line cannot be read; empty when it can
};

// The statement lines of a script; blank lines and comment lines (first
// non-blank character "#") are left out. A line that cannot be read keeps
// its error, reported when the script reaches it.
std::vector<ScriptLine> ParseScript(std::string_view text);

class ScriptError : public shell::UiStopped {
 public:
  ScriptError(int line, const std::string& message) : UiStopped(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

class ScriptRunner final : public shell::Ui {
 public:
  ScriptRunner(std::vector<ScriptLine> lines, std::ostream& out) : lines_(std::move(lines)), out_(out) {}

  // Called before each top-level statement with its line number (the demo
  // marks its steps with it).
  std::function<void(int line)> beforeStatement;

  // Runs every statement against the started program. Throws ScriptError at
  // the first failing line (also for an answer still queued at the end).
  void Execute(shell::Program& program);
  // Runs more statements in the same session (the program and its host go
  // on): the failure of an earlier run and anything it left queued are
  // forgotten first. Throws ScriptError as Execute does.
  void Continue(shell::Program& program, std::string_view text);
  void Continue(shell::Program& program, std::vector<ScriptLine> lines);

  // The Ui seam.
  shell::Answer MessageBox(const std::string& text, shell::Icon icon, shell::Buttons buttons,
                           const std::string& title) override;
  std::optional<std::string> PickFolder(const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  void SetCaption(const std::string&) override {}
  void SetStatusBar(const std::string&) override {}
  void ShowDialog(shell::DialogModel& dialog) override;
  bool OpenHelp(const std::string& path) override;
  void PrintJobDone(const std::string& pdfPath, int pages, const std::string& printer) override;

 private:
  struct Queued {
    std::string text;
    bool cancel = false;
    int line = 0;
  };
  void RunStatement(const ScriptLine& line, shell::DialogModel* dialog);
  void RunDialogStatement(const ScriptLine& line, shell::DialogModel& dialog);
  void Set(const ScriptLine& line);
  void Get(const ScriptLine& line);
  void Sheets(const ScriptLine& line);
  void PrintMenu();
  void CheckNothingQueued();
  // Records the script's first error and throws it. Once failed, every later
  // call from the program throws it again, so a command that swallows
  // exceptions cannot carry on as if its question had been answered.
  [[noreturn]] void Fail(const std::string& message);
  [[noreturn]] void FailAt(int line, const std::string& message);
  void ThrowIfFailed() const;
  // Runs a command or a handler; a failure of the program becomes the
  // script's error at the current line.
  void Guarded(const std::function<void()>& action);
  void Print(std::string_view kind, std::string_view text);

  std::vector<ScriptLine> lines_;
  std::ostream& out_;
  std::size_t pos_ = 0;
  int current_ = 0;
  shell::Program* program_ = nullptr;
  std::deque<Queued> answers_, folders_, inputs_;
  std::optional<ScriptError> failure_;
};

// korvane run: starts the program without the single-instance lock, runs the
// script and ends the program as closing its window does. Boxes go to `out`,
// the error line to `err`. Returns 0 when every line ran, else 1.
int RunScript(std::string_view text, std::ostream& out, std::ostream& err, shell::StartupOptions options,
              std::function<void(int line)> beforeStatement = {});

// A text as the script prints it: line feeds as \n.
std::string PrintableText(std::string_view text);

}  // namespace korvane::cli
