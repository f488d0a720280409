// Evaluation of the formula subset: values, references, defined names,
// operators with the application's coercions, and a few functions. Anything
// outside the subset throws NotEvaluated internally and becomes nullopt at the
// public boundary, where the caller keeps the cell's cached value.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <unordered_map>

#include "host/formula/formula.h"
#include "host/formula/parser.h"
#include "host/number_text.h"
#include "host/utf8.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::host::formula {

namespace detail {
namespace {

struct NotEvaluated {};

// Nested evaluations (a cell's formula reading a formula cell, a name using a
// name) on the stack at once. A chain of formula cells deeper than this is
// resumed from the deepest cell reached, with a fresh stack (EvaluateTop).
constexpr int kMaxDepth = 200;
// Resumptions within one top-level evaluation: chains of about 200 * 5000
// cells. Beyond, the deepest cells give #REF!.
constexpr std::size_t kMaxResumptions = 5000;
// Stack that one top-level evaluation may use, nested formulas and names
// included: deeply nested functions in every one of 200 nested cells would
// otherwise exhaust a thread's stack. Beyond it, evaluation resumes from the
// cell it reached, like a chain deeper than kMaxDepth.
constexpr std::size_t kMaxStackBytes = 2u << 20;
// Element-wise operations over ranges build arrays; larger ones are left to
// the cached value.
constexpr long long kMaxArrayCells = 250000;
// Parsed formulas kept per thread: cells are evaluated again and again with
// the same text.
constexpr std::size_t kParseCacheSize = 2000;
// The application's longest text in a cell.
constexpr std::size_t kMaxTextBytes = 32767 * 3;

struct EvalKey {
  const Worksheet* sheet;
  int row, col;
  std::string text;
  bool operator<(const EvalKey& o) const {
    if (sheet != o.sheet) return std::less<const Worksheet*>()(sheet, o.sheet);
    return std::tie(row, col, text) < std::tie(o.row, o.col, o.text);
  }
  bool operator==(const EvalKey& o) const { return sheet == o.sheet && row == o.row && col == o.col && text == o.text; }
};

// Per-thread state of the evaluation under way: what is being evaluated (a
// cycle leads back to it), how deep, and the results of formula cells already
// evaluated during this top-level evaluation (so that shared inputs are not
// evaluated again and again).
struct EvalState {
  int depth = 0;
  const char* stackBase = nullptr;    // frame of the top-level evaluation
  std::vector<const EvalKey*> chain;  // the cells being evaluated, outermost first
  std::set<EvalKey> visiting;         // the same cells, for lookup
  std::set<EvalKey> pending;          // cells waiting for a deeper cell to be resumed first
  std::map<EvalKey, std::optional<CellValue>> memo;
  std::set<const DefinedName*> names;
  // Set when an evaluation stopped at the depth or stack limit: its result
  // (and that of every cell that used it) is provisional and not remembered.
  bool truncated = false;
  // Set when this top-level evaluation met a cycle, or remembered a result cut
  // short by the resumption limit: such results depend on where evaluation
  // entered, so none of this evaluation's results is kept beyond it.
  bool provisional = false;
  std::optional<EvalKey> deepest;  // where it stopped: the cell to resume from
};

thread_local EvalState g_state;

// Records that evaluation stopped at `key` for lack of depth or stack.
void MarkTruncated(EvalState& st, const EvalKey& key) {
  st.truncated = true;
  if (!st.deepest) st.deepest = key;
}

struct Grid {
  int rows = 0, cols = 0;
  std::vector<CellValue> cells;
  const CellValue& At(int r, int c) const { return cells[static_cast<std::size_t>(r) * cols + c]; }
  CellValue& At(int r, int c) { return cells[static_cast<std::size_t>(r) * cols + c]; }
};

struct Val {
  enum class Kind { Scalar, Ref, Array, Missing };
  Kind kind = Kind::Scalar;
  CellValue v;
  const Worksheet* sheet = nullptr;
  RangeRef ref;
  std::shared_ptr<const Grid> arr;

  static Val Of(CellValue v) {
    Val x;
    x.v = std::move(v);
    return x;
  }
  static Val Range(const Worksheet* s, RangeRef r) {
    Val x;
    x.kind = Kind::Ref;
    x.sheet = s;
    x.ref = r;
    return x;
  }
  static Val Array(std::shared_ptr<const Grid> g) {
    Val x;
    x.kind = Kind::Array;
    x.arr = std::move(g);
    return x;
  }
};

struct Ctx {
  const Worksheet* ws;    // the sheet of the formula's cell
  const Worksheet* home;  // the sheet of references without a sheet part
  int row, col;           // the formula's cell
  bool nameMode;          // relative references are offsets from A1 (defined names)
};

bool NumEq(double a, double b) {
  if (a == b) return true;
  // Equal to 15 significant digits, as the application compares.
  return std::fabs(a - b) <= 1e-15 * std::max(std::fabs(a), std::fabs(b));
}

int CompareNumbers(double a, double b) { return NumEq(a, b) ? 0 : (a < b ? -1 : 1); }

int CompareTexts(const std::string& a, const std::string& b) {
  std::string fa = FoldCase(a), fb = FoldCase(b);
  return fa == fb ? 0 : (fa < fb ? -1 : 1);
}

// Calls fn(row, col) for every cell with content inside r, in row order,
// until fn returns false. Only stored rows are visited, so whole columns cost
// what the sheet holds.
template <typename F>
void ForEachStored(const Worksheet& ws, const RangeRef& r, F&& fn) {
  const auto& rows = ws.RowMap();
  for (auto it = rows.lower_bound(r.r1); it != rows.end() && it->first <= r.r2; ++it) {
    const auto& cells = it->second.cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), static_cast<std::uint32_t>(r.c1),
                              [](const Cell& cell, std::uint32_t col) { return cell.col < col; });
    for (; c != cells.end() && static_cast<int>(c->col) <= r.c2; ++c)
      if (c->HasContent() && !fn(it->first, static_cast<int>(c->col))) return;
  }
}

// Text of a value inside a formula; false for errors.
bool ValueText(const CellValue& v, std::string& out) {
  if (v.IsEmpty())
    out.clear();
  else if (v.IsText())
    out = v.Text();
  else if (v.IsNumber())
    out = NumberToText(v.Number());
  else if (v.IsBool())
    out = v.Bool() ? "TRUE" : "FALSE";
  else
    return false;
  return true;
}

// Number of a value in arithmetic. Errors and unreadable texts give the error
// to return; texts that may be dates are left to the cached value.
bool ValueNumber(const CellValue& v, double& out, CellValue& error) {
  if (v.IsNumber())
    out = v.Number();
  else if (v.IsEmpty())
    out = 0;
  else if (v.IsBool())
    out = v.Bool() ? 1 : 0;
  else if (v.IsText()) {
    if (ParseNumberText(v.Text(), out)) return true;
    if (LooksLikeDateOrTime(v.Text())) throw NotEvaluated{};
    error = CellValue(ErrorCode::Value);
    return false;
  } else {
    error = v;
    return false;
  }
  return true;
}

