// One generic view for every dialog model: it builds Qt widgets from the
// model's controls, places them by a small layout description per dialog,
// sends every user action to the model's User* operations (which run the
// handlers) and then mirrors the model again. The view holds no state of its
// own: what the user sees is always what the model says.
#pragma once

#include <QDialog>

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "shell/dialog.h"

class QGridLayout;
class QWidget;

namespace korvane::gui {

// Where a control goes: a cell of the grid of the dialog or of a frame
// (parent = the frame's name). Option buttons are placed one by one as
// "NAME#INDEX". Controls the layout does not name go below everything else.
struct Placement {
  std::string control;
  std::string parent;  // empty: the dialog itself
  int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
  int minWidth = 0, minHeight = 0;  // pixels; 0 = the widget's own size
  Qt::Alignment align = {};         // none: the widget fills its cell
};

struct DialogLayout {
  std::vector<Placement> places;
  // Headings of list columns, by list name (a list without headings shows none).
  std::map<std::string, std::vector<std::string>> listHeadings;
  // Rows of the dialog's own grid that take the height left over (row,
  // stretch factor), so that a column of small controls beside tall lists
  // stays together instead of spreading over the whole height.
  std::vector<std::pair<int, int>> rowStretch;
};

// The layout for a dialog, chosen by its caption; an unknown dialog gets an
// empty layout (every control stacked in the order the model added them).
DialogLayout LayoutFor(const shell::DialogModel& dialog);

class DialogView : public QDialog {
  Q_OBJECT

 public:
  DialogView(shell::DialogModel& model, const DialogLayout& layout, QWidget* parent = nullptr);

  // Copies the model's state into the widgets; closes the view when the
  // model has closed.
  void Sync();
  // The widget of a control (for option buttons "NAME#INDEX"); null when none.
  QWidget* Widget(const std::string& name) const;
  shell::DialogModel& Model() const { return model_; }
  // A handler's failure, kept to be rethrown once the view has closed.
  std::exception_ptr Failure() const { return failure_; }

 protected:
  // The close box and Esc: the model decides.
  void reject() override;

 private:
  QWidget* Build(shell::Control& control);
  // Text typed into boxes that the model has not taken yet goes to it first.
  void FlushTyping();
  // Runs a user action on the model and mirrors the result.
  template <typename F>
  void Act(F&& action);

  shell::DialogModel& model_;
  std::map<std::string, QWidget*> widgets_;
  std::map<std::string, QGridLayout*> frameGrids_;
  bool syncing_ = false;
  std::exception_ptr failure_;
};

}  // namespace korvane::gui
