// The Ui seam in Qt: message boxes with their icons, buttons and titles, the
// folder picker, the input box, the main window's caption, the status bar,
// dialogs shown through the generic dialog view, and the help in the
// system's browser.
#pragma once

#include <functional>

#include "shell/ui.h"

class QWidget;

namespace korvane::gui {

class QtUi : public shell::Ui {
 public:
  QtUi() = default;

  // The window boxes and dialogs belong to (the main window once it exists).
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // Runs before a box, picker or dialog appears and after it has gone: the
  // windows mirror the host as it stands in the middle of a command.
  std::function<void()> beforeModal;
  std::function<void(const std::string&)> onCaption;
  std::function<void(const std::string&)> onStatusBar;
  // Runs once a dialog view is on screen (tests drive it from here).
  std::function<void(QWidget*)> onDialogShown;

  shell::Answer MessageBox(const std::string& text, shell::Icon icon, shell::Buttons buttons,
                           const std::string& title) override;
  std::optional<std::string> PickFolder(const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  void SetCaption(const std::string& caption) override;
  void SetStatusBar(const std::string& text) override;
  void ShowDialog(shell::DialogModel& dialog) override;
  bool OpenHelp(const std::string& path) override;

 private:
  void BeforeModal() {
    if (beforeModal) beforeModal();
  }
  QWidget* Owner() const;
  QWidget* owner_ = nullptr;
};

}  // namespace korvane::gui
