#include "host/workbook.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "host/application.h"
#include "host/errors.h"
#include "host/fault.h"
#include "host/formula_engine.h"
#include "host/utf8.h"
#include "host/workbook_codec.h"

namespace korvane::host {

namespace {
std::string LowerExt(const std::string& path) {
  auto slash = path.find_last_of('/');
  auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string e = path.substr(dot);
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}
}  // namespace

FileKind FileKindFromExtension(const std::string& path) {
  std::string e = LowerExt(path);
  if (e == ".xlsm") return FileKind::Xlsm;
  if (e == ".xltx") return FileKind::Xltx;
  if (e == ".xltm") return FileKind::Xltm;
  return FileKind::Xlsx;
}

const char* FileKindExtension(FileKind k) {
  switch (k) {
    case FileKind::Xlsm: return ".xlsm";
    case FileKind::Xltx: return ".xltx";
    case FileKind::Xltm: return ".xltm";
    default: return ".xlsx";
  }
}

FileKind FileKindFromFormat(int fileFormat) {
  switch (fileFormat) {
    case xl::FormatMacroWorkbook: return FileKind::Xlsm;
    case xl::FormatTemplate: return FileKind::Xltx;
    case xl::FormatMacroTemplate: return FileKind::Xltm;
    case xl::FormatWorkbook: return FileKind::Xlsx;
    default: throw HostError("不支持的文件格式代码：" + std::to_string(fileFormat));
  }
}

Workbook::Workbook(std::shared_ptr<SharedTables> tables, WorkbookHost* host)
    : tables_(tables ? std::move(tables) : std::make_shared<SharedTables>()), host_(host) {}

Workbook::~Workbook() = default;

std::string Workbook::FullName() const { return path_.empty() ? name_ : path_ + "/" + name_; }

void Workbook::SetFileIdentity(const std::string& folder, const std::string& name) {
  path_ = folder;
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  name_ = name;
}

Worksheet& Workbook::Sheet(int index) {
  if (index < 1 || index > Count()) throw HostError("下标越界：工作表 " + std::to_string(index) + " 不存在。");
  return *sheets_[index - 1];
}

bool Workbook::SameSheetName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x < 0x80 && y < 0x80) {
      if (std::tolower(x) != std::tolower(y)) return false;
    } else if (x != y) {
      return false;
    }
  }
  return true;
}

Worksheet* Workbook::FindSheet(const std::string& name) const {
  for (const auto& ws : sheets_)
    if (SameSheetName(ws->Name(), name)) return ws.get();
  return nullptr;
}

Worksheet& Workbook::Sheet(const std::string& name) {
  Worksheet* ws = FindSheet(name);
  if (!ws) throw HostError("下标越界：找不到工作表“" + name + "”。");
  return *ws;
}

int Workbook::IndexOf(const Worksheet& ws) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i)
    if (sheets_[i].get() == &ws) return static_cast<int>(i) + 1;
  return 0;
}

std::vector<Worksheet*> Workbook::Sheets() const {
  std::vector<Worksheet*> v;
  v.reserve(sheets_.size());
  for (const auto& ws : sheets_) v.push_back(ws.get());
  return v;
}

std::string Workbook::UniqueSheetName(const std::string& base) const {
  if (base.empty()) {
    for (int n = 1;; ++n) {
      std::string s = "Sheet" + std::to_string(n);
      if (!FindSheet(s)) return s;
    }
  }
  if (!FindSheet(base)) return base;
  // "名称 (2)", trimmed so that the result keeps within 31 characters.
  std::string stem = base;
  auto paren = stem.rfind(" (");
  if (paren != std::string::npos && stem.back() == ')') stem = stem.substr(0, paren);
  for (int n = 2;; ++n) {
    std::string suffix = " (" + std::to_string(n) + ")";
    std::string s = stem;
    while (utf8::Length(s) + utf8::Length(suffix) > 31 && !s.empty()) s = std::string(utf8::DropLast(s));
    s += suffix;
    if (!FindSheet(s)) return s;
  }
}

Worksheet& Workbook::InsertSheetAt(std::unique_ptr<Worksheet> ws, int pos) {
  ValuesChanged();
  fault::Point("插入工作表");
  pos = std::clamp(pos, 0, Count());
  Worksheet* active = sheets_.empty() ? nullptr : sheets_[active_].get();
  sheets_.insert(sheets_.begin() + pos, std::move(ws));
  if (active) active_ = IndexOf(*active) - 1;
  saved_ = false;
  return *sheets_[pos];
}