// Truth of a value for IF, NOT, AND, OR.
bool ValueBool(const CellValue& v, bool& out, CellValue& error) {
  if (v.IsBool())
    out = v.Bool();
  else if (v.IsNumber())
    out = v.Number() != 0;
  else if (v.IsEmpty())
    out = false;
  else if (v.IsText()) {
    if (EqualsFolded(v.Text(), "TRUE"))
      out = true;
    else if (EqualsFolded(v.Text(), "FALSE"))
      out = false;
    else {
      error = CellValue(ErrorCode::Value);
      return false;
    }
  } else {
    error = v;
    return false;
  }
  return true;
}

CellValue FiniteOrNum(double d) { return std::isfinite(d) ? CellValue(d) : CellValue(ErrorCode::Num); }

// The application's comparison: numbers < texts < booleans; an empty value
// takes the type of the other side; texts compare without regard to case.
int CompareValues(CellValue a, CellValue b) {
  if (a.IsEmpty() && b.IsEmpty()) return 0;
  auto emptyLike = [](const CellValue& other) {
    if (other.IsNumber()) return CellValue(0.0);
    if (other.IsText()) return CellValue(std::string());
    return CellValue(false);
  };
  if (a.IsEmpty()) a = emptyLike(b);
  if (b.IsEmpty()) b = emptyLike(a);
  auto rank = [](const CellValue& v) { return v.IsNumber() ? 0 : v.IsText() ? 1 : 2; };
  if (rank(a) != rank(b)) return rank(a) < rank(b) ? -1 : 1;
  if (a.IsNumber()) return CompareNumbers(a.Number(), b.Number());
  if (a.IsText()) return CompareTexts(a.Text(), b.Text());
  return a.Bool() == b.Bool() ? 0 : (a.Bool() ? 1 : -1);
}

CellValue BinaryScalar(const std::string& op, const CellValue& a, const CellValue& b) {
  if (op == "&") {
    std::string x, y;
    if (!ValueText(a, x)) return a;
    if (!ValueText(b, y)) return b;
    if (x.size() + y.size() > kMaxTextBytes) return CellValue(ErrorCode::Value);
    return CellValue(x + y);
  }
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    if (a.IsError()) return a;
    if (b.IsError()) return b;
    int c = CompareValues(a, b);
    if (op == "=") return CellValue(c == 0);
    if (op == "<>") return CellValue(c != 0);
    if (op == "<") return CellValue(c < 0);
    if (op == ">") return CellValue(c > 0);
    if (op == "<=") return CellValue(c <= 0);
    return CellValue(c >= 0);
  }
  double x = 0, y = 0;
  CellValue err;
  if (!ValueNumber(a, x, err)) return err;
  if (!ValueNumber(b, y, err)) return err;
  if (op == "+") return FiniteOrNum(x + y);
  if (op == "-") return FiniteOrNum(x - y);
  if (op == "*") return FiniteOrNum(x * y);
  if (op == "/") return y == 0 ? CellValue(ErrorCode::Div0) : FiniteOrNum(x / y);
  // "^"
  if (x == 0 && y == 0) return CellValue(ErrorCode::Num);
  if (x == 0 && y < 0) return CellValue(ErrorCode::Div0);
  if (x < 0 && y != std::floor(y)) return CellValue(ErrorCode::Num);
  return FiniteOrNum(std::pow(x, y));
}

// Rounds like ROUND (half away from zero), ROUNDUP (away) and ROUNDDOWN
// (toward zero), on the 15-digit decimal value: ROUND(2.675, 2) is 2.68.
enum class RoundMode { Half, Up, Down };
double RoundDigits(double x, double digits, RoundMode mode) {
  if (x == 0 || !std::isfinite(x)) return x;
  int n = static_cast<int>(std::trunc(std::clamp(digits, -400.0, 400.0)));
  if (n > 15) return x;
  if (n < -308) return 0;
  const double scale = std::pow(10.0, std::abs(n));
  double y = n >= 0 ? std::fabs(x) * scale : std::fabs(x) / scale;
  if (!std::isfinite(y)) return x;
  if (y >= 1e15) return x;  // no decimals left to round
  const Decimal d = ToDecimal(y, 15);
  const std::string text = "0." + d.digits + "e" + std::to_string(d.exponent + 1);
  const double y15 = std::strtod(text.c_str(), nullptr);
  double r = mode == RoundMode::Half ? std::floor(y15 + 0.5) : mode == RoundMode::Up ? std::ceil(y15) : std::floor(y15);
  double out = n >= 0 ? r / scale : r * scale;
  return x < 0 ? -out : out;
}

// ---- COUNTIF criteria ----

struct Criterion {
  enum class Op { Eq, Ne, Lt, Le, Gt, Ge };
  enum class Kind { Number, Bool, Error, Text };
  Op op = Op::Eq;
  bool written = false;  // the operator was written ("=x" rather than "x")
  Kind kind = Kind::Number;
  double number = 0;
  bool boolean = false;
  ErrorCode error = ErrorCode::Value;
  std::string text;  // Text: the operand as written
  bool wildcards = false;
  bool dateLike = false;  // a date or time the engine does not read
};

Criterion CompileCriterion(const CellValue& c) {
  Criterion k;
  if (c.IsEmpty()) return k;  // an empty criterion is 0
  if (c.IsNumber()) {
    k.number = c.Number();
    return k;
  }
  if (c.IsBool()) {
    k.kind = Criterion::Kind::Bool;
    k.boolean = c.Bool();
    return k;
  }
  if (c.IsError()) {
    k.kind = Criterion::Kind::Error;
    k.error = c.Err();
    return k;
  }
  std::string_view s = c.Text();
  static const std::pair<const char*, Criterion::Op> kOps[] = {
      {"<=", Criterion::Op::Le}, {">=", Criterion::Op::Ge}, {"<>", Criterion::Op::Ne},
      {"<", Criterion::Op::Lt},  {">", Criterion::Op::Gt},  {"=", Criterion::Op::Eq},
  };
  for (const auto& [text, op] : kOps) {
    std::string_view t(text);
    if (s.substr(0, t.size()) == t) {
      k.op = op;
      k.written = true;
      s.remove_prefix(t.size());
      break;
    }
  }
  double d = 0;
  ErrorCode e;
  if (ParseNumberText(s, d)) {
    k.kind = Criterion::Kind::Number;
    k.number = d;
  } else if (EqualsFolded(s, "TRUE") || EqualsFolded(s, "FALSE")) {
    k.kind = Criterion::Kind::Bool;
    k.boolean = EqualsFolded(s, "TRUE");
  } else if (ParseErrorText(s, e)) {
    k.kind = Criterion::Kind::Error;
    k.error = e;
  } else {
    k.kind = Criterion::Kind::Text;
    k.text = std::string(s);
    k.wildcards = (k.op == Criterion::Op::Eq || k.op == Criterion::Op::Ne) && HasWildcards(s);
    k.dateLike = LooksLikeDateOrTime(s);
  }
  return k;
}

