#include "schedule/items.h"

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <tuple>

#include "host/address.h"
#include "host/utf8.h"
#include "meet/event_title.h"
#include "meet/grades.h"
#include "meet/layout.h"

namespace korvane::schedule {

// ---- texts ----

namespace text {

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = from.empty() ? std::string_view::npos : s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

}  // namespace text

namespace {

// UTF-8 to code points and back (wchar_t holds a code point here); a
// malformed text gives nullopt.
std::optional<std::wstring> Widen(std::string_view s) {
  std::wstring out;
  for (std::size_t i = 0; i < s.size();) {
    const host::utf8::Character c = host::utf8::DecodeAt(s, i);
    if (!c.wellFormed) return std::nullopt;
    out.push_back(static_cast<wchar_t>(c.codePoint));
    i += c.bytes;
  }
  return out;
}

std::string Narrow(std::wstring_view w) {
  std::string out;
  for (wchar_t c : w) host::utf8::Append(out, static_cast<char32_t>(c));
  return out;
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

int LastUsedRow(const host::Worksheet& ws, int col) { return ws.End(host::kMaxRows, col, host::Direction::Up).first; }
int LastUsedCol(const host::Worksheet& ws, int row) {
  return ws.End(row, host::kMaxCols, host::Direction::ToLeft).second;
}

// A cell read as a whole number, bounded so that sums cannot overflow.
long long WholeAt(const host::Worksheet& ws, int row, int col) {
  const long long v = ws.ValueAt(row, col).ToWhole();
  return v < -1'000'000'000LL ? -1'000'000'000LL : (v > 1'000'000'000LL ? 1'000'000'000LL : v);
}

}  // namespace

// ---- codes ----

std::string ItemCode(char kind, int n) { return std::string(1, kind) + (n <= 99 ? TwoDigits(n) : std::to_string(n)); }

long long CodeNumber(std::string_view code) {
  if (code.empty() || code.size() > 12) return 0;
  long long v = 0;
  for (char c : code) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v;
}

RowKind KindOf(std::string_view code) {
  if (code.empty()) return RowKind::Other;
  if (code == kUserDefinedCode) return RowKind::UserDefined;
  if (code[0] == '1') return RowKind::TrackItem;
  if (code[0] == '2') return RowKind::FieldItem;
  if (code[0] != '3') return RowKind::Other;
  if (code == kOpeningCode) return RowKind::Opening;
  if (code == kClosingCode) return RowKind::Closing;
  if (code == kCheckInCode) return RowKind::CheckIn;
  if (code == kRestCode) return RowKind::Rest;
  const long long n = CodeNumber(code);
  if (n >= 304 && n <= 307) return RowKind::Judges;
  if (n >= kFirstHalfDayCode) return RowKind::HalfDay;
  return RowKind::Other;
}

bool IsEvent(RowKind kind) {
  return kind == RowKind::TrackItem || kind == RowKind::FieldItem || kind == RowKind::UserDefined;
}

// ---- dates ----

std::optional<MeetStart> ParseMeetStartSpec(std::string_view spec) {
  // Four numbers, each followed by its unit.
  static const std::wregex pattern(L"^(\\d{4})\u5e74(\\d{1,2})\u6708(\\d{1,2})\u65e5(\\d{1,2})\u5929$");
  const std::optional<std::wstring> wide = Widen(spec);
  std::wsmatch m;
  if (!wide || !std::regex_match(*wide, m, pattern)) return std::nullopt;
  MeetStart s{std::stoi(m[1].str()), std::stoi(m[2].str()), std::stoi(m[3].str()), std::stoi(m[4].str())};
  const std::chrono::year_month_day date{std::chrono::year(s.year), std::chrono::month(static_cast<unsigned>(s.month)),
                                         std::chrono::day(static_cast<unsigned>(s.day))};
  if (!date.ok() || s.days < 1) return std::nullopt;
  return s;
}

std::vector<ListRow> HalfDayRows(const MeetStart& start) {
  using namespace std::chrono;
  std::vector<ListRow> rows;
  const sys_days first = year_month_day{year(start.year), month(static_cast<unsigned>(start.month)),
                                        day(static_cast<unsigned>(start.day))};
  int code = kFirstHalfDayCode;
  for (int i = 0; i < start.days; ++i) {
    const year_month_day d{first + days(i)};
    const std::string date =
        std::to_string(static_cast<unsigned>(d.month())) + "月" + std::to_string(static_cast<unsigned>(d.day())) + "日";
    rows.push_back({std::to_string(code++), date + "上午"});
    rows.push_back({std::to_string(code++), date + "下午"});
  }
  return rows;
}

std::vector<ListRow> AdditionalRows(const MeetStart& start) {
  std::vector<ListRow> rows{{std::string(kOpeningCode), std::string(kOpening)},
                            {std::string(kClosingCode), std::string(kClosing)},
                            {std::string(kCheckInCode), std::string(kCheckIn)}};
  for (std::size_t j = 0; j < kJudgesGroups.size(); ++j)
    rows.push_back({std::to_string(304 + j), std::string(kJudgesGroups[j])});
  rows.push_back({std::string(kRestCode), std::string(kRest)});
  for (ListRow& r : HalfDayRows(start)) rows.push_back(std::move(r));
  return rows;
}

// ---- derivation ----

std::string MaxPerGroupText(std::string_view eventTitle) {
  return meet::parameter_text::GroupSizeMissing(eventTitle, "日程未建立", "重新运行“赛事日程...”");
}

namespace {

// The place of an event title's grade among the grades of 设置: the grade
// itself, the first of two neighbouring grades merged into one title
// (初一初二), or the first grade of a school level competing as one group
// (初中, 高中). nullopt for a grade the meet does not have.
std::optional<int> GradeOrder(const std::vector<std::string>& grades, std::string_view grade) {
  const int G = static_cast<int>(grades.size());
  for (int g = 0; g < G; ++g) {
    if (grades[g] == grade) return g;
    if (g + 1 < G && grades[g] + grades[g + 1] == grade) return g;
  }
  if (grade == meet::events::kAllJunior || grade == meet::events::kAllSenior)
    for (int g = 0; g < G; ++g)
      if (meet::SchoolLevel(grades[g]) == grade) return g;
  return std::nullopt;
}

std::optional<int> SexOrder(std::string_view sex) {
  for (std::size_t s = 0; s < meet::kSexes.size(); ++s)
    if (meet::kSexes[s] == sex) return static_cast<int>(s);
  return std::nullopt;
}

}  // namespace

std::string UnknownGradeText(const std::vector<std::string>& titles) {
  std::string s = "比赛项目名单中以下有人报名的项目，其年级不是“设置”中的年级，未列入日程：";
  for (const std::string& t : titles) s += "\n" + t;
  return s + "\n请在“设置”中补上这些年级或改正项目名称后重新运行“赛事日程...”。";
}

DerivedItems DeriveItems(const host::Workbook& meetBook) {
  namespace ev = meet::events;
  const host::Worksheet* settings = meetBook.FindSheet(std::string(meet::kSettingsSheet));
  const host::Worksheet* form = meetBook.FindSheet(std::string(meet::kFormSampleSheet));
  const host::Worksheet* events = meetBook.FindSheet(std::string(meet::kEventsSheet));
  DerivedItems items;
  if (!settings || !form || !events) return items;

  const long long maxPerGroup = meet::LoadParameters(meetBook).MaxPerGroup;
  const std::vector<std::string> grades = meet::GradeNames(meet::ReadGrades(*settings));
  // Rows of the configured events (D2), no further than column D is used.
  long long n = WholeAt(*events, ev::kEventCount.row, ev::kEventCount.col);
  n = std::min<long long>(n, LastUsedRow(*events, ev::kTitleCol) - 2);
  const int lastEventRow = static_cast<int>(std::max<long long>(n, 0)) + ev::kFirstEventRow - 1;

  std::vector<std::string> headings;
  const int lastHeading = LastUsedCol(*form, meet::form::kHeadingRow);
  for (int c = meet::form::kFirstEventCol; c <= lastHeading; ++c)
    headings.push_back(form->ValueAt(meet::form::kHeadingRow, c).ToText());

  // Every event row with entrants, its title decoded into grade, sex and
  // event: the first row of a title gives its item, in the order of the
  // registration headings, then sex, then grade. An event the forms do not
  // head follows the headed ones.
  struct Found {
    int heading, sex, grade, row;
    meet::EventTitleParts parts;
    std::string title;
  };
  std::vector<Found> found;
  std::set<std::string> seen;
  for (int r = ev::kFirstEventRow; r <= lastEventRow; ++r) {
    const std::string title = events->ValueAt(r, ev::kTitleCol).ToText();
    if (title.empty() || !seen.insert(title).second) continue;
    if (WholeAt(*events, r, ev::kEntrantCountCol) <= 0) continue;
    meet::EventTitleParts parts = meet::SplitEventTitle(title);
    const std::optional<int> grade = GradeOrder(grades, parts.grade);
    const std::optional<int> sex = SexOrder(parts.sex);
    if (!grade || !sex || parts.event.empty()) {
      items.unknownGrade.push_back(title);
      continue;
    }
    const int heading = static_cast<int>(std::find(headings.begin(), headings.end(), parts.event) - headings.begin());
    found.push_back(Found{heading, *sex, *grade, r, std::move(parts), title});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return std::tie(a.heading, a.sex, a.grade) < std::tie(b.heading, b.sex, b.grade);
  });

