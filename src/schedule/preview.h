// 日程安排预览: the schedule as it will be printed, with its computed times,
// without writing the workbook. Two tabs, 径赛 and 田赛, each over its list:
// column 0 the time, columns 1 to 5 those of the arranged row.
#pragma once

#include "schedule/timeline.h"
#include "shell/dialog.h"

namespace korvane::schedule {

class FrmPreview : public shell::DialogModel {
 public:
  FrmPreview(const Timeline& track, const Timeline& field);

  void TbsPreview_Change();
  void cmdClose_Click();

  shell::TabStrip& TbsPreview;
  shell::ListBox& jsList;
  shell::ListBox& tsList;
  shell::Button& cmdClose;

 private:
  static void Fill(shell::ListBox& list, const Timeline& timeline);
};

}  // namespace korvane::schedule