bool OrderHolds(Criterion::Op op, int cmp) {
  switch (op) {
    case Criterion::Op::Eq: return cmp == 0;
    case Criterion::Op::Ne: return cmp != 0;
    case Criterion::Op::Lt: return cmp < 0;
    case Criterion::Op::Le: return cmp <= 0;
    case Criterion::Op::Gt: return cmp > 0;
    case Criterion::Op::Ge: return cmp >= 0;
  }
  return false;
}

bool Matches(const Criterion& k, const CellValue& v) {
  using Op = Criterion::Op;
  using Kind = Criterion::Kind;
  switch (k.kind) {
    case Kind::Number: {
      if (v.IsNumber()) return OrderHolds(k.op, CompareNumbers(v.Number(), k.number));
      // Texts that read as the number match "=" (as the application's COUNTIF does).
      double d = 0;
      const bool textEqual = v.IsText() && ParseNumberText(v.Text(), d) && NumEq(d, k.number);
      if (k.op == Op::Eq) return textEqual;
      if (k.op == Op::Ne) return !textEqual;
      return false;
    }
    case Kind::Bool:
      if (v.IsBool()) return OrderHolds(k.op, v.Bool() == k.boolean ? 0 : (v.Bool() ? 1 : -1));
      return k.op == Op::Ne;
    case Kind::Error:
      if (v.IsError()) return OrderHolds(k.op, v.Err() == k.error ? 0 : 1) && (k.op == Op::Eq || k.op == Op::Ne);
      return k.op == Op::Ne;
    case Kind::Text: break;
  }
  if (k.text.empty()) {
    if (k.op == Op::Eq) return k.written ? v.IsEmpty() : (v.IsEmpty() || (v.IsText() && v.Text().empty()));
    if (k.op == Op::Ne) return !v.IsEmpty();
    return v.IsText() && OrderHolds(k.op, CompareTexts(v.Text(), k.text));
  }
  if (k.op == Op::Eq || k.op == Op::Ne) {
    const bool equal = v.IsText() && (k.wildcards ? WildcardMatch(k.text, v.Text()) : EqualsFolded(v.Text(), k.text));
    return k.op == Op::Eq ? equal : !equal;
  }
  return v.IsText() && OrderHolds(k.op, CompareTexts(v.Text(), k.text));
}

// ---- TEXT(value, format) for plain number patterns ----

std::optional<std::string> FormatPattern(double v, std::string_view fmt) {
  if (EqualsFolded(fmt, "General") || fmt == "G/\xE9\x80\x9A\xE7\x94\xA8\xE6\xA0\xBC\xE5\xBC\x8F")  // G/通用格式
    return FormatGeneralNumber(v);
  if (fmt == "@") return NumberToText(v);
  std::size_t i = 0;
  int intZeros = 0, decRequired = 0, decOptional = 0;
  bool grouping = false, point = false, percent = false, placeholder = false;
  while (i < fmt.size() && (fmt[i] == '#' || fmt[i] == '0' || fmt[i] == ',')) {
    if (fmt[i] == '0') ++intZeros;
    if (fmt[i] == ',') grouping = true;
    if (fmt[i] != ',') placeholder = true;
    ++i;
  }
  if (i < fmt.size() && fmt[i] == '.') {
    point = true;
    ++i;
    while (i < fmt.size() && fmt[i] == '0') ++decRequired, ++i;
    while (i < fmt.size() && fmt[i] == '#') ++decOptional, ++i;
    placeholder = placeholder || decRequired + decOptional > 0;
  }
  if (i < fmt.size() && fmt[i] == '%') {
    percent = true;
    ++i;
  }
  if (i != fmt.size() || !placeholder || decRequired + decOptional > 15) return std::nullopt;
  if (percent) v *= 100;
  const int decimals = decRequired + decOptional;
  const double r = RoundDigits(v, decimals, RoundMode::Half);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(r));
  std::string all(buf);
  std::string ip = all, fp;
  if (std::size_t dot = all.find('.'); dot != std::string::npos) {
    ip = all.substr(0, dot);
    fp = all.substr(dot + 1);
  }
  for (int k = 0; k < decOptional && !fp.empty() && fp.back() == '0'; ++k) fp.pop_back();
  if (ip == "0" && intZeros == 0) ip.clear();
  while (static_cast<int>(ip.size()) < intZeros) ip.insert(ip.begin(), '0');
  if (grouping && ip.size() > 3) {
    std::string g;
    for (std::size_t k = 0; k < ip.size(); ++k) {
      if (k > 0 && (ip.size() - k) % 3 == 0) g += ',';
      g += ip[k];
    }
    ip = g;
  }
  std::string out = ip;
  if (point) out += "." + fp;
  if (percent) out += "%";
  if (r < 0) out.insert(out.begin(), '-');
  return out;
}

// ---- the evaluator ----

// The parsed form of a formula text; null when the text does not parse.
std::shared_ptr<const Tree> ParseCached(std::string_view text) {
  thread_local std::unordered_map<std::string, std::shared_ptr<const Tree>> cache;
  std::string key(text);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  auto tree = std::make_shared<Tree>();
  std::shared_ptr<const Tree> parsed;
  if (Parse(text, *tree)) parsed = std::move(tree);
  if (cache.size() >= kParseCacheSize) cache.clear();
  cache.emplace(std::move(key), parsed);
  return parsed;
}

struct TooDeep {};

const char* StackHere() { return static_cast<const char*>(__builtin_frame_address(0)); }

void CheckStack() {
  const char* here = StackHere();
  const char* base = g_state.stackBase;
  const std::size_t used = static_cast<std::size_t>(base > here ? base - here : here - base);
  if (used > kMaxStackBytes) throw TooDeep{};
}

class Evaluator {
 public:
  Evaluator(const Tree& tree, Ctx ctx) : t_(tree), ctx_(ctx) {}

  Val Eval(int index) {
    CheckStack();
    const Node& n = t_.nodes[static_cast<std::size_t>(index)];
    switch (n.kind) {
      case Node::Kind::Number: return Val::Of(n.number);
      case Node::Kind::String: return Val::Of(n.text);
      case Node::Kind::Bool: return Val::Of(n.boolean);
      case Node::Kind::Error: return Val::Of(n.error);
      case Node::Kind::Missing: {
        Val m;
        m.kind = Val::Kind::Missing;
        return m;
      }
      case Node::Kind::Ref: return EvalRef(Tok(n));
      case Node::Kind::Name: return EvalName(Tok(n));
      case Node::Kind::Plus: return Eval(n.kids[0]);
      case Node::Kind::Negate:
      case Node::Kind::Percent: return Unary(n);
      case Node::Kind::Chain: return Chain(n);
      case Node::Kind::Func: return Call(n);
    }
    throw NotEvaluated{};
  }