  for (const Found& f : found) {
    const long long entrants = WholeAt(*events, f.row, ev::kEntrantCountCol);
    const std::string rule = events->ValueAt(f.row, ev::kLaneRuleCol).ToText().substr(0, 1);
    long long groups = 1;
    if (rule == "1") {
      groups = (entrants + 7) / 8;
    } else if (rule != "2") {
      if (maxPerGroup <= 0) throw ItemsRefused(MaxPerGroupText(f.title));
      groups = (entrants + maxPerGroup - 1) / maxPerGroup;
    }
    const std::string& event = f.parts.event;
    const bool track = text::Contains(event, kMetre);
    std::vector<ListRow>& list = track ? items.track : items.field;
    const char kind = track ? '1' : '2';
    const bool relay = track && text::Contains(event, meet::form::kRelaySuffix);
    const std::string stage(groups == 1 ? kSingleRound : kPreliminary);
    list.push_back({ItemCode(kind, static_cast<int>(list.size()) + 1), f.parts.grade, f.parts.sex, event, stage,
                    std::to_string(groups) + "组(" + std::to_string(entrants) + (relay ? "班)" : "人)")});
    if (groups > 1)
      list.push_back({ItemCode(kind, static_cast<int>(list.size()) + 1), f.parts.grade, f.parts.sex, event,
                      std::string(kFinal), "1组"});
  }
  return items;
}

// ---- user-defined items ----

std::string NormalizeEntryText(std::string_view typed) {
  // What an input method or a quick hand types for the characters of the
  // form: full-width brackets and digits, x for ×, m or M for 米.
  static const std::pair<std::string_view, std::string_view> kSame[] = {
      {"m", kMetre}, {"M", kMetre}, {"x", "×"}, {"X", "×"}, {"，", ","}, {"（", "("}, {"）", ")"}};
  std::string s(typed);
  for (const auto& [from, to] : kSame) s = text::ReplaceAll(s, from, to);
  const std::optional<std::wstring> wide = Widen(s);
  if (!wide) return s;
  std::wstring out;
  for (wchar_t c : *wide) {
    if (c >= L'\uff10' && c <= L'\uff19') c = static_cast<wchar_t>(L'0' + (c - L'\uff10'));
    // Blanks after a comma (and around the whole text) are dropped.
    const bool blank = c == L' ' || c == L'\u3000' || c == L'\t';
    if (blank && (out.empty() || out.back() == L',')) continue;
    out.push_back(c);
  }
  while (!out.empty() && (out.back() == L' ' || out.back() == L'\u3000' || out.back() == L'\t')) out.pop_back();
  return Narrow(out);
}

std::optional<std::array<std::string, 5>> SplitEntryText(std::string_view normalized) {
  static const std::wregex pattern(
      L"^(([\u9ad8\u521d][\u4e00\u4e8c\u4e09\u4e2d])|\u7279\u957f)(\u7537\u5b50|\u5973\u5b50|\u6df7\u5408)"
      L"([0-9\u00d7\u4e00-\u9fa5]{2,}),((\u9884|\u51b3|\u9884\u51b3)\u8d5b),([0-9]\u7ec4\\([0-9]{1,2}["
      L"\u4eba\u73ed\u961f]\\))"
      L"$");
  const std::optional<std::wstring> wide = Widen(normalized);
  std::wsmatch m;
  if (!wide || !std::regex_match(*wide, m, pattern)) return std::nullopt;
  // Grade, sex, event, stage and groups as the pattern matched them: the
  // event starts after the sex word, whatever characters it holds (踢毽子).
  return std::array<std::string, 5>{Narrow(m[1].str()), Narrow(m[3].str()), Narrow(m[4].str()), Narrow(m[5].str()),
                                    Narrow(m[7].str())};
}

}  // namespace korvane::schedule
