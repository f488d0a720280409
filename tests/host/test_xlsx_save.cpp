// Saving workbook files: atomic replacement (a failed save leaves the old
// file byte for byte), refusal while another program holds the file open,
// and the file identity after reading.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "host/application.h"
#include "host/errors.h"
#include "host/file_save.h"
#include "host/ooxml/xlsx.h"
#include "support/xlsx_package.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;
using namespace korvane::host::testing_xlsx;
namespace fs = std::filesystem;

namespace {

struct Book {
  WorkbookHost host;
  Workbook& wb;
  Book() : wb(host.Add()) {
    for (int r = 1; r <= 2000; ++r) wb.Sheet(1).PutValue(r, 1, "第" + std::to_string(r) + "名 运动员");
  }
};

std::string SaveError(const Workbook& wb, const std::string& path) {
  try {
    WriteWorkbookFile(wb, path, FileKind::Xlsx);
  } catch (const FileError& e) {
    return e.what();
  }
  return "";
}

// Limits the size of files this process may write, so that a save fails in
// the middle of writing (EFBIG), whoever runs the test.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(XlsxSave, WritesANewFileAndReplacesAnOldOneWithItsPermissions) {
  ScratchDir dir;
  Book b;
  const std::string path = dir / "报名表.xlsx";
  WriteWorkbookFile(b.wb, path, FileKind::Xlsx);
  auto back = ReadWorkbookFile(path, std::make_shared<SharedTables>());
  EXPECT_EQ(back->Sheet(1).StoredValue(2000, 1), CellValue("第2000名 运动员"));
  EXPECT_EQ(back->Name(), "报名表.xlsx");
  EXPECT_EQ(fs::path(back->Path()), dir.Path());
  EXPECT_EQ(back->Kind(), FileKind::Xlsx);
  EXPECT_TRUE(back->Saved());

  ::chmod(path.c_str(), 0640);
  b.wb.Sheet(1).PutValue(1, 1, "改过");
  WriteWorkbookFile(b.wb, path, FileKind::Xlsx);
  EXPECT_EQ(ReadWorkbookFile(path, std::make_shared<SharedTables>())->Sheet(1).StoredValue(1, 1), CellValue("改过"));
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"报名表.xlsx"});  // no temporary file left
}

TEST(XlsxSave, TheKindOfAReadFileFollowsItsExtension) {
  ScratchDir dir;
  Book b;
  for (const auto& [name, kind] : std::vector<std::pair<std::string, FileKind>>{
           {"a.xlsm", FileKind::Xlsm}, {"b.xltx", FileKind::Xltx}, {"c.xltm", FileKind::Xltm}}) {
    WriteWorkbookFile(b.wb, dir / name, kind);
    EXPECT_EQ(ReadWorkbookFile(dir / name, std::make_shared<SharedTables>())->Kind(), kind) << name;
  }
}

TEST(XlsxSave, AFileOpenInAnotherProgramIsNotTouched) {
  ScratchDir dir;
  Book b;
  const std::string path = dir / "号码对照表.xlsm";
  WriteWorkbookFile(b.wb, path, FileKind::Xlsm);
  const std::string before = ReadFile(path);
  b.wb.Sheet(1).PutValue(1, 1, "新内容");
  for (const std::string lock : {"~$号码对照表.xlsm", ".~lock.号码对照表.xlsm#"}) {
    WriteFile(dir / lock, "owner");
    EXPECT_EQ(ForeignLockFile(path), dir / lock);
    const std::string e = SaveError(b.wb, path);
    EXPECT_NE(e.find("号码对照表.xlsm"), std::string::npos) << e;
    EXPECT_NE(e.find("正被其他程序打开"), std::string::npos) << e;
    EXPECT_NE(e.find(lock), std::string::npos) << e;
    EXPECT_EQ(ReadFile(path), before);
    fs::remove(dir / lock);
  }
  EXPECT_EQ(ForeignLockFile(path), "");
  // Another file's lock does not matter.
  WriteFile(dir / "~$其他.xlsx", "owner");
  EXPECT_EQ(SaveError(b.wb, path), "");
  EXPECT_NE(ReadFile(path), before);
}

TEST(XlsxSave, WordShortensTheLockFileOfLongNames) {
  ScratchDir dir;
  WriteFile(dir / "~$cument1.docx", "owner");
  EXPECT_EQ(ForeignLockFile(dir / "Document1.docx"), dir / "~$cument1.docx");
  WriteFile(dir / "~$奖状.docx", "owner");
  EXPECT_EQ(ForeignLockFile(dir / "奖状.docx"), dir / "~$奖状.docx");
  EXPECT_EQ(ForeignLockFile(dir / "Document2.docx"), "");
  // Workbooks keep the whole name.
  EXPECT_EQ(ForeignLockFile(dir / "cument1.xlsx"), "");
}

