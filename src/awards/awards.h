// 赛事奖项: the prize workbook (奖项设置.xlsx in the default folder), the
// certificate lists expanded from it, and the certificate documents.
//
// The prize workbook's 设置 sheet has one block of three rows per grade (rows
// 3g to 3g+2): the grade name in A(3g), the group name of each row in B, the
// places of the total-score award in D(3g), the places of the individual
// award of each group in E, and per event (headings in row 2 from F) a "／"
// where a group gets no individual award. The lists go to the sheets 精神文明奖,
// 团体总分奖 and 单项奖, whose row-1 headings are the merge fields of the
// certificates.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"
#include "shell/program.h"

namespace korvane::awards {

// ---- the prize workbook ----

inline constexpr int kGradeBlocks = 7;  // the template's blocks, rows 3 to 23
inline constexpr int kFirstBlockRow = 3;
inline constexpr int kLastTemplateBlockRow = kFirstBlockRow + 3 * kGradeBlocks - 1;
inline constexpr int kHeadingRow = 2;     // event headings from F2
inline constexpr int kFirstEventCol = 6;  // F
inline constexpr int kGroupCol = 2;       // B
inline constexpr int kTeamPlacesCol = 4;  // D(3g)
inline constexpr int kPlacesCol = 5;      // E
inline constexpr int kMaxPlaces = 10;     // places are named 一 to 十
inline constexpr std::string_view kNoAward = "／";
constexpr int BlockRow(int grade) { return 3 * grade; }  // grade 1-based

// The last open workbook whose name begins with 奖项设置; null when none.
host::Workbook* FindPrizeWorkbook(const host::WorkbookHost& host);

// The certificate lines of one meet, in the order they are written: one row
// of texts per line, as the list sheets hold them below their headings.
struct PrizeLines {
  std::vector<std::vector<std::string>> spirit;      // 精神文明奖: 年级
  std::vector<std::vector<std::string>> team;        // 团体总分奖: 年级, 名次
  std::vector<std::vector<std::string>> individual;  // 单项奖: 年级, 组别, 项目, 名次
};

// The lines of the prize settings for the given grade names (the meet's, at
// most seven are used). Returns the refusal when a place count is not a whole
// number from 0 to 10 or a relay heading does not begin with its number of
// runners; the message names the cell.
struct PrizeLinesResult {
  PrizeLines lines;
  std::string refusal;  // empty when the lines are complete
};
PrizeLinesResult ExpandPrizeSettings(const host::Worksheet& prizeSettings, const std::vector<std::string>& grades);

// The grade names of the meet's 设置 (A2 down to the last used row of A).
std::vector<std::string> MeetGrades(const host::Worksheet& meetSettings);

// Runners per line of an event heading: the leading digit of a heading that
// ends in 接力, 1 for every other event; 0 for a relay heading that does not
// begin with a digit.
int RelayMultiplicity(std::string_view heading);

// ---- the commands ----

// 设置: opens 奖项设置.xlsx of the default folder, or makes it from the prize
// template with the meet's grades and events; then 明细单 and 奖状(证书)生成 are
// enabled and 设置 disabled.
void PrizeSetup(shell::Program& program);
// 明细单: the three certificate lists from the prize settings, after checking
// every place count.
void PrizeList(shell::Program& program);
// 奖状(证书)生成: one mail-merge certificate document per award type in the
// default folder, bound to its list in the prize workbook.
void PrizeCreate(shell::Program& program);

// Registers 设置, 明细单 and 奖状(证书)生成 under their menu controls.
void RegisterCommands(shell::CommandTable& table);

// ---- texts ----
namespace text {
inline constexpr std::string_view kFilesClosed = "相关文件被关闭，操作终止!";
inline constexpr std::string_view kPrizeWorkbookClosed = "“奖项设置”文件被关闭，操作终止!";
inline constexpr std::string_view kCertificatesMade = "奖状模板已生成，保存在默认目录下!";
std::string CertificateTemplateMissing(std::string_view awardType);
std::string PlacesRefused(std::string_view cell, std::string_view value);
std::string RelayRefused(std::string_view cell, std::string_view heading);
std::string SheetMissing(std::string_view workbook, std::string_view sheet);
std::string TooManyGrades(int grades);
std::string CannotOpen(std::string_view path, std::string_view reason);
std::string CannotSave(std::string_view reason);
std::string PdfsMade(const std::vector<std::pair<std::string, int>>& typeAndPages);
std::string PlaceholdersMissing(const std::vector<std::pair<std::string, std::string>>& typeAndHeading);
}  // namespace text

}  // namespace korvane::awards
