#include "cli/demo_schedule.h"

#include <algorithm>

namespace korvane::cli {

namespace {

constexpr int kHalfDays = 4;

// The leading number of a text ("3组(17人)" -> 3, "1500米" -> 1500); 0 when none.
int LeadingNumber(const std::string& s) {
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Expected minutes of a track item: by distance, for each group.
int TrackMinutes(const schedule::ListRow& item) {
  const int metres = LeadingNumber(item[3]);
  const int perGroup = schedule::text::Contains(item[3], "接力") ? 6
                       : metres <= 200                           ? 4
                       : metres <= 400                           ? 5
                       : metres <= 800                           ? 7
                                                                 : 10;
  return std::clamp(perGroup * std::max(1, LeadingNumber(item[5])), 1, 120);
}

// Minutes of a field item: 30 for each group.
int FieldMinutes(const schedule::ListRow& item) { return std::clamp(30 * std::max(1, LeadingNumber(item[5])), 1, 120); }

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string TypeStart(int minutesOfDay) {
  return " type tbHours " + std::to_string(minutesOfDay / 60) + "时\n type tbMinutes " + Two(minutesOfDay % 60) +
         "分\n";
}

// The items of half day h of n items spread over the half days in order.
std::pair<std::size_t, std::size_t> Share(std::size_t n, int h) {
  const std::size_t per = (n + kHalfDays - 1) / kHalfDays;
  const std::size_t first = std::min(n, per * static_cast<std::size_t>(h));
  return {first, std::min(n, first + per)};
}

std::string Track(const std::vector<schedule::ListRow>& items) {
  std::string s;
  int pos = 1;  // the row the next insert goes before: after the first half-day row
  s += " select ListBox13 =开幕式\n" + TypeStart(8 * 60) + " press cmdAppend\n";
  ++pos;
  for (int h = 0; h < kHalfDays; ++h) {
    const auto [first, last] = Share(items.size(), h);
    if (first == last) break;
    const bool lastHalfDay = h == kHalfDays - 1;
    // Before the next half-day row, or at the end of the list on the last half day.
    const std::string at = lastHalfDay ? " select ListBox21 none\n" : " select ListBox21 " + std::to_string(pos) + "\n";
    s +=
        at + " select ListBox13 =开始检录\n" + TypeStart(h % 2 == 0 ? 8 * 60 + 30 : 14 * 60) + " type tbTimes 10分钟\n";
    if (lastHalfDay) s += " answer yes\n";  // the track list
    s += " press cmdAppend\n";
    ++pos;
    for (std::size_t i = first; i < last; ++i) {
      s += (lastHalfDay ? at : " select ListBox21 " + std::to_string(pos) + "\n") + " select ListBox11 0\n" +
           " type tbTimes " + std::to_string(TrackMinutes(items[i])) + "分钟\n press cmdAppend\n";
      ++pos;
      if ((i - first) % 6 == 5 && i + 1 < last) {
        s += (lastHalfDay ? at : " select ListBox21 " + std::to_string(pos) + "\n") +
             " select ListBox13 =休息\n type tbTimes 5分钟\n press cmdAppend\n";
        ++pos;
      }
    }
    ++pos;  // past the next half-day row
  }
  return s;
}

std::string Field(const std::vector<schedule::ListRow>& items) {
  std::string s;
  int pos = 1;
  int used = 0;
  for (int h = 0; h < kHalfDays; ++h) {
    const auto [first, last] = Share(items.size(), h);
    if (first == last) break;
    ++used;
    const bool lastHalfDay = h == kHalfDays - 1;
    const std::string at = lastHalfDay ? " select ListBox22 none\n" : " select ListBox22 " + std::to_string(pos) + "\n";
    const int start = h % 2 == 0 ? 8 * 60 + 30 : 14 * 60 + 15;
    s += at + " select ListBox13 =开始检录\n" + TypeStart(start - 15);
    if (lastHalfDay) s += " answer no\n";  // the field list
    s += " press cmdAppend\n";
    ++pos;
    // The four judges' groups take the items in turn; each group's items follow one another.
    const std::size_t n = last - first;
    for (std::size_t g = 0; g < 4 && g < n; ++g) {
      s += (lastHalfDay ? at : " select ListBox22 " + std::to_string(pos) + "\n") +
           " select ListBox13 =" + std::string(schedule::kJudgesGroups[g]) + "\n press cmdAppend\n";
      ++pos;
      int clock = start;
      for (std::size_t i = first + g; i < last; i += 4) {
        s += (lastHalfDay ? at : " select ListBox22 " + std::to_string(pos) + "\n") +
             " select ListBox12 =" + items[i][0] + "\n" + TypeStart(clock) + " type tbTimes " +
             std::to_string(FieldMinutes(items[i])) + "分钟\n press cmdAppend\n";
        clock += FieldMinutes(items[i]);
        ++pos;
      }
    }
    ++pos;
  }
  // Half days without field items are taken off the list, so that the
  // closing ceremony follows the last one in use.
  for (int h = used; h < kHalfDays; ++h) s += " select ListBox22 " + std::to_string(pos - 1) + "\n press cmdRemove\n";
  s += " select ListBox13 =闭幕式\n" + TypeStart(16 * 60 + 30) + " press cmdAppend\n";
  return s;
}

}  // namespace

std::string ScheduleDemoScript(const schedule::DerivedItems& items) {
  std::string s = "Open\n";
  s += "input 11\n";
  s += "Schedule\n";
  s += " spin SpinButton3 down\n";  // two days from 10月25日
  s += " press CmdOk\n";
  s += Track(items.track);
  s += Field(items.field);
  s += " press CmdOk\n";
  s += "Save\n";
  return s;
}

}  // namespace korvane::cli
