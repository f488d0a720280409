#include "shell/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace korvane::shell {

namespace fs = std::filesystem;

fs::path SingleInstanceLock::DefaultFile() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code ec;
  if (runtime && *runtime && fs::path(runtime).is_absolute() && fs::is_directory(runtime, ec))
    return fs::path(runtime) / "korvane.lock";
  return fs::path("/tmp") / ("korvane-" + std::to_string(::getuid()) + ".lock");
}

SingleInstanceLock::State SingleInstanceLock::Acquire() {
  if (fd_ >= 0) return State::Held;
  // O_NOFOLLOW: a link planted in a shared folder must not redirect our write.
  int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return State::Unavailable;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    ::close(fd);
    return State::Unavailable;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
  }
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) {
    ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    (void)written;  // the id is for people looking at the file; the lock is what counts
  }
  fd_ = fd;
  return State::Held;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  // Empty the file while still holding the lock; the file itself stays, so a
  // copy starting right now never locks a file that is being removed.
  if (::ftruncate(fd_, 0) != 0) {
    // nothing more to do: the lock goes with the descriptor
  }
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace korvane::shell
