// 年级合并...: two neighbouring grades of one school level compete together.
// For every event of the first grade that the second grade also holds (same
// sex and event name) the second grade's entrants and their numbers move into
// the first grade's row of 比赛项目名单 (and temp), the second grade's row is
// hidden, and every event title of the first grade is renamed to carry both
// grade names (初一男子100米 becomes 初一初二男子100米). The flags in F1:I1 record
// which pairs were merged; consolidation undoes a merge. After merging, the
// entrants are put into a fresh random order.
//
// An event row holds at most 75 entrants. When the two grades together have
// more in an event, that event is not merged: both rows keep their titles and
// entrants, and the user is told which events stayed apart.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "shell/dialog.h"
#include "shell/program.h"
#include "shell/random.h"

namespace korvane::processing {

// Messages and captions of the command and its dialog.
inline constexpr std::string_view kTooManyLevels = "以年级列第一字符识别的学段数超过2!";
inline constexpr std::string_view kNothingToMerge = "没有年级需要合并";
inline constexpr std::string_view kMergeDialogCaption = "年级合并";
inline constexpr std::string_view kLevelFrame1 = "年级合并1";
inline constexpr std::string_view kLevelFrame2 = "年级合并2";
inline constexpr std::string_view kSingleLevelFrame = "年级合并";
// "工作簿中没有工作表“temp”，请先进行“汇总及编号”。"
std::string MergeMissingSheetText(std::string_view sheet);

// Sizes of the school levels: the grades split wherever the first character
// changes from one grade to the next (初一 初二 初三 高一 高二 高三 gives 3 and 3).
std::vector<int> SchoolLevels(const std::vector<std::string>& grades);

// An event whose two grades together hold more entrants than a row has room
// for, left unmerged.
struct KeptApart {
  std::string firstTitle, secondTitle;
  int firstCount = 0, secondCount = 0;
};
// The message listing the events left unmerged.
std::string KeptApartText(const std::vector<KeptApart>& events);

struct MergeResult {
  bool reportsRemoved = false;  // 号码对照表报表 existed and was deleted with the later report sheets
  std::vector<KeptApart> keptApart;
};

// The merge of `choice`: four characters "0"/"1", one per option (the first
// level's pairs 1-2 and 2-3, then the second level's), with `levelSizes` as
// SchoolLevels gives them. Deletes the report sheets, hides 成绩登记表, merges
// each chosen pair, draws a new random order with `rng` and tells the user
// about events left apart. The workbook's structure must be unprotected.
MergeResult MergeGrades(shell::Program& program, host::Workbook& book, std::string_view choice,
                        const std::vector<int>& levelSizes, shell::CommandRandom& rng);

// The dialog frm年级合并: per school level a frame with the option buttons of
// its neighbouring grade pairs (at most one pair per level), 确定 and 取消.
class Frm年级合并 : public shell::DialogModel {
 public:
  // Design geometry in twips. With one column (at most one level to merge)
  // the buttons move one column to the left and the dialog narrows.
  static constexpr int kColumnShift = 1920;
  static constexpr int kTwoColumnWidth = 4170;
  static constexpr int kOneColumnWidth = 2250;

  // Works on `book` (设置 and 比赛项目名单 must exist). The merge draws its
  // random order from `rng`.
  Frm年级合并(shell::Program& program, host::Workbook& book, std::vector<int> levelSizes, shell::CommandRandom& rng);

  // The load handler: frames and option captions from the grades, options
  // of an already merged level disabled, 确定 disabled until an option is chosen.
  void Load();
  void Option_Click(int index);
  void OKButton_Click();
  void CancelButton_Click();

  // The choice 确定 would take: "1" for each selected option, else "0".
  std::string Choice() const;
  // What the merge did (when 确定 ran it).
  const MergeResult& Result() const { return result_; }
  bool Merged() const { return merged_; }

  int Width() const { return width_; }
  // Left edge of a control in twips.
  int Left(std::string_view control) const;

  shell::StaticControl& Frame1;
  shell::StaticControl& Frame2;
  shell::OptionButtons& Option;
  shell::Button& OKButton;
  shell::Button& CancelButton;
  shell::StaticControl& Label1;

 private:
  shell::Program& program_;
  host::Workbook& book_;
  std::vector<int> levelSizes_;
  shell::CommandRandom& rng_;
  MergeResult result_;
  bool merged_ = false;
  int width_ = kTwoColumnWidth;
  std::map<std::string, int, std::less<>> left_;
};

// 年级合并...: checks the grades and levels and shows the dialog.
void Combine(shell::Program& program);

}  // namespace korvane::processing