Worksheet& Workbook::AddSheet(Worksheet* before, Worksheet* after, const std::string& name) {
  CheckStructureChangeable();
  std::string n = name.empty() ? UniqueSheetName("") : name;
  if (!name.empty()) {
    std::string problem = SheetNameProblem(name);
    if (!problem.empty()) throw HostError(problem);
    if (FindSheet(name)) throw HostError("工作表名称“" + name + "”已被占用，请另换一个名称。");
  }
  int pos;
  if (before)
    pos = IndexOf(*before) - 1;
  else if (after)
    pos = IndexOf(*after);
  else
    pos = sheets_.empty() ? 0 : active_;
  Worksheet& ws = InsertSheetAt(std::make_unique<Worksheet>(this, n), pos);
  SetActiveSheet(ws);
  return ws;
}

Worksheet& Workbook::AppendSheetUnchecked(const std::string& name) {
  ValuesChanged();
  sheets_.push_back(std::make_unique<Worksheet>(this, name));
  return *sheets_.back();
}

void Workbook::MoveSheet(Worksheet& ws, int newIndex) {
  fault::Point("移动工作表");
  CheckStructureChangeable();
  int from = IndexOf(ws) - 1;
  if (from < 0) throw HostError("工作表不在此工作簿中。");
  newIndex = std::clamp(newIndex, 1, Count()) - 1;
  Worksheet* active = sheets_[active_].get();
  auto p = std::move(sheets_[from]);
  sheets_.erase(sheets_.begin() + from);
  sheets_.insert(sheets_.begin() + newIndex, std::move(p));
  active_ = IndexOf(*active) - 1;
  saved_ = false;
}

void Workbook::RemoveSheet(Worksheet& ws) {
  fault::Point("删除工作表");
  int idx = IndexOf(ws) - 1;
  if (idx < 0) return;
  ValuesChanged();  // its results are keyed by the sheet, whose address may be used again
  std::string name = ws.Name();
  Worksheet* active = sheets_[active_].get();
  names_.erase(std::remove_if(names_.begin(), names_.end(), [&](const DefinedName& n) { return n.scope == &ws; }),
               names_.end());
  sheets_.erase(sheets_.begin() + idx);
  if (sheets_.empty()) {
    active_ = 0;
  } else if (active == &ws) {
    // The application activates the next visible sheet (or the previous one).
    int pick = -1;
    for (int i = idx; i < Count(); ++i)
      if (sheets_[i]->Visible()) {
        pick = i;
        break;
      }
    for (int i = idx - 1; pick < 0 && i >= 0; --i)
      if (sheets_[i]->Visible()) pick = i;
    active_ = pick < 0 ? 0 : pick;
  } else {
    active_ = IndexOf(*active) - 1;
  }
  InvalidateReferences(name);
  saved_ = false;
}

bool Workbook::DeleteSheets(const std::vector<Worksheet*>& sheets) {
  if (sheets.empty()) return true;
  CheckStructureChangeable();
  int remainingVisible = 0;
  for (const auto& ws : sheets_)
    if (ws->Visible() && std::find(sheets.begin(), sheets.end(), ws.get()) == sheets.end()) ++remainingVisible;
  if (remainingVisible == 0) throw HostError("工作簿中至少应含有一张可视工作表。");
  if (host_ && host_->displayAlerts && host_->Prompter()) {
    std::string names;
    for (Worksheet* ws : sheets) names += (names.empty() ? "" : "、") + ws->Name();
    if (!host_->Prompter()->ConfirmSheetDeletion(names)) return false;
  }
  for (Worksheet* ws : sheets) RemoveSheet(*ws);
  return true;
}

Worksheet& Workbook::ActiveSheet() {
  if (sheets_.empty()) throw HostError("工作簿中没有工作表。");
  return *sheets_[std::clamp(active_, 0, Count() - 1)];
}

void Workbook::SetActiveSheet(Worksheet& ws) {
  int idx = IndexOf(ws) - 1;
  if (idx >= 0) active_ = idx;
}

// ---- names ----

void Workbook::AddName(const std::string& name, const std::string& refersTo) {
  DefinedName n;
  std::string sheet, local;
  SplitSheetRef(name, sheet, local);
  n.name = local;
  if (!sheet.empty()) n.scope = &Sheet(sheet);
  n.refersTo = refersTo;
  if (n.refersTo.empty() || n.refersTo[0] != '=') n.refersTo = "=" + n.refersTo;
  AddName(std::move(n));
}

void Workbook::AddName(DefinedName n) {
  ValuesChanged();
  fault::Point("定义名称");
  if (n.name.empty()) throw HostError("名称不能为空。");
  unsigned char first = n.name[0];
  if (std::isdigit(first) || first == '.' || ParseA1(n.name)) throw HostError("名称“" + n.name + "”无效。");
  for (unsigned char ch : n.name)
    if (ch < 0x80 && !(std::isalnum(ch) || ch == '_' || ch == '.' || ch == '\\'))
      throw HostError("名称“" + n.name + "”无效。");
  // Adding an existing name replaces its definition, as the application does.
  for (DefinedName& e : names_) {
    if (e.scope == n.scope && SameSheetName(e.name, n.name)) {
      e.refersTo = n.refersTo;
      e.hidden = n.hidden;
      saved_ = false;
      return;
    }
  }
  names_.push_back(std::move(n));
  saved_ = false;
}

