// The rules of the meet's parameters and the form size read from the team sheets.
#include <gtest/gtest.h>

#include "host/application.h"
#include "meet/layout.h"
#include "meet/parameters.h"

using namespace korvane::host;
namespace meet = korvane::meet;
using meet::ParameterFault;

TEST(MeetParameters, EachFieldHasOneRule) {
  struct Case {
    int h2, h3, h4, formRows;
    meet::ParameterUse use;
    ParameterFault fault;
  };
  const meet::ParameterUse form{.formSize = true}, all{.formSize = true, .entryLimits = true};
  const Case cases[] = {
      {20, 2, 2, 0, all, ParameterFault::None},
      {20, 2, 2, 20, all, ParameterFault::None},
      {7, 2, 2, 0, form, ParameterFault::RowsPerTeamInvalid},
      {2, 2, 2, 0, form, ParameterFault::RowsPerTeamInvalid},
      {100, 2, 2, 0, form, ParameterFault::RowsPerTeamTooLarge},
      {204, 2, 2, 204, form, ParameterFault::None},  // forms grown by hand, H2 following them
      {10, 2, 2, 20, form, ParameterFault::RowsPerTeamChanged},
      {20, 0, 2, 20, all, ParameterFault::MaxPerTeamPerEvent},
      {20, 2, -1, 20, all, ParameterFault::MaxEventsPerAthlete},
      {20, 0, 0, 20, form, ParameterFault::None},  // limits not asked for
  };
  for (const Case& c : cases) {
    meet::Parameters p{
        .RowsPerTeam = c.h2, .MaxPerTeamPerEvent = c.h3, .MaxEventsPerAthlete = c.h4, .FormRows = c.formRows};
    EXPECT_EQ(p.Fault(c.use), c.fault) << c.h2 << " " << c.h3 << " " << c.h4 << " " << c.formRows;
    EXPECT_EQ(static_cast<bool>(p.Validate(c.use)), c.fault != ParameterFault::None);
  }
}

TEST(MeetParameters, TheMessagesNameTheCellAndWhatCannotRun) {
  const meet::Parameters changed{.RowsPerTeam = 10, .MaxPerTeamPerEvent = 2, .MaxEventsPerAthlete = 2, .FormRows = 20};
  EXPECT_EQ(changed.Validate().Message(),
            "设置!H2 的每队人数（10）与报名表不符：本次运动会的报名表是按每队20人制作的。请把设置!H2 改回20；"
            "要改每队人数，请用“新建”重新建立运动会。");
  const meet::Parameters odd{.RowsPerTeam = 21};
  EXPECT_EQ(odd.Validate().Message(), "设置!H2 的每队人数必须是不小于4的偶数。");
  EXPECT_EQ(odd.Validate({}, "导入报名数据").Message(),
            "设置!H2 的每队人数必须是不小于4的偶数，否则无法导入报名数据。请在“设置”中修改后再试。");
}

TEST(MeetParameters, TheFormSizeIsReadFromTheClosingRowOfTeamSheetOne) {
  WorkbookHost host;
  Workbook& book = host.Add();
  Worksheet& settings = book.AddSheet(nullptr, nullptr, std::string(meet::kSettingsSheet));
  settings.PutValue(2, 8, CellValue(10));
  settings.PutValue(5, 8, CellValue(2'000'000'000));
  EXPECT_EQ(meet::LoadParameters(book).FormRows, 0);  // no team sheets yet
  EXPECT_EQ(meet::LoadParameters(book).MaxPerGroup, meet::kLargestGroup);
  Worksheet& team = book.AddSheet(&settings, nullptr, meet::TeamSheetName(1));
  team.PutValue(2, 3, CellValue("初一(1)班"));  // a sheet without its form gives no size
  EXPECT_EQ(meet::LoadParameters(book).FormRows, 0);
  team.PutValue(meet::form::ClosingRow(20), 1, CellValue("注："));
  EXPECT_EQ(meet::LoadParameters(book).FormRows, 20);
}
