#include "cli/script.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "host/address.h"
#include "host/cell_entry.h"
#include "host/errors.h"
#include "host/number_format.h"
#include "host/range.h"
#include "host/workbook.h"
#include "meet/layout.h"
#include "shell/dialog.h"
#include "shell/menu.h"

namespace korvane::cli {

using namespace shell;

namespace fs = std::filesystem;

// ---- reading the script ----

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void Tokenize(std::string_view rest, ScriptLine& line) {
  std::size_t i = 0, n = rest.size();
  while (true) {
    while (i < n && IsBlank(rest[i])) ++i;
    if (i >= n) return;
    ScriptWord word;
    if (rest[i] == '"') {
      word.quoted = true;
      ++i;
      bool closed = false;
      while (i < n) {
        char c = rest[i];
        if (c == '\\' && i + 1 < n && (rest[i + 1] == '"' || rest[i + 1] == '\\')) {
          word.text += rest[i + 1];
          i += 2;
        } else if (c == '"') {
          ++i;
          closed = true;
          break;
        } else {
          word.text += c;
          ++i;
        }
      }
      if (!closed) {
        line.error = "unterminated quoted word";
        return;
      }
      if (i < n && !IsBlank(rest[i])) {
        line.error = "a quoted word must be followed by a space";
        return;
      }
    } else {
      while (i < n && !IsBlank(rest[i])) word.text += rest[i++];
    }
    line.words.push_back(std::move(word));
  }
}

bool ReadCount(std::string_view s, int& out) {
  if (s.empty() || s.size() > 9) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

}  // namespace

std::vector<ScriptLine> ParseScript(std::string_view text) {
  std::vector<ScriptLine> lines;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    ++number;
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::size_t indent = 0;
    while (indent < raw.size() && IsBlank(raw[indent])) ++indent;
    std::string_view rest = raw.substr(indent);
    if (rest.empty() || rest.front() == '#') continue;
    ScriptLine line;
    line.number = number;
    line.indent = static_cast<int>(indent);
    Tokenize(rest, line);
    lines.push_back(std::move(line));
    if (end == text.size()) break;
  }
  return lines;
}

std::string PrintableText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // CR LF is one line feed
    if (text[i] == '\n')
      out += "\\n";
    else if (text[i] == '\r')
      out += "\\r";
    else
      out += text[i];
  }
  return out;
}

// ---- running ----

void ScriptRunner::Fail(const std::string& message) { FailAt(current_, message); }

void ScriptRunner::FailAt(int line, const std::string& message) {
  if (!failure_) failure_.emplace(line, message);
  throw *failure_;
}

void ScriptRunner::ThrowIfFailed() const {
  if (failure_) throw *failure_;
}

void ScriptRunner::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    Fail(e.what());
  }
}

void ScriptRunner::Print(std::string_view kind, std::string_view text) {
  out_ << kind << ": " << PrintableText(text) << '\n';
}

void ScriptRunner::Execute(Program& program) {
  program_ = &program;
  while (pos_ < lines_.size()) {
    const ScriptLine& line = lines_[pos_++];
    current_ = line.number;
    if (!line.error.empty()) Fail(line.error);
    if (program.Ended()) Fail("the program has ended; nothing runs after Quit");
    if (line.indent > 0) Fail("no dialog is open");
    if (beforeStatement) beforeStatement(line.number);
    RunStatement(line, nullptr);
    ThrowIfFailed();
  }
  CheckNothingQueued();
  out_.flush();
}

void ScriptRunner::Continue(Program& program, std::string_view text) { Continue(program, ParseScript(text)); }

void ScriptRunner::Continue(Program& program, std::vector<ScriptLine> lines) {
  failure_.reset();
  answers_.clear();
  folders_.clear();
  inputs_.clear();
  lines_ = std::move(lines);
  pos_ = 0;
  Execute(program);
}

void ScriptRunner::CheckNothingQueued() {
  const Queued* first = nullptr;
  std::string what;
  auto consider = [&](const std::deque<Queued>& q, const char* kind, const char* box) {
    if (q.empty() || (first && first->line <= q.front().line)) return;
    first = &q.front();
    what = std::string(kind) + " " + (first->cancel ? "cancel" : first->text) + " was queued but no " + box + " came";
  };
  consider(answers_, "answer", "question");
  consider(folders_, "folder", "folder picker");
  consider(inputs_, "input", "input box");
  if (first) FailAt(first->line, what);
}

