// The Ui seam: the only way the program talks to the user. The desktop
// window, the command-script runner and the tests each implement it; the
// commands never know which one they talk to.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/application.h"

namespace korvane::shell {

class DialogModel;

// The title of the program's boxes and the main window's caption.
inline constexpr std::string_view kProgramTitle = "Korvane";

enum class Icon { None, Information, Exclamation, Question, Critical };
// The buttons of a box. A question's default button (taken by Enter) is its
// first one, except YesNoDefaultNo, whose default is 否: questions before
// something typed would be destroyed.
enum class Buttons { Ok, OkCancel, YesNo, YesNoDefaultNo, YesNoCancel };

// Thrown by a Ui that cannot go on (a command script that has failed, a test
// double without the answer asked for): it ends the running command and is
// not a fault of the command, so Program::Run lets it pass.
class UiStopped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
enum class Answer { Ok, Cancel, Yes, No };

class Ui {
 public:
  virtual ~Ui() = default;

  // A modal message box; returns the button pressed.
  virtual Answer MessageBox(const std::string& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                            const std::string& title = std::string(kProgramTitle)) = 0;
  // The folder picker (one folder). The folder as the picker returns it, or
  // nullopt when the user cancels.
  virtual std::optional<std::string> PickFolder(const std::string& title = "") = 0;
  // An input box; nullopt when the user cancels.
  virtual std::optional<std::string> InputBox(const std::string& prompt,
                                              const std::string& title = std::string(kProgramTitle),
                                              const std::string& defaultText = "") = 0;
  // Mirrors the main window's caption and the host's status bar.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetStatusBar(const std::string& text) = 0;
  // Shows a dialog modally: marks it open and returns once it has closed.
  virtual void ShowDialog(DialogModel& dialog) = 0;
  // Opens the help file; false when it could not be shown.
  virtual bool OpenHelp(const std::string& path) = 0;
  // A print job is done: its PDF, its pages, and the printer it went to
  // (empty when it went to none). The status bar has already been told.
  virtual void PrintJobDone(const std::string& pdfPath, int pages, const std::string& printer) {
    (void)pdfPath, (void)pages, (void)printer;
  }
};

// Connects the host's questions to the Ui: the confirmation before sheets
// are deleted becomes a Yes/No box.
class UiHostPrompter : public host::HostPrompter {
 public:
  explicit UiHostPrompter(Ui& ui) : ui_(ui) {}
  bool ConfirmSheetDeletion(const std::string& sheetNames) override;

 private:
  Ui& ui_;
};

// The text of that confirmation.
std::string SheetDeletionQuestion(std::string_view sheetNames);

}  // namespace korvane::shell
