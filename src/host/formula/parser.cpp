#include "host/formula/parser.h"

#include <cctype>

namespace korvane::host::formula::detail {

namespace {

// The application allows 64 nested function levels; parentheses, signs and
// percent signs count here too, with some room to spare.
constexpr int kMaxNesting = 100;

class Parser {
 public:
  Parser(Tree& tree) : t_(tree) {
    for (std::size_t i = 0; i < t_.tokens.size(); ++i)
      if (t_.tokens[i].kind != TokKind::Space) order_.push_back(static_cast<int>(i));
  }

  bool Run() {
    if (order_.empty()) return false;
    int root = Level(0);
    if (root < 0 || pos_ != order_.size()) return false;
    t_.root = root;
    return true;
  }

 private:
  const Token* Peek() const {
    return pos_ < order_.size() ? &t_.tokens[static_cast<std::size_t>(order_[pos_])] : nullptr;
  }

  int Add(Node n) {
    t_.nodes.push_back(std::move(n));
    return static_cast<int>(t_.nodes.size()) - 1;
  }

  static bool InLevel(int level, const std::string& op) {
    switch (level) {
      case 0: return op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=";
      case 1: return op == "&";
      case 2: return op == "+" || op == "-";
      case 3: return op == "*" || op == "/";
      case 4: return op == "^";
      default: return false;
    }
  }

  // Binary operators, loosest first: comparisons, &, + -, * /, ^.
  int Level(int level) {
    if (level > 4) return Unary();
    int first = Level(level + 1);
    if (first < 0) return -1;
    const Token* tk = Peek();
    if (!tk || tk->kind != TokKind::Op || !InLevel(level, tk->text)) return first;
    Node chain;
    chain.kind = Node::Kind::Chain;
    chain.kids.push_back(first);
    while ((tk = Peek()) && tk->kind == TokKind::Op && InLevel(level, tk->text)) {
      chain.ops.push_back(tk->text);
      ++pos_;
      int next = Level(level + 1);
      if (next < 0) return -1;
      chain.kids.push_back(next);
    }
    return Add(std::move(chain));
  }

  // Signs bind tighter than "^" in the application: -2^2 is 4.
  int Unary() {
    const Token* tk = Peek();
    if (tk && tk->kind == TokKind::Op && (tk->text == "-" || tk->text == "+")) {
      if (++depth_ > kMaxNesting) return -1;
      ++pos_;
      int operand = Unary();
      --depth_;
      if (operand < 0) return -1;
      Node n;
      n.kind = tk->text == "-" ? Node::Kind::Negate : Node::Kind::Plus;
      n.kids.push_back(operand);
      return Add(std::move(n));
    }
    int p = Primary();
    if (p < 0) return -1;
    int percents = 0;
    while ((tk = Peek()) && tk->kind == TokKind::Op && tk->text == "%") {
      if (++percents + depth_ > kMaxNesting) return -1;
      ++pos_;
      Node n;
      n.kind = Node::Kind::Percent;
      n.kids.push_back(p);
      p = Add(std::move(n));
    }
    return p;
  }

  int Primary() {
    const Token* tk = Peek();
    if (!tk) return -1;
    const int index = order_[pos_];
    Node n;
    switch (tk->kind) {
      case TokKind::Number:
        ++pos_;
        n.kind = Node::Kind::Number;
        n.number = tk->number;
        return Add(std::move(n));
      case TokKind::String:
        if (tk->unterminated) return -1;
        ++pos_;
        n.kind = Node::Kind::String;
        n.text = tk->text;
        return Add(std::move(n));
      case TokKind::Bool:
        ++pos_;
        n.kind = Node::Kind::Bool;
        n.boolean = tk->boolean;
        return Add(std::move(n));
      case TokKind::Error:
        if (tk->external) return -1;
        ++pos_;
        n.kind = Node::Kind::Error;
        n.error = tk->error;
        return Add(std::move(n));
      case TokKind::Ref:
      case TokKind::Name:
        if (tk->external) return -1;
        ++pos_;
        n.kind = tk->kind == TokKind::Ref ? Node::Kind::Ref : Node::Kind::Name;
        n.token = index;
        return Add(std::move(n));
      case TokKind::Func: return Function();
      case TokKind::LParen: {
        if (++depth_ > kMaxNesting) return -1;
        ++pos_;
        int inner = Level(0);
        const Token* close = Peek();
        if (inner < 0 || !close || close->kind != TokKind::RParen) return -1;
        ++pos_;
        --depth_;
        return inner;
      }
      default: return -1;
    }
  }

  int Function() {
    const Token* name = Peek();
    Node n;
    n.kind = Node::Kind::Func;
    for (char c : name->text) n.text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ++pos_;
    const Token* open = Peek();
    if (!open || open->kind != TokKind::LParen) return -1;
    if (++depth_ > kMaxNesting) return -1;
    ++pos_;
    const Token* tk = Peek();
    if (tk && tk->kind == TokKind::RParen) {
      ++pos_;
      --depth_;
      return Add(std::move(n));
    }
    while (true) {
      tk = Peek();
      if (!tk) return -1;
      if (tk->kind == TokKind::Comma || tk->kind == TokKind::RParen) {
        Node missing;
        missing.kind = Node::Kind::Missing;
        n.kids.push_back(Add(std::move(missing)));
      } else {
        int arg = Level(0);
        if (arg < 0) return -1;
        n.kids.push_back(arg);
      }
      tk = Peek();
      if (!tk) return -1;
      ++pos_;
      if (tk->kind == TokKind::RParen) break;
      if (tk->kind != TokKind::Comma) return -1;
    }
    --depth_;
    return Add(std::move(n));
  }

  Tree& t_;
  std::vector<int> order_;  // indices of the tokens that are not spaces
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

bool Parse(std::string_view text, Tree& tree) {
  tree = Tree{};
  tree.tokens = Tokenize(text);
  tree.nodes.reserve(tree.tokens.size() + 1);
  Parser p(tree);
  return p.Run();
}

}  // namespace korvane::host::formula::detail
