// Saving files so that nothing a teacher typed is lost: every file the
// program writes (workbooks, documents, PDFs) is replaced atomically, and a
// command that fails can put back every file it saved.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "host/errors.h"

namespace korvane::host {

// A save refused or failed: the message names the file; `Reason()` is the
// why alone ("磁盘空间不足。"), for writers that word the message their own way.
class FileSaveError : public FileError {
 public:
  FileSaveError(const std::string& message, std::string reason) : FileError(message), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// The lock file of another program beside `path` ("~$name", ".~lock.name#"),
// or "" when there is none.
std::string ForeignLockFile(const std::string& path);

// Writes bytes to a file atomically (shared with the other document writers).
// Refuses (FileError naming the file) a read-only target, a symbolic link (a
// save never writes through a link to a file elsewhere, nor replaces the link)
// and a file of another user (replacing it would make it ours).
void WriteFileAtomically(const std::string& path, const std::string& bytes);

// The same replacement for writers that produce their bytes as a stream (the
// PDF printer): a temporary file beside `path`, named like those of the other
// saves so that one left by a killed process is removed the same way. Nothing
// at `path` changes until Commit(), which checks every write (as reported by
// Failed()), the flush and the close before renaming over the old file. A file
// destroyed without Commit() removes its temporary file.
class AtomicFile {
 public:
  // Throws FileError naming `path` when it cannot be saved there.
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  int Descriptor() const { return fd_; }
  // Writes all of `bytes`; a failure is kept for Commit() to report (returns
  // false).
  bool Write(const char* bytes, std::size_t size);
  // Marks the stream as failed with `err` (an errno value) by a writer that
  // wrote on its own.
  void Failed(int err);
  // Throws FileError naming the file with the reason of the first failure;
  // the old file is then left as it was.
  void Commit();

 private:
  std::string path_, folder_, temp_;
  int fd_ = -1;
  int error_ = 0;
  bool done_ = false;
};

// While a journal is alive, every file that WriteFileAtomically replaces or
// creates is recorded first (its old bytes, or that it did not exist), so that
// RollBack() can put the folder back as it was: a command that fails after a
// save leaves no changed file behind. Journals nest: what an inner journal
// recorded and did not put back passes to the outer one when it ends.
class SaveJournal {
 public:
  SaveJournal();
  ~SaveJournal();
  SaveJournal(const SaveJournal&) = delete;
  SaveJournal& operator=(const SaveJournal&) = delete;
  // Puts back every recorded file, the latest first. Returns the files that
  // could not be put back (empty when all were).
  std::vector<std::string> RollBack();
  std::size_t Size() const { return files_.size(); }

 private:
  friend class AtomicFile;
  struct File {
    std::string path;
    bool existed = false;
    std::string bytes;
  };
  void Record(const std::string& path);
  std::vector<File> files_;
  SaveJournal* outer_ = nullptr;
};

// Removes the temporary files (".korvane-save-PID-XXXXXX") that saves of
// processes no longer running left in `folder`. Every save calls it.
void RemoveStaleSaveFiles(const std::string& folder);

}  // namespace korvane::host
