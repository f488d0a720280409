#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "shell/settings.h"
#include "support/scratch.h"

namespace korvane::shell {
namespace {

using testing::FileSizeLimit;
using testing::ScopedEnv;
using testing::TempDir;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsStore, KeepsValuesByApplicationSectionAndKey) {
  TempDir dir;
  SettingsStore store(dir / "korvane/settings.ini");  // the folder does not exist yet
  EXPECT_EQ(store.Get("Microsoft Excel", "Brevundal\\MySection", "DefaultPath"), "");
  EXPECT_EQ(store.Get("A", "S", "K", "fallback"), "fallback");

  store.Save("Microsoft Excel", "Brevundal\\MySection", "DefaultPath", "/home/老师/运动会");
  store.Save("Other", "Brevundal\\MySection", "DefaultPath", "elsewhere");
  store.Save("Microsoft Excel", "Brevundal", "DefaultPath", "not this one");
  store.Save("Microsoft Excel", "Brevundal\\MySection", "Second", "2");

  SettingsStore again(store.File());  // read afresh from the file
  EXPECT_EQ(again.Get("Microsoft Excel", "Brevundal\\MySection", "DefaultPath"), "/home/老师/运动会");
  EXPECT_EQ(again.Get("Other", "Brevundal\\MySection", "DefaultPath"), "elsewhere");
  EXPECT_EQ(again.Get("Microsoft Excel", "Brevundal", "DefaultPath"), "not this one");
  EXPECT_EQ(again.Get("Microsoft Excel", "Brevundal\\MySection", "Second"), "2");

  again.Save("Microsoft Excel", "Brevundal\\MySection", "DefaultPath", "/new");
  EXPECT_EQ(store.Get("Microsoft Excel", "Brevundal\\MySection", "DefaultPath"), "/new");
  EXPECT_EQ(store.Get("Other", "Brevundal\\MySection", "DefaultPath"), "elsewhere");
  // The layout people find when they open the file.
  EXPECT_NE(ReadAll(store.File()).find("[Microsoft Excel\\Brevundal\\MySection]\nDefaultPath=/new\n"),
            std::string::npos);
}

TEST(SettingsStore, ValuesRoundTripWhateverTheyHold) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  for (std::string value : {std::string("  leading and trailing  "), std::string("a\\nb\\\\c"),
                            std::string("two\nlines\r\n"), std::string("x=y;[z]"), std::string("")}) {
    store.Save("App", "Sec", "Key", value);
    EXPECT_EQ(store.Get("App", "Sec", "Key", "absent"), value);
  }
  EXPECT_THROW(store.Save("App", "Sec", "bad=key", "v"), std::invalid_argument);
  EXPECT_THROW(store.Save("App", "Sec]", "Key", "v"), std::invalid_argument);
}

TEST(SettingsStore, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  store.Save("App", "Sec", "Key", "old");
  std::string before = ReadAll(store.File());
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  bool writable = ::access(dir.path().c_str(), W_OK) == 0;  // root writes anyway
  if (!writable) {
    EXPECT_THROW(store.Save("App", "Sec", "Key", "new"), std::runtime_error);
  }
  fs::permissions(dir.path(), fs::perms::owner_all);
  if (!writable) {
    EXPECT_EQ(ReadAll(store.File()), before);
  }

  // A settings "file" that is a folder cannot be replaced.
  SettingsStore blocked(dir / "folder.ini");
  fs::create_directories(dir / "folder.ini" / "inside");
  EXPECT_THROW(blocked.Save("App", "Sec", "Key", "v"), std::runtime_error);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"folder.ini", "s.ini"}));  // no temporary file left behind
}

TEST(SettingsStore, AFullDiskKeepsTheOldFileAndSaysWhyInChinese) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  store.Save("App", "Sec", "Key", "old");
  const std::string before = ReadAll(store.File());
  std::string message;
  {
    FileSizeLimit fullDisk(0);
    try {
      store.Save("App", "Sec", "Key", "new");
    } catch (const SettingsError& e) {
      message = e.what();
    }
  }
  EXPECT_EQ(message, "无法保存设置文件“" + store.File().string() + "”：文件超出了系统允许的大小。");
  EXPECT_EQ(ReadAll(store.File()), before);
}

TEST(SettingsStore, LivesUnderTheUsersConfigFolder) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(SettingsStore::DefaultFile(), fs::path("/srv/conf/korvane/settings.ini"));
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/conf");  // not absolute: ignored
    ScopedEnv home("HOME", "/home/teacher");
    EXPECT_EQ(SettingsStore::DefaultFile(), fs::path("/home/teacher/.config/korvane/settings.ini"));
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/teacher");
    EXPECT_EQ(SettingsStore::DefaultFile(), fs::path("/home/teacher/.config/korvane/settings.ini"));
  }
}

TEST(DefaultFolderSetting, CountsAsSetOnlyWhenTheFolderExists) {
  TempDir dir;
  SettingsStore store(dir / "s.ini");
  EXPECT_FALSE(DefaultFolder(store));
  SaveDefaultPath(store, (dir / "meets").string());
  EXPECT_EQ(StoredDefaultPath(store), (dir / "meets").string());
  EXPECT_FALSE(DefaultFolder(store));  // not there (yet)
  fs::create_directories(dir / "meets");
  EXPECT_EQ(DefaultFolder(store), (dir / "meets").string());
  std::ofstream(dir / "file.txt") << "x";
  EXPECT_FALSE(IsFolderSet((dir / "file.txt").string()));
  EXPECT_FALSE(IsFolderSet(""));
  EXPECT_EQ(store.Get(kSettingsApp, kSettingsSection, kDefaultPathKey), (dir / "meets").string());
}

}  // namespace
}  // namespace korvane::shell