namespace {

const std::vector<std::string>& DialogStatements() {
  static const std::vector<std::string> words{"press", "select", "choose", "type", "spin", "option", "tab", "list"};
  return words;
}

}  // namespace

void ScriptRunner::RunStatement(const ScriptLine& line, DialogModel* dialog) {
  const std::string& word = line.words.front().text;
  const std::size_t args = line.words.size() - 1;
  auto needArgs = [&](std::size_t min, std::size_t max, const char* usage) {
    if (args < min || args > max) Fail(std::string("usage: ") + usage);
  };
  auto arg = [&](std::size_t i) -> const ScriptWord& { return line.words[i]; };

  if (FindMenuItem(word)) {
    if (dialog) Fail("menu item " + word + " cannot be chosen while dialog " + dialog->Caption() + " is open");
    needArgs(0, 0, (word + " (a menu command takes no arguments)").c_str());
    if (!program_->Menu().Enabled(word)) Fail("menu item " + word + " is disabled");
    Guarded([&] { program_->Run(word); });
    return;
  }
  if (word == "answer") {
    needArgs(1, 1, "answer yes|no|cancel");
    if (arg(1).text != "yes" && arg(1).text != "no" && arg(1).text != "cancel") Fail("usage: answer yes|no|cancel");
    answers_.push_back(Queued{arg(1).text, false, current_});
    return;
  }
  if (word == "folder" || word == "input") {
    needArgs(1, 1, word == "folder" ? "folder PATH|cancel" : "input TEXT|cancel");
    bool cancel = !arg(1).quoted && arg(1).text == "cancel";
    (word == "folder" ? folders_ : inputs_).push_back(Queued{arg(1).text, cancel, current_});
    return;
  }
  if (word == "set") {
    if (dialog) Fail("set cannot be used while dialog " + dialog->Caption() + " is open");
    needArgs(2, 2, "set [BOOK:]SHEET!CELL VALUE");
    Guarded([&] { Set(line); });
    return;
  }
  if (word == "get") {
    needArgs(1, 1, "get [BOOK:]SHEET!RANGE");
    Guarded([&] { Get(line); });
    return;
  }
  if (word == "sheets") {
    needArgs(0, 1, "sheets [BOOK]");
    Guarded([&] { Sheets(line); });
    return;
  }
  if (word == "menu") {
    needArgs(0, 0, "menu");
    PrintMenu();
    return;
  }
  if (word == "caption") {
    needArgs(0, 0, "caption");
    out_ << program_->Caption() << '\n';
    return;
  }
  const auto& ds = DialogStatements();
  if (std::find(ds.begin(), ds.end(), word) != ds.end()) {
    if (!dialog) Fail("no dialog is open");
    RunDialogStatement(line, *dialog);
    return;
  }
  Fail("unknown statement " + word);
}

// ---- dialog statements ----

