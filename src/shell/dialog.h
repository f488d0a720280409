// Dialogs as models. A dialog class derives from DialogModel, adds its
// controls in its constructor and binds their handlers to its own methods.
// Everything that shows or drives a dialog (the desktop view, the command
// script runner, tests) goes through the controls registered here: it reads
// their contents and flags, and acts on them as a user would with the
// User* operations, which respect the enabled and visible flags and run the
// handlers in the order a real click or keystroke does.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::shell {

enum class ControlKind {
  Button,
  ListBox,
  ComboBox,
  TextBox,
  SpinButton,
  OptionButtons,
  TabStrip,
  Label,
  Frame,
  CheckBox
};

// "list box", "combo box", ... for messages about a control.
const char* ControlKindName(ControlKind kind);

using Handler = std::function<void()>;

class Control {
 public:
  Control(ControlKind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }

  std::string caption;  // label text, button or frame caption
  std::string tip;      // tool tip
  bool enabled = true;
  bool visible = true;

  // A user can act on the control: enabled and visible.
  bool Usable() const { return enabled && visible; }

 private:
  ControlKind kind_;
  std::string name_;
};

// A plain control without contents of its own: a label or a frame.
class StaticControl : public Control {
 public:
  using Control::Control;
};

class Button : public Control {
 public:
  explicit Button(std::string name) : Control(ControlKind::Button, std::move(name)) {}
  Handler onClick;
  void Click() {
    if (onClick) onClick();
  }
};

class CheckBox : public Control {
 public:
  explicit CheckBox(std::string name) : Control(ControlKind::CheckBox, std::move(name)) {}
  bool value = false;
  Handler onClick;
  // A user's click: toggles the mark, then the click handler.
  void UserClick();
};

// A list with rows of one or more columns. Single selection keeps at most one
// row selected; multi selection any set of rows. ListIndex is the current row
// (the selected row, or in a multi-selection list the row clicked last), -1
// when there is none.
class ListBox : public Control {
 public:
  ListBox(std::string name, int columns, bool multiSelect)
      : Control(ControlKind::ListBox, std::move(name)), columnCount(columns), multiSelect(multiSelect) {}

  int columnCount;
  bool multiSelect;
  Handler onMouseDown, onMouseUp, onClick;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<std::string>& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)).cells; }
  // Column text of a row; empty for a column the row does not have.
  std::string Cell(int row, int col) const;
  void SetCell(int row, int col, std::string text);
  // Inserts a row before `at` (at = -1 or RowCount(): at the end). Selection
  // and the current row stay with their rows.
  void AddRow(std::vector<std::string> cells, int at = -1);
  void RemoveRow(int row);
  void Clear();

  bool Selected(int row) const { return rows_.at(static_cast<std::size_t>(row)).selected; }
  // In a single-selection list, selecting a row unselects the others.
  void SetSelected(int row, bool selected);
  std::vector<int> Selection() const;
  void ClearSelection();
  int ListIndex() const { return listIndex_; }
  // Makes `row` the current row; in a single-selection list it becomes the
  // selected row (-1 clears the selection).
  void SetListIndex(int row);

  // The first row one of whose columns is exactly `text`; -1 when none.
  int FindRow(std::string_view text) const;

  // A user's click that leaves `rows` selected (empty: nothing selected):
  // mouse-down handler, the selection, click handler, mouse-up handler.
  // Throws std::invalid_argument for a row out of range or several rows in a
  // single-selection list.
  void UserSelect(const std::vector<int>& rows);

 private:
  struct Entry {
    std::vector<std::string> cells;
    bool selected = false;
  };
  void CheckRow(int row) const;
  std::vector<Entry> rows_;
  int listIndex_ = -1;
};

// A drop-down: a list of items and the text shown. A drop-down list only
// takes one of its items; a combo box also takes typed text.
class ComboBox : public Control {
 public:
  ComboBox(std::string name, bool listOnly) : Control(ControlKind::ComboBox, std::move(name)), listOnly(listOnly) {}
  bool listOnly;
  std::vector<std::string> items;
  Handler onChange;

  const std::string& Text() const { return text_; }
  int ListIndex() const { return listIndex_; }
  // Sets the text (and the index of the item equal to it, or -1); the change
  // handler runs when the text changed.
  void SetText(std::string text);
  // Selects item `index` (-1: no item, empty text).
  void SetListIndex(int index);
  // A user's choice. Throws std::invalid_argument when a drop-down list has
  // no such item.
  void UserChoose(std::string text);

 private:
  std::string text_;
  int listIndex_ = -1;
};

