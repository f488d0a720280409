// Where each dialog's controls go. Each layout is a grid per dialog and per
// frame; the widgets themselves, their texts and states come from the model.
#include "gui/dialog_view.h"

namespace korvane::gui {

namespace {

// 比赛项目 (the event catalogue and the events per grade and sex): the
// instruction on top, the catalogue on the left, the choices and the
// configured events on the right, the dialog's own buttons at the bottom.
DialogLayout EventsLayout() {
  DialogLayout l;
  l.places = {
      {"Label1", "", 0, 0, 1, 3, 520},
      {"Frame1", "", 1, 0},
      {"Frame2", "", 1, 1, 1, 2},
      {"CmdCheck", "", 2, 0},
      {"CmdSave", "", 2, 1},
      {"CmdClose", "", 2, 2},
      // 项目管理: the catalogue.
      {"Label2", "Frame1", 0, 0, 1, 2},
      {"List1", "Frame1", 1, 0, 1, 2, 170, 260},
      {"Text1", "Frame1", 2, 0, 1, 2},
      {"CmdInsert", "Frame1", 3, 0},
      {"CmdDel", "Frame1", 3, 1},
      // 项目设置: grade, sex, lane rule and method, the move buttons and the events.
      {"CmbGrade", "Frame2", 0, 0},
      {"CmbSex", "Frame2", 1, 0},
      {"CmbRule", "Frame2", 2, 0},
      {"CmbMeasuringMethod", "Frame2", 3, 0},
      {"Select", "Frame2", 4, 0},
      {"Remove", "Frame2", 5, 0},
      {"Label3", "Frame2", 0, 1},
      {"List2", "Frame2", 1, 1, 6, 1, 240, 260},
  };
  return l;
}

// 年级合并: a frame per school level side by side, the note when nothing can
// be merged, then 确定 and 取消.
DialogLayout GradeMergeLayout() {
  DialogLayout l;
  l.places = {
      {"Frame1", "", 0, 0, 1, 1, 130},
      {"Frame2", "", 0, 1, 1, 1, 130},
      {"Label1", "", 1, 0, 1, 2},
      {"OKButton", "", 2, 0},
      {"CancelButton", "", 2, 1},
      {"Option#0", "Frame1", 0, 0},
      {"Option#1", "Frame1", 1, 0},
      {"Option#2", "Frame2", 0, 0},
      {"Option#3", "Frame2", 1, 0},
  };
  return l;
}

DialogLayout AboutLayout() {
  DialogLayout l;
  l.places = {
      {"lblDescription", "", 0, 0, 1, 3, 380},
      {"lblVersion", "", 1, 0, 1, 2},
      {"cmdOK", "", 1, 2},
  };
  return l;
}

}  // namespace

DialogLayout LayoutFor(const shell::DialogModel& dialog) {
  const std::string& caption = dialog.Caption();
  if (caption == "比赛项目") return EventsLayout();
  if (caption == "年级合并") return GradeMergeLayout();
  if (caption == "关于 Korvane") return AboutLayout();
  return {};
}

}  // namespace korvane::gui
