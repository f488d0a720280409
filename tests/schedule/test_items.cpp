#include <gtest/gtest.h>

#include "meet/event_title.h"
#include "schedule/items.h"
#include "schedule/schedule_fixture.h"
#include "schedule/settings_form.h"

namespace korvane::schedule {
namespace {

using testing::Fixture;
using testing::MeetSpec;

TEST(ScheduleItems, CodesStayUniqueAndInOrderBeyondNinetyNine) {
  EXPECT_EQ(ItemCode('1', 1), "101");
  EXPECT_EQ(ItemCode('2', 99), "299");
  EXPECT_EQ(ItemCode('1', 100), "1100");
  EXPECT_EQ(ItemCode('2', 1234), "21234");
  long long previous = 0;
  for (int n = 1; n <= 1500; ++n) {
    const std::string code = ItemCode('1', n);
    EXPECT_EQ(KindOf(code), RowKind::TrackItem) << code;
    EXPECT_GT(CodeNumber(code), previous) << code;
    previous = CodeNumber(code);
  }
}

TEST(ScheduleItems, KindsOfTheAdditionalCodes) {
  const std::pair<const char*, RowKind> cases[] = {
      {"301", RowKind::Opening},     {"302", RowKind::Closing},   {"303", RowKind::CheckIn}, {"304", RowKind::Judges},
      {"307", RowKind::Judges},      {"308", RowKind::Rest},      {"309", RowKind::HalfDay}, {"322", RowKind::HalfDay},
      {"600", RowKind::UserDefined}, {"2100", RowKind::FieldItem}};
  for (const auto& [code, kind] : cases) EXPECT_EQ(KindOf(code), kind) << code;
}

TEST(ScheduleItems, ThreeDayMeetGivesSixHalfDayRows) {
  const std::optional<MeetStart> start = ParseMeetStartSpec("2026年10月25日3天");
  ASSERT_TRUE(start);
  const std::vector<ListRow> rows = AdditionalRows(*start);
  ASSERT_EQ(rows.size(), 14u);
  EXPECT_EQ(rows[0], (ListRow{"301", "开幕式"}));
  EXPECT_EQ(rows[7], (ListRow{"308", "休息"}));
  EXPECT_EQ(rows[8], (ListRow{"309", "10月25日上午"}));
  EXPECT_EQ(rows[9], (ListRow{"310", "10月25日下午"}));
  EXPECT_EQ(rows[13], (ListRow{"314", "10月27日下午"}));
  // Across the end of a month.
  const std::vector<ListRow> turn = HalfDayRows(*ParseMeetStartSpec("2026年4月30日2天"));
  EXPECT_EQ(turn[2], (ListRow{"311", "5月1日上午"}));
  EXPECT_FALSE(ParseMeetStartSpec("2026年4月31日2天"));
  EXPECT_FALSE(ParseMeetStartSpec("2026年10月25日"));
}

TEST(ScheduleItems, EntryTextsAcceptedAndRefused) {
  const auto parts = SplitEntryText(NormalizeEntryText("高一男子5000m，预决赛，1组(25人)"));
  ASSERT_TRUE(parts);
  EXPECT_EQ(*parts, (std::array<std::string, 5>{"高一", "男子", "5000米", "预决赛", "1组(25人)"}));
  const auto special = SplitEntryText("特长混合4×100米接力,决赛,1组(8队)");
  ASSERT_TRUE(special);
  EXPECT_EQ((*special)[0], "特长");
  EXPECT_EQ((*special)[2], "4×100米接力");
  for (const char* bad :
       {"高四男子100米,预赛,1组(8人)", "高一男子100米,预赛,10组(8人)", "高一男子100米,半决赛,1组(8人)",
        "高一男子米,预赛,1组(8人)", "高一男子100米,预赛,1组[8人]", ""})
    EXPECT_FALSE(SplitEntryText(NormalizeEntryText(bad))) << bad;
}

TEST(ScheduleItems, EntryTextsAsTheyAreTyped) {
  using Parts = std::array<std::string, 5>;
  const std::pair<const char*, Parts> cases[] = {
      {"特长混合踢毽子,预决赛,1组(8人)", {"特长", "混合", "踢毽子", "预决赛", "1组(8人)"}},
      {"初中女子跳绳子,预赛,2组(20人)", {"初中", "女子", "跳绳子", "预赛", "2组(20人)"}},
      {"高一男子4x100M接力，决赛，1组（8班）", {"高一", "男子", "4×100米接力", "决赛", "1组(8班)"}},
      {"高二女子４X１００米接力, 预决赛,　１组(６队)", {"高二", "女子", "4×100米接力", "预决赛", "1组(6队)"}},
  };
  for (const auto& [typed, parts] : cases) {
    const auto split = SplitEntryText(NormalizeEntryText(typed));
    ASSERT_TRUE(split) << typed;
    EXPECT_EQ(*split, parts) << typed;
  }
}

TEST(ScheduleItems, DerivedRowsWithGroupsAndFinals) {
  Fixture f;
  MeetSpec spec;
  spec.grades = {{"高一", 2}, {"高二", 2}};
  spec.headings = {"100米", "跳远", "4×100米接力", "铅球"};
  spec.maxPerGroup = 12;
  f.OpenMeet(spec);
  f.Entrants("高一男子100米", 17);
  f.Entrants("高一女子100米", 8);
  f.Entrants("高二男子100米", 0);
  f.Entrants("高一男子4×100米接力", 6);
  f.Entrants("高一男子跳远", 40, 2);
  f.Entrants("高二女子铅球", 25, 3);
  const DerivedItems items = DeriveItems(*f.book);
  std::vector<std::string> track, field;
  for (const ListRow& r : items.track) track.push_back(r[0] + " " + r[1] + r[2] + r[3] + " " + r[4] + " " + r[5]);
  for (const ListRow& r : items.field) field.push_back(r[0] + " " + r[1] + r[2] + r[3] + " " + r[4] + " " + r[5]);
  EXPECT_EQ(track,
            (std::vector<std::string>{"101 高一男子100米 预赛 3组(17人)", "102 高一男子100米 决赛 1组",
                                      "103 高一女子100米 预决赛 1组(8人)", "104 高一男子4×100米接力 预决赛 1组(6班)"}));
  EXPECT_EQ(field, (std::vector<std::string>{"201 高一男子跳远 预决赛 1组(40人)", "202 高二女子铅球 预赛 3组(25人)",
                                             "203 高二女子铅球 决赛 1组"}));
}

TEST(ScheduleItems, MergedGradesFollowTheMergeFlags) {
  Fixture f;
  MeetSpec spec;
  spec.grades = {{"初一", 1}, {"初二", 1}, {"高一", 1}};
  spec.headings = {"100米"};
  spec.events = {"初一初二男子100米", "高一男子100米"};
  spec.eventGrades = {"初一初二", "高一"};
  f.OpenMeet(spec);
  f.Sheet(meet::kEventsSheet).PutValue(1, 6, 1);  // F1: 初一 and 初二 compete together
  f.Entrants("初一初二男子100米", 12);
  f.Entrants("高一男子100米", 5);
  const DerivedItems items = DeriveItems(*f.book);
  ASSERT_EQ(items.track.size(), 3u);
  EXPECT_EQ(items.track[0][1], "初一初二");
  EXPECT_EQ(items.track[2][1], "高一");
}

// Items as "grade sex event stage", in order.
std::vector<std::string> ItemTexts(const DerivedItems& items) {
  std::vector<std::string> out;
  for (const std::vector<ListRow>* list : {&items.track, &items.field})
    for (const ListRow& r : *list) out.push_back(r[1] + " " + r[2] + " " + r[3] + " " + r[4]);
  return out;
}

TEST(ScheduleItems, EveryEventWithEntrantsOnceWhateverTheGradesMerge) {
  struct Case {
    const char* what;
    std::vector<std::string> events;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"the junior grades as one group",
       {"初中男子100米", "初中女子跳远", "高一男子100米", "高一男子4×100米接力"},
       {"初中 男子 100米 预决赛", "高一 男子 100米 预决赛", "高一 男子 4×100米接力 预决赛", "初中 女子 跳远 预决赛"}},
      {"one pair merged, the junior group besides",
       {"初一初二男子100米", "初三男子100米", "初中女子100米", "高一女子100米"},
       {"初一初二 男子 100米 预决赛", "初三 男子 100米 预决赛", "初中 女子 100米 预决赛", "高一 女子 100米 预决赛"}},
      {"a title listed twice gives one item",
       {"初一男子100米", "初一男子100米", "高一女子铅球"},
       {"初一 男子 100米 预决赛", "高一 女子 铅球 预决赛"}},
  };
  for (const Case& c : cases) {
    Fixture f;
    MeetSpec spec;
    spec.grades = {{"初一", 1}, {"初二", 1}, {"初三", 1}, {"高一", 1}};
    spec.events = c.events;
    for (const std::string& title : c.events) spec.eventGrades.push_back(meet::SplitEventTitle(title).grade);
    f.OpenMeet(spec);
    host::Worksheet& events = f.Sheet(meet::kEventsSheet);
    for (int r = meet::events::kFirstEventRow; r < meet::events::kFirstEventRow + static_cast<int>(c.events.size());
         ++r) {
      events.PutValue(r, meet::events::kEntrantCountCol, 6);
      events.PutValue(r, meet::events::kLaneRuleCol, 1);
    }
    const DerivedItems items = DeriveItems(*f.book);
    EXPECT_EQ(ItemTexts(items), c.expected) << c.what;
    EXPECT_TRUE(items.unknownGrade.empty()) << c.what;
  }
}

TEST(ScheduleItems, EventsOfGradesTheMeetNoLongerHasAreNamed) {
  Fixture f;
  MeetSpec spec;
  spec.grades = {{"初一", 1}, {"初二", 1}};
  spec.events = {"初一男子100米", "初三男子100米", "初三女子跳远"};
  spec.eventGrades = {"初一", "初三", "初三"};
  f.OpenMeet(spec);
  f.Entrants("初一男子100米", 6);
  f.Entrants("初三男子100米", 7);
  f.Entrants("初三女子跳远", 0);  // no entrants: nothing to schedule, nothing to say
  const DerivedItems items = DeriveItems(*f.book);
  EXPECT_EQ(ItemTexts(items), (std::vector<std::string>{"初一 男子 100米 预决赛"}));
  EXPECT_EQ(items.unknownGrade, (std::vector<std::string>{"初三男子100米"}));

  // The command names it before asking for the meet's dates.
  f.ui.driveDialog = [](shell::DialogModel& d) { static_cast<Frm赛程设置&>(d).CmdCancel_Click(); };
  f.program.Run("Schedule");
  ASSERT_EQ(f.Texts().size(), 1u);
  EXPECT_NE(f.Texts().front().find("初三男子100米"), std::string::npos);
  EXPECT_EQ(f.ui.dialogsShown, (std::vector<std::string>{"赛程设置"}));
}

TEST(ScheduleItems, GroupedEventWithoutGroupSizeIsRefusedByName) {
  Fixture f;
  MeetSpec spec;
  spec.maxPerGroup = 0;
  f.OpenMeet(spec);
  f.Entrants("初一女子铅球", 20, 3);
  try {
    DeriveItems(*f.book);
    FAIL() << "no refusal";
  } catch (const ItemsRefused& e) {
    EXPECT_NE(std::string(e.what()).find("初一女子铅球"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("设置!H5"), std::string::npos);
  }
}

TEST(ScheduleItems, MoreThanNinetyNineItemsKeepDistinctCodes) {
  Fixture f;
  MeetSpec spec;
  spec.grades = {{"高一", 1}, {"高二", 1}, {"高三", 1}};
  spec.headings.clear();
  for (int i = 1; i <= 20; ++i) spec.headings.push_back(std::to_string(i * 100) + "米");
  f.OpenMeet(spec);
  for (const std::string& title : f.spec.events) f.Entrants(title, 9);  // two heats: a 预赛 and a 决赛 row each
  const DerivedItems items = DeriveItems(*f.book);
  ASSERT_EQ(items.track.size(), 240u);
  std::set<std::string> codes;
  for (const ListRow& r : items.track) codes.insert(r[0]);
  EXPECT_EQ(codes.size(), 240u);
  EXPECT_EQ(items.track[98][0], "199");
  EXPECT_EQ(items.track[99][0], "1100");
}

}  // namespace
}  // namespace korvane::schedule