  Val Unary(const Node& n) {
    const bool negate = n.kind == Node::Kind::Negate;
    return Map(Eval(n.kids[0]), [negate](const CellValue& x) {
      double d = 0;
      CellValue err;
      if (!ValueNumber(x, d, err)) return err;
      return negate ? CellValue(-d) : CellValue(d / 100);
    });
  }

  Val Chain(const Node& n) {
    Val acc = Eval(n.kids[0]);
    for (std::size_t i = 0; i < n.ops.size(); ++i) acc = Binary(n.ops[i], acc, Eval(n.kids[i + 1]));
    return acc;
  }

  // The value a formula shows: a range gives the cell it meets by implicit
  // intersection, an empty cell 0.
  CellValue Finish(const Val& v) {
    CellValue x = Scalar(v);
    return x.IsEmpty() ? CellValue(0.0) : x;
  }

 private:
  const Token& Tok(const Node& n) const { return t_.tokens[static_cast<std::size_t>(n.token)]; }

  static bool ScalarLike(const Val& v) {
    switch (v.kind) {
      case Val::Kind::Scalar:
      case Val::Kind::Missing: return true;
      case Val::Kind::Ref: return v.ref.IsSingleCell();
      case Val::Kind::Array: return v.arr->rows == 1 && v.arr->cols == 1;
    }
    return true;
  }

  CellValue Scalar(const Val& v) const {
    switch (v.kind) {
      case Val::Kind::Scalar: return v.v;
      case Val::Kind::Missing: return CellValue();
      case Val::Kind::Array:
        if (v.arr->rows == 1 && v.arr->cols == 1) return v.arr->At(0, 0);
        throw NotEvaluated{};
      case Val::Kind::Ref: {
        const RangeRef& r = v.ref;
        if (r.IsSingleCell()) return v.sheet->ValueAt(r.r1, r.c1);
        if (r.c1 == r.c2 && ctx_.row >= r.r1 && ctx_.row <= r.r2) return v.sheet->ValueAt(ctx_.row, r.c1);
        if (r.r1 == r.r2 && ctx_.col >= r.c1 && ctx_.col <= r.c2) return v.sheet->ValueAt(r.r1, ctx_.col);
        return CellValue(ErrorCode::Value);
      }
    }
    throw NotEvaluated{};
  }

  static std::shared_ptr<const Grid> ToGrid(const Val& v, const std::function<CellValue(const Val&)>& scalar) {
    if (v.kind == Val::Kind::Array) return v.arr;
    auto g = std::make_shared<Grid>();
    if (v.kind != Val::Kind::Ref) {
      g->rows = g->cols = 1;
      g->cells.push_back(scalar(v));
      return g;
    }
    if (v.ref.Count() > kMaxArrayCells) throw NotEvaluated{};
    g->rows = v.ref.Rows();
    g->cols = v.ref.Cols();
    g->cells.resize(static_cast<std::size_t>(v.ref.Count()));
    ForEachStored(*v.sheet, v.ref, [&](int r, int c) {
      g->At(r - v.ref.r1, c - v.ref.c1) = v.sheet->ValueAt(r, c);
      return true;
    });
    return g;
  }

  std::shared_ptr<const Grid> GridOf(const Val& v) const {
    return ToGrid(v, [this](const Val& x) { return Scalar(x); });
  }

  // Element (i, j) of a grid broadcast to a larger shape: a single row or
  // column repeats, cells beyond a grid's size are #N/A.
  static CellValue Pick(const Grid& g, int i, int j) {
    int r = g.rows == 1 ? 0 : i, c = g.cols == 1 ? 0 : j;
    if (r >= g.rows || c >= g.cols) return CellValue(ErrorCode::NA);
    return g.At(r, c);
  }

  static int Span(int a, int b) { return a == 1 ? b : (b == 1 ? a : std::max(a, b)); }

  static std::shared_ptr<Grid> NewGrid(int rows, int cols) {
    if (static_cast<long long>(rows) * cols > kMaxArrayCells) throw NotEvaluated{};
    auto g = std::make_shared<Grid>();
    g->rows = rows;
    g->cols = cols;
    g->cells.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    return g;
  }

  template <typename F>
  Val Map(const Val& v, F&& f) const {
    if (ScalarLike(v)) return Val::Of(f(Scalar(v)));
    auto src = GridOf(v);
    auto out = NewGrid(src->rows, src->cols);
    for (std::size_t k = 0; k < src->cells.size(); ++k) out->cells[k] = f(src->cells[k]);
    return Val::Array(out);
  }

  Val Binary(const std::string& op, const Val& a, const Val& b) const {
    if (ScalarLike(a) && ScalarLike(b)) return Val::Of(BinaryScalar(op, Scalar(a), Scalar(b)));
    auto ga = GridOf(a), gb = GridOf(b);
    auto out = NewGrid(Span(ga->rows, gb->rows), Span(ga->cols, gb->cols));
    for (int i = 0; i < out->rows; ++i)
      for (int j = 0; j < out->cols; ++j) out->At(i, j) = BinaryScalar(op, Pick(*ga, i, j), Pick(*gb, i, j));
    return Val::Array(out);
  }

  // A reference part as the cell sees it: inside a defined name, relative
  // parts are offsets from A1 applied to the formula's cell, wrapping around
  // the sheet's edge as the application does.
  static int Wrap(long long v, int size) { return static_cast<int>(((v % size) + size) % size) + 1; }

  RangeRef Resolve(const RefParts& p) const {
    auto row = [&](int r, bool abs) { return (!ctx_.nameMode || abs) ? r : Wrap(r - 1LL + ctx_.row - 1, kMaxRows); };
    auto col = [&](int c, bool abs) { return (!ctx_.nameMode || abs) ? c : Wrap(c - 1LL + ctx_.col - 1, kMaxCols); };
    RangeRef r;
    switch (p.kind) {
      case RefKind::Cell:
      case RefKind::Area: r = {row(p.r1, p.ar1), col(p.c1, p.ac1), row(p.r2, p.ar2), col(p.c2, p.ac2)}; break;
      case RefKind::Rows: r = {row(p.r1, p.ar1), 1, row(p.r2, p.ar2), kMaxCols}; break;
      case RefKind::Cols: r = {1, col(p.c1, p.ac1), kMaxRows, col(p.c2, p.ac2)}; break;
    }
    if (r.r1 > r.r2) std::swap(r.r1, r.r2);
    if (r.c1 > r.c2) std::swap(r.c1, r.c2);
    return r;
  }

  Val EvalRef(const Token& t) const {
    const Worksheet* s = t.hasSheet ? ctx_.ws->Book().FindSheet(t.sheet) : ctx_.home;
    if (!s) return Val::Of(ErrorCode::Ref);
    return Val::Range(s, Resolve(t.ref));
  }

