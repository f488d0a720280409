// Saving files so that nothing is lost: atomic replacement, a journal that
// puts saved files back when a command fails, removal of the temporary files
// of saves killed half way, and the lock files other programs leave beside a
// file they hold open.
#include "host/file_save.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/ascii.h"
#include "host/errors.h"
#include "host/fault.h"
#include "host/utf8.h"

namespace korvane::host {

namespace {

namespace fs = std::filesystem;

std::string ReasonOf(int err) {
  switch (err) {
    case EACCES:
    case EPERM: return "没有写入权限。";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "磁盘空间不足。";
    case EROFS: return "所在的磁盘是只读的。";
    case ENOENT:
    case ENOTDIR: return "所在的文件夹不存在。";
    case ENAMETOOLONG: return "文件名或路径过长。";
    case EISDIR: return "同名的文件夹已存在。";
    case EIO: return "磁盘读写出错。";
    default: return "系统错误（错误代码" + std::to_string(err) + "）。";
  }
}

[[noreturn]] void SaveFailed(const std::string& path, const std::string& reason) {
  throw FileError("无法保存文件“" + path + "”：" + reason);
}

bool IsWordDocument(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = AsciiLower(name.substr(dot));
  return ext == ".docx" || ext == ".docm" || ext == ".doc" || ext == ".dotx" || ext == ".dotm";
}

constexpr std::string_view kTempPrefix = ".korvane-save-";

// Whether process `pid` is still running (a process of another user counts as
// running: it may be saving there).
bool ProcessAlive(long pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  if (::kill(static_cast<pid_t>(pid), 0) == 0) return true;
  return errno == EPERM;
}

thread_local SaveJournal* activeJournal = nullptr;

}  // namespace

SaveJournal::SaveJournal() : outer_(activeJournal) { activeJournal = this; }
SaveJournal::~SaveJournal() {
  activeJournal = outer_;
  // Files this journal kept and did not put back stay the outer journal's
  // to put back (a command that succeeded inside a larger undoable step).
  if (outer_)
    for (File& f : files_) {
      bool known = false;
      for (const File& o : outer_->files_) known = known || o.path == f.path;
      if (!known) outer_->files_.push_back(std::move(f));
    }
}

void SaveJournal::Record(const std::string& path) {
  for (const File& f : files_)
    if (f.path == path) return;
  File f;
  f.path = path;
  std::ifstream in(path, std::ios::binary);
  f.existed = static_cast<bool>(in);
  if (f.existed) {
    f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw FileError("无法保存文件“" + path + "”：读取原文件失败。");
  }
  files_.push_back(std::move(f));
}

std::vector<std::string> SaveJournal::RollBack() {
  fault::Suspended quiet;
  SaveJournal* self = activeJournal;
  activeJournal = nullptr;  // putting back is not itself recorded
  std::vector<std::string> failed;
  for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
    try {
      if (it->existed) {
        WriteFileAtomically(it->path, it->bytes);
      } else if (::unlink(it->path.c_str()) != 0 && errno != ENOENT) {
        failed.push_back(it->path);
      }
    } catch (const std::exception&) {
      failed.push_back(it->path);
    }
  }
  files_.clear();
  activeJournal = self;
  return failed;
}

void RemoveStaleSaveFiles(const std::string& folder) {
  std::error_code ec;
  fs::directory_iterator it(fs::path(folder.empty() ? "." : folder), ec);
  if (ec) return;
  const long self = static_cast<long>(::getpid());
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return;
    const std::string name = it->path().filename().string();
    if (name.compare(0, kTempPrefix.size(), kTempPrefix) != 0) continue;
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // ".korvane-save-PID-XXXXXX": the saving process's id comes first. Files
    // of older versions have no id: they count as stale after a day.
    const std::string rest = name.substr(kTempPrefix.size());
    const auto dash = rest.find('-');
    bool stale;
    if (dash != std::string::npos && dash > 0 && rest.find_first_not_of("0123456789") == dash) {
      const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
      stale = pid != self && !ProcessAlive(pid);
    } else {
      stale = std::time(nullptr) - st.st_mtime > 24 * 60 * 60;
    }
    if (stale) ::unlink(it->path().c_str());
  }
}

std::string ForeignLockFile(const std::string& path) {
  const fs::path p(path);
  const std::string name = p.filename().string();
  if (name.empty()) return {};
  const fs::path folder = p.parent_path();
  std::vector<std::string> candidates = {"~$" + name, ".~lock." + name + "#"};
  if (IsWordDocument(name)) {
    // Word shortens the owner file of long names: "~$cument1.docx".
    const auto dot = name.rfind('.');
    const std::string stem = name.substr(0, dot);
    const std::size_t length = utf8::Length(stem);
    const std::size_t drop = length >= 8 ? 2 : length == 7 ? 1 : 0;
    if (drop > 0) candidates.push_back("~$" + name.substr(utf8::Offset(name, drop)));
  }
  for (const std::string& c : candidates) {
    const fs::path lock = folder / c;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(lock, ec))) return lock.string();
  }
  return {};
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  std::string target = path;
  struct stat st {};
  // Saving through a symbolic link replaces the file it points to and keeps the link.
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) SaveFailed(path, ReasonOf(EISDIR));
  if (exists && !S_ISREG(st.st_mode)) SaveFailed(path, "目标不是普通文件。");
  // Renaming over a read-only file would replace it although nobody may write
  // it (the folder's permission allows the rename): refuse as the office
  // programs do. Write bits are checked as well, since access() lets the
  // super-user through.
  if (exists && (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) SaveFailed(path, "文件是只读的。");

  fs::path folder = fs::path(target).parent_path();
  if (folder.empty()) folder = ".";
  {
    struct stat fst {};
    if (::stat(folder.c_str(), &fst) != 0 || !S_ISDIR(fst.st_mode))
      SaveFailed(path, "文件夹“" + folder.string() + "”不存在。");
  }

  // Temporary files that a save killed half way left behind go first; the
  // name of ours carries our process id so that a later save can tell.
  RemoveStaleSaveFiles(folder.string());
  fault::Point("保存文件");
  if (activeJournal) activeJournal->Record(target);
  std::string temp = (folder / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) SaveFailed(path, ReasonOf(errno));

  // Whatever stops the save part way (a write error, out of memory, the test
  // hook) closes and removes the temporary file; the old file stays as it was.
  struct TempGuard {
    int& fd;
    const std::string& temp;
    bool done = false;
    ~TempGuard() {
      if (done) return;
      if (fd >= 0) ::close(fd);
      ::unlink(temp.c_str());
    }
  } guard{fd, temp};

  // The new file keeps the permissions of the one it replaces; a new file
  // gets the usual ones.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) SaveFailed(path, ReasonOf(errno));

  std::size_t written = 0;
  while (written < bytes.size()) {
    fault::Point("写入文件");
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, 256u << 10);
    const ssize_t n = ::write(fd, bytes.data() + written, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      SaveFailed(path, ReasonOf(errno));
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) SaveFailed(path, ReasonOf(errno));
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0) SaveFailed(path, ReasonOf(errno));
  fault::Point("替换文件");
  if (::rename(temp.c_str(), target.c_str()) != 0) SaveFailed(path, ReasonOf(errno));
  guard.done = true;
  // Make the rename itself durable.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace korvane::host
