// The per-user settings store: a small text file under $XDG_CONFIG_HOME
// (default ~/.config), korvane/settings.ini, holding values by application
// name, section and key, like the per-user store of the desktop systems the
// meet workbooks come from. The one setting the program keeps is the default
// folder.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvane::shell {

// Where the default folder is kept.
inline constexpr std::string_view kSettingsApp = "Microsoft Excel";
inline constexpr std::string_view kSettingsSection = "Brevundal\\MySection";
inline constexpr std::string_view kDefaultPathKey = "DefaultPath";

class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}
  // $XDG_CONFIG_HOME/korvane/settings.ini; an unset or relative
  // XDG_CONFIG_HOME means ~/.config.
  static std::filesystem::path DefaultFile();

  const std::filesystem::path& File() const { return file_; }

  // The stored text, or `fallback` when there is none. The file is read
  // afresh on every call, so another copy's change is seen.
  std::string Get(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view fallback = "") const;
  // Stores a text, keeping every other value of the file. The file is
  // replaced atomically: a failed save leaves the old one as it was. Throws
  // SettingsError (Chinese message) when it cannot be written, and
  // std::invalid_argument for a section or key that a line cannot hold.
  void Save(std::string_view app, std::string_view section, std::string_view key, std::string_view value);

 private:
  std::filesystem::path file_;
};

// A settings file that cannot be written (a folder or file without write
// permission, a full disk). The message is Chinese and names the file.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The stored default folder as it is (may be empty or name a folder that is
// gone).
std::string StoredDefaultPath(const SettingsStore& store);
void SaveDefaultPath(SettingsStore& store, std::string_view folder);
// A folder counts as set when the text is not empty and the folder exists.
bool IsFolderSet(std::string_view folder);
// The default folder when it is set.
std::optional<std::string> DefaultFolder(const SettingsStore& store);

}  // namespace korvane::shell