  Val EvalName(const Token& t) const {
    const Workbook& book = ctx_.ws->Book();
    const Worksheet* scope = ctx_.ws;
    if (t.hasSheet) {
      scope = book.FindSheet(t.sheet);
      if (!scope) return Val::Of(ErrorCode::Ref);
    }
    const DefinedName* dn = book.FindName(t.text, scope);
    if (!dn) dn = book.FindName(t.text, nullptr);
    if (!dn) return Val::Of(ErrorCode::Name);
    EvalState& st = g_state;
    if (st.names.count(dn)) return Val::Of(ErrorCode::Ref);  // the name uses itself
    if (st.depth >= kMaxDepth) {
      if (!st.chain.empty()) MarkTruncated(st, *st.chain.back());
      return Val::Of(ErrorCode::Ref);
    }
    struct NameGuard {
      EvalState& st;
      const DefinedName* dn;
      NameGuard(EvalState& s, const DefinedName* d) : st(s), dn(d) {
        st.names.insert(dn);
        ++st.depth;
      }
      ~NameGuard() {
        st.names.erase(dn);
        --st.depth;
      }
    } guard(st, dn);
    std::string_view text = dn->refersTo;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    std::shared_ptr<const Tree> tree = ParseCached(text);
    if (!tree) throw NotEvaluated{};
    Evaluator sub(*tree, Ctx{ctx_.ws, dn->scope ? dn->scope : scope, ctx_.row, ctx_.col, true});
    return sub.Eval(tree->root);
  }

  // ---- functions ----

  static void Need(bool ok) {
    if (!ok) throw NotEvaluated{};
  }
  Val Arg(const Node& n, std::size_t i) { return Eval(n.kids[i]); }
  CellValue ScalarArg(const Node& n, std::size_t i) { return Scalar(Arg(n, i)); }
  bool NumberArg(const Node& n, std::size_t i, double& out, CellValue& err) {
    return ValueNumber(ScalarArg(n, i), out, err);
  }
  bool TextArg(const Node& n, std::size_t i, std::string& out, CellValue& err) {
    CellValue v = ScalarArg(n, i);
    if (ValueText(v, out)) return true;
    err = v;
    return false;
  }

  // Numbers of an argument as SUM sees them: ranges and arrays give only their
  // numbers, typed values are converted. False with the error to return.
  template <typename F>
  bool EachNumber(const Val& v, CellValue& err, F&& fn) {
    bool ok = true;
    auto visit = [&](const CellValue& x) {
      if (x.IsNumber())
        fn(x.Number());
      else if (x.IsError()) {
        err = x;
        ok = false;
      }
      return ok;
    };
    switch (v.kind) {
      case Val::Kind::Missing: return true;
      case Val::Kind::Ref:
        ForEachStored(*v.sheet, v.ref, [&](int r, int c) { return visit(v.sheet->ValueAt(r, c)); });
        return ok;
      case Val::Kind::Array:
        for (const auto& x : v.arr->cells)
          if (!visit(x)) break;
        return ok;
      case Val::Kind::Scalar: {
        double d = 0;
        if (!ValueNumber(v.v, d, err)) return false;
        fn(d);
        return true;
      }
    }
    return ok;
  }

  // Each function is its own member so that one nesting level of a formula
  // costs only the stack of the function it uses.
  using Fn = Val (Evaluator::*)(const Node&);

  static const std::map<std::string, Fn, std::less<>>& Functions() {
    static const std::map<std::string, Fn, std::less<>> kFunctions = {
        {"IF", &Evaluator::If},
        {"SUM", &Evaluator::Aggregate},
        {"MAX", &Evaluator::Aggregate},
        {"MIN", &Evaluator::Aggregate},
        {"AVERAGE", &Evaluator::Aggregate},
        {"COUNT", &Evaluator::Count},
        {"COUNTA", &Evaluator::Count},
        {"COUNTIF", &Evaluator::CountIfSumIf},
        {"SUMIF", &Evaluator::CountIfSumIf},
        {"COUNTBLANK", &Evaluator::CountBlank},
        {"AND", &Evaluator::AndOr},
        {"OR", &Evaluator::AndOr},
        {"NOT", &Evaluator::Not},
        {"IFERROR", &Evaluator::IfError},
        {"ISBLANK", &Evaluator::Is},
        {"ISNUMBER", &Evaluator::Is},
        {"ISTEXT", &Evaluator::Is},
        {"ISERROR", &Evaluator::Is},
        {"ROUND", &Evaluator::Round},
        {"ROUNDUP", &Evaluator::Round},
        {"ROUNDDOWN", &Evaluator::Round},
        {"INT", &Evaluator::IntAbs},
        {"ABS", &Evaluator::IntAbs},
        {"MOD", &Evaluator::Mod},
        {"LEN", &Evaluator::TextFunction},
        {"TRIM", &Evaluator::TextFunction},
        {"UPPER", &Evaluator::TextFunction},
        {"LOWER", &Evaluator::TextFunction},
        {"LEFT", &Evaluator::LeftRight},
        {"RIGHT", &Evaluator::LeftRight},
        {"MID", &Evaluator::Mid},
        {"CONCATENATE", &Evaluator::Concatenate},
        {"VALUE", &Evaluator::Value},
        {"TEXT", &Evaluator::Text},
        {"ROW", &Evaluator::RowColumn},
        {"COLUMN", &Evaluator::RowColumn},
        {"RANK", &Evaluator::Rank},
        {"OFFSET", &Evaluator::Offset},
    };
    return kFunctions;
  }

  Val Call(const Node& n) {
    const auto& kFunctions = Functions();
    // Volatile functions (TODAY, NOW, RAND), lookups, INDIRECT and
    // everything else: the cached value stands.
    auto it = kFunctions.find(n.text);
    if (it == kFunctions.end()) throw NotEvaluated{};
    return (this->*(it->second))(n);
  }

  Val Aggregate(const Node& n) {
    const std::string& f = n.text;
    Need(!n.kids.empty());
    double sum = 0, best = 0;
    long long count = 0;
    CellValue err;
    for (std::size_t i = 0; i < n.kids.size(); ++i) {
      Val v = Arg(n, i);
      bool ok = EachNumber(v, err, [&](double d) {
        sum += d;
        if (count == 0 || (f == "MAX" ? d > best : d < best)) best = d;
        ++count;
      });
      if (!ok) return Val::Of(err);
    }
    if (f == "SUM") return Val::Of(FiniteOrNum(sum));
    if (f == "AVERAGE") return Val::Of(count == 0 ? CellValue(ErrorCode::Div0) : FiniteOrNum(sum / count));
    return Val::Of(count == 0 ? 0.0 : best);
  }

  Val Count(const Node& n) {
    const bool all = n.text == "COUNTA";
    long long count = 0;
    for (std::size_t i = 0; i < n.kids.size(); ++i) {
      Val v = Arg(n, i);
      switch (v.kind) {
        case Val::Kind::Missing: break;
        case Val::Kind::Ref:
          ForEachStored(*v.sheet, v.ref, [&](int r, int c) {
            // Any content counts for COUNTA, a formula giving "" too.
            if (all || v.sheet->ValueAt(r, c).IsNumber()) ++count;
            return true;
          });
          break;
        case Val::Kind::Array:
          for (const auto& x : v.arr->cells) count += all ? !x.IsEmpty() : x.IsNumber();
          break;
        case Val::Kind::Scalar: {
          double d = 0;
          if (all)
            count += !v.v.IsEmpty();
          else if (v.v.IsText() && !ParseNumberText(v.v.Text(), d))
            Need(!LooksLikeDateOrTime(v.v.Text()));
          else
            count += v.v.IsNumber() || v.v.IsBool() || v.v.IsText();
          break;
        }
      }
    }
    return Val::Of(static_cast<double>(count));
  }