TEST(XlsxSave, AFailedSaveLeavesTheOldFileByteForByte) {
  ScratchDir dir;
  Book b;
  const std::string path = dir / "成绩.xlsx";
  WriteWorkbookFile(b.wb, path, FileKind::Xlsx);
  const std::string before = ReadFile(path);
  for (int r = 1; r <= 20000; ++r) b.wb.Sheet(1).PutValue(r, 2, r * 1.5);

  {
    // The disk fills up in the middle of writing.
    FileSizeLimit limit(before.size() / 2);
    const std::string e = SaveError(b.wb, path);
    EXPECT_NE(e.find("无法保存文件“" + path + "”"), std::string::npos) << e;
  }
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"成绩.xlsx"});

  // A folder that does not exist.
  const std::string nowhere = dir / "没有这个文件夹/成绩.xlsx";
  EXPECT_NE(SaveError(b.wb, nowhere).find("不存在"), std::string::npos);
  EXPECT_FALSE(fs::exists(nowhere));
  // A folder in the way of the file.
  fs::create_directory(dir / "是文件夹.xlsx");
  EXPECT_NE(SaveError(b.wb, dir / "是文件夹.xlsx"), "");
  EXPECT_TRUE(fs::is_directory(dir / "是文件夹.xlsx"));

  // A folder we may not write to (only meaningful without root's rights).
  if (::geteuid() != 0) {
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_NE(SaveError(b.wb, path).find("没有写入权限"), std::string::npos);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(path), before);
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"成绩.xlsx", "是文件夹.xlsx"}));

  // And the save works once the obstacle is gone.
  EXPECT_EQ(SaveError(b.wb, path), "");
  EXPECT_EQ(ReadWorkbookFile(path, std::make_shared<SharedTables>())->Sheet(1).StoredValue(20000, 2), CellValue(30000));
}

TEST(XlsxSave, AReadOnlyFileIsNotReplaced) {
  ScratchDir dir;
  Book b;
  const std::string path = dir / "只读.xlsx";
  WriteWorkbookFile(b.wb, path, FileKind::Xlsx);
  const std::string before = ReadFile(path);
  ::chmod(path.c_str(), 0444);
  b.wb.Sheet(1).PutValue(1, 1, "新内容");
  EXPECT_EQ(SaveError(b.wb, path), "无法保存文件“" + path + "”：文件是只读的。");
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"只读.xlsx"});
  ::chmod(path.c_str(), 0644);
  EXPECT_EQ(SaveError(b.wb, path), "");
}

TEST(XlsxSave, TemporaryFilesOfDeadSavesAreRemovedByTheNextSave) {
  ScratchDir dir;
  Book b;
  // A process that has ended: its id cannot be running any more.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = ".korvane-save-" + std::to_string(child) + "-a1B2c3";
  const std::string mine = ".korvane-save-" + std::to_string(::getpid()) + "-zZ9yY8";  // a save still running
  const std::string live = ".korvane-save-1-qQ1wW2";                                   // init runs forever
  const std::string oldStyle = ".korvane-save-Xy12Ab";
  for (const std::string& name : {dead, mine, live, oldStyle}) WriteFile(dir / name, "half");
  // A file without a process id counts as stale once it is a day old.
  WriteFile(dir / ".korvane-save-Old123", "half");
  const struct timespec times[2] = {{std::time(nullptr) - 2 * 86400, 0}, {std::time(nullptr) - 2 * 86400, 0}};
  ::utimensat(AT_FDCWD, (dir / ".korvane-save-Old123").c_str(), times, 0);

  WriteWorkbookFile(b.wb, dir / "成绩.xlsx", FileKind::Xlsx);
  std::vector<std::string> expected = {".korvane-save-1-qQ1wW2", mine, oldStyle, "成绩.xlsx"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir.Entries(), expected);
}

TEST(XlsxSave, ALinkOrAFileOfAnotherUserIsRefusedNamingItAndLeftAsItWas) {
  ScratchDir dir;
  Book b;
  fs::create_directory(dir / "real");
  const std::string target = dir / "real/目标.xlsx";
  WriteWorkbookFile(b.wb, target, FileKind::Xlsx);
  const std::string before = ReadFile(target);
  fs::create_symlink(target, dir / "链接.xlsx");
  b.wb.Sheet(1).PutValue(1, 1, "经由链接");
  const std::string link = dir / "链接.xlsx";
  try {
    WriteWorkbookFile(b.wb, link, FileKind::Xlsx);
    ADD_FAILURE() << "saved through a link";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "无法保存文件“" + link + "”：这是指向其他位置的链接，不能经由它保存。");
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), before);

  if (::geteuid() == 0) {  // only the super-user can give a file away
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    EXPECT_THROW(WriteWorkbookFile(b.wb, target, FileKind::Xlsx), FileError);
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(ReadFile(target), before);
  }
}

TEST(XlsxSave, WorkbookSaveAndSaveAsGoThroughTheCodec) {
  ScratchDir dir;
  WorkbookHost host;
  Workbook& wb = host.Add();
  wb.Sheet(1).PutValue(1, 1, "保存");
  wb.SaveAs(dir / "日程安排表", xl::FormatWorkbook);
  EXPECT_TRUE(fs::exists(dir / "日程安排表.xlsx"));
  EXPECT_EQ(wb.Kind(), FileKind::Xlsx);
  wb.Sheet(1).PutValue(1, 1, "再次保存");
  WriteFile(dir / ".~lock.日程安排表.xlsx#", "x");
  EXPECT_THROW(wb.Save(), FileError);
  fs::remove(dir / ".~lock.日程安排表.xlsx#");
  wb.Save();
  Workbook& again = host.Open(dir / "日程安排表.xlsx");
  EXPECT_EQ(&again, &wb);  // already open
  auto read = ReadWorkbookFile(dir / "日程安排表.xlsx", std::make_shared<SharedTables>());
  EXPECT_EQ(read->Sheet(1).StoredValue(1, 1), CellValue("再次保存"));
}
