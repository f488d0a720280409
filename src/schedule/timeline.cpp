#include "schedule/timeline.h"

#include "host/value.h"

namespace korvane::schedule {

namespace {

constexpr double kMinutesPerDay = 24.0 * 60.0;

// A non-negative decimal number written with digits and at most one point.
std::optional<double> ReadNumber(std::string_view s) {
  if (s.empty() || s.size() > 9) return std::nullopt;
  double whole = 0, scale = 0;
  bool digit = false;
  for (char c : s) {
    if (c == '.' && scale == 0) {
      scale = 1;
    } else if (c >= '0' && c <= '9') {
      digit = true;
      if (scale == 0) {
        whole = whole * 10 + (c - '0');
      } else {
        scale /= 10;
        whole += (c - '0') * scale;
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  return whole;
}

std::optional<double> ReadTime(std::string_view s) {
  double t = 0;
  if (!host::ParseTimeOfDay(s, t)) return std::nullopt;
  return t;
}

const std::string& Column(const ListRow& row, std::size_t c) {
  static const std::string empty;
  return c < row.size() ? row[c] : empty;
}

}  // namespace

std::optional<double> ReadMinutes(std::string_view duration) {
  std::string_view s = duration;
  auto strip = [&](std::string_view suffix) {
    if (s.size() < suffix.size() || s.substr(s.size() - suffix.size()) != suffix) return false;
    s.remove_suffix(suffix.size());
    return true;
  };
  if (!strip(kMinutesUnit)) strip("分");
  return ReadNumber(s);
}

std::optional<StartAndDuration> ReadStartAndDuration(std::string_view text) {
  const std::size_t bar = text.find('_');
  if (bar == std::string_view::npos) return std::nullopt;
  const std::optional<double> start = ReadTime(text.substr(0, bar));
  const std::optional<double> minutes = ReadMinutes(text.substr(bar + 1));
  if (!start || !minutes) return std::nullopt;
  return StartAndDuration{*start, *minutes};
}

std::string SpanText(double start, double end) {
  return host::FormatTimeOfDay(start) + "～" + host::FormatTimeOfDay(end);
}

std::string UnreadableTimeText(bool track, int position, std::string_view text) {
  return std::string(track ? "径赛" : "田赛") + "日程安排中，第" + std::to_string(position) + "条目的时间“" +
         std::string(text) + "”无法识别，请改正后再试!";
}

namespace {

// Walks an arranged list. `track` selects the running clock of the track
// list; the field list gives every event its own start.
Timeline Walk(const std::vector<ListRow>& arranged, bool track) {
  Timeline out;
  double previousEnd = 0;  // the running time of the track list
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
        const std::optional<double> m = ReadMinutes(Column(row, 2));
        if (!m) bad(i, Column(row, 2));
        if (track) previousEnd += m.value_or(0) / kMinutesPerDay;
        continue;  // a rest has no row of its own
      }
      case RowKind::Opening:
      case RowKind::Closing:
      case RowKind::CheckIn: {
        const std::optional<double> t = ReadTime(Column(row, 2));
        if (!t) {
          bad(i, Column(row, 2));
          break;
        }
        timed.timeText = host::FormatTimeOfDay(*t);
        if (timed.kind == RowKind::CheckIn && track) {
          // An empty check-in duration is no time at all.
          const std::string& d = Column(row, 3);
          const std::optional<double> m = d.empty() ? std::optional<double>(0) : ReadMinutes(d);
          if (!m) bad(i, d);
          previousEnd = *t + m.value_or(0) / kMinutesPerDay;
        }
        break;
      }
      case RowKind::TrackItem:
      case RowKind::FieldItem:
      case RowKind::UserDefined: {
        const std::string& c6 = Column(row, 6);
        if (track) {
          const std::optional<double> m = ReadMinutes(c6);
          if (!m) {
            bad(i, c6);
            break;
          }
          timed.start = previousEnd;
          timed.end = previousEnd + *m / kMinutesPerDay;
          previousEnd = timed.end;
        } else {
          const std::optional<StartAndDuration> sd = ReadStartAndDuration(c6);
          if (!sd) {
            bad(i, c6);
            break;
          }
          timed.start = sd->start;
          timed.end = sd->start + sd->minutes / kMinutesPerDay;
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

int PagesFor(int lastRow) { return lastRow <= 0 ? 0 : (lastRow + kRowsPerPage - 1) / kRowsPerPage; }

int NextOddPage(int first, int pages) {
  const int next = first + pages;
  return next % 2 == 0 ? next + 1 : next;
}

}  // namespace korvane::schedule
