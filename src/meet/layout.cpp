#include "meet/layout.h"
#include "host/ascii.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "host/address.h"
#include "host/application.h"
#include "host/errors.h"
#include "host/utf8.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::meet {

namespace {

constexpr int kSecondsPerDay = 86400;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Splits UTF-8 text into its characters, each as its bytes.
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> out;
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t next = host::utf8::Next(s, pos);
    out.push_back(s.substr(pos, next - pos));
    pos = next;
  }
  return out;
}

// Digits of the characters [from, from + count) as a number; -1 unless every
// one of them is an ASCII digit.
long ReadDigits(const std::vector<std::string_view>& chars, std::size_t from, std::size_t count) {
  long value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (chars[i].size() != 1 || chars[i][0] < '0' || chars[i][0] > '9') return -1;
    value = value * 10 + (chars[i][0] - '0');
  }
  return value;
}

}  // namespace

std::string PrizeTemplatePath(std::string_view programDir, std::string_view templateExtension) {
  std::string path(programDir);
  if (!path.empty() && path.back() != '/') path += '/';
  path += kPrizeFolder;
  path += '/';
  path += kPrizeTemplateBaseName;
  path += templateExtension;
  return path;
}

std::string TeamSheetName(int team) { return std::to_string(team); }

std::string settings::TeamTotalMismatchText(long long total, long long sum) {
  return "设置!B9 的参赛队总数（" + std::to_string(total) + "）与各年级的班级（代表队）数之和（" + std::to_string(sum) +
         "）不一致。";
}

double form::AthleteRowHeight(int rowsPerTeam) {
  if (rowsPerTeam <= 0) return 0;
  return std::floor(56000.0 / rowsPerTeam) / 100.0;
}

std::string_view LaneRuleName(int code) {
  if (code < 1 || code > static_cast<int>(kLaneRuleNames.size())) return {};
  return kLaneRuleNames[static_cast<std::size_t>(code - 1)];
}

std::string_view MeasuringMethodName(int code) {
  if (code < 1 || code > static_cast<int>(kMeasuringMethodNames.size())) return {};
  return kMeasuringMethodNames[static_cast<std::size_t>(code - 1)];
}

int LaneRuleCode(std::string_view name) {
  for (std::size_t i = 0; i < kLaneRuleNames.size(); ++i) {
    if (kLaneRuleNames[i] == name) return static_cast<int>(i) + 1;
  }
  return 0;
}

int MeasuringMethodCode(std::string_view name) {
  for (std::size_t i = 0; i < kMeasuringMethodNames.size(); ++i) {
    if (kMeasuringMethodNames[i] == name) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string QualifiedName(const NameDefinition& def) {
  std::string out = "'";
  for (char ch : def.sheet) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  out += "'!";
  out += def.name;
  return out;
}

std::string_view ExtensionTable::operator[](int entry) const {
  switch (entry) {
    case 0: return meetWorkbook;
    case 1: return meetTemplate;
    case 2: return plainWorkbook;
    case 3: return plainTemplate;
    default: throw std::out_of_range("extension table entry");
  }
}

bool IsNewerFileFamily(std::string_view version) {
  // The numeric value of the text's leading number, as the application's Val
  // reads it ("16.0" -> 16); no number reads as 0.
  std::size_t i = 0;
  while (i < version.size() && (version[i] == ' ' || version[i] == '\t')) ++i;
  double value = 0;
  const char* first = version.data() + i;
  const char* last = version.data() + version.size();
  if (first == last || std::from_chars(first, last, value, std::chars_format::fixed).ec != std::errc()) value = 0;
  if (!std::isfinite(value)) value = 0;
  return std::floor(value) > 11;
}

ExtensionTable ExtensionsForVersion(std::string_view version) {
  if (IsNewerFileFamily(version)) return {".xlsm", ".xltm", ".xlsx", ".xltx"};
  return {".xls", ".xlt", ".xls", ".xlt"};
}

std::string_view scores::MethodText(int method) {
  switch (static_cast<MeasuringMethod>(method)) {
    case MeasuringMethod::Time: return kTimed;
    case MeasuringMethod::Count: return kCounted;
    default: return kOther;
  }
}

bool IsMeetWorkbookName(std::string_view workbookName) { return StartsWith(workbookName, kRecognitionPrefix); }

host::Workbook* FindMeetWorkbook(const host::WorkbookHost& application) {
  host::Workbook* found = nullptr;
  for (host::Workbook* book : application.Workbooks()) {
    if (book != nullptr && IsMeetWorkbookName(book->Name())) found = book;
  }
  return found;
}

std::string DatedFileName(std::string_view prefix, std::chrono::year_month_day date, int secondsOfDay,
                          std::string_view extension) {
  const int year = static_cast<int>(date.year());
  if (!date.ok() || year < 0 || year > 9999) throw host::HostError("文件名中的日期无效");
  if (secondsOfDay < 0 || secondsOfDay >= kSecondsPerDay) throw host::HostError("文件名中的时间无效");
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02u_%05d", year, static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), secondsOfDay);
  std::string name(prefix);
  name += stamp;
  name += extension;
  return name;
}

std::string MeetWorkbookFileName(std::chrono::year_month_day date, int secondsOfDay, std::string_view extension) {
  return DatedFileName(kMeetWorkbookPrefix, date, secondsOfDay, extension);
}

DatedName MatchDatedFileName(std::string_view prefix, std::string_view fileName, std::string_view extension) {
  DatedName out;
  if (fileName.size() < prefix.size() + extension.size()) return out;
  if (!StartsWith(fileName, prefix) || !host::EndsWithAsciiNoCase(fileName, extension)) return out;
  const std::string_view middle = fileName.substr(prefix.size(), fileName.size() - prefix.size() - extension.size());
  const std::vector<std::string_view> chars = Characters(middle);
  // "????-??-??_?????": 16 characters with the separators in place.
  if (chars.size() != 16 || chars[4] != "-" || chars[7] != "-" || chars[10] != "_") return out;

  out.match = DatedNameMatch::Unreadable;
  const long year = ReadDigits(chars, 0, 4);
  const long month = ReadDigits(chars, 5, 2);
  const long day = ReadDigits(chars, 8, 2);
  const long seconds = ReadDigits(chars, 11, 5);
  if (year < 0 || month < 0 || day < 0 || seconds < 0 || seconds >= kSecondsPerDay) return out;
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(year)),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return out;
  out.match = DatedNameMatch::Match;
  out.date = date;
  out.secondsOfDay = static_cast<int>(seconds);
  return out;
}

DatedName MatchMeetWorkbookFileName(std::string_view fileName, std::string_view extension) {
  return MatchDatedFileName(kMeetWorkbookPrefix, fileName, extension);
}

bool IsMoreRecent(const DatedName& candidate, const DatedName& current) {
  if (candidate.date != current.date) return candidate.date > current.date;
  return candidate.secondsOfDay > current.secondsOfDay;
}

MeetStage StageFromSheetCount(int sheetCount, int teamSheetCount) {
  const long long b = static_cast<long long>(teamSheetCount) + kFixedSheetCount;
  const long long s = sheetCount;
  if (s > b + 4) return MeetStage::RecordTables;
  if (s > b + 2) return MeetStage::Reports;
  if (s > b) return MeetStage::Consolidated;
  return MeetStage::NotConsolidated;
}

}  // namespace korvane::meet
