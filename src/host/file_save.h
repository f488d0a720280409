// Saving files so that nothing a teacher typed is lost: every file the
// program writes (workbooks, documents, PDFs) is replaced atomically, and a
// command that fails can put back every file it saved.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace korvane::host {

// The lock file of another program beside `path` ("~$name", ".~lock.name#"),
// or "" when there is none.
std::string ForeignLockFile(const std::string& path);

// Writes bytes to a file atomically (shared with the other document writers).
// Refuses (FileError naming the file) a read-only target.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

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
  friend void WriteFileAtomically(const std::string&, const std::string&);
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
