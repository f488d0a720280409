// 赛事日程安排: the dialog in which the organiser orders the competition
// schedule. Left: the track and field items not yet scheduled and the
// additional items; right: the arranged track and field schedules. Rows go
// right with >>> (before the selected row, or at the end), come back with <<<
// (the left lists keep their code order), move with ↑ and ↓; 自定义 adds an
// item typed as 高一男子5000米，预决赛，1组(25人). 应用 writes the lists to the
// sheet 附件, 确定 checks the order, computes the times, writes the printable
// sheets 径赛 and 田赛 and saves the schedule workbook; 取消 closes it unsaved.
#pragma once

#include <string>
#include <vector>

#include "host/workbook.h"
#include "schedule/items.h"
#include "schedule/timeline.h"
#include "shell/dialog.h"
#include "shell/program.h"

namespace korvane::schedule {

// Messages of the dialog.
namespace text {
inline constexpr std::string_view kChooseSource = "请选择：『源列表框』条目";
inline constexpr std::string_view kChooseTargetTitle = "请选择：『目标列表框』";
inline constexpr std::string_view kChooseTarget = "Yes-径赛日程安排\nNo-田赛日程安排";
inline constexpr std::string_view kBadEntry = "输入格式不正确!";
inline constexpr std::string_view kChooseToRemove = "请选择要从日程安排中移除的条目";
inline constexpr std::string_view kChooseToMoveUp = "请选择要移动的条目!";
inline constexpr std::string_view kChooseToMoveDown = "请选择要移动的条目";
inline constexpr std::string_view kAtTop = "已经到顶了!";
inline constexpr std::string_view kAtBottom = "已经到底了!";
inline constexpr std::string_view kEntryExample = "格式：高一男子5000米，预决赛，1组(25人)";
// "径赛日程安排中，“第1，3条目”处存在逻辑问题!"
std::string OrderProblemText(bool track, std::string_view positions);
// "田赛日程安排中，第1条目“初二女子跳远”排在第一个日期之前，请把它移到日期之后!"
std::string BeforeFirstHalfDayText(bool track, int position, std::string_view item);
// The schedule workbook could not be saved.
std::string NotSavedText(std::string_view path, std::string_view reason);
}  // namespace text

// Where the schedule workbook comes from and goes to.
struct ScheduleFile {
  bool exists = false;  // a schedule of this year: opened and saved in place
  std::string folder;   // the default folder, where a new schedule is saved
};

class Frm日程安排 : public shell::DialogModel {
 public:
  Frm日程安排(shell::Program& program, host::Workbook& meetBook, ScheduleFile file);

  // Dialog start with an open schedule workbook: the lists from 附件, the
  // first page number of 径赛 from its page setup.
  void LoadExisting(host::Workbook& scheduleBook);
  // Dialog start with a new workbook from the template: the page-number
  // question, the derived items, the additional rows and one half-day row
  // per half day on both arranged lists, written to 附件 and loaded.
  void LoadNew(host::Workbook& scheduleBook, const DerivedItems& items, const MeetStart& start);

  // Handlers.
  void ListBox11_MouseDown();
  void ListBox12_MouseDown();
  void ListBox13_MouseDown();
  void ListBox13_MouseUp();
  void ListBox21_MouseDown();
  void ListBox22_MouseDown();
  void tbInsert_MouseDown();
  void cmdAppend_Click();
  void cmdUserDef_Click();
  void cmdRemove_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  void cmdApply_Click();
  void cmdPreview_Click();
  void CmdOk_Click();
  void CmdCancel_Click();
  void SpinButton1_SpinUp();
  void SpinButton1_SpinDown();
  void SpinButton2_SpinUp();
  void SpinButton2_SpinDown();
  void SpinButton3_SpinUp();
  void SpinButton3_SpinDown();

  // Trims the arranged lists of trailing rows that are no events (a closing
  // ceremony at the end of the field list stays) and checks the order of
  // every half day: 1 when both lists are sound, else 0 after one message per
  // list that is not.
  int CheckScheduleLogic();
  // Writes the five lists to 附件, each from row 3, old rows cleared.
  void WriteBackLists();

  bool PendingChanges() const { return pendingChanges_; }
  int NextPageNumber() const { return nextPageNumber_; }
  host::Workbook* ScheduleWorkbook() const { return book_; }

  // 8时30分 -> 8:30; with 5分钟: 8:30_5分钟.
  std::string StartText() const;
  std::string FieldTimeText() const;

  shell::ListBox& ListBox11;
  shell::ListBox& ListBox12;
  shell::ListBox& ListBox13;
  shell::ListBox& ListBox21;
  shell::ListBox& ListBox22;
  shell::Button& cmdUp;
  shell::Button& cmdDown;
  shell::TextBox& tbInsert;
  shell::Button& cmdUserDef;
  shell::Button& cmdPreview;
  shell::StaticControl& Label1;
  shell::TextBox& tbHours;
  shell::SpinButton& SpinButton2;
  shell::TextBox& tbMinutes;
  shell::SpinButton& SpinButton3;
  shell::TextBox& tbTimes;
  shell::SpinButton& SpinButton1;
  shell::Button& cmdAppend;
  shell::Button& cmdRemove;
  shell::Button& cmdApply;
  shell::Button& CmdOk;
  shell::Button& CmdCancel;

 private:
  shell::ListBox& List(int id);
  void LoadLists();
  void Changed();
  void SetStartTimeControls(bool enabled);
  std::vector<ListRow> Rows(const shell::ListBox& list) const;
  void Move(int step);
  // The printable sheets, the page numbers and the save; false when the
  // dialog must stay open.
  bool Finish();

  shell::Program& program_;
  host::Workbook& meet_;
  ScheduleFile file_;
  host::Workbook* book_ = nullptr;
  int nextPageNumber_ = 1;
  bool pendingChanges_ = false;
};

}  // namespace korvane::schedule