class TextBox : public Control {
 public:
  explicit TextBox(std::string name) : Control(ControlKind::TextBox, std::move(name)) {}
  Handler onMouseDown, onChange;

  const std::string& Text() const { return text_; }
  // The change handler runs when the text changed.
  void SetText(std::string text);
  // A user clicks into the box (mouse-down handler) and types `text` over
  // its contents.
  void UserType(std::string text);

 private:
  std::string text_;
};

// A spin button: a whole number within [min, max]. Up and down step by one
// within the range; the change handler runs when the value changed, the
// spin-up or spin-down handler on every press.
class SpinButton : public Control {
 public:
  SpinButton(std::string name, int min, int max, int value)
      : Control(ControlKind::SpinButton, std::move(name)), min_(min), max_(max), value_(Clamp(value)) {}
  Handler onSpinUp, onSpinDown, onChange;

  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  // Out-of-range values are brought into the range.
  void SetValue(int value);
  // Changing an end of the range moves the value into it when it lies outside.
  void SetMin(int min);
  void SetMax(int max);
  void UserUp();
  void UserDown();

 private:
  int Clamp(int v) const { return v < min_ ? min_ : (v > max_ ? max_ : v); }
  int min_, max_, value_;
};

// An array of option buttons sharing one name, addressed by index. Options
// with the same group number exclude each other; the click handler gets the
// index of the option clicked.
class OptionButtons : public Control {
 public:
  explicit OptionButtons(std::string name) : Control(ControlKind::OptionButtons, std::move(name)) {}
  struct Option {
    std::string caption;
    int group = 0;
    bool value = false;
    bool enabled = true;
    bool visible = true;
  };
  std::vector<Option> options;
  std::function<void(int)> onClick;

  int Count() const { return static_cast<int>(options.size()); }
  Option& At(int index) { return options.at(static_cast<std::size_t>(index)); }
  const Option& At(int index) const { return options.at(static_cast<std::size_t>(index)); }
  int Add(std::string caption, int group = 0);
  // Sets option `index` and clears the others of its group (no handler).
  void Select(int index);
  // A user's click on option `index`: selects it, then the click handler.
  void UserClick(int index);
};

class TabStrip : public Control {
 public:
  explicit TabStrip(std::string name) : Control(ControlKind::TabStrip, std::move(name)) {}
  std::vector<std::string> tabs;
  Handler onChange;

  int Index() const { return index_; }
  // The change handler runs when the index changed. Throws
  // std::invalid_argument for an index outside the tabs.
  void SetIndex(int index);

 private:
  int index_ = 0;
};

// The base of every dialog model: a caption, the named controls and whether
// the dialog is open. A dialog is shown modally through the Ui seam; the
// shower marks it open, and it stays on screen until a handler calls Close().
class DialogModel {
 public:
  explicit DialogModel(std::string caption) : caption_(std::move(caption)) {}
  virtual ~DialogModel() = default;
  DialogModel(const DialogModel&) = delete;
  DialogModel& operator=(const DialogModel&) = delete;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }

  bool IsOpen() const { return open_; }
  // Called by whoever shows the dialog, just before it appears.
  void MarkOpen() { open_ = true; }
  void Close() { open_ = false; }
  // The window's close box: the handler when the dialog set one (it decides
  // whether to close), else Close().
  Handler onCloseBox;
  void UserCloseBox();

  // Controls, in the order they were added.
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  // The control with that name; null when none.
  Control* Find(std::string_view name) const;
  // The control with that name and type; throws std::out_of_range when it is
  // missing or of another kind.
  template <typename T>
  T& Get(std::string_view name) const {
    auto* c = dynamic_cast<T*>(Find(name));
    if (!c) throw std::out_of_range("dialog " + caption_ + " has no such control: " + std::string(name));
    return *c;
  }

 protected:
  Button& AddButton(std::string name, std::string caption, Handler onClick = {});
  CheckBox& AddCheckBox(std::string name, std::string caption, Handler onClick = {});
  ListBox& AddListBox(std::string name, int columns = 1, bool multiSelect = false);
  ComboBox& AddComboBox(std::string name, bool listOnly = true);
  TextBox& AddTextBox(std::string name, std::string text = "");
  SpinButton& AddSpinButton(std::string name, int min, int max, int value);
  OptionButtons& AddOptionButtons(std::string name);
  TabStrip& AddTabStrip(std::string name, std::vector<std::string> tabs);
  StaticControl& AddLabel(std::string name, std::string caption);
  StaticControl& AddFrame(std::string name, std::string caption);

 private:
  template <typename T>
  T& Add(std::unique_ptr<T> control);
  std::string caption_;
  bool open_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace korvane::shell
