// 模拟报名: made-up athletes and random entries within the meet's limits, the
// question before it overwrites the entries, the end of the draws when no
// event has room, the refusal of limits that leave no room at all, and the
// menu of a meet that must be consolidated again.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "processing/processing_fixture.h"
#include "processing/simulate.h"

namespace korvane::processing::testing {
namespace {

namespace f = meet::form;
using shell::Answer;
using shell::testing::ScopedEnv;

struct SimFixture : Fixture {
  void Simulate() {
    ui.answers.push_back(Answer::Yes);
    program.Run("MNBM");
  }
};

// 11 individual events and a relay; 2 entrants per team and event, 3 events
// per athlete; twenty athlete rows per team.
MeetSpec ElevenEvents() {
  MeetSpec spec;
  spec.grades = {{"初一", 2}, {"初二", 1}, {"高一", 2}};
  spec.rowsPerTeam = 20;
  spec.maxPerTeamPerEvent = 2;
  spec.maxEventsPerAthlete = 3;
  spec.headings = {"100米", "200米",    "400米", "800米",  "1500米", "跳高",
                   "跳远",  "三级跳远", "铅球",  "实心球", "跳绳",   "4×100米接力"};
  spec.events = {"初一男子100米"};
  return spec;
}

struct TeamEntries {
  std::vector<std::string> names;              // column C of every athlete row
  std::vector<std::vector<std::string>> rows;  // entry cells, row by row
};

TeamEntries ReadTeam(host::Worksheet& ws, int rowsPerTeam, int events) {
  TeamEntries t;
  for (int r = f::kFirstAthleteRow; r <= f::LastAthleteRow(rowsPerTeam); ++r) {
    t.names.push_back(ws.ValueAt(r, f::kAthleteNameCol).ToText());
    std::vector<std::string> row;
    for (int j = 0; j < events; ++j) row.push_back(ws.ValueAt(r, f::kFirstEventCol + j).ToText());
    t.rows.push_back(row);
  }
  return t;
}

TEST(SimulatedRegistration, FillsEveryTeamWithinTheLimits) {
  SimFixture fx;
  MeetSpec spec = ElevenEvents();
  fx.Open(spec);
  // Entries made before are overwritten, relay ticks included.
  fx.Athlete(1, fx.MaleRow(1), "张三", {"100米", "200米", "400米", "800米", "4×100米接力"});
  fx.Athlete(1, fx.FemaleRow(9), "李四", {"跳绳", "4×100米接力"});
  fx.Simulate();

  const int events = static_cast<int>(spec.headings.size());
  const int relay = events - 1;
  const int half = spec.rowsPerTeam / 2;
  const std::vector<std::pair<int, int>> teams{{1, 1}, {1, 2}, {2, 1}, {3, 1}, {3, 2}};  // grade, team in grade
  for (int t = 1; t <= 5; ++t) {
    SCOPED_TRACE("team " + std::to_string(t));
    const TeamEntries te = ReadTeam(fx.Team(t), spec.rowsPerTeam, events);
    const auto [grade, c] = teams[static_cast<std::size_t>(t - 1)];
    for (int sex = 1; sex <= 2; ++sex) {
      std::vector<int> perEvent(static_cast<std::size_t>(events), 0);
      for (int k = 1; k <= half; ++k) {
        const std::size_t i = static_cast<std::size_t>((sex - 1) * half + k - 1);
        // 7 athletes per sex: (11 x 2) / 3 rounded down.
        if (k <= 7) {
          EXPECT_EQ(te.names[i], SimulatedName(grade, c, sex, k));
        }
        int mine = 0;
        for (int j = 0; j < events; ++j) {
          const std::string& cell = te.rows[i][static_cast<std::size_t>(j)];
          if (cell.empty()) continue;
          EXPECT_EQ(cell, "√");
          EXPECT_LE(k, 7) << "entries below the simulated athletes";
          EXPECT_NE(j, relay) << "relay entered";
          ++mine;
          ++perEvent[static_cast<std::size_t>(j)];
        }
        EXPECT_LE(mine, spec.maxEventsPerAthlete);
      }
      for (int j = 0; j < events; ++j) EXPECT_LE(perEvent[static_cast<std::size_t>(j)], spec.maxPerTeamPerEvent);
    }
  }
  // A name below the simulated athletes stays; its entries are gone.
  EXPECT_EQ(fx.Team(1).ValueAt(fx.FemaleRow(9), f::kAthleteNameCol).ToText(), "李四");
  EXPECT_EQ(SimulatedName(1, 1, 1, 1), fx.Team(1).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText());
  // The team sheets stay protected; the structure is protected again.
  EXPECT_TRUE(fx.Team(1).ProtectContents());
  EXPECT_TRUE(fx.book->Protection().structure);
  EXPECT_NE(std::find(fx.ui.captions.begin(), fx.ui.captions.end(), "Korvane - 模拟报名..."), fx.ui.captions.end());
  EXPECT_EQ(fx.program.Caption(), "Korvane");
}

TEST(SimulatedRegistration, MostAthletesEnterTheirFullShare) {
  // Each athlete draws until three events are held or 2 x 12 draws were
  // made; with room for 22 entries per sex and 21 wanted, nearly everyone
  // gets three. A simulation that gave up early would leave many short.
  SimFixture fx;
  MeetSpec spec = ElevenEvents();
  fx.Open(spec);
  ScopedEnv seed("KORVANE_SEED", "7");
  fx.Simulate();
  int ticks = 0;
  for (int t = 1; t <= 5; ++t) {
    const TeamEntries te = ReadTeam(fx.Team(t), spec.rowsPerTeam, 12);
    for (const auto& row : te.rows) ticks += static_cast<int>(std::count(row.begin(), row.end(), "√"));
  }
  EXPECT_GE(ticks, 5 * 2 * 7 * 3 * 9 / 10);
}

TEST(SimulatedRegistration, TheSameSeedGivesTheSameEntries) {
  auto run = [](const char* seed) {
    SimFixture fx;
    MeetSpec spec = ElevenEvents();
    fx.Open(spec);
    ScopedEnv env("KORVANE_SEED", seed);
    fx.Simulate();
    std::vector<TeamEntries> all;
    for (int t = 1; t <= 5; ++t) all.push_back(ReadTeam(fx.Team(t), spec.rowsPerTeam, 12));
    std::vector<std::vector<std::string>> rows;
    for (const auto& te : all) rows.insert(rows.end(), te.rows.begin(), te.rows.end());
    return rows;
  };
  const auto a = run("20240409");
  EXPECT_EQ(a, run("20240409"));
  EXPECT_NE(a, run("20240410"));
  // Teams do not all get the same pattern from one generator.
  std::set<std::vector<std::vector<std::string>>> patterns;
  for (std::size_t t = 0; t < 5; ++t) patterns.insert({a.begin() + 20 * t, a.begin() + 20 * (t + 1)});
  EXPECT_GT(patterns.size(), 1u);
}

TEST(SimulatedRegistration, EndsWhenNoEventHasRoomForTheTeam) {
  // Team 1's form lost its individual headings (all relays now): no event
  // has room, yet the simulation ends and team 1 keeps only its names.
  SimFixture fx;
  MeetSpec spec;
  spec.grades = {{"高一", 2}};
  spec.rowsPerTeam = 8;
  spec.maxPerTeamPerEvent = 2;
  spec.maxEventsPerAthlete = 1;
  spec.headings = {"100米", "跳远", "4×100米接力"};
  spec.events = {"高一男子100米"};
  fx.Open(spec);
  {
    host::Worksheet& ws = fx.Team(1);
    ws.Unprotect();
    ws.PutValue(f::kHeadingRow, f::kFirstEventCol, "4×400米接力");
    ws.PutValue(f::kHeadingRow, f::kFirstEventCol + 1, "10×50米接力");
    ws.Protect();
  }
  fx.Simulate();
  const TeamEntries first = ReadTeam(fx.Team(1), 8, 3);
  for (const auto& row : first.rows)
    for (const auto& cell : row) EXPECT_EQ(cell, "");
  EXPECT_EQ(first.names[0], "AA101");
  EXPECT_EQ(first.names[4], "AA201");
  // Four athletes per sex ((2 x 2) / 1) fill the room of team 2 exactly.
  const TeamEntries second = ReadTeam(fx.Team(2), 8, 3);
  int ticks = 0;
  for (const auto& row : second.rows) ticks += static_cast<int>(std::count(row.begin(), row.end(), "√"));
  EXPECT_EQ(ticks, 8);
}

TEST(SimulatedRegistration, ZeroLimitsAreRefusedBeforeTheQuestion) {
  for (auto [h3, h4, expected] : {std::tuple{2, 0, kNoEventsPerAthlete}, std::tuple{0, 2, kNoEntrantsPerTeam}}) {
    SimFixture fx;
    MeetSpec spec = ElevenEvents();
    spec.maxPerTeamPerEvent = h3;
    spec.maxEventsPerAthlete = h4;
    fx.Open(spec);
    fx.Athlete(1, fx.MaleRow(1), "张三", {"100米"});
    fx.program.Run("MNBM");
    ASSERT_EQ(fx.Texts(), std::vector<std::string>{std::string(expected)});
    EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Exclamation);
    EXPECT_EQ(fx.Team(1).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText(), "张三");
    EXPECT_EQ(fx.Team(1).ValueAt(fx.MaleRow(1), fx.EventColumn("100米")).ToText(), "√");
    // Called directly, the simulation leaves the workbook alone as well.
    shell::CommandRandom rng(1);
    MNBM(fx.program, *fx.book, rng);
    EXPECT_EQ(fx.Team(2).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText(), "");
  }
}

TEST(SimulatedRegistration, AsksFirstAndNoChangesNothing) {
  SimFixture fx;
  fx.Open(ElevenEvents());
  fx.Athlete(1, fx.MaleRow(1), "张三", {"100米"});
  fx.ui.answers.push_back(Answer::No);
  fx.program.Run("MNBM");
  ASSERT_EQ(fx.ui.boxes.size(), 1u);
  EXPECT_EQ(fx.ui.boxes[0].text, "该功能会清除原报名数据，请谨慎!\n是否继续？");
  EXPECT_EQ(fx.ui.boxes[0].icon, shell::Icon::Question);
  EXPECT_EQ(fx.ui.boxes[0].buttons, shell::Buttons::YesNo);
  EXPECT_EQ(fx.ui.boxes[0].title, "Korvane");
  EXPECT_EQ(fx.Team(1).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText(), "张三");
  EXPECT_EQ(fx.Team(2).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText(), "");
}

TEST(SimulatedRegistration, AfterConsolidationTheListsGoAndTheMenuAsksForANewOne) {
  SimFixture fx;
  MeetSpec spec = ElevenEvents();
  spec.events = {"初一男子100米", "初一女子跳绳"};
  fx.Open(spec);
  fx.Athlete(1, fx.MaleRow(1), "张三", {"100米"});
  fx.program.Run("consolidate");
  ASSERT_NE(fx.book->FindSheet(std::string(meet::kNumberTableSheet)), nullptr);
  fx.book->Unprotect();
  fx.Sheet(meet::kScoreRegisterSheet).SetVisible(true);
  fx.book->Protect(true, true);
  fx.Simulate();

  EXPECT_EQ(fx.book->FindSheet(std::string(meet::kNumberTableSheet)), nullptr);
  EXPECT_EQ(fx.book->FindSheet(std::string(meet::kTempSheet)), nullptr);
  EXPECT_FALSE(fx.Sheet(meet::kEventsSheet).Visible());
  EXPECT_FALSE(fx.Sheet(meet::kScoreRegisterSheet).Visible());
  const shell::MenuState& menu = fx.program.Menu();
  for (const char* item :
       {"New", "Open", "ExportPRF", "Initialization", "Combine", "Sort", "CreateReport", "ScoreEdit"})
    EXPECT_FALSE(menu.Enabled(item)) << item;
  for (const char* item : {"Import", "Export", "Save", "Close", "MyPrint1", "consolidate", "MNBM", "DefaultFolder"})
    EXPECT_TRUE(menu.Enabled(item)) << item;

  // Consolidating again works on the simulated entries.
  fx.program.Run("consolidate");
  EXPECT_FALSE(fx.Entrants("初一男子100米").empty());
}

TEST(SimulatedRegistration, BeforeConsolidationTheMenuStaysAsItWas) {
  SimFixture fx;
  fx.Open(ElevenEvents());
  fx.program.Menu().SetEnabled("PrizeSetup", true);
  const auto before = fx.program.Menu().Revision();
  fx.Simulate();
  EXPECT_EQ(fx.program.Menu().Revision(), before);
  EXPECT_TRUE(fx.program.Menu().Enabled("PrizeSetup"));
  EXPECT_FALSE(fx.Sheet(meet::kEventsSheet).Visible());
}

TEST(SimulatedRegistration, RefusesAWorkbookWithoutItsTeamSheets) {
  SimFixture fx;
  fx.Open(ElevenEvents());
  fx.book->Unprotect();
  fx.Team(3).SetName("三");
  fx.program.Run("MNBM");
  EXPECT_EQ(fx.Texts(), std::vector<std::string>{SimulationTeamSheetMissingText(3)});
  EXPECT_EQ(fx.Team(1).ValueAt(fx.MaleRow(1), f::kAthleteNameCol).ToText(), "");
}

TEST(SimulatedRegistration, AthleteCountsAndNames) {
  EXPECT_EQ(SimulatedAthleteCount(11, 2, 3, 20), 7);
  EXPECT_EQ(SimulatedAthleteCount(11, 2, 3, 10), 5);  // at most half the rows
  EXPECT_EQ(SimulatedAthleteCount(10, 2, 2, 40), 10);
  EXPECT_EQ(SimulatedAthleteCount(0, 2, 2, 40), 0);

  EXPECT_EQ(SimulatedName(1, 3, 2, 3), "AC203");
  EXPECT_EQ(SimulatedName(7, 26, 1, 12), "GZ112");
  EXPECT_EQ(SimulatedName(2, 27, 1, 1), "Ba101");
  EXPECT_EQ(SimulatedName(2, 52, 2, 1), "Bz201");
  // Beyond 52 teams the team number itself keeps names printable and distinct.
  EXPECT_EQ(SimulatedName(2, 53, 2, 1), "B53201");
  EXPECT_EQ(SimulatedName(1, 1, 1, 105), "AA105");
}

}  // namespace
}  // namespace korvane::processing::testing
