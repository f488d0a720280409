#include "shell/settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "host/file_save.h"

namespace korvane::shell {

namespace fs = std::filesystem;

namespace {

// The file: "[application\section]" headers and "key=value" lines. Values
// escape backslash, line feed and carriage return so every value is one line.
struct Entry {
  std::string key, value;
};
struct Section {
  std::string name;
  std::vector<Entry> entries;
};

std::string SectionName(std::string_view app, std::string_view section) {
  return std::string(app) + "\\" + std::string(section);
}

std::string Escape(std::string_view v) {
  std::string out;
  for (char c : v) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

std::string Unescape(std::string_view v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      char n = v[i + 1];
      if (n == '\\' || n == 'n' || n == 'r') {
        out += n == 'n' ? '\n' : (n == 'r' ? '\r' : '\\');
        ++i;
        continue;
      }
    }
    out += v[i];
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<Section> ReadFile(const fs::path& file) {
  std::vector<Section> sections;
  std::ifstream in(file, std::ios::binary);
  if (!in) return sections;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') continue;
    if (t.front() == '[' && t.back() == ']') {
      sections.push_back(Section{std::string(t.substr(1, t.size() - 2)), {}});
      continue;
    }
    auto eq = line.find('=');
    if (eq == std::string::npos || sections.empty()) continue;  // not a value line: ignored
    std::string key(Trim(std::string_view(line).substr(0, eq)));
    if (key.empty()) continue;
    sections.back().entries.push_back(Entry{key, Unescape(std::string_view(line).substr(eq + 1))});
  }
  return sections;
}

std::string Render(const std::vector<Section>& sections) {
  std::ostringstream out;
  out << "; Korvane settings\n";
  for (const Section& s : sections) {
    out << "\n[" << s.name << "]\n";
    for (const Entry& e : s.entries) out << e.key << "=" << Escape(e.value) << "\n";
  }
  return out.str();
}

[[noreturn]] void Fail(const fs::path& file, const std::string& what) {
  throw SettingsError("无法保存设置文件“" + file.string() + "”：" + what);
}

// The file is replaced the way every other file is saved: checked writes, a
// temporary file that a killed process's next start removes, and a Chinese
// reason when it fails.
void WriteAtomically(const fs::path& file, const std::string& text) {
  std::error_code ec;
  fs::path dir = file.parent_path();
  if (!dir.empty()) {
    fs::create_directories(dir, ec);
    if (ec) Fail(file, "无法创建文件夹“" + dir.string() + "”。");
  }
  try {
    host::WriteFileAtomically(file.string(), text);
  } catch (const host::FileSaveError& e) {
    Fail(file, e.Reason());
  }
}

}  // namespace

fs::path SettingsStore::DefaultFile() {
  fs::path base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : ".") / ".config";
  }
  return base / "korvane" / "settings.ini";
}

std::string SettingsStore::Get(std::string_view app, std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  std::string name = SectionName(app, section);
  std::optional<std::string> found;
  for (const Section& s : ReadFile(file_))
    if (s.name == name)
      for (const Entry& e : s.entries)
        if (e.key == key) found = e.value;  // the last one wins, as a later write would
  return found ? *found : std::string(fallback);
}

void SettingsStore::Save(std::string_view app, std::string_view section, std::string_view key, std::string_view value) {
  std::string name = SectionName(app, section);
  auto unfit = [](std::string_view s, std::string_view bad) { return s.find_first_of(bad) != std::string_view::npos; };
  if (unfit(name, "\r\n]") || unfit(key, "\r\n=[") || Trim(key) != key || key.empty())
    throw std::invalid_argument("settings: a section or key that a line cannot hold");
  std::vector<Section> sections = ReadFile(file_);
  Section* target = nullptr;
  for (Section& s : sections)
    if (s.name == name) target = &s;
  if (!target) {
    sections.push_back(Section{name, {}});
    target = &sections.back();
  }
  bool replaced = false;
  for (auto it = target->entries.begin(); it != target->entries.end();) {
    if (it->key == key) {
      if (replaced) {
        it = target->entries.erase(it);
        continue;
      }
      it->value = std::string(value);
      replaced = true;
    }
    ++it;
  }
  if (!replaced) target->entries.push_back(Entry{std::string(key), std::string(value)});
  WriteAtomically(file_, Render(sections));
}

std::string StoredDefaultPath(const SettingsStore& store) {
  return store.Get(kSettingsApp, kSettingsSection, kDefaultPathKey);
}

void SaveDefaultPath(SettingsStore& store, std::string_view folder) {
  store.Save(kSettingsApp, kSettingsSection, kDefaultPathKey, folder);
}

bool IsFolderSet(std::string_view folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  return fs::is_directory(fs::path(folder), ec);
}

std::optional<std::string> DefaultFolder(const SettingsStore& store) {
  std::string folder = StoredDefaultPath(store);
  if (!IsFolderSet(folder)) return std::nullopt;
  return folder;
}

}  // namespace korvane::shell
