// 模拟报名: fills every team sheet with made-up athletes and random individual
// event entries within the meet's entry limits, so that consolidation,
// reports and schedules can be tried before the real entries arrive. It
// overwrites the entries already made (after asking) and removes the number
// table and everything built on it.
#pragma once

#include <string>
#include <string_view>

#include "host/workbook.h"
#include "meet/parameters.h"
#include "meet/refusal.h"
#include "shell/program.h"
#include "shell/random.h"

namespace korvane::processing {

inline constexpr std::string_view kSimulateQuestion = "该功能会清除原报名数据，请谨慎!\n是否继续？";
// Refusals: limits that leave no room for any entry, a form size that leaves
// no athlete rows, a team sheet missing.
inline constexpr std::string_view kSimulationCommand = "模拟报名";
inline const std::string kNoEventsPerAthlete = meet::parameter_text::MaxEventsPerAthleteInvalid(kSimulationCommand);
inline const std::string kNoEntrantsPerTeam = meet::parameter_text::MaxPerTeamPerEventInvalid(kSimulationCommand);
std::string SimulationMissingSheetText(std::string_view sheet);
std::string SimulationTeamSheetMissingText(int team);

// Athletes per sex and team: (individual events) x maxPerTeamPerEvent /
// maxEventsPerAthlete rounded down, at most rowsPerTeam / 2 (halves to even).
// The two limits must be positive.
int SimulatedAthleteCount(int individualEvents, int maxPerTeamPerEvent, int maxEventsPerAthlete, int rowsPerTeam);

// The made-up name of athlete k (1-based) of sex s (1 men, 2 women) in team c
// of grade g: grade letter (A for the first grade), team letter (A..Z for
// teams 1..26, a..z for 27..52, the team number in digits beyond), s, k as
// two digits. AC203 is the third woman of team 3 of the first grade.
std::string SimulatedName(int grade, int team, int sex, int k);

// Why the simulation cannot run on `book`, or none; reads the meet's
// parameters into `p` on the way.
meet::Refusal SimulationRefusal(const host::Workbook& book, meet::Parameters& p);

// Writes the made-up athletes and draws their entries with `rng`: per team,
// sex and athlete, individual events with room for the team (below
// MaxPerTeamPerEvent) until the athlete holds MaxEventsPerAthlete events or
// 2 x (number of events) draws were made. Every entry cell of the team
// sheets is cleared first, relays included. Does nothing when
// SimulationRefusal has a reason.
void MNBM(shell::Program& program, host::Workbook& book, shell::CommandRandom& rng);

// 模拟报名: asks first, simulates, removes the number table and the report
// sheets and sets the menu for a meet that must be consolidated again.
void SimulatedRegistration(shell::Program& program);

}  // namespace korvane::processing
