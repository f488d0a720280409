// Writes a meet workbook whose score register holds typed results, for a
// reader of our files to evaluate the register's highlighting: the register
// is filled by 成绩管理 on the shipped template, then results and places are
// typed into it as a user does.
//   make_register OUT.xlsm
#include <iostream>
#include <string>

#include "host/errors.h"
#include "reports/record_fixture.h"

using namespace korvane;
using namespace korvane::reports::record_testing;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_register OUT.xlsm\n";
    return 2;
  }
  try {
    RecordFixture f({{"高一男子100米", "1", 1, 3},
                     {"高一男子跳远", "2", 3, 3},
                     {"高一女子跳绳", "2", 4, 4},
                     {"高一女子铅球", "2", 3, 3},
                     {"高一女子4×100米接力", "1", 1, 3}});
    f.Run("ScoreEdit");
    host::Worksheet& reg = f.Sheet(meet::kScoreRegisterSheet);
    auto type = [&reg](const char* cell, const host::CellValue& v) { reg.RangeAt(cell).SetValue(v); };
    // A timed event, two places: 11.9 and 12.5 lead.
    type("E4", 12.5);
    type("F4", 11.9);
    type("G4", 13.0);
    type("C3", 2);
    // A distance event with the same results, one place: 13.0 leads.
    type("E6", 12.5);
    type("F6", 11.9);
    type("G6", 13.0);
    type("C5", 1);
    // A counted event with a tie for the first place and one result missing.
    type("E8", 30);
    type("F8", 25);
    type("G8", 30);
    type("C7", 1);
    // Results without a number of places: nothing leads.
    type("E10", 8.5);
    type("F10", 9.25);
    type("G10", 7);
    // A relay, timed, three places of three.
    type("E12", 50.1);
    type("F12", 49.8);
    type("G12", 52);
    type("C11", 3);
    f.book->SaveAs(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "make_register: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
