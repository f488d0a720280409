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
    case EFBIG: return "文件超出了系统允许的大小。";
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
  throw FileSaveError("无法保存文件“" + path + "”：" + reason, reason);
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

AtomicFile::AtomicFile(const std::string& path) : path_(path) {
  struct stat st {};
  // A link is never written through (that would change a file outside the
  // folder) nor silently replaced by a file of its own: the save is refused,
  // naming it.
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) SaveFailed(path, "这是指向其他位置的链接，不能经由它保存。");
  if (exists && S_ISDIR(st.st_mode)) SaveFailed(path, ReasonOf(EISDIR));
  if (exists && !S_ISREG(st.st_mode)) SaveFailed(path, "目标不是普通文件。");
  // Renaming over a read-only file would replace it although nobody may write
  // it (the folder's permission allows the rename): refuse as the office
  // programs do. Write bits are checked as well, since access() lets the
  // super-user through.
  if (exists && (::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) SaveFailed(path, "文件是只读的。");
  // The replacement would belong to us: a file of another user is refused.
  if (exists && st.st_uid != ::geteuid()) SaveFailed(path, "文件属于其他用户。");

  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  folder_ = folder.string();
  {
    struct stat fst {};
    if (::stat(folder_.c_str(), &fst) != 0 || !S_ISDIR(fst.st_mode))
      SaveFailed(path, "文件夹“" + folder_ + "”不存在。");
  }

  // Temporary files that a save killed half way left behind go first; the
  // name of ours carries our process id so that a later save can tell.
  RemoveStaleSaveFiles(folder_);
  fault::Point("保存文件");
  if (activeJournal) activeJournal->Record(path);
  temp_ = (folder / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) SaveFailed(path, ReasonOf(errno));

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
  if (::fchmod(fd_, mode) != 0) {
    const int err = errno;
    ::close(fd_);
    ::unlink(temp_.c_str());
    SaveFailed(path, ReasonOf(err));
  }
}

AtomicFile::~AtomicFile() {
  if (done_) return;
  if (fd_ >= 0) ::close(fd_);
  ::unlink(temp_.c_str());
}

bool AtomicFile::Write(const char* bytes, std::size_t size) {
  while (size > 0 && error_ == 0) {
    const ssize_t n = ::write(fd_, bytes, size);
    if (n < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    if (n == 0) error_ = EIO;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return error_ == 0;
}

void AtomicFile::Failed(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

void AtomicFile::Commit() {
  if (done_) return;
  if (error_ != 0) SaveFailed(path_, ReasonOf(error_));
  if (::fsync(fd_) != 0) SaveFailed(path_, ReasonOf(errno));
  const int closed = ::close(fd_);
  const int closeErr = errno;
  fd_ = -1;
  if (closed != 0) SaveFailed(path_, ReasonOf(closeErr));
  fault::Point("替换文件");
  if (::rename(temp_.c_str(), path_.c_str()) != 0) SaveFailed(path_, ReasonOf(errno));
  done_ = true;
  // Make the rename itself durable.
  const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  AtomicFile file(path);
  std::size_t written = 0;
  while (written < bytes.size()) {
    fault::Point("写入文件");
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, 256u << 10);
    if (!file.Write(bytes.data() + written, chunk)) break;
    written += chunk;
  }
  file.Commit();
}

}  // namespace korvane::host
