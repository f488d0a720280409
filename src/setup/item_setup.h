// 项目管理...: the event dialog over the meet template opened for editing. The
// organiser keeps the event catalogue (the optional events that become the
// columns of every registration form) and chooses, per grade and sex, which
// catalogue events are held, with their lane rule and measuring method.
// 应用 writes the catalogue to row 3 of 报名表样表 and the configured events to
// 比赛项目名单.
//
// A configured event is shown in List2 as an entry: a six-character code,
// "_", then the event text. The code is the grade's position in CmbGrade, the
// two-digit position of the event in the catalogue, the sex, lane-rule and
// measuring-method numbers (positions in their drop-downs); the text is grade
// + sex + event name, e.g. 103111_高一男子100米.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "shell/dialog.h"
#include "shell/program.h"

namespace korvane::setup {

// Messages of the command and the dialog.
inline constexpr std::string_view kNoGrades = "请先设置好班级数据!";
inline constexpr std::string_view kInvalidEventName = "项目名称不合法!";
inline constexpr std::string_view kSeveralSelected = "不能选择多项!";
inline constexpr std::string_view kAlreadyThere = "已经存在!";
inline constexpr std::string_view kJuniorQuestion = "〖初中部〗是否 “分年级” 进行比赛？";
inline constexpr std::string_view kFormTooWide = "报名表样表超过1页，请调整列宽!";
inline constexpr std::string_view kInstruction =
    "　　请先设置好(插入、删除)左侧『可选项目』，再设置各年级、各性别组对应的比赛项目。";
// The lists and drop-downs are shown in this font.
inline constexpr std::string_view kListFont = "微软雅黑";
inline constexpr std::string_view kCatalogueFull = "可选项目最多99项，不能再增加!";
// "年级列内部不能为空!(如单元格A3无内容)".
std::string EmptyGradeText(int row);
// A grade name must be two characters: the event texts and codes count on it.
std::string GradeNameLengthText(int row, std::string_view name);
// "项目重复：\n<earlier>\n<later>\n删除前一项吗？".
std::string DuplicateQuestion(std::string_view earlier, std::string_view later);

// The name a user typed for a new catalogue event, as it is stored: every
// "m" becomes "米" (4×100m接力 -> 4×100米接力).
std::string NormalizeEventName(std::string_view typed);
// Whether a stored name is acceptable: at least two characters, only digits,
// "×" and CJK ideographs (U+4E00 to U+9FA5), the last one an ideograph.
bool IsValidEventName(std::string_view name);

// An entry from its parts: grade, catalogue, sex, lane-rule and method
// numbers (the catalogue number zero-padded to two digits), "_", event text.
std::string MakeEntry(int grade, int catalogue, int sex, int rule, int method, std::string_view text);

// Configured events that could not be loaded because their grade is no longer
// among the choices: the grade and how many of its events.
struct DroppedGrade {
  std::string grade;
  int count = 0;
};
// The information 应用 gives when it writes the events without those: how
// many, their grades, and that closing the template unsaved keeps them.
std::string DroppedEventsText(const std::vector<DroppedGrade>& grades);

// The dialog frm项目管理 (caption 比赛项目).
class Frm项目管理 : public shell::DialogModel {
 public:
  // Works on the sheets 设置, 报名表样表 and 比赛项目名单 of `book`; throws
  // host::HostError when one is missing. The dialog's contents are filled by
  // Load().
  Frm项目管理(shell::Program& program, host::Workbook& book);

  // The load handler: the junior-level question, the drop-downs, the
  // catalogue from 报名表样表 and the configured events from 比赛项目名单
  // (checked at once, and then pending for 应用).
  void Load();

  // Button handlers.
  void CmdInsert_Click();  // 新增
  void CmdDel_Click();     // 删除
  void Select_Click();     // >>>
  void Remove_Click();     // <<<
  void CmdCheck_Click();   // 校验
  void CmdSave_Click();    // 应用
  void CmdClose_Click();   // 关闭

  // The check of the configured events: malformed entries and entries of
  // events no longer in the catalogue go, catalogue numbers follow the
  // catalogue, and of two entries for the same grade, event and sex one is
  // kept (the user chooses when their lane rule or method differ).
  void RunCheck();

  // Pending changes: the catalogue (1) and the configured events (2).
  int CatalogueMark() const { return catalogueMark_; }
  int EventsMark() const { return eventsMark_; }

  // The number of grades of 设置 (last used row of column A minus 1).
  static int GradeCount(const host::Worksheet& settings);

  shell::ListBox& List1;
  shell::TextBox& Text1;
  shell::Button& CmdInsert;
  shell::Button& CmdDel;
  shell::ComboBox& CmbGrade;
  shell::ComboBox& CmbSex;
  shell::ComboBox& CmbRule;
  shell::ComboBox& CmbMeasuringMethod;
  shell::Button& Select;
  shell::Button& Remove;
  shell::ListBox& List2;
  shell::Button& CmdCheck;
  shell::Button& CmdSave;
  shell::Button& CmdClose;

 private:
  void Changed(int mark);
  void AddEntrySorted(const std::string& entry);
  std::vector<std::string> Catalogue() const;
  int CataloguePosition(std::string_view name) const;  // 1-based; 0 when absent
  std::string RebuildEntry(int row) const;
  void WriteCatalogue();
  // Gives the event columns D..lastEventCol one narrower width, as far as
  // the narrowest that takes a tick, until the form prints on one page; true
  // when it does, else every width is put back.
  bool NarrowEventColumns(int lastEventCol);
  void WriteEvents();

  shell::Program& program_;
  host::Workbook& book_;
  host::Worksheet& settings_;
  host::Worksheet& form_;
  host::Worksheet& events_;
  int catalogueMark_ = 0;
  int eventsMark_ = 0;
  // Events the check dropped for their grade, grades in list order; 应用
  // tells of them when it writes the events.
  std::vector<DroppedGrade> droppedGrades_;
};

// 项目管理...: checks the grades of 设置 and shows the dialog.
void ItemSetup(shell::Program& program);

}  // namespace korvane::setup
