// The county meet of the benchmarks: 7 grades of 30 classes (210
// registration forms), 40 athletes per form, 16 catalogue events held by every
// grade for boys and girls (224 event rows). The meet is made as 新建 makes it
// (the shipped template, its registration forms), the entries by 模拟报名,
// and 汇总及编号 runs on them.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "meet/layout.h"
#include "processing/consolidation.h"
#include "processing/simulate.h"
#include "setup/forms.h"
#include "shell/program.h"
#include "shell/settings.h"

namespace korvane::bench {

constexpr int kGrades = 7;
constexpr int kTeamsPerGrade = 30;
constexpr int kRowsPerTeam = 40;
const char* const kGradeNames[kGrades] = {"初一", "初二", "初三", "高一", "高二", "高三", "中专"};
const char* const kEvents[] = {"100米", "200米",    "400米", "800米", "1500米", "3000米", "100米栏",     "跳高",
                               "跳远",  "三级跳远", "铅球",  "铁饼",  "标枪",   "实心球", "4×100米接力", "4×400米接力"};
constexpr int kEventCount = static_cast<int>(std::size(kEvents));

// The benchmark answers every question with yes and keeps the messages.
class BenchUi : public shell::Ui {
 public:
  std::vector<std::string> messages;
  shell::Answer MessageBox(const std::string& text, shell::Icon, shell::Buttons buttons, const std::string&) override {
    messages.push_back(text);
    return buttons == shell::Buttons::YesNo ? shell::Answer::Yes : shell::Answer::Ok;
  }
  std::optional<std::string> PickFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetCaption(const std::string&) override {}
  void SetStatusBar(const std::string&) override {}
  void ShowDialog(shell::DialogModel&) override { throw std::logic_error("no dialogs in the benchmark"); }
  bool OpenHelp(const std::string&) override { return false; }
};

inline long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The organiser's settings and events, typed into the template: 7 grades of
// `classes` classes, 40 rows per form, the 16 events for every grade and sex.
inline void PrepareMeet(host::Workbook& book, int classes) {
  namespace s = meet::settings;
  namespace ev = meet::events;
  book.Unprotect();
  host::Worksheet& settings = book.Sheet(std::string(meet::kSettingsSheet));
  settings.Unprotect();
  for (int g = 0; g < kGrades; ++g) {
    settings.PutValue(s::kFirstGradeRow + g, s::kGradeCol, kGradeNames[g]);
    settings.PutValue(s::kFirstGradeRow + g, s::kTeamsCol, classes);
  }
  settings.PutValue(s::RowsPerTeam.row, s::RowsPerTeam.col, kRowsPerTeam);
  settings.PutValue(s::MaxPerTeamPerEvent.row, s::MaxPerTeamPerEvent.col, 2);
  settings.PutValue(s::MaxEventsPerAthlete.row, s::MaxEventsPerAthlete.col, 2);
  settings.Protect();

  host::Worksheet& form = book.Sheet(std::string(meet::kFormSampleSheet));
  form.Unprotect();
  for (int e = 0; e < kEventCount; ++e)
    form.PutValue(meet::form::kHeadingRow, meet::form::kFirstEventCol + e, kEvents[e]);
  form.Protect();

  host::Worksheet& events = book.Sheet(std::string(meet::kEventsSheet));
  events.Unprotect();
  const int n = kGrades * kEventCount * 2;
  events.RemoveMergesIn({ev::kFirstEventRow, ev::kGradeCol, ev::EventRow(n), ev::kGradeCol});
  host::Range(&events, {ev::kFirstEventRow, 1, ev::EventRow(n) + 200, ev::kLastEntrantCol}).ClearContents();
  events.PutValue(ev::kEventCount.row, ev::kEventCount.col, n);
  int k = 0;
  for (int g = 0; g < kGrades; ++g)
    for (int e = 0; e < kEventCount; ++e)
      for (std::string_view sex : {meet::kMale, meet::kFemale}) {
        const int row = ev::EventRow(++k);
        events.PutValue(row, ev::kGradeCol, kGradeNames[g]);
        events.PutValue(row, ev::kLaneRuleCol, 1);
        events.PutValue(row, ev::kMethodCol, 1);
        events.PutValue(row, ev::kTitleCol, std::string(kGradeNames[g]) + std::string(sex) + kEvents[e]);
      }
  events.Protect();
}

struct CountyMeet {
  std::filesystem::path folder;
  BenchUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(folder / "settings.ini")};
  host::Workbook* book = nullptr;
  long rssAfterSetup = 0;

  // The meet with its registration forms, in a scratch folder of the
  // system's temporary folder named `folderName` (removed at the end).
  explicit CountyMeet(const std::string& folderName) : folder(std::filesystem::temp_directory_path() / folderName) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    program.FillTables();
    const std::string templatePath =
        std::string(KORVANE_SHARE_DIR) + "/" + std::string(meet::kTemplateBaseName) + ".xltm";
    book = &program.Host().Add(templatePath);
    PrepareMeet(*book, kTeamsPerGrade);
    book->SaveAs((folder / "号码对照表及分组分道编排表_2024-04-09_30615.xlsm").string());
    if (setup::CreateBMB(program, *book) != setup::FormsResult::Created)
      throw std::runtime_error("registration forms not created: " + (ui.messages.empty() ? "" : ui.messages.back()));
    book->Protect(true, true);
    rssAfterSetup = PeakRssKiB();
  }
  ~CountyMeet() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }

  void Simulate() {
    shell::CommandRandom rng(20240409);
    book->Unprotect();
    processing::MNBM(program, *book, rng);
    book->Protect(true, true);
  }
  void Consolidate() {
    processing::Consolidate(program);
    if (!ui.messages.empty()) throw std::runtime_error("consolidation refused: " + ui.messages.back());
  }
};

}  // namespace korvane::bench
