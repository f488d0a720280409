// Every command is all or nothing: the host is made to fail at the n-th
// operation of a command's run, for a sample of every n, and after each
// failure the open workbooks (every cell, name, merge, format and sheet), the
// files in the meet's folders and the menu must be exactly what they were
// before the command, and the failure must have been reported once.
//
// Commands make from a few hundred to tens of thousands of host operations;
// the first 15 are each tried, then 15 more spread evenly up to the last
// (KORVANE_FAULT_ALL=1 tries every one).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "host/fault.h"
#include "support/meet_session.h"

#ifdef KORVANE_FAULT_INJECTION

namespace {

using namespace korvane;
using namespace korvane::testing;

struct Case {
  const char* caption;
  std::string command;  // statements of the command (with its answers and dialog)
  std::string after;    // run normally afterwards, to reach the next command's stage
};

struct Outcome {
  std::string caption;
  long long operations = 0;
  int tried = 0;
};

TEST(FaultInjection, EveryCommandLeavesWorkbooksFilesAndMenuAsTheyWereWhenItFailsPartWay) {
  MeetSession session;
  const fs::path work = session.Dir();
  const std::string meets = session.Meets(), forms = session.Forms();
  const bool all = std::getenv("KORVANE_FAULT_ALL") != nullptr;
  std::vector<Outcome> outcomes;

  const std::vector<Case> cases = {
      {"新建", "New", "New\nset '1'!C4 张伟\nset '1'!D4 √\nset '1'!C14 李娜\nset '1'!E14 √\n"},
      {"模拟报名", "answer yes\nMNBM", "answer yes\nMNBM\nfolder " + forms + "\nExport\n"},
      {"导入报名数据", "folder " + forms + "\nanswer yes\nImport", "set '1'!C5 赵一\nset '1'!D5 √\n"},
      {"汇总及编号", "consolidate", "consolidate\n"},
      {"年级合并...", "Combine\n option Option 0\n press OKButton", ""},
      {"报表生成", "CreateReport", "CreateReport\n"},
      {"创建成绩记录表", "CreateTables", "CreateTables\n"},
      {"成绩管理", "ScoreEdit", ""},
  };

  session.Start([&](shell::Program& program) {
    ASSERT_EQ(session.Run(program, "folder " + meets + "\nDefaultFolder\n").find("error"), std::string::npos);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.caption);
      host::WorkbookHost& host = program.Host();
      const std::string workbooks = Dump(host);
      const auto files = Files(work / "meets");
      const auto formFiles = Files(work / "forms");
      const std::string menu = MenuText(program);

      // A clean run counts the command's host operations; then everything
      // is put back.
      {
        Checkpoint checkpoint(program);
        host::fault::Arm(0);
        const std::string said = session.Run(program, c.command);
        ASSERT_EQ(said.find("error"), std::string::npos) << said;
        outcomes.push_back(Outcome{c.caption, host::fault::Calls(), 0});
        checkpoint.Restore();
      }
      ASSERT_EQ(Dump(host), workbooks);
      ASSERT_EQ(Files(work / "meets"), files);
      const long long n = outcomes.back().operations;
      ASSERT_GT(n, 0);

      std::set<long long> tries;
      for (long long k = 1; k <= n && (all || k <= 15); ++k) tries.insert(k);
      for (int i = 1; i <= 15; ++i) tries.insert(std::max(1LL, n * i / 15));
      for (long long k : tries) {
        host::fault::Arm(k);
        const std::string said = session.Run(program, c.command);
        host::fault::Arm(0);
        ++outcomes.back().tried;
        // Reported once, and nothing changed.
        const auto first = said.find("模拟故障");
        EXPECT_NE(first, std::string::npos) << "operation " << k << ": " << said;
        if (first != std::string::npos) {
          EXPECT_EQ(said.find("模拟故障", first + 1), std::string::npos) << said;
        }
        ASSERT_EQ(Dump(host), workbooks) << "operation " << k << " of " << n;
        ASSERT_EQ(Files(work / "meets"), files) << "operation " << k;
        ASSERT_EQ(Files(work / "forms"), formFiles) << "operation " << k;
        ASSERT_EQ(MenuText(program), menu) << "operation " << k;
      }
      if (!c.after.empty()) {
        const std::string said = session.Run(program, c.after);
        ASSERT_EQ(said.find("error"), std::string::npos) << said;
      }
    }
  });
  for (const Outcome& o : outcomes)
    std::cout << "fault injection: " << o.caption << ": " << o.operations << " host operations, " << o.tried
              << " failures injected, nothing lost\n";
}

}  // namespace

#endif