void ScriptRunner::RunDialogStatement(const ScriptLine& line, DialogModel& dialog) {
  const std::string& word = line.words.front().text;
  const std::size_t args = line.words.size() - 1;
  if (args < 1) Fail("usage: " + word + " CONTROL ...");
  const std::string& name = line.words[1].text;
  Control* control = dialog.Find(name);
  if (!control) Fail("dialog " + dialog.Caption() + " has no control " + name);
  auto expect = [&](ControlKind kind) {
    if (control->Kind() != kind)
      Fail(name + " is a " + ControlKindName(control->Kind()) + ", not a " + ControlKindName(kind));
  };
  auto usable = [&] {
    if (!control->visible) Fail("control " + name + " is hidden");
    if (!control->enabled) Fail("control " + name + " is disabled");
  };
  auto needArgs = [&](std::size_t min, std::size_t max, const char* usage) {
    if (args < min || args > max) Fail(std::string("usage: ") + usage);
  };
  auto number = [&](std::size_t i, const char* what) {
    int v = 0;
    if (!ReadCount(line.words[i].text, v)) Fail(std::string(what) + " must be a whole number: " + line.words[i].text);
    return v;
  };

  if (word == "list") {
    needArgs(1, 1, "list LIST");
    expect(ControlKind::ListBox);
    auto& list = static_cast<ListBox&>(*control);
    for (int r = 0; r < list.RowCount(); ++r) {
      const auto& cells = list.Row(r);
      std::size_t cols = std::max(cells.size(), static_cast<std::size_t>(std::max(list.columnCount, 1)));
      for (std::size_t c = 0; c < cols; ++c) {
        if (c) out_ << '\t';
        if (c < cells.size()) out_ << PrintableText(cells[c]);
      }
      out_ << '\n';
    }
    return;
  }

  if (word == "press") {
    needArgs(1, 1, "press CONTROL");
    usable();
    if (control->Kind() == ControlKind::Button)
      Guarded([&] { static_cast<Button&>(*control).Click(); });
    else if (control->Kind() == ControlKind::CheckBox)
      Guarded([&] { static_cast<CheckBox&>(*control).UserClick(); });
    else
      Fail(name + " is a " + ControlKindName(control->Kind()) + ", not a button or check box");
    return;
  }
  if (word == "select") {
    if (args < 2) Fail("usage: select LIST ROW...|none");
    expect(ControlKind::ListBox);
    usable();
    auto& list = static_cast<ListBox&>(*control);
    std::vector<int> rows;
    if (args == 2 && !line.words[2].quoted && line.words[2].text == "none") {
      // nothing selected
    } else {
      for (std::size_t i = 2; i < line.words.size(); ++i) {
        const std::string& w = line.words[i].text;
        int row = -1;
        if (!w.empty() && w.front() == '=') {
          row = list.FindRow(std::string_view(w).substr(1));
          if (row < 0) Fail("list " + name + " has no row " + w.substr(1));
        } else if (!ReadCount(w, row)) {
          Fail("a row is a number or =TEXT: " + w);
        } else if (row >= list.RowCount()) {
          Fail("list " + name + " has no row " + w + " (it has " + std::to_string(list.RowCount()) + " rows)");
        }
        rows.push_back(row);
      }
    }
    if (!list.multiSelect && rows.size() > 1) Fail("list " + name + " takes only one selected row");
    Guarded([&] { list.UserSelect(rows); });
    return;
  }
  if (word == "choose") {
    needArgs(2, 2, "choose COMBO TEXT");
    expect(ControlKind::ComboBox);
    usable();
    auto& combo = static_cast<ComboBox&>(*control);
    const std::string& text = line.words[2].text;
    if (combo.listOnly && std::find(combo.items.begin(), combo.items.end(), text) == combo.items.end())
      Fail("combo box " + name + " has no item " + text);
    Guarded([&] { combo.UserChoose(text); });
    return;
  }
  if (word == "type") {
    needArgs(2, 2, "type TEXTBOX TEXT");
    expect(ControlKind::TextBox);
    usable();
    Guarded([&] { static_cast<TextBox&>(*control).UserType(line.words[2].text); });
    return;
  }
  if (word == "spin") {
    needArgs(2, 3, "spin SPINBUTTON up|down [COUNT]");
    expect(ControlKind::SpinButton);
    usable();
    const std::string& dir = line.words[2].text;
    if (dir != "up" && dir != "down") Fail("usage: spin SPINBUTTON up|down [COUNT]");
    int count = args == 3 ? number(3, "COUNT") : 1;
    auto& spin = static_cast<SpinButton&>(*control);
    for (int i = 0; i < count; ++i) {
      // A handler may disable or hide the button between presses.
      if (!spin.Usable()) Fail("control " + name + " is no longer usable after " + std::to_string(i) + " presses");
      Guarded([&] { dir == "up" ? spin.UserUp() : spin.UserDown(); });
    }
    return;
  }
  if (word == "option") {
    needArgs(2, 2, "option NAME INDEX");
    expect(ControlKind::OptionButtons);
    usable();
    auto& options = static_cast<OptionButtons&>(*control);
    int index = number(2, "INDEX");
    if (index >= options.Count()) Fail("option button array " + name + " has no index " + line.words[2].text);
    const auto& o = options.At(index);
    if (!o.visible) Fail("option " + name + "(" + line.words[2].text + ") is hidden");
    if (!o.enabled) Fail("option " + name + "(" + line.words[2].text + ") is disabled");
    Guarded([&] { options.UserClick(index); });
    return;
  }
  if (word == "tab") {
    needArgs(2, 2, "tab TABSTRIP INDEX");
    expect(ControlKind::TabStrip);
    usable();
    auto& strip = static_cast<TabStrip&>(*control);
    int index = number(2, "INDEX");
    if (index >= static_cast<int>(strip.tabs.size())) Fail("tab strip " + name + " has no tab " + line.words[2].text);
    Guarded([&] { strip.SetIndex(index); });
    return;
  }
  Fail("unknown statement " + word);
}

// ---- workbook statements ----

