#include <gtest/gtest.h>

#include "host/application.h"
#include "host/range.h"
#include "host/value.h"
#include "schedule/preview.h"
#include "schedule/sheets.h"
#include "schedule/timeline.h"

namespace korvane::schedule {
namespace {

// The arranged track list of a morning and an afternoon: opening, check-in,
// two 100m heats with a rest between them, then a check-in and a 400m.
std::vector<ListRow> WorkedTrackList() {
  return {{"309", "10月25日上午", "", "", "", "", ""},
          {"301", "开幕式", "8:00", "", "", "", ""},
          {"303", "开始检录", "8:30", "10分钟", "", "", ""},
          {"101", "高一", "男子", "100米", "预赛", "2组(16人)", "15分钟"},
          {"308", "休息", "5分钟", "", "", "", ""},
          {"103", "高一", "女子", "100米", "预赛", "2组(12人)", "10分钟"},
          {"310", "10月25日下午", "", "", "", "", ""},
          {"303", "开始检录", "14:00", "10分钟", "", "", ""},
          {"105", "初一", "男子", "400米", "预决赛", "1组(6人)", "20分钟"}};
}

std::vector<ListRow> FieldList() {
  return {{"309", "10月25日上午", "", "", "", "", ""},
          {"303", "开始检录", "8:45", "", "", "", ""},
          {"304", "第一组裁判", "", "", "", "", ""},
          {"201", "高一", "男子", "跳远", "预决赛", "1组(20人)", "9:00_45分钟"},
          {"302", "闭幕式", "16:30", "", "", "", ""}};
}

TEST(ScheduleTimeline, TrackRunsFromCheckInThroughDurationsAndRests) {
  const Timeline t = TrackTimeline(WorkedTrackList());
  EXPECT_EQ(t.badRow, -1);
  std::vector<std::string> times;
  for (const TimedRow& r : t.rows) times.push_back(r.timeText);
  // The rest has no row; its five minutes delay the next heat.
  EXPECT_EQ(times,
            (std::vector<std::string>{"", "8:00", "8:30", "8:40～8:55", "9:00～9:10", "", "14:00", "14:10～14:30"}));
  EXPECT_EQ(t.rows[3].halfDay, "10月25日上午");
  EXPECT_EQ(t.rows[7].halfDay, "10月25日下午");
}

TEST(ScheduleTimeline, FieldEventsHaveTheirOwnStart) {
  const Timeline t = FieldTimeline(FieldList());
  ASSERT_EQ(t.rows.size(), 5u);
  EXPECT_EQ(t.rows[3].timeText, "9:00～9:45");
  EXPECT_EQ(t.rows[4].timeText, "16:30");
}

TEST(ScheduleTimeline, AnEventStartingWhenAnotherEndsTouchesItExactly) {
  // Check-in at 14:00 for 10 minutes and five 7-minute heats: the sixth heat
  // starts at 14:45, when the long jump that began at 14:15 ends.
  std::vector<ListRow> track{{"310", "10月25日下午", "", "", "", "", ""},
                             {"303", "开始检录", "14:00", "10分钟", "", "", ""}};
  for (int i = 0; i < 6; ++i) track.push_back({"101", "高一", "男子", "100米", "预赛", "6组(48人)", "7分钟"});
  const Timeline t = TrackTimeline(track);
  const Timeline f = FieldTimeline({{"310", "10月25日下午", "", "", "", "", ""},
                                    {"201", "高一", "男子", "跳远", "预决赛", "1组(20人)", "14:15_30分钟"}});
  EXPECT_EQ(t.rows[7].timeText, "14:45～14:52");
  EXPECT_EQ(t.rows[7].start, f.rows[1].end);
  EXPECT_EQ(t.rows[6].end, t.rows[7].start);
}

TEST(ScheduleTimeline, DurationsAreWholeMinutes) {
  struct Case {
    const char* text;
    std::optional<int> minutes;
  };
  for (const Case& c : {Case{"5分钟", 5}, Case{"12分", 12}, Case{"90", 90}, Case{"5.0分钟", 5}, Case{"2.5分钟", {}},
                        Case{"分钟", {}}, Case{"五分钟", {}}, Case{"-5分钟", {}}})
    EXPECT_EQ(ReadMinutes(c.text), c.minutes) << c.text;
}

TEST(ScheduleTimeline, UnreadableTimesNameTheirRow) {
  std::vector<ListRow> track = WorkedTrackList();
  track[2][2] = "8:3";  // the hour box lost its minutes
  EXPECT_EQ(TrackTimeline(track).badRow, 2);
  track = WorkedTrackList();
  track[5][6] = "十分钟";
  const Timeline t = TrackTimeline(track);
  EXPECT_EQ(t.badRow, 5);
  EXPECT_EQ(t.badText, "十分钟");
  std::vector<ListRow> field = FieldList();
  field[3][6] = "25:00_45分钟";
  EXPECT_EQ(FieldTimeline(field).badRow, 3);
  EXPECT_EQ(UnreadableTimeText(true, 6, "十分钟"), "径赛日程安排中，第6条目的时间“十分钟”无法识别，请改正后再试!");
}

TEST(ScheduleTimeline, PageNumbersStayOdd) {
  // 40 rows of 径赛 from page 11 put 田赛 at 13; 30 rows of 田赛 then put the reports at 15.
  EXPECT_EQ(NextOddPage(11, PagesFor(40)), 13);
  EXPECT_EQ(NextOddPage(13, PagesFor(30)), 15);
  EXPECT_EQ(NextOddPage(13, PagesFor(28)), 15);
  // 56 data rows under the heading fill two pages exactly.
  EXPECT_EQ(NextOddPage(11, PagesFor(57)), 13);
}

TEST(ScheduleSheets, PrintedPagesAreThePagesCounted) {
  // Data rows against the pages printed: the breaks the sheet carries and the
  // count the next sheet's first page number follows from.
  for (const auto& [dataRows, pages] :
       std::vector<std::pair<int, int>>{{1, 1}, {27, 1}, {28, 1}, {29, 2}, {56, 2}, {57, 3}, {84, 3}, {112, 4}}) {
    host::WorkbookHost host;
    host::Workbook& book = host.Add(std::string(KORVANE_SHARE_DIR) + "/日程安排表.xltx");
    host::Worksheet& ws = book.Sheet("径赛");
    std::vector<ListRow> track{{"309", "10月25日上午", "", "", "", "", ""},
                               {"303", "开始检录", "8:00", "10分钟", "", "", ""}};
    while (static_cast<int>(track.size()) < dataRows)
      track.push_back({"101", "高一", "男子", "100米", "预赛", "9组(70人)", "5分钟"});
    track.resize(static_cast<std::size_t>(dataRows));
    const int lastRow = WriteTrackSheet(ws, TrackTimeline(track));
    EXPECT_EQ(lastRow, dataRows + 1);
    EXPECT_EQ(PagesFor(lastRow), pages) << dataRows;
    EXPECT_EQ(static_cast<int>(ws.Page().rowBreaks.size()) + 1, pages) << dataRows;
  }
}

TEST(ScheduleSheets, TrackSheetAsPrinted) {
  host::WorkbookHost host;
  host::Workbook& book = host.Add(std::string(KORVANE_SHARE_DIR) + "/日程安排表.xltx");
  host::Worksheet& ws = book.Sheet("径赛");
  ws.PutValue(20, 3, "old row");  // a longer schedule written before
  EXPECT_EQ(WriteTrackSheet(ws, TrackTimeline(WorkedTrackList())), 9);
  auto text = [&](int r, int c) { return ws.ValueAt(r, c).ToText(); };
  EXPECT_EQ(text(2, 1), "10月25日上午");
  EXPECT_EQ(text(3, 3), "开幕式");
  EXPECT_EQ(text(4, 3), "开始检录");
  EXPECT_EQ(text(4, 4), "");  // the check-in's start and duration columns are empty
  EXPECT_EQ(text(5, 2), "8:40～8:55");
  EXPECT_EQ(text(5, 3) + text(5, 4) + text(5, 5) + text(5, 6) + text(5, 7), "高一男子100米预赛2组(16人)");
  EXPECT_EQ(text(6, 2), "9:00～9:10");
  EXPECT_EQ(text(7, 1), "10月25日下午");
  EXPECT_EQ(text(9, 2), "14:10～14:30");
  EXPECT_EQ(text(9, 8), "");
  EXPECT_EQ(text(20, 3), "");
  // Ceremony and check-in starts are times shown h:mm.
  ASSERT_TRUE(ws.ValueAt(3, 2).IsNumber());
  EXPECT_EQ(host::FormatTimeOfDay(ws.ValueAt(3, 2).Number()), "8:00");
  EXPECT_EQ(ws.StyleAt(4, 2).numberFormat, "h:mm");
}

TEST(ScheduleSheets, FieldSheetAndLongSchedulePageBreaks) {
  host::WorkbookHost host;
  host::Workbook& book = host.Add(std::string(KORVANE_SHARE_DIR) + "/日程安排表.xltx");
  host::Worksheet& ws = book.Sheet("田赛");
  std::vector<ListRow> field = FieldList();
  for (int i = 0; i < 60; ++i)
    field.insert(field.end() - 1, {"202", "高一", "女子", "跳高", "预决赛", "1组(9人)", "10:00_30分钟"});
  EXPECT_EQ(WriteFieldSheet(ws, FieldTimeline(field)), 66);
  EXPECT_EQ(ws.ValueAt(2, 1).ToText(), "10月25日上午");
  EXPECT_EQ(ws.ValueAt(4, 2).ToText(), "第一组裁判");
  EXPECT_EQ(ws.ValueAt(5, 3).ToText(), "9:00～9:45");
  EXPECT_EQ(ws.ValueAt(5, 6).ToText(), "跳远");
  EXPECT_EQ(ws.ValueAt(66, 4).ToText(), "闭幕式");
  EXPECT_EQ(host::FormatTimeOfDay(ws.ValueAt(66, 3).Number()), "16:30");
  EXPECT_EQ(ws.Page().rowBreaks, (std::vector<int>{29, 57}));
}

TEST(SchedulePreview, SameTimesAsTheSheetsOnTwoTabs) {
  FrmPreview preview(TrackTimeline(WorkedTrackList()), FieldTimeline(FieldList()));
  EXPECT_TRUE(preview.jsList.visible);
  EXPECT_FALSE(preview.tsList.visible);
  ASSERT_EQ(preview.jsList.RowCount(), 8);
  EXPECT_EQ(preview.jsList.Row(3),
            (std::vector<std::string>{"8:40～8:55", "高一", "男子", "100米", "预赛", "2组(16人)"}));
  EXPECT_EQ(preview.jsList.Row(4)[0], "9:00～9:10");
  EXPECT_EQ(preview.jsList.Row(7)[0], "14:10～14:30");
  EXPECT_EQ(preview.jsList.Row(2), (std::vector<std::string>{"8:30", "开始检录", "", "", "", ""}));
  preview.TbsPreview.SetIndex(1);
  EXPECT_TRUE(preview.tsList.visible);
  EXPECT_FALSE(preview.jsList.visible);
  EXPECT_EQ(preview.tsList.Row(3)[0], "9:00～9:45");
  EXPECT_EQ(preview.tsList.Row(2)[0], "");
}

}  // namespace
}  // namespace korvane::schedule