DefinedName& Workbook::NameAt(int index) {
  if (index < 1 || index > NameCount()) throw HostError("下标越界：名称 " + std::to_string(index) + " 不存在。");
  ValuesChanged();
  return names_[index - 1];
}

void Workbook::DeleteName(int index) {
  fault::Point("删除名称");
  NameAt(index);
  names_.erase(names_.begin() + (index - 1));
  saved_ = false;
}

DefinedName* Workbook::FindName(const std::string& name, const Worksheet* scope) const {
  for (const DefinedName& n : names_)
    if (n.scope == scope && SameSheetName(n.name, name)) return const_cast<DefinedName*>(&n);
  return nullptr;
}

Workbook::PrintTitles Workbook::PrintTitlesOf(const Worksheet& ws) const {
  PrintTitles t;
  const DefinedName* n = FindName("Print_Titles", &ws);
  if (!n) return t;
  std::string text = n->refersTo.substr(n->refersTo[0] == '=' ? 1 : 0);
  // Comma-separated areas, each "sheet!$A:$E" or "sheet!$1:$2".
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '\'') quoted = !quoted;
    if (i == text.size() || (text[i] == ',' && !quoted)) {
      std::string sheet, addr;
      SplitSheetRef(text.substr(start, i - start), sheet, addr);
      if (auto r = ParseA1(addr)) {
        if (r->c1 == 1 && r->c2 == kMaxCols) {
          t.row1 = r->r1;
          t.row2 = r->r2;
        } else if (r->r1 == 1 && r->r2 == kMaxRows) {
          t.col1 = r->c1;
          t.col2 = r->c2;
        }
      }
      start = i + 1;
    }
  }
  return t;
}

// ---- protection ----

void Workbook::Protect(bool structure, bool windows) {
  protection_.structure = structure;
  protection_.windows = windows;
  saved_ = false;
}

void Workbook::Unprotect() {
  protection_ = WorkbookProtection{};
  saved_ = false;
}

void Workbook::CheckStructureChangeable() const {
  if (protection_.structure) throw HostError("工作簿有保护，不能更改其结构。");
}

// ---- files ----

void Workbook::Save() {
  if (path_.empty()) throw HostError("工作簿“" + name_ + "”还没有保存位置，请使用“另存为”。");
  WorkbookFiles().WriteFile(*this, FullName(), kind_);
  saved_ = true;
}

void Workbook::SaveAs(const std::string& fullPath, int fileFormat) {
  std::string path = fullPath;
  FileKind kind;
  std::string ext = LowerExt(path);
  bool knownExt = ext == ".xlsx" || ext == ".xlsm" || ext == ".xltx" || ext == ".xltm";
  if (fileFormat != 0) {
    kind = FileKindFromFormat(fileFormat);
    if (!knownExt)
      path += FileKindExtension(kind);
    else if (FileKindFromExtension(path) != kind)
      throw HostError("文件格式与扩展名“" + ext + "”不符。");
  } else {
    if (!knownExt) path += FileKindExtension(kind_);
    kind = FileKindFromExtension(path);
  }
  auto slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (host_) {
    for (Workbook* other : host_->Workbooks())
      if (other != this && SameSheetName(other->Name(), name))
        throw HostError("不能使用与另一个打开的工作簿相同的名称“" + name + "”保存。");
  }
  WorkbookFiles().WriteFile(*this, path, kind);
  SetFileIdentity(folder, name);
  kind_ = kind;
  saved_ = true;
}

// ---- references ----

namespace {

// A text without "!" names no sheet: only references into the formula's own sheet.
bool NamesNoSheet(std::string_view text) { return text.find('!') == std::string_view::npos; }
bool Never(std::string_view) { return false; }

}  // namespace

void Workbook::RewriteFormulas(Worksheet& ws, bool (*skip)(std::string_view),
                               const std::function<std::string(const std::string&)>& rewrite) {
  StringPool& pool = tables_->strings;
  // Formula id -> the id of its rewritten text; the cells of a sheet share few texts.
  std::unordered_map<std::uint32_t, std::uint32_t> done;
  for (auto& [r, row] : ws.rows_)
    for (Cell& c : row.cells) {
      if (!c.formula) continue;
      auto [it, inserted] = done.try_emplace(c.formula, c.formula);
      if (inserted) {
        const std::string& text = pool.Get(c.formula);
        if (!skip(text)) {
          std::string t = rewrite(text);
          if (t != text) it->second = pool.Intern(t);
        }
      }
      c.formula = it->second;
    }
}