namespace {

// "[BOOK:]SHEET!RANGE" split into its parts. The book part ends at the first
// ":" that comes before the first "!"; a reference that starts with a quote
// has none.
struct CellTarget {
  std::string book;  // empty: the meet workbook
  std::string sheet;
  std::string address;
};

bool SplitTarget(const std::string& text, CellTarget& out) {
  std::string rest = text;
  if (!text.empty() && text.front() != '\'') {
    auto colon = text.find(':');
    auto bang = text.find('!');
    if (colon != std::string::npos && bang != std::string::npos && colon < bang) {
      out.book = text.substr(0, colon);
      rest = text.substr(colon + 1);
    }
  }
  host::SplitSheetRef(rest, out.sheet, out.address);
  return !out.sheet.empty() && !out.address.empty();
}

host::Workbook& ResolveBook(Program& program, const std::string& book) {
  host::WorkbookHost& host = program.Host();
  if (book.empty()) {
    host::Workbook* meetBook = meet::FindMeetWorkbook(host);
    if (!meetBook) throw std::runtime_error("no meet workbook is open");
    return *meetBook;
  }
  if (host::Workbook* exact = host.FindWorkbook(book)) return *exact;
  host::Workbook* found = nullptr;
  for (host::Workbook* b : host.Workbooks())
    if (b->Name().compare(0, book.size(), book) == 0) found = b;  // the last one, as the meet workbook is found
  if (!found) throw std::runtime_error("no open workbook's name begins with " + book);
  return *found;
}

host::Worksheet& ResolveSheet(host::Workbook& book, const std::string& sheet) {
  host::Worksheet* ws = book.FindSheet(sheet);
  if (!ws) throw std::runtime_error("workbook " + book.Name() + " has no sheet " + sheet);
  return *ws;
}

// A cell as `get` prints it: its value in its number format, as the grid
// shows it and a page prints it.
std::string ShownText(const host::Worksheet& ws, int row, int col) {
  return host::FormatValue(ws.ValueAt(row, col), ws.StyleAt(row, col).numberFormat, ws.Book().date1904);
}

}  // namespace

void ScriptRunner::Set(const ScriptLine& line) {
  CellTarget t;
  if (!SplitTarget(line.words[1].text, t)) Fail("not a cell reference: " + line.words[1].text);
  auto ref = host::ParseA1(t.address);
  if (!ref || !ref->IsSingleCell()) Fail("set takes one cell: " + line.words[1].text);
  host::Workbook& book = ResolveBook(*program_, t.book);
  host::Worksheet& ws = ResolveSheet(book, t.sheet);
  host::TypeIntoCell(ws.Cells(ref->r1, ref->c1), line.words[2].text);
  book.SetSaved(false);
}

void ScriptRunner::Get(const ScriptLine& line) {
  CellTarget t;
  if (!SplitTarget(line.words[1].text, t)) Fail("not a range reference: " + line.words[1].text);
  auto ref = host::ParseA1(t.address);
  if (!ref) Fail("not a range reference: " + line.words[1].text);
  host::Workbook& book = ResolveBook(*program_, t.book);
  host::Worksheet& ws = ResolveSheet(book, t.sheet);
  // Whole rows and whole columns are read up to the used area; a block
  // written cell to cell prints as written.
  int lastRow = ref->r2, lastCol = ref->c2;
  if (ref->r1 == 1 && ref->r2 == host::kMaxRows) lastRow = std::min(lastRow, ws.LastUsedRow());
  if (ref->c1 == 1 && ref->c2 == host::kMaxCols) lastCol = std::min(lastCol, ws.LastUsedCol());
  if (lastRow < ref->r1 || lastCol < ref->c1) return;
  if (static_cast<long long>(lastRow - ref->r1 + 1) * (lastCol - ref->c1 + 1) > 1000000)
    Fail("range too large to print: " + line.words[1].text);
  for (int r = ref->r1; r <= lastRow; ++r) {
    for (int c = ref->c1; c <= lastCol; ++c) {
      if (c > ref->c1) out_ << '\t';
      out_ << PrintableText(ShownText(ws, r, c));
    }
    out_ << '\n';
  }
}

void ScriptRunner::Sheets(const ScriptLine& line) {
  host::Workbook& book = ResolveBook(*program_, line.words.size() > 1 ? line.words[1].text : std::string());
  for (host::Worksheet* ws : book.Sheets()) out_ << ws->Name() << (ws->Visible() ? "" : " hidden") << '\n';
}

