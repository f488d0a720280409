// The Ui test double: answers boxes, pickers and input boxes from queues the
// test fills, drives dialogs through a function the test gives, and records
// everything it was shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/dialog.h"
#include "shell/ui.h"

namespace korvane::shell::testing {

struct Box {
  std::string text;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  std::string title;
};

class TestUi : public Ui {
 public:
  std::deque<Answer> answers;                      // for boxes with two buttons
  std::deque<std::optional<std::string>> folders;  // nullopt = cancel
  std::deque<std::optional<std::string>> inputs;   // nullopt = cancel
  std::function<void(DialogModel&)> driveDialog;   // acts on a shown dialog until it closes
  std::function<void()> onPickFolder;              // runs while the picker is up
  bool helpOpens = true;

  std::vector<Box> boxes;
  std::vector<std::string> dialogsShown;
  std::vector<std::string> captions;
  std::vector<std::string> statusTexts;
  std::vector<std::string> helpOpened;
  int pickerCalls = 0;

  Answer MessageBox(const std::string& text, Icon icon, Buttons buttons, const std::string& title) override {
    boxes.push_back(Box{text, icon, buttons, title});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (answers.empty()) throw UiStopped("TestUi: unanswered question: " + text);
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::string> PickFolder(const std::string&) override {
    ++pickerCalls;
    if (onPickFolder) onPickFolder();
    if (folders.empty()) throw UiStopped("TestUi: folder picker without a folder");
    auto f = folders.front();
    folders.pop_front();
    return f;
  }
  std::optional<std::string> InputBox(const std::string& prompt, const std::string&, const std::string&) override {
    if (inputs.empty()) throw UiStopped("TestUi: input box without input: " + prompt);
    auto in = inputs.front();
    inputs.pop_front();
    return in;
  }
  void SetCaption(const std::string& caption) override { captions.push_back(caption); }
  void SetStatusBar(const std::string& text) override { statusTexts.push_back(text); }
  void ShowDialog(DialogModel& dialog) override {
    dialogsShown.push_back(dialog.Caption());
    dialog.MarkOpen();
    if (!driveDialog) throw UiStopped("TestUi: no driver for dialog " + dialog.Caption());
    driveDialog(dialog);
    if (dialog.IsOpen()) throw UiStopped("TestUi: dialog left open: " + dialog.Caption());
  }
  bool OpenHelp(const std::string& path) override {
    helpOpened.push_back(path);
    return helpOpens;
  }
};

}  // namespace korvane::shell::testing