void Workbook::AdjustReferences(const Worksheet& changed, bool rows, int at, int count) {
  ValuesChanged();
  SheetShift shift{changed.Name(), rows, at, count};
  for (auto& ws : sheets_) {
    // Formulas of other sheets reach the changed one only through a sheet name.
    RewriteFormulas(*ws, ws.get() == &changed ? Never : NamesNoSheet,
                    [&](const std::string& text) { return Formulas().AdjustForShift(text, ws->Name(), shift, false); });
    for (auto& cf : ws->condFormats_)
      for (auto& rule : cf.rules) {
        rule.formula = Formulas().AdjustForShift(rule.formula, ws->Name(), shift, true);
        if (!rule.formula2.empty()) rule.formula2 = Formulas().AdjustForShift(rule.formula2, ws->Name(), shift, true);
      }
    for (auto& dv : ws->validations_) {
      if (!dv.formula1.empty()) dv.formula1 = Formulas().AdjustForShift(dv.formula1, ws->Name(), shift, true);
      if (!dv.formula2.empty()) dv.formula2 = Formulas().AdjustForShift(dv.formula2, ws->Name(), shift, true);
    }
  }
  for (DefinedName& n : names_) {
    std::string home = n.scope ? n.scope->Name() : std::string();
    n.refersTo = Formulas().AdjustForShift(n.refersTo, home, shift, true);
  }
}

void Workbook::RenameReferences(const std::string& oldName, const std::string& newName) {
  ValuesChanged();
  for (auto& ws : sheets_) {
    RewriteFormulas(*ws, NamesNoSheet,
                    [&](const std::string& text) { return Formulas().RenameSheet(text, oldName, newName); });
    for (auto& cf : ws->condFormats_)
      for (auto& rule : cf.rules) rule.formula = Formulas().RenameSheet(rule.formula, oldName, newName);
    for (auto& dv : ws->validations_) {
      dv.formula1 = Formulas().RenameSheet(dv.formula1, oldName, newName);
      dv.formula2 = Formulas().RenameSheet(dv.formula2, oldName, newName);
    }
  }
  for (DefinedName& n : names_) n.refersTo = Formulas().RenameSheet(n.refersTo, oldName, newName);
}

void Workbook::InvalidateReferences(const std::string& deleted) {
  ValuesChanged();
  for (auto& ws : sheets_)
    RewriteFormulas(*ws, NamesNoSheet,
                    [&](const std::string& text) { return Formulas().InvalidateSheet(text, deleted); });
  for (DefinedName& n : names_) n.refersTo = Formulas().InvalidateSheet(n.refersTo, deleted);
}

std::unique_ptr<Workbook> Workbook::Clone() const {
  auto copy = std::make_unique<Workbook>(tables_, host_);
  copy->name_ = name_;
  copy->path_ = path_;
  copy->kind_ = kind_;
  copy->saved_ = saved_;
  copy->active_ = active_;
  copy->protection_ = protection_;
  copy->defaultFontName = defaultFontName;
  copy->defaultFontSize = defaultFontSize;
  copy->date1904 = date1904;
  copy->createdTime = createdTime;
  for (const auto& ws : sheets_) {
    auto c = std::make_unique<Worksheet>(copy.get(), ws->name_);
    c->rows_ = ws->rows_;
    c->cols_ = ws->cols_;
    c->CopySheetPropertiesFrom(*ws);
    c->visibility_ = ws->visibility_;
    copy->sheets_.push_back(std::move(c));
  }
  copy->names_ = names_;
  for (DefinedName& n : copy->names_)
    if (n.scope) n.scope = copy->sheets_[static_cast<std::size_t>(IndexOf(*n.scope) - 1)].get();
  return copy;
}

void Workbook::TakeContentsOf(Workbook& other) {
  ValuesChanged();  // results computed for the old contents
  tables_ = other.tables_;
  name_ = std::move(other.name_);
  path_ = std::move(other.path_);
  kind_ = other.kind_;
  saved_ = other.saved_;
  active_ = other.active_;
  protection_ = std::move(other.protection_);
  defaultFontName = std::move(other.defaultFontName);
  defaultFontSize = other.defaultFontSize;
  date1904 = other.date1904;
  createdTime = std::move(other.createdTime);
  sheets_ = std::move(other.sheets_);
  for (auto& ws : sheets_) ws->book_ = this;
  names_ = std::move(other.names_);
  other.sheets_.clear();
  other.names_.clear();
}

std::size_t Workbook::StorageBytes() const {
  std::size_t n = sizeof(*this);
  for (const auto& ws : sheets_) n += ws->StorageBytes();
  return n;
}

}  // namespace korvane::host
