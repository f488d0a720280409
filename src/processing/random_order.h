// Random order of the entrants: every event row of 比赛项目名单 gets a fresh
// draw of the order of its entrants, each athlete's name (比赛项目名单) and
// number (temp, the same cell) moving together. The order is the one in which
// the rosters fill heats and lanes. 随机排序 (Sort) runs it on its own;
// consolidation and the grade merge run it after they rebuilt the lists.
#pragma once

#include <string>
#include <vector>

#include "host/value.h"
#include "host/workbook.h"
#include "shell/program.h"
#include "shell/random.h"

namespace korvane::processing {

// One entrant of an event: the name (a team name for a relay) and the
// athlete number (empty for a relay). They are never separated.
struct Entrant {
  host::CellValue name;
  host::CellValue number;
  bool operator==(const Entrant&) const = default;
};

// Puts the entrants into a random order: each gets a key drawn from 1 to 75
// (keys may repeat) and the list is sorted by key with a selection sort, so
// among equal keys the order is not kept. Draws exactly one key per entrant
// from `rng`, in list order.
void ShuffleEntrants(std::vector<Entrant>& entrants, shell::CommandRandom& rng);

// Draws a new order for every event row of 比赛项目名单 of the meet workbook
// `book`: the first E cells (E = the row's count in column E, at most 75) of
// F:CB, and for an individual event the same cells of temp with them. Rows
// with no entrants are left alone; relay rows leave temp untouched. First
// deletes the report sheets (号码对照表报表 and every later stage), which the
// new order makes stale; the workbook's structure must be unprotected. Leaves
// 比赛项目名单 protected.
void SJPX(host::Workbook& book, shell::CommandRandom& rng);

// 随机排序: a new random order for every event, drawn by one generator for
// the whole command; the report sheets removed, 成绩登记表 hidden and the
// commands that need reports disabled when there were reports. Refuses with
// kNotConsolidated when the lists have not been made yet.
void Sort(shell::Program& program);

inline constexpr std::string_view kNotConsolidated = "请先进行“汇总及编号”。";

}  // namespace korvane::processing
