// The four parameters of a meet (设置!H2:H5) and the size the team sheets
// were made with, read from the workbook once per command and checked by one
// rule per field. Every command that needs a parameter reads it here.
#pragma once

#include <string>
#include <string_view>

#include "meet/refusal.h"

namespace korvane::host {
class Workbook;
}  // namespace korvane::host

namespace korvane::meet {

// The form size: the sample form has 2 + 2 athlete rows and only grows, and
// the row part of an athlete number has two digits.
inline constexpr int kMinRowsPerTeam = 4;
inline constexpr int kMaxRowsPerTeam = 98;
// Any group limit from the number of entrants of an event up means one
// group; larger settings of H5 are read as this, so group arithmetic stays
// within a whole number.
inline constexpr int kLargestGroup = 1'000'000;

// Which parameters a command relies on.
struct ParameterUse {
  bool formSize = true;      // H2, and that it is still the size of the team sheets
  bool entryLimits = false;  // H3 and H4
};

// Parameter table: 设置!H2:H5 as whole numbers, and the forms' own size.
// The rule a parameter breaks.
enum class ParameterFault {
  None,
  RowsPerTeamInvalid,   // H2 odd or below 4
  RowsPerTeamTooLarge,  // H2 above 98 while no team sheets exist
  RowsPerTeamChanged,   // H2 not the size of the team sheets
  MaxPerTeamPerEvent,   // H3 below 1
  MaxEventsPerAthlete,  // H4 below 1
};

struct Parameters {
  int RowsPerTeam = 0;
  int MaxPerTeamPerEvent = 0;
  int MaxEventsPerAthlete = 0;
  int MaxPerGroup = 0;
  // Athlete rows of the team sheets as they were made: the closing row of
  // team sheet "1" (the last used cell of its column A) less the rows above
  // and below the athletes; 0 while the meet has no team sheets.
  int FormRows = 0;

  // The rule the first parameter of `use` breaks:
  //   H2: an even number of at least 4; once the team sheets are made, their
  //       size (a form grown by hand beyond 98 rows keeps working); before,
  //       at most 98, the most the forms are made with;
  //   H3, H4: at least 1.
  ParameterFault Fault(ParameterUse use = {}) const;
  // That fault as a refusal with its message (parameter_text). A command
  // named in `command` ("模拟报名") is named in the message as what cannot
  // run; without one the message states the rule alone.
  Refusal Validate(ParameterUse use = {}, std::string_view command = {}) const;
};

// Reads the parameters from the 设置 sheet of `book` (H5 at most
// kLargestGroup) and the form size from its team sheet "1". Throws HostError
// when the workbook has no 设置 sheet.
Parameters LoadParameters(const host::Workbook& book);

// The counts of 设置 (classes per grade B2:B8, the team total B9 and the
// parameters H2:H5) must be whole numbers: the first cell holding a number
// with a fraction, as a refusal ("设置!B2 的值3.7不是整数，……"); empty
// when every count is whole, when a count is not a number at all (the
// callers check that themselves) or when there is no 设置 sheet.
std::string FractionalCountText(const host::Workbook& book);

// The messages of the rules, one per field.
namespace parameter_text {
std::string RowsPerTeamInvalid(std::string_view command = {});
std::string RowsPerTeamTooLarge(std::string_view command = {});
std::string MaxPerTeamPerEventInvalid(std::string_view command = {});
std::string MaxEventsPerAthleteInvalid(std::string_view command = {});
// H2 no longer the size the team sheets were made with.
std::string RowsPerTeamChanged(int rowsPerTeam, int formRows);
// H5 is needed only by an event laid out in groups that has entrants: then it
// must be at least 1. `notDone` says what was not made ("报表未生成"),
// `retry` how to try again ("重新生成报表").
std::string GroupSizeMissing(std::string_view eventTitle, std::string_view notDone, std::string_view retry);
}  // namespace parameter_text

}  // namespace korvane::meet