void ScriptRunner::PrintMenu() {
  const MenuState& menu = program_->Menu();
  for (const MenuNode* item : MenuItems()) {
    out_ << item->control << ' ' << item->caption << (menu.Enabled(item->control) ? " enabled" : " disabled")
         << (menu.Checked(item->control) ? " checked" : "") << '\n';
  }
}

// ---- the Ui seam ----

Answer ScriptRunner::MessageBox(const std::string& text, Icon, Buttons buttons, const std::string&) {
  ThrowIfFailed();
  if (buttons == Buttons::Ok) {
    Print("message", text);
    return Answer::Ok;
  }
  if (answers_.empty()) Fail("no answer queued for the question: " + PrintableText(text));
  Queued a = answers_.front();
  answers_.pop_front();
  const bool hasCancel = buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel;
  if (a.text == "cancel" && !hasCancel) {
    Fail("answer cancel was queued but the question has no 取消 button: " + PrintableText(text));
  }
  out_ << "question: " << PrintableText(text) << " -> " << a.text << '\n';
  if (a.text == "cancel") return Answer::Cancel;
  bool yes = a.text == "yes";
  if (buttons == Buttons::OkCancel) return yes ? Answer::Ok : Answer::Cancel;
  return yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> ScriptRunner::PickFolder(const std::string&) {
  ThrowIfFailed();
  if (folders_.empty()) Fail("no folder queued for the folder picker");
  Queued f = folders_.front();
  folders_.pop_front();
  if (f.cancel) {
    out_ << "folder: -> cancel\n";
    return std::nullopt;
  }
  // A picker hands back full paths of folders that exist.
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(f.text), ec).lexically_normal();
  if (ec || !fs::is_directory(p, ec)) Fail("folder " + f.text + " does not exist");
  out_ << "folder: -> " << PrintableText(p.string()) << '\n';
  return p.string();
}

std::optional<std::string> ScriptRunner::InputBox(const std::string& prompt, const std::string&, const std::string&) {
  ThrowIfFailed();
  if (inputs_.empty()) Fail("no input queued for the input box: " + PrintableText(prompt));
  Queued in = inputs_.front();
  inputs_.pop_front();
  out_ << "input: " << PrintableText(prompt) << " -> " << (in.cancel ? "cancel" : PrintableText(in.text)) << '\n';
  if (in.cancel) return std::nullopt;
  return in.text;
}

bool ScriptRunner::OpenHelp(const std::string& path) {
  ThrowIfFailed();
  Print("help", path);
  return true;
}

void ScriptRunner::PrintJobDone(const std::string& pdfPath, int pages, const std::string& printer) {
  std::string line = pdfPath + " (" + std::to_string(pages) + " pages)";
  if (!printer.empty()) line += " -> " + printer;
  Print("printed", line);
}

void ScriptRunner::ShowDialog(DialogModel& dialog) {
  ThrowIfFailed();
  const int openedAt = current_;
  dialog.MarkOpen();
  Print("dialog", dialog.Caption());
  for (const auto& c : dialog.Controls())
    if (c->Kind() == ControlKind::Label && c->visible && !c->caption.empty()) Print("label", c->caption);
  while (dialog.IsOpen()) {
    if (pos_ >= lines_.size() || lines_[pos_].indent == 0)
      FailAt(openedAt, "dialog " + dialog.Caption() + " is still open at the end of its block");
    const ScriptLine& line = lines_[pos_++];
    current_ = line.number;
    if (!line.error.empty()) Fail(line.error);
    RunStatement(line, &dialog);
    ThrowIfFailed();
  }
}

// ---- korvane run ----

int RunScript(std::string_view text, std::ostream& out, std::ostream& err, StartupOptions options,
              std::function<void(int line)> beforeStatement) {
  ScriptRunner runner(ParseScript(text), out);
  runner.beforeStatement = std::move(beforeStatement);
  options.singleInstance = false;
  try {
    (void)Now();  // a malformed KORVANE_NOW is reported before anything runs
    int status = StartUp(runner, options, [&](Program& program) {
      runner.Execute(program);
      return 0;
    });
    out.flush();
    return status == 0 ? 0 : 1;
  } catch (const ScriptError& e) {
    out.flush();
    err << "error: line " << e.Line() << ": " << e.what() << '\n';
  } catch (const std::exception& e) {
    out.flush();
    err << "error: " << e.what() << '\n';
  }
  return 1;
}

}  // namespace korvane::cli
