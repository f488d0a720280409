#include "shell/dialog.h"

#include <algorithm>
#include <stdexcept>

namespace korvane::shell {

const char* ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return "button";
    case ControlKind::ListBox: return "list box";
    case ControlKind::ComboBox: return "combo box";
    case ControlKind::TextBox: return "text box";
    case ControlKind::SpinButton: return "spin button";
    case ControlKind::OptionButtons: return "option button array";
    case ControlKind::TabStrip: return "tab strip";
    case ControlKind::Label: return "label";
    case ControlKind::Frame: return "frame";
    case ControlKind::CheckBox: return "check box";
  }
  return "control";
}

// ---- check box ----

void CheckBox::UserClick() {
  value = !value;
  if (onClick) onClick();
}

// ---- list box ----

void ListBox::CheckRow(int row) const {
  if (row < 0 || row >= RowCount())
    throw std::invalid_argument("list " + Name() + " has no row " + std::to_string(row));
}

std::string ListBox::Cell(int row, int col) const {
  CheckRow(row);
  const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  return col >= 0 && col < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(col)] : std::string();
}

void ListBox::SetCell(int row, int col, std::string text) {
  CheckRow(row);
  if (col < 0) throw std::invalid_argument("list " + Name() + ": negative column");
  auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  if (static_cast<int>(cells.size()) <= col) cells.resize(static_cast<std::size_t>(col) + 1);
  cells[static_cast<std::size_t>(col)] = std::move(text);
}

void ListBox::AddRow(std::vector<std::string> cells, int at) {
  if (at < 0 || at > RowCount()) at = RowCount();
  rows_.insert(rows_.begin() + at, Entry{std::move(cells), false});
  if (listIndex_ >= at) ++listIndex_;
}

void ListBox::RemoveRow(int row) {
  CheckRow(row);
  rows_.erase(rows_.begin() + row);
  if (listIndex_ == row)
    listIndex_ = -1;
  else if (listIndex_ > row)
    --listIndex_;
}

void ListBox::Clear() {
  rows_.clear();
  listIndex_ = -1;
}

void ListBox::SetSelected(int row, bool selected) {
  CheckRow(row);
  if (selected && !multiSelect) {
    for (auto& e : rows_) e.selected = false;
    listIndex_ = row;
  }
  rows_[static_cast<std::size_t>(row)].selected = selected;
  if (!selected && !multiSelect && listIndex_ == row) listIndex_ = -1;
}

std::vector<int> ListBox::Selection() const {
  std::vector<int> v;
  for (int i = 0; i < RowCount(); ++i)
    if (rows_[static_cast<std::size_t>(i)].selected) v.push_back(i);
  return v;
}

void ListBox::ClearSelection() {
  for (auto& e : rows_) e.selected = false;
  if (!multiSelect) listIndex_ = -1;
}

void ListBox::SetListIndex(int row) {
  if (row == -1) {
    if (!multiSelect) ClearSelection();
    listIndex_ = -1;
    return;
  }
  CheckRow(row);
  if (!multiSelect)
    SetSelected(row, true);
  else
    listIndex_ = row;
}

int ListBox::FindRow(std::string_view text) const {
  for (int i = 0; i < RowCount(); ++i)
    for (const std::string& cell : rows_[static_cast<std::size_t>(i)].cells)
      if (cell == text) return i;
  return -1;
}

void ListBox::UserSelect(const std::vector<int>& rows) {
  for (int r : rows) CheckRow(r);
  if (!multiSelect && rows.size() > 1) throw std::invalid_argument("list " + Name() + " takes only one selected row");
  if (onMouseDown) onMouseDown();
  ClearSelection();
  for (int r : rows) SetSelected(r, true);
  if (multiSelect) listIndex_ = rows.empty() ? -1 : rows.back();
  if (onClick) onClick();
  if (onMouseUp) onMouseUp();
}

// ---- combo box ----

void ComboBox::SetText(std::string text) {
  auto it = std::find(items.begin(), items.end(), text);
  listIndex_ = it == items.end() ? -1 : static_cast<int>(it - items.begin());
  if (text == text_) return;
  text_ = std::move(text);
  if (onChange) onChange();
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items.size()))
    throw std::invalid_argument("combo box " + Name() + " has no item " + std::to_string(index));
  SetText(index < 0 ? std::string() : items[static_cast<std::size_t>(index)]);
  listIndex_ = index;
}

void ComboBox::UserChoose(std::string text) {
  if (listOnly && std::find(items.begin(), items.end(), text) == items.end())
    throw std::invalid_argument("combo box " + Name() + " has no item " + text);
  SetText(std::move(text));
}

