#include "schedule/timeline.h"

#include <cmath>

#include "host/value.h"

namespace korvane::schedule {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

// A whole number of minutes written with digits; "5.0" is five minutes, "2.5"
// is no whole number.
std::optional<int> ReadWholeMinutes(std::string_view s) {
  const std::size_t point = s.find('.');
  if (point != std::string_view::npos) {
    const std::string_view fraction = s.substr(point + 1);
    if (fraction.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
    s = s.substr(0, point);
  }
  if (s.empty() || s.size() > 5) return std::nullopt;
  int whole = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    whole = whole * 10 + (c - '0');
  }
  return whole;
}

// A time of day as minutes from midnight.
std::optional<int> ReadTime(std::string_view s) {
  double t = 0;
  if (!host::ParseTimeOfDay(s, t)) return std::nullopt;
  return static_cast<int>(std::lround(t * kMinutesPerDay));
}

std::string TimeText(int minutes) { return host::FormatTimeOfDay(static_cast<double>(minutes) / kMinutesPerDay); }

const std::string& Column(const ListRow& row, std::size_t c) {
  static const std::string empty;
  return c < row.size() ? row[c] : empty;
}

}  // namespace

std::optional<int> ReadMinutes(std::string_view duration) {
  std::string_view s = duration;
  auto strip = [&](std::string_view suffix) {
    if (s.size() < suffix.size() || s.substr(s.size() - suffix.size()) != suffix) return false;
    s.remove_suffix(suffix.size());
    return true;
  };
  if (!strip(kMinutesUnit)) strip("分");
  return ReadWholeMinutes(s);
}

std::optional<StartAndDuration> ReadStartAndDuration(std::string_view text) {
  const std::size_t bar = text.find('_');
  if (bar == std::string_view::npos) return std::nullopt;
  const std::optional<int> start = ReadTime(text.substr(0, bar));
  const std::optional<int> minutes = ReadMinutes(text.substr(bar + 1));
  if (!start || !minutes) return std::nullopt;
  return StartAndDuration{*start, *minutes};
}

std::string SpanText(int start, int end) { return TimeText(start) + "～" + TimeText(end); }

std::string UnreadableTimeText(bool track, int position, std::string_view text) {
  return std::string(track ? "径赛" : "田赛") + "日程安排中，第" + std::to_string(position) + "条目的时间“" +
         std::string(text) + "”无法识别，请改正后再试!";
}

namespace {

// Walks an arranged list. `track` selects the running clock of the track
// list; the field list gives every event its own start.
Timeline Walk(const std::vector<ListRow>& arranged, bool track) {
  Timeline out;
  int previousEnd = 0;  // the running time of the track list
  std::string halfDay;
  auto bad = [&](int i, const std::string& s) {
    if (out.badRow < 0) {
      out.badRow = i;
      out.badText = s;
    }
  };
  for (int i = 0; i < static_cast<int>(arranged.size()); ++i) {
    const ListRow& row = arranged[static_cast<std::size_t>(i)];
    TimedRow timed;
    timed.kind = KindOf(Column(row, 0));
    timed.row = row;
    switch (timed.kind) {
      case RowKind::HalfDay: halfDay = Column(row, 1); break;
      case RowKind::Rest: {
        const std::optional<int> m = ReadMinutes(Column(row, 2));
        if (!m) bad(i, Column(row, 2));
        if (track) previousEnd += m.value_or(0);
        continue;  // a rest has no row of its own
      }
      case RowKind::Opening:
      case RowKind::Closing:
      case RowKind::CheckIn: {
        const std::optional<int> t = ReadTime(Column(row, 2));
        if (!t) {
          bad(i, Column(row, 2));
          break;
        }
        timed.timeText = TimeText(*t);
        if (timed.kind == RowKind::CheckIn && track) {
          // An empty check-in duration is no time at all.
          const std::string& d = Column(row, 3);
          const std::optional<int> m = d.empty() ? std::optional<int>(0) : ReadMinutes(d);
          if (!m) bad(i, d);
          previousEnd = *t + m.value_or(0);
        }
        break;
      }
      case RowKind::TrackItem:
      case RowKind::FieldItem:
      case RowKind::UserDefined: {
        const std::string& c6 = Column(row, 6);
        if (track) {
          const std::optional<int> m = ReadMinutes(c6);
          if (!m) {
            bad(i, c6);
            break;
          }
          timed.start = previousEnd;
          timed.end = previousEnd + *m;
          previousEnd = timed.end;
        } else {
          const std::optional<StartAndDuration> sd = ReadStartAndDuration(c6);
          if (!sd) {
            bad(i, c6);
            break;
          }
          timed.start = sd->start;
          timed.end = sd->start + sd->minutes;
        }
        timed.timeText = SpanText(timed.start, timed.end);
        break;
      }
      default: break;
    }
    timed.halfDay = halfDay;
    out.rows.push_back(std::move(timed));
  }
  return out;
}

}  // namespace

Timeline TrackTimeline(const std::vector<ListRow>& arranged) { return Walk(arranged, true); }
Timeline FieldTimeline(const std::vector<ListRow>& arranged) { return Walk(arranged, false); }

std::vector<int> PageBreakRows(int lastRow) {
  std::vector<int> breaks;
  for (int r = 1 + kRowsPerPage; r < lastRow; r += kRowsPerPage) breaks.push_back(r);
  return breaks;
}

int PagesFor(int lastRow) { return lastRow <= 0 ? 0 : static_cast<int>(PageBreakRows(lastRow).size()) + 1; }

int NextOddPage(int first, int pages) {
  const int next = first + pages;
  return next % 2 == 0 ? next + 1 : next;
}

}  // namespace korvane::schedule
