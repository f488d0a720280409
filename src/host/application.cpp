#include "host/application.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/errors.h"
#include "host/fault.h"
#include "host/formula_engine.h"
#include "host/pagination.h"
#include "host/workbook_codec.h"

namespace korvane::host {

namespace fs = std::filesystem;

WorkbookHost::WorkbookHost() : tables_(std::make_shared<SharedTables>()) {}
WorkbookHost::~WorkbookHost() = default;

Workbook& WorkbookHost::WorkbookAt(int index) {
  if (index < 1 || index > WorkbooksCount()) throw HostError("下标越界：工作簿 " + std::to_string(index) + " 不存在。");
  return *books_[index - 1];
}

std::vector<Workbook*> WorkbookHost::Workbooks() const {
  std::vector<Workbook*> v;
  for (const auto& b : books_) v.push_back(b.get());
  return v;
}

Workbook* WorkbookHost::FindWorkbook(const std::string& name) const {
  for (const auto& b : books_)
    if (Workbook::SameSheetName(b->Name(), name)) return b.get();
  return nullptr;
}

namespace {
std::string Stem(const std::string& path) {
  fs::path p(path);
  return p.stem().string();
}
bool IsTemplateKind(FileKind k) { return k == FileKind::Xltx || k == FileKind::Xltm; }
}  // namespace

Workbook& WorkbookHost::Add(const std::string& templatePath) {
  fault::Point("新建工作簿");
  std::unique_ptr<Workbook> book;
  ++newBookCounter_;
  if (templatePath.empty()) {
    book = std::make_unique<Workbook>(tables_, this);
    book->AppendSheetUnchecked("Sheet1");
    book->SetUnsavedName("工作簿" + std::to_string(newBookCounter_));
  } else {
    book = WorkbookFiles().ReadFile(templatePath, tables_, this);
    FileKind k = FileKindFromExtension(templatePath);
    book->SetKind(k == FileKind::Xltm ? FileKind::Xlsm : (k == FileKind::Xltx ? FileKind::Xlsx : k));
    book->SetUnsavedName(Stem(templatePath) + std::to_string(newBookCounter_));
    book->createdTime.clear();  // a new workbook, not the template
  }
  book->SetSaved(true);
  books_.push_back(std::move(book));
  active_ = static_cast<int>(books_.size()) - 1;
  return *books_.back();
}

Workbook& WorkbookHost::Open(const std::string& path, bool editable) {
  fault::Point("打开工作簿");
  FileKind kind = FileKindFromExtension(path);
  if (IsTemplateKind(kind) && !editable) return Add(path);
  std::error_code ec;
  fs::path abs = fs::absolute(path, ec);
  std::string full = ec ? path : abs.lexically_normal().string();
  std::string name = fs::path(full).filename().string();
  for (const auto& b : books_) {
    if (b->FullName() == full) {
      Activate(*b);
      return *b;
    }
    if (Workbook::SameSheetName(b->Name(), name)) throw HostError("不能同时打开两个同名的工作簿“" + name + "”。");
  }
  auto book = WorkbookFiles().ReadFile(full, tables_, this);
  book->SetFileIdentity(fs::path(full).parent_path().string(), name);
  book->SetKind(kind);
  book->SetSaved(true);
  books_.push_back(std::move(book));
  active_ = static_cast<int>(books_.size()) - 1;
  return *books_.back();
}

void WorkbookHost::Close(Workbook& book, bool saveChanges) {
  auto it = std::find_if(books_.begin(), books_.end(), [&](const auto& b) { return b.get() == &book; });
  if (it == books_.end()) return;
  if (saveChanges) book.Save();
  Workbook* active = ActiveWorkbook();
  books_.erase(it);
  if (books_.empty()) {
    active_ = -1;
  } else if (active == &book) {
    active_ = static_cast<int>(books_.size()) - 1;
  } else {
    for (std::size_t i = 0; i < books_.size(); ++i)
      if (books_[i].get() == active) active_ = static_cast<int>(i);
  }
}

void WorkbookHost::CloseAll() {
  books_.clear();
  active_ = -1;
}

void WorkbookHost::Quit() {
  CloseAll();
  visible = false;
  statusBar.clear();
}

Workbook* WorkbookHost::ActiveWorkbook() const {
  if (active_ < 0 || active_ >= static_cast<int>(books_.size())) return nullptr;
  return books_[active_].get();
}

void WorkbookHost::Activate(Workbook& book) {
  for (std::size_t i = 0; i < books_.size(); ++i)
    if (books_[i].get() == &book) active_ = static_cast<int>(i);
}

Worksheet* WorkbookHost::ActiveSheet() const {
  Workbook* b = ActiveWorkbook();
  if (!b || b->Count() == 0) return nullptr;
  return &b->ActiveSheet();
}

void WorkbookHost::PrintOut(Workbook& book, const std::vector<Worksheet*>& sheets, int copies,
                            const std::string& document) {
  PrintJob job;
  job.workbook = book.Name();
  job.copies = copies;
  for (Worksheet* ws : sheets) job.sheets.push_back(ws->Name());
  job.document = !document.empty() ? document : sheets.empty() ? book.Name() : sheets.front()->Name();
  printJobs_.push_back(job);
  if (printSink_) printSink_->Print(book, sheets, printJobs_.back());
}

ValueGrid WorkbookHost::Transpose(const ValueGrid& grid) {
  std::size_t cols = 0;
  for (const auto& row : grid) cols = std::max(cols, row.size());
  ValueGrid out(cols, std::vector<CellValue>(grid.size()));
  for (std::size_t i = 0; i < grid.size(); ++i)
    for (std::size_t j = 0; j < grid[i].size(); ++j) out[j][i] = grid[i][j];
  return out;
}

long long WorkbookHost::CountIf(const ValueGrid& grid, const CellValue& criterion) {
  long long n = 0;
  for (const auto& row : grid)
    for (const CellValue& v : row)
      if (Formulas().MatchesCriterion(v, criterion)) ++n;
  return n;
}

int WorkbookHost::ActiveSheetPageCount() {
  Worksheet* ws = ActiveSheet();
  if (!ws) throw HostError("没有活动工作表。");
  return print::Paginate(*ws).PageCount();
}

HostSnapshot::HostSnapshot() = default;
HostSnapshot::~HostSnapshot() = default;
HostSnapshot::HostSnapshot(HostSnapshot&&) noexcept = default;
HostSnapshot& HostSnapshot::operator=(HostSnapshot&&) noexcept = default;

HostSnapshot WorkbookHost::Snapshot() const {
  fault::Suspended quiet;
  HostSnapshot s;
  for (const auto& b : books_) s.books_.push_back({b.get(), b->Clone()});
  s.active_ = active_;
  s.newBookCounter_ = newBookCounter_;
  return s;
}

void WorkbookHost::Restore(HostSnapshot&& s) {
  fault::Suspended quiet;
  std::vector<std::unique_ptr<Workbook>> restored;
  restored.reserve(s.books_.size());
  for (HostSnapshot::Entry& e : s.books_) {
    auto it = std::find_if(books_.begin(), books_.end(), [&](const auto& b) { return b.get() == e.original; });
    if (it != books_.end()) {
      (*it)->TakeContentsOf(*e.copy);
      restored.push_back(std::move(*it));
    } else {
      restored.push_back(std::move(e.copy));
    }
  }
  books_ = std::move(restored);
  active_ = s.active_;
  newBookCounter_ = s.newBookCounter_;
}

}  // namespace korvane::host