// ---- text box ----

void TextBox::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if (onChange) onChange();
}

void TextBox::UserType(std::string text) {
  if (onMouseDown) onMouseDown();
  SetText(std::move(text));
}

// ---- spin button ----

void SpinButton::SetValue(int value) {
  value = Clamp(value);
  if (value == value_) return;
  value_ = value;
  if (onChange) onChange();
}

void SpinButton::SetMin(int min) {
  min_ = min;
  if (max_ < min_) max_ = min_;
  SetValue(value_);
}

void SpinButton::SetMax(int max) {
  max_ = max;
  if (min_ > max_) min_ = max_;
  SetValue(value_);
}

void SpinButton::UserUp() {
  if (value_ < max_) SetValue(value_ + 1);
  if (onSpinUp) onSpinUp();
}

void SpinButton::UserDown() {
  if (value_ > min_) SetValue(value_ - 1);
  if (onSpinDown) onSpinDown();
}

// ---- option buttons ----

int OptionButtons::Add(std::string caption, int group) {
  options.push_back(Option{std::move(caption), group});
  return Count() - 1;
}

void OptionButtons::Select(int index) {
  Option& chosen = At(index);
  for (Option& o : options)
    if (o.group == chosen.group) o.value = false;
  chosen.value = true;
}

void OptionButtons::UserClick(int index) {
  Select(index);
  if (onClick) onClick(index);
}

// ---- tab strip ----

void TabStrip::SetIndex(int index) {
  if (index < 0 || index >= static_cast<int>(tabs.size()))
    throw std::invalid_argument("tab strip " + Name() + " has no tab " + std::to_string(index));
  if (index == index_) return;
  index_ = index;
  if (onChange) onChange();
}

// ---- dialog ----

void DialogModel::UserCloseBox() {
  if (onCloseBox)
    onCloseBox();
  else
    Close();
}

Control* DialogModel::Find(std::string_view name) const {
  for (const auto& c : controls_)
    if (c->Name() == name) return c.get();
  return nullptr;
}

template <typename T>
T& DialogModel::Add(std::unique_ptr<T> control) {
  if (Find(control->Name()))
    throw std::invalid_argument("dialog " + caption_ + " already has a control " + control->Name());
  T& ref = *control;
  controls_.push_back(std::move(control));
  return ref;
}

Button& DialogModel::AddButton(std::string name, std::string caption, Handler onClick) {
  auto& b = Add(std::make_unique<Button>(std::move(name)));
  b.caption = std::move(caption);
  b.onClick = std::move(onClick);
  return b;
}

CheckBox& DialogModel::AddCheckBox(std::string name, std::string caption, Handler onClick) {
  auto& c = Add(std::make_unique<CheckBox>(std::move(name)));
  c.caption = std::move(caption);
  c.onClick = std::move(onClick);
  return c;
}

ListBox& DialogModel::AddListBox(std::string name, int columns, bool multiSelect) {
  return Add(std::make_unique<ListBox>(std::move(name), columns, multiSelect));
}

ComboBox& DialogModel::AddComboBox(std::string name, bool listOnly) {
  return Add(std::make_unique<ComboBox>(std::move(name), listOnly));
}

TextBox& DialogModel::AddTextBox(std::string name, std::string text) {
  auto& t = Add(std::make_unique<TextBox>(std::move(name)));
  t.SetText(std::move(text));
  return t;
}

SpinButton& DialogModel::AddSpinButton(std::string name, int min, int max, int value) {
  return Add(std::make_unique<SpinButton>(std::move(name), min, max, value));
}

OptionButtons& DialogModel::AddOptionButtons(std::string name) {
  return Add(std::make_unique<OptionButtons>(std::move(name)));
}

TabStrip& DialogModel::AddTabStrip(std::string name, std::vector<std::string> tabs) {
  auto& t = Add(std::make_unique<TabStrip>(std::move(name)));
  t.tabs = std::move(tabs);
  return t;
}

StaticControl& DialogModel::AddLabel(std::string name, std::string caption) {
  auto& l = Add(std::make_unique<StaticControl>(ControlKind::Label, std::move(name)));
  l.caption = std::move(caption);
  return l;
}

StaticControl& DialogModel::AddFrame(std::string name, std::string caption) {
  auto& f = Add(std::make_unique<StaticControl>(ControlKind::Frame, std::move(name)));
  f.caption = std::move(caption);
  return f;
}

}  // namespace korvane::shell
