// The single-instance lock of the desktop program: a lock file in the user's
// runtime folder that a running copy holds (and writes its process id into).
// The lock is an advisory file lock, so it ends with the process that holds
// it: a file left behind by a copy that died is no obstacle.
#pragma once

#include <filesystem>

namespace korvane::shell {

class SingleInstanceLock {
 public:
  enum class State {
    Held,           // this copy holds the lock
    HeldElsewhere,  // another running copy holds it
    Unavailable,    // the lock file cannot be used (not ours, cannot be created)
  };

  explicit SingleInstanceLock(std::filesystem::path file) : file_(std::move(file)) {}
  ~SingleInstanceLock() { Release(); }
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // $XDG_RUNTIME_DIR/korvane.lock, or /tmp/korvane-<uid>.lock when the
  // runtime folder is not set.
  static std::filesystem::path DefaultFile();

  const std::filesystem::path& File() const { return file_; }
  State Acquire();
  // Gives the lock up (and empties the file). Safe to call when not held.
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

}  // namespace korvane::shell