  Val CountBlank(const Node& n) {
    Need(n.kids.size() == 1);
    Val v = Arg(n, 0);
    if (v.kind == Val::Kind::Scalar && v.v.IsError()) return v;
    Need(v.kind == Val::Kind::Ref);
    long long filled = 0;
    ForEachStored(*v.sheet, v.ref, [&](int r, int c) {
      CellValue x = v.sheet->ValueAt(r, c);
      filled += !(x.IsEmpty() || (x.IsText() && x.Text().empty()));
      return true;
    });
    return Val::Of(static_cast<double>(v.ref.Count() - filled));
  }

  Val AndOr(const Node& n) {
    Need(!n.kids.empty());
    const bool isAnd = n.text == "AND";
    bool result = isAnd, any = false, failed = false;
    CellValue err;
    auto take = [&](const CellValue& x, bool typed) {
      if (x.IsError()) {
        err = x;
        failed = true;
        return false;
      }
      bool b = false;
      if (x.IsBool() || x.IsNumber())
        b = x.IsBool() ? x.Bool() : x.Number() != 0;
      else if (!typed || x.IsEmpty())
        return true;  // texts and blanks in ranges are skipped
      else if (!ValueBool(x, b, err)) {
        failed = true;
        return false;
      }
      any = true;
      result = isAnd ? (result && b) : (result || b);
      return true;
    };
    for (std::size_t i = 0; i < n.kids.size() && !failed; ++i) {
      Val v = Arg(n, i);
      if (v.kind == Val::Kind::Ref) {
        ForEachStored(*v.sheet, v.ref, [&](int r, int c) { return take(v.sheet->ValueAt(r, c), false); });
      } else if (v.kind == Val::Kind::Array) {
        for (const auto& x : v.arr->cells)
          if (!take(x, false)) break;
      } else if (v.kind == Val::Kind::Scalar) {
        take(v.v, true);
      }
    }
    if (failed) return Val::Of(err);
    return Val::Of(any ? CellValue(result) : CellValue(ErrorCode::Value));
  }

  Val Not(const Node& n) {
    Need(n.kids.size() == 1);
    bool b = false;
    CellValue err;
    if (!ValueBool(ScalarArg(n, 0), b, err)) return Val::Of(err);
    return Val::Of(!b);
  }

  Val IfError(const Node& n) {
    Need(n.kids.size() == 2);
    Val v = Arg(n, 0);
    Need(ScalarLike(v));
    CellValue x = Scalar(v);
    if (!x.IsError()) return Val::Of(x);
    Val alt = Arg(n, 1);
    return alt.kind == Val::Kind::Missing ? Val::Of(0.0) : alt;
  }

  Val Is(const Node& n) {
    Need(n.kids.size() == 1);
    Val v = Arg(n, 0);
    Need(ScalarLike(v));
    CellValue x = Scalar(v);
    const std::string& f = n.text;
    if (f == "ISBLANK") return Val::Of(x.IsEmpty() && v.kind == Val::Kind::Ref);
    if (f == "ISNUMBER") return Val::Of(x.IsNumber());
    if (f == "ISTEXT") return Val::Of(x.IsText());
    return Val::Of(x.IsError());
  }

  Val Round(const Node& n) {
    Need(n.kids.size() == 2);
    double x = 0, digits = 0;
    CellValue err;
    if (!NumberArg(n, 0, x, err) || !NumberArg(n, 1, digits, err)) return Val::Of(err);
    const std::string& f = n.text;
    RoundMode mode = f == "ROUND" ? RoundMode::Half : f == "ROUNDUP" ? RoundMode::Up : RoundMode::Down;
    return Val::Of(FiniteOrNum(RoundDigits(x, digits, mode)));
  }

  Val IntAbs(const Node& n) {
    Need(n.kids.size() == 1);
    double x = 0;
    CellValue err;
    if (!NumberArg(n, 0, x, err)) return Val::Of(err);
    return Val::Of(n.text == "INT" ? std::floor(x) : std::fabs(x));
  }

  Val Mod(const Node& n) {
    Need(n.kids.size() == 2);
    double a = 0, b = 0;
    CellValue err;
    if (!NumberArg(n, 0, a, err) || !NumberArg(n, 1, b, err)) return Val::Of(err);
    if (b == 0) return Val::Of(ErrorCode::Div0);
    return Val::Of(FiniteOrNum(a - b * std::floor(a / b)));
  }

