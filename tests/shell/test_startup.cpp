#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "shell/instance_lock.h"
#include "shell/startup.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::shell {
namespace {

using testing::ScopedEnv;
using testing::TempDir;
using testing::TestUi;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

StartupOptions Options(const TempDir& dir) {
  StartupOptions o;
  o.lockFile = dir / "korvane.lock";
  o.settingsFile = dir / "settings.ini";
  return o;
}

// A process that holds the lock until it is told to go; returns its pid.
pid_t HoldLockInChild(const fs::path& file, int& releasePipe) {
  int ready[2], release[2];
  if (pipe(ready) != 0 || pipe(release) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(release[1]);  // so that the parent closing its end is seen as the end of the pipe
    close(ready[0]);
    alarm(20);  // never outlive a test run that went wrong
    SingleInstanceLock lock(file);
    char c = lock.Acquire() == SingleInstanceLock::State::Held ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  (void)!read(ready[0], &c, 1);
  close(ready[0]);
  close(ready[1]);
  close(release[0]);
  releasePipe = release[1];
  return c == 'y' ? pid : -1;
}

TEST(StartUp, RunsTheStepsInOrderAndUndoesTheLockDownAtTheEnd) {
  TempDir dir;
  TestUi ui;
  HostLockdown seenLockdown;
  bool ran = false;
  StartupOptions options = Options(dir);
  options.installCommands = [](CommandTable& t) { t.Register("Sort", [](Program&) {}); };
  int status = StartUp(ui, options, [&](Program& p) {
    ran = true;
    seenLockdown = p.lockdown;
    EXPECT_TRUE(p.tables.filled);
    EXPECT_EQ(p.tables.sheetNames[1], "temp");
    EXPECT_EQ(p.tables.extensions[1], ".xltm");
    EXPECT_TRUE(p.Commands().Has("Sort"));
    MenuState reset;
    ResetMenu(reset);
    for (const MenuNode* n : MenuItems()) EXPECT_EQ(p.Menu().Enabled(n->control), reset.Enabled(n->control));
    EXPECT_EQ(p.Caption(), "Korvane");
    EXPECT_EQ(p.placement.x, 800);
    EXPECT_EQ(p.placement.y, 0);
    EXPECT_EQ(p.placement.width, 205);
    EXPECT_EQ(p.placement.height, 49);
    EXPECT_TRUE(p.placement.topMost);
    EXPECT_EQ(p.Settings().File(), dir / "settings.ini");
    // While it runs, the lock file names this process.
    EXPECT_EQ(ReadAll(dir / "korvane.lock"), std::to_string(getpid()) + "\n");
    return 7;
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(status, 7);
  EXPECT_EQ(seenLockdown, (HostLockdown{true, true, true, true, true}));
  EXPECT_TRUE(ui.boxes.empty());
  // Released: the next copy may start.
  SingleInstanceLock next(dir / "korvane.lock");
  EXPECT_EQ(next.Acquire(), SingleInstanceLock::State::Held);
}

TEST(StartUp, ShutDownGivesTheHostsMenusAndKeysBackAndReleasesIt) {
  TempDir dir;
  TestUi ui;
  Program p(std::make_unique<host::WorkbookHost>(), ui, SettingsStore(dir / "s.ini"));
  p.Host().Add();
  p.lockdown = HostLockdown{true, true, true, true, true};
  ShutDown(p);
  EXPECT_EQ(p.lockdown, (HostLockdown{true, false, false, false, false}));  // the close box stays removed
  EXPECT_FALSE(p.HasHost());
  EXPECT_THROW(p.Host(), std::logic_error);
}

TEST(StartUp, ASecondCopyIsRefused) {
  TempDir dir;
  TestUi ui;
  SingleInstanceLock first(dir / "korvane.lock");
  ASSERT_EQ(first.Acquire(), SingleInstanceLock::State::Held);
  bool ran = false;
  int status = StartUp(ui, Options(dir), [&](Program&) {
    ran = true;
    return 0;
  });
  EXPECT_FALSE(ran);
  EXPECT_EQ(status, kNotStarted);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "程序已经运行!");
  EXPECT_EQ(ui.boxes[0].icon, Icon::Information);
  EXPECT_EQ(ui.boxes[0].title, "Korvane");

  // Scripts and the demo do not take the lock.
  StartupOptions scriptOptions = Options(dir);
  scriptOptions.singleInstance = false;
  EXPECT_EQ(StartUp(ui, scriptOptions, [&](Program&) { return 0; }), 0);
}

TEST(StartUp, AHostThatCannotBeMadeEndsWithTheInstallMessage) {
  TempDir dir;
  TestUi ui;
  StartupOptions options = Options(dir);
  options.createHost = []() -> std::unique_ptr<host::WorkbookHost> { throw std::runtime_error("no host"); };
  bool ran = false;
  EXPECT_EQ(StartUp(ui, options, [&](Program&) { return ran = true, 0; }), kNotStarted);
  EXPECT_FALSE(ran);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "请先安装Excel软件!");
  // The lock was never taken.
  SingleInstanceLock next(dir / "korvane.lock");
  EXPECT_EQ(next.Acquire(), SingleInstanceLock::State::Held);
}

TEST(StartUp, AWindowThatFailsStillEndsTheProgramProperly) {
  TempDir dir;
  TestUi ui;
  EXPECT_THROW(StartUp(ui, Options(dir), [](Program&) -> int { throw std::runtime_error("boom"); }),
               std::runtime_error);
  SingleInstanceLock next(dir / "korvane.lock");
  EXPECT_EQ(next.Acquire(), SingleInstanceLock::State::Held);
}

TEST(SingleInstanceLock, HeldByAnotherProcessUntilItEnds) {
  TempDir dir;
  fs::path file = dir / "korvane.lock";
  int release = -1;
  pid_t child = HoldLockInChild(file, release);
  ASSERT_GT(child, 0);
  EXPECT_EQ(ReadAll(file), std::to_string(child) + "\n");
  SingleInstanceLock mine(file);
  EXPECT_EQ(mine.Acquire(), SingleInstanceLock::State::HeldElsewhere);
  EXPECT_FALSE(mine.Held());
  close(release);  // the child ends
  int st = 0;
  waitpid(child, &st, 0);
  EXPECT_EQ(mine.Acquire(), SingleInstanceLock::State::Held);
  EXPECT_EQ(ReadAll(file), std::to_string(getpid()) + "\n");
  mine.Release();
  EXPECT_EQ(ReadAll(file), "");
}

TEST(SingleInstanceLock, AStaleFileOfADeadProcessIsNoObstacle) {
  TempDir dir;
  fs::path file = dir / "korvane.lock";
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  std::ofstream(file) << dead << "\n";
  SingleInstanceLock lock(file);
  EXPECT_EQ(lock.Acquire(), SingleInstanceLock::State::Held);
  EXPECT_EQ(ReadAll(file), std::to_string(getpid()) + "\n");
  // Within one process a second holder is refused as well.
  SingleInstanceLock other(file);
  EXPECT_EQ(other.Acquire(), SingleInstanceLock::State::HeldElsewhere);
}

TEST(SingleInstanceLock, ALinkPlantedInItsPlaceIsNotFollowed) {
  TempDir dir;
  std::ofstream(dir / "victim") << "keep";
  fs::create_symlink(dir / "victim", dir / "korvane.lock");
  SingleInstanceLock lock(dir / "korvane.lock");
  EXPECT_EQ(lock.Acquire(), SingleInstanceLock::State::Unavailable);
  EXPECT_EQ(ReadAll(dir / "victim"), "keep");
  // An unusable lock file does not keep the program from starting.
  TestUi ui;
  StartupOptions options;
  options.lockFile = dir / "korvane.lock";
  options.settingsFile = dir / "s.ini";
  EXPECT_EQ(StartUp(ui, options, [](Program&) { return 0; }), 0);
}

TEST(SingleInstanceLock, LivesInTheUsersRuntimeFolder) {
  TempDir dir;
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
    EXPECT_EQ(SingleInstanceLock::DefaultFile(), dir / "korvane.lock");
  }
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(SingleInstanceLock::DefaultFile(), fs::path("/tmp/korvane-" + std::to_string(getuid()) + ".lock"));
  }
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "missing").string());
    EXPECT_EQ(SingleInstanceLock::DefaultFile().parent_path(), fs::path("/tmp"));
  }
}

}  // namespace
}  // namespace korvane::shell
