#include "host/style.h"

namespace korvane::host {

namespace {
inline void Mix(std::size_t& h, std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); }
inline std::size_t EdgeHash(const BorderEdge& e) { return static_cast<std::size_t>(e.style) * 1315423911u ^ e.color; }
}  // namespace

std::size_t StyleHash::operator()(const Style& s) const {
  std::size_t h = std::hash<std::string>()(s.font.name);
  Mix(h, std::hash<double>()(s.font.size));
  Mix(h, (s.font.bold << 0) | (s.font.italic << 1) | (s.font.underline << 2) | (s.font.strike << 3) | (s.wrap << 4) |
             (s.shrink << 5) | (s.locked << 6) | (s.hiddenFormula << 7) | (s.diagonalUp << 8) | (s.diagonalDown << 9));
  Mix(h, s.font.color);
  Mix(h, static_cast<std::size_t>(s.halign) * 31 + static_cast<std::size_t>(s.valign));
  Mix(h, static_cast<std::size_t>(s.rotation) * 131 + static_cast<std::size_t>(s.indent));
  Mix(h, EdgeHash(s.left));
  Mix(h, EdgeHash(s.right));
  Mix(h, EdgeHash(s.top));
  Mix(h, EdgeHash(s.bottom));
  Mix(h, EdgeHash(s.diagonal));
  Mix(h, s.fill);
  Mix(h, std::hash<std::string>()(s.numberFormat));
  return h;
}

StringPool::StringPool() : slots_(1024) { Intern(""); }

namespace {
inline std::uint32_t TextHash(std::string_view s) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>()(s));
}
}  // namespace

std::uint32_t StringPool::Intern(std::string_view s) {
  const std::uint32_t h = TextHash(s);
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = h & mask;
  for (;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.id1 == 0) break;
    if (slot.hash == h && *items_[slot.id1 - 1] == s) return slot.id1 - 1;
  }
  store_.emplace_back(s);
  auto id = static_cast<std::uint32_t>(items_.size());
  items_.push_back(&store_.back());
  slots_[i] = Slot{h, id + 1};
  if (items_.size() * 2 > slots_.size()) Grow();
  return id;
}

void StringPool::Grow() {
  std::vector<Slot> bigger(slots_.size() * 2);
  const std::size_t mask = bigger.size() - 1;
  for (const Slot& slot : slots_) {
    if (slot.id1 == 0) continue;
    std::size_t i = slot.hash & mask;
    while (bigger[i].id1 != 0) i = (i + 1) & mask;
    bigger[i] = slot;
  }
  slots_.swap(bigger);
}

StyleTable::StyleTable() { Intern(Style{}); }

std::uint32_t StyleTable::Intern(const Style& s) {
  auto it = index_.find(s);
  if (it != index_.end()) return it->second;
  items_.push_back(s);
  auto id = static_cast<std::uint32_t>(items_.size() - 1);
  index_.emplace(s, id);
  return id;
}

LineStyle LineStyleFromCode(int code) {
  switch (code) {
    case xl::Continuous: return LineStyle::Thin;
    case xl::Double: return LineStyle::Double;
    case xl::Dash: return LineStyle::Dashed;
    case xl::Dot: return LineStyle::Dotted;
    case xl::DashDot: return LineStyle::DashDot;
    case xl::DashDotDot: return LineStyle::DashDotDot;
    case xl::SlantDashDot: return LineStyle::SlantDashDot;
    default: return LineStyle::None;
  }
}

int LineStyleCode(LineStyle s) {
  switch (s) {
    case LineStyle::None: return xl::LineNone;
    case LineStyle::Double: return xl::Double;
    case LineStyle::Dashed:
    case LineStyle::MediumDashed: return xl::Dash;
    case LineStyle::Dotted:
    case LineStyle::Hair: return xl::Dot;
    case LineStyle::DashDot:
    case LineStyle::MediumDashDot: return xl::DashDot;
    case LineStyle::DashDotDot:
    case LineStyle::MediumDashDotDot: return xl::DashDotDot;
    case LineStyle::SlantDashDot: return xl::SlantDashDot;
    default: return xl::Continuous;
  }
}

HAlign HAlignFromCode(int code) {
  switch (code) {
    case xl::Center: return HAlign::Center;
    case xl::Left: return HAlign::Left;
    case xl::Right: return HAlign::Right;
    case xl::Justify: return HAlign::Justify;
    case xl::Distributed: return HAlign::Distributed;
    case xl::Fill: return HAlign::Fill;
    case xl::CenterAcrossSelection: return HAlign::CenterContinuous;
    default: return HAlign::General;
  }
}

int HAlignCode(HAlign a) {
  switch (a) {
    case HAlign::Center: return xl::Center;
    case HAlign::Left: return xl::Left;
    case HAlign::Right: return xl::Right;
    case HAlign::Justify: return xl::Justify;
    case HAlign::Distributed: return xl::Distributed;
    case HAlign::Fill: return xl::Fill;
    case HAlign::CenterContinuous: return xl::CenterAcrossSelection;
    default: return xl::General;
  }
}

VAlign VAlignFromCode(int code) {
  switch (code) {
    case xl::Center: return VAlign::Center;
    case xl::Top: return VAlign::Top;
    case xl::Justify: return VAlign::Justify;
    case xl::Distributed: return VAlign::Distributed;
    default: return VAlign::Bottom;
  }
}

int VAlignCode(VAlign a) {
  switch (a) {
    case VAlign::Center: return xl::Center;
    case VAlign::Top: return xl::Top;
    case VAlign::Justify: return xl::Justify;
    case VAlign::Distributed: return xl::Distributed;
    default: return xl::Bottom;
  }
}

}  // namespace korvane::host
