// Errors of the workbook host. The message is Chinese and meant for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace korvane::host {

class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

// A file that cannot be read or written: damaged, not a workbook, open
// elsewhere, too large.
class FileError : public HostError {
 public:
  explicit FileError(const std::string& message) : HostError(message) {}
};

}  // namespace korvane::host
