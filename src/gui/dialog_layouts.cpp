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
      {"Frame1", "", 0, 0, 1, 1, 130}, {"Frame2", "", 0, 1, 1, 1, 130}, {"Label1", "", 1, 0, 1, 2},
      {"OKButton", "", 2, 0},          {"CancelButton", "", 2, 1},      {"Option#0", "Frame1", 0, 0},
      {"Option#1", "Frame1", 1, 0},    {"Option#2", "Frame2", 0, 0},    {"Option#3", "Frame2", 1, 0},
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

// 赛事日程安排: the items still to place on the left, the arranged track and
// field schedules on the right, and between them, from the top, the buttons
// that move rows, the start time and duration boxes with their spin buttons,
// the box for a user-defined item with its button, and 预览; 应用, 确定 and
// 取消 below, at their natural widths.
DialogLayout ArrangementLayout() {
  DialogLayout l;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
  l.places = {
      {"Frame1", "", 0, 0, 12, 1},
      {"Frame11", "Frame1", 0, 0},
      {"ListBox11", "Frame11", 0, 0, 1, 1, 360, 150},
      {"Frame12", "Frame1", 1, 0},
      {"ListBox12", "Frame12", 0, 0, 1, 1, 360, 150},
      {"Frame13", "Frame1", 2, 0},
      {"ListBox13", "Frame13", 0, 0, 1, 1, 360, 110},
      {"cmdAppend", "", 0, 1, 1, 2},
      {"cmdRemove", "", 1, 1, 1, 2},
      {"cmdUp", "", 2, 1, 1, 2},
      {"cmdDown", "", 3, 1, 1, 2},
      {"Label1", "", 4, 1, 1, 2},
      {"tbHours", "", 5, 1, 1, 1, 70},
      {"SpinButton2", "", 5, 2},
      {"tbMinutes", "", 6, 1, 1, 1, 70},
      {"SpinButton3", "", 6, 2},
      {"tbTimes", "", 7, 1, 1, 1, 70},
      {"SpinButton1", "", 7, 2},
      {"tbInsert", "", 8, 1, 1, 2, 150},
      {"cmdUserDef", "", 9, 1, 1, 2},
      {"cmdPreview", "", 10, 1, 1, 2},
      {"Frame2", "", 0, 3, 12, 1},
      {"Frame21", "Frame2", 0, 0},
      {"ListBox21", "Frame21", 0, 0, 1, 1, 420, 230},
      {"Frame22", "Frame2", 1, 0},
      {"ListBox22", "Frame22", 0, 0, 1, 1, 420, 230},
      {"cmdApply", "", 12, 0, 1, 1, 100, 0, right},
      {"CmdOk", "", 12, 1, 1, 2},
      {"CmdCancel", "", 12, 3, 1, 1, 100, 0, left},
  };
  l.rowStretch = {{11, 1}};
  return l;
}

// 赛程设置: the first day (month and day) and the number of days, each a box
// with its spin button.
DialogLayout ScheduleSettingsLayout() {
  DialogLayout l;
  l.places = {
      {"Label1", "", 0, 0},
      {"TextBox1", "", 0, 1, 1, 1, 60},
      {"SpinButton1", "", 0, 2},
      {"TextBox2", "", 0, 3, 1, 1, 60},
      {"SpinButton2", "", 0, 4},
      {"Label2", "", 1, 0},
      {"TextBox3", "", 1, 1, 1, 1, 60},
      {"SpinButton3", "", 1, 2},
      {"CmdOk", "", 2, 0, 1, 2},
      {"CmdCancel", "", 2, 3, 1, 2},
  };
  return l;
}

// 日程安排预览: the tab strip over the list of the chosen tab (the other
// list is hidden and takes no room).
DialogLayout PreviewLayout() {
  DialogLayout l;
  l.places = {
      {"TbsPreview", "", 0, 0},
      {"jsList", "", 1, 0, 1, 1, 560, 360},
      {"tsList", "", 1, 0, 1, 1, 560, 360},
      {"cmdClose", "", 2, 0},
  };
  const std::vector<std::string> headings{"时间", "年级/条目", "性别", "项目", "赛次", "组数"};
  l.listHeadings = {{"jsList", headings}, {"tsList", headings}};
  return l;
}

}  // namespace

DialogLayout LayoutFor(const shell::DialogModel& dialog) {
  const std::string& caption = dialog.Caption();
  if (caption == "比赛项目") return EventsLayout();
  if (caption == "年级合并") return GradeMergeLayout();
  if (caption == "关于 Korvane") return AboutLayout();
  if (caption == "赛事日程安排") return ArrangementLayout();
  if (caption == "赛程设置") return ScheduleSettingsLayout();
  if (caption == "日程安排预览") return PreviewLayout();
  return {};
}

}  // namespace korvane::gui