  Val TextFunction(const Node& n) {
    Need(n.kids.size() == 1);
    std::string s;
    CellValue err;
    if (!TextArg(n, 0, s, err)) return Val::Of(err);
    const std::string& f = n.text;
    if (f == "LEN") return Val::Of(static_cast<double>(utf8::Length(s)));
    if (f == "TRIM") return Val::Of(TrimText(s));
    for (char& c : s) {
      if (f == "UPPER" && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (f == "LOWER" && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return Val::Of(s);
  }

  Val LeftRight(const Node& n) {
    Need(n.kids.size() == 1 || n.kids.size() == 2);
    std::string s;
    double count = 1;
    CellValue err;
    if (!TextArg(n, 0, s, err)) return Val::Of(err);
    if (n.kids.size() == 2 && !NumberArg(n, 1, count, err)) return Val::Of(err);
    if (count < 0) return Val::Of(ErrorCode::Value);
    const std::size_t len = utf8::Length(s);
    const std::size_t take = static_cast<std::size_t>(std::min<double>(std::floor(count), static_cast<double>(len)));
    if (n.text == "LEFT") return Val::Of(s.substr(0, utf8::Offset(s, take)));
    return Val::Of(s.substr(utf8::Offset(s, len - take)));
  }

  Val Mid(const Node& n) {
    Need(n.kids.size() == 3);
    std::string s;
    double start = 0, count = 0;
    CellValue err;
    if (!TextArg(n, 0, s, err) || !NumberArg(n, 1, start, err) || !NumberArg(n, 2, count, err)) return Val::Of(err);
    if (start < 1 || count < 0) return Val::Of(ErrorCode::Value);
    const double len = static_cast<double>(utf8::Length(s));
    const double from = std::min(std::floor(start) - 1, len);
    const double take = std::min(std::floor(count), len - from);
    const std::size_t b = utf8::Offset(s, static_cast<std::size_t>(from));
    const std::size_t e = utf8::Offset(s, static_cast<std::size_t>(from + take));
    return Val::Of(s.substr(b, e - b));
  }

  Val Concatenate(const Node& n) {
    Need(!n.kids.empty());
    std::string out, s;
    CellValue err;
    for (std::size_t i = 0; i < n.kids.size(); ++i) {
      if (!TextArg(n, i, s, err)) return Val::Of(err);
      out += s;
      if (out.size() > kMaxTextBytes) return Val::Of(ErrorCode::Value);
    }
    return Val::Of(out);
  }

  Val Value(const Node& n) {
    Need(n.kids.size() == 1);
    CellValue x = ScalarArg(n, 0), err;
    if (x.IsError()) return Val::Of(x);
    if (x.IsBool()) return Val::Of(ErrorCode::Value);
    double d = 0;
    if (!ValueNumber(x, d, err)) return Val::Of(err);
    return Val::Of(d);
  }

  Val Text(const Node& n) {
    Need(n.kids.size() == 2);
    CellValue x = ScalarArg(n, 0), err;
    std::string fmt;
    if (x.IsError()) return Val::Of(x);
    if (!TextArg(n, 1, fmt, err)) return Val::Of(err);
    double d = 0;
    if (x.IsText() && !ParseNumberText(x.Text(), d)) {
      Need(!LooksLikeDateOrTime(x.Text()));
      return Val::Of(x);  // a text that is no number comes back unchanged
    }
    if (x.IsBool()) return Val::Of(x.Bool() ? "TRUE" : "FALSE");
    if (x.IsNumber()) d = x.Number();
    std::optional<std::string> out = FormatPattern(d, fmt);
    Need(out.has_value());
    return Val::Of(*out);
  }

  Val RowColumn(const Node& n) {
    Need(n.kids.size() <= 1);
    const bool row = n.text == "ROW";
    const double own = row ? ctx_.row : ctx_.col;
    if (n.kids.empty()) return Val::Of(own);
    Val v = Arg(n, 0);
    if (v.kind == Val::Kind::Missing) return Val::Of(own);
    if (v.kind == Val::Kind::Scalar && v.v.IsError()) return v;
    Need(v.kind == Val::Kind::Ref);
    return Val::Of(static_cast<double>(row ? v.ref.r1 : v.ref.c1));
  }

  // RANK(number, ref[, order]): 1 + how many numbers of ref are greater
  // (order 0 or left out) or smaller (order non-zero); #N/A when the number
  // is not among them. Texts and empty cells of ref do not count.
  Val Rank(const Node& n) {
    const std::size_t argc = n.kids.size();
    Need(argc == 2 || argc == 3);
    CellValue err;
    double x = 0;
    if (!NumberArg(n, 0, x, err)) return Val::Of(err);
    Val ref = Arg(n, 1);
    if (ref.kind == Val::Kind::Scalar && ref.v.IsError()) return ref;
    Need(ref.kind == Val::Kind::Ref);
    bool ascending = false;
    if (argc == 3) {
      Val order = Arg(n, 2);
      if (order.kind != Val::Kind::Missing) {
        double o = 0;
        if (!ValueNumber(Scalar(order), o, err)) return Val::Of(err);
        ascending = o != 0;
      }
    }
    long long ahead = 0;
    bool found = false;
    ForEachStored(*ref.sheet, ref.ref, [&](int r, int c) {
      CellValue v = ref.sheet->ValueAt(r, c);
      if (!v.IsNumber()) return true;
      const double d = v.Number();
      if (d == x) found = true;
      if (ascending ? d < x : d > x) ++ahead;
      return true;
    });
    if (!found) return Val::Of(ErrorCode::NA);
    return Val::Of(static_cast<double>(ahead + 1));
  }

  // OFFSET(ref, rows, cols[, height, width]): the range moved by rows and
  // columns, of the given size (ref's size when left out); #REF! off the sheet.
  Val Offset(const Node& n) {
    const std::size_t argc = n.kids.size();
    Need(argc >= 3 && argc <= 5);
    Val base = Arg(n, 0);
    if (base.kind == Val::Kind::Scalar && base.v.IsError()) return base;
    Need(base.kind == Val::Kind::Ref);
    CellValue err;
    long long parts[4] = {0, 0, base.ref.Rows(), base.ref.Cols()};
    for (std::size_t i = 1; i < argc; ++i) {
      Val v = Arg(n, i);
      if (v.kind == Val::Kind::Missing) continue;
      double d = 0;
      if (!ValueNumber(Scalar(v), d, err)) return Val::Of(err);
      parts[i - 1] = static_cast<long long>(std::trunc(d));
    }
    const long long r1 = base.ref.r1 + parts[0], c1 = base.ref.c1 + parts[1];
    const long long r2 = r1 + parts[2] - 1, c2 = c1 + parts[3] - 1;
    if (parts[2] < 1 || parts[3] < 1 || r1 < 1 || c1 < 1 || r2 > kMaxRows || c2 > kMaxCols)
      return Val::Of(ErrorCode::Ref);
    return Val::Range(base.sheet,
                      RangeRef{static_cast<int>(r1), static_cast<int>(c1), static_cast<int>(r2), static_cast<int>(c2)});
  }

  static std::string TrimText(const std::string& s) {
    std::string out;
    bool pending = false;
    for (char c : s) {
      if (c == ' ') {
        pending = !out.empty();
        continue;
      }
      if (pending) out += ' ';
      pending = false;
      out += c;
    }
    return out;
  }

  Val If(const Node& n) {
    const std::size_t argc = n.kids.size();
    Need(argc == 2 || argc == 3);
    Val cond = Arg(n, 0);
    auto branch = [&](std::size_t i) {
      if (i >= argc) return Val::Of(false);
      Val v = Arg(n, i);
      return v.kind == Val::Kind::Missing ? Val::Of(0.0) : v;
    };
    if (ScalarLike(cond)) {
      CellValue c = Scalar(cond), err;
      bool b = false;
      if (!ValueBool(c, b, err)) return Val::Of(err);
      return branch(b ? 1 : 2);
    }
    // A range or array as condition: element by element (the array formulas
    // of defined names, such as SUM(IF(B1:BX1="",0,1))).
    auto gc = GridOf(cond);
    auto gt = GridOf(branch(1));
    auto ge = GridOf(branch(2));
    auto out = NewGrid(Span(gc->rows, Span(gt->rows, ge->rows)), Span(gc->cols, Span(gt->cols, ge->cols)));
    for (int i = 0; i < out->rows; ++i) {
      for (int j = 0; j < out->cols; ++j) {
        CellValue c = Pick(*gc, i, j), err;
        bool b = false;
        out->At(i, j) = !ValueBool(c, b, err) ? err : Pick(b ? *gt : *ge, i, j);
      }
    }
    return Val::Array(out);
  }

  Val CountIfSumIf(const Node& n) {
    const bool sum = n.text == "SUMIF";
    const std::size_t argc = n.kids.size();
    Need(sum ? (argc == 2 || argc == 3) : argc == 2);
    Val range = Arg(n, 0);
    if (range.kind == Val::Kind::Scalar && range.v.IsError()) return range;
    Need(range.kind == Val::Kind::Ref);
    CellValue crit = ScalarArg(n, 1);
    const Criterion k = CompileCriterion(crit);
    Need(!k.dateLike);
    const Worksheet& rs = *range.sheet;
    const RangeRef& rr = range.ref;
    if (!sum) {
      long long stored = 0, hits = 0;
      ForEachStored(rs, rr, [&](int r, int c) {
        ++stored;
        hits += Matches(k, rs.ValueAt(r, c));
        return true;
      });
      if (Matches(k, CellValue())) hits += rr.Count() - stored;
      return Val::Of(static_cast<double>(hits));
    }
    Val target = argc == 3 ? Arg(n, 2) : range;
    if (target.kind == Val::Kind::Scalar && target.v.IsError()) return target;
    Need(target.kind == Val::Kind::Ref);
    const Worksheet& ts = *target.sheet;
    // The summed cells: the range's shape from the top-left cell of the sum range.
    RangeRef area{target.ref.r1, target.ref.c1, std::min(kMaxRows, target.ref.r1 + rr.Rows() - 1),
                  std::min(kMaxCols, target.ref.c1 + rr.Cols() - 1)};
    const int dr = area.r1 - rr.r1, dc = area.c1 - rr.c1;
    double total = 0;
    CellValue err;
    bool failed = false;
    auto add = [&](const CellValue& x) {
      if (x.IsNumber())
        total += x.Number();
      else if (x.IsError()) {
        err = x;
        failed = true;
      }
      return !failed;
    };
    if (Matches(k, CellValue())) {
      // Blank criterion cells match too: walk the summed cells instead.
      ForEachStored(ts, area, [&](int r, int c) {
        return Matches(k, rs.ValueAt(r - dr, c - dc)) ? add(ts.ValueAt(r, c)) : true;
      });
    } else {
      ForEachStored(rs, rr, [&](int r, int c) {
        if (!area.Contains(r + dr, c + dc) || !Matches(k, rs.ValueAt(r, c))) return true;
        return add(ts.ValueAt(r + dr, c + dc));
      });
    }
    if (failed) return Val::Of(err);
    return Val::Of(FiniteOrNum(total));
  }

  const Tree& t_;
  Ctx ctx_;
};

struct CellGuard {
  EvalState& st;
  // Names in use belong to the cell that uses them: a name relative to its
  // cell may well be used again by the cell it reads (a running count
  // "=previous+1" down a column); cycles between cells are found above.
  std::set<const DefinedName*> outerNames;
  CellGuard(EvalState& s, const EvalKey& key) : st(s) {
    st.visiting.insert(key);
    st.chain.push_back(&key);
    ++st.depth;
    std::swap(outerNames, st.names);
  }
  ~CellGuard() {
    std::swap(outerNames, st.names);
    st.visiting.erase(*st.chain.back());
    st.chain.pop_back();
    --st.depth;
  }
  CellGuard(const CellGuard&) = delete;
  CellGuard& operator=(const CellGuard&) = delete;
};

// Evaluates one formula with the stack as it is. `truncated` tells whether it
// (or a formula it used) stopped at the depth or stack limit.
std::optional<CellValue> EvaluateOnce(EvalState& st, const EvalKey& key, const Worksheet& ws, bool& truncated) {
  const bool outer = st.truncated;
  st.truncated = false;
  std::optional<CellValue> result;
  {
    CellGuard guard(st, key);
    try {
      if (std::shared_ptr<const Tree> tree = ParseCached(key.text)) {
        Evaluator ev(*tree, Ctx{&ws, &ws, key.row, key.col, false});
        result = ev.Finish(ev.Eval(tree->root));
      }
    } catch (const NotEvaluated&) {
      result.reset();
    } catch (const TooDeep&) {
      MarkTruncated(st, key);
      result = CellValue(ErrorCode::Ref);
    }
  }
  truncated = st.truncated;
  st.truncated = outer || truncated;
  return result;
}

// A formula read while another is being evaluated.
std::optional<CellValue> EvaluateNested(EvalState& st, const EvalKey& key, const Worksheet& ws) {
  if (st.visiting.count(key) || st.pending.count(key)) {  // a cycle
    st.provisional = true;
    return CellValue(ErrorCode::Ref);
  }
  if (auto it = st.memo.find(key); it != st.memo.end()) return it->second;
  if (st.depth >= kMaxDepth) {
    MarkTruncated(st, key);
    return CellValue(ErrorCode::Ref);
  }
  bool truncated = false;
  std::optional<CellValue> result = EvaluateOnce(st, key, ws, truncated);
  if (!truncated) st.memo[key] = result;
  return result;
}

// A top-level evaluation. When a chain of formulas is deeper than the stack
// allows, the cell where it stopped is evaluated first, as a top-level
// evaluation of its own, and the formula is tried again with that result at
// hand: long chains (serial numbers "=A3+1" down a column) get their real
// values and the stack stays bounded.
std::optional<CellValue> EvaluateTop(EvalState& st, const EvalKey& key) {
  struct TopGuard {
    EvalState& st;
    ~TopGuard() {
      // What was computed on the way stays valid until the workbook changes.
      if (!st.provisional)
        for (const auto& [k, v] : st.memo) k.sheet->Book().FormulaValues().Store(k.sheet, k.row, k.col, k.text, v);
      st.provisional = false;
      st.memo.clear();
      st.pending.clear();
      st.deepest.reset();
      st.truncated = false;
    }
  } guard{st};
  st.stackBase = StackHere();
  // Cells waiting for a deeper one, the one to evaluate now last.
  std::vector<EvalKey> work{key};
  while (true) {
    const EvalKey cur = work.back();
    st.pending.erase(cur);
    st.deepest.reset();
    st.truncated = false;
    bool truncated = false;
    std::optional<CellValue> result = EvaluateOnce(st, cur, *cur.sheet, truncated);
    if (truncated && st.deepest && !(*st.deepest == cur) && !st.pending.count(*st.deepest) &&
        work.size() < kMaxResumptions) {
      // While it waits, reaching it again means a cycle.
      st.pending.insert(cur);
      work.push_back(*st.deepest);
      continue;
    }
    work.pop_back();
    if (work.empty()) {
      if (!truncated) st.memo[cur] = result;  // kept with the others by TopGuard
      return result;
    }
    if (truncated) st.provisional = true;
    st.memo[cur] = result;
  }
}

}  // namespace
}  // namespace detail

std::optional<CellValue> Evaluate(const Worksheet& ws, int row, int col, std::string_view text) {
  using namespace detail;
  EvalState& st = g_state;
  try {
    if (const std::optional<CellValue>* known = ws.Book().FormulaValues().Find(&ws, row, col, text)) return *known;
    const EvalKey key{&ws, row, col, std::string(text)};
    return st.depth == 0 ? EvaluateTop(st, key) : EvaluateNested(st, key, ws);
  } catch (...) {
    return std::nullopt;
  }
}

bool MatchesCriterion(const CellValue& value, const CellValue& criterion) {
  return detail::Matches(detail::CompileCriterion(criterion), value);
}

}  // namespace korvane::host::formula
