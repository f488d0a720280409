// Cell formats (font, alignment, borders, fill, number format, protection),
// interned in a table so that a cell carries only a small style id.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane::host {

// Line styles of a border edge. The numeric values of the application's
// constants are mapped by LineStyleFromCode / LineStyleCode.
enum class LineStyle : std::uint8_t {
  None,
  Thin,
  Medium,
  Thick,
  Double,
  Dashed,
  Dotted,
  Hair,
  MediumDashed,
  DashDot,
  MediumDashDot,
  DashDotDot,
  MediumDashDotDot,
  SlantDashDot
};

enum class HAlign : std::uint8_t { General, Left, Center, Right, Fill, Justify, CenterContinuous, Distributed };
enum class VAlign : std::uint8_t { Bottom, Top, Center, Justify, Distributed };

struct BorderEdge {
  LineStyle style = LineStyle::None;
  std::uint32_t color = 0;  // ARGB; 0 = automatic
  bool operator==(const BorderEdge&) const = default;
};

struct Font {
  std::string name;  // empty = the workbook's default font
  double size = 0;   // 0 = the workbook's default size
  bool bold = false, italic = false, underline = false, strike = false;
  std::uint32_t color = 0;  // ARGB; 0 = automatic
  bool operator==(const Font&) const = default;
};

struct Style {
  Font font;
  HAlign halign = HAlign::General;
  VAlign valign = VAlign::Bottom;
  bool wrap = false;
  bool shrink = false;
  int rotation = 0;  // 0..180 as stored in files, 255 = vertical stacked text
  int indent = 0;
  BorderEdge left, right, top, bottom, diagonal;
  bool diagonalUp = false, diagonalDown = false;
  std::uint32_t fill = 0;  // ARGB of a solid fill; 0 = no fill
  std::string numberFormat = "General";
  bool locked = true;
  bool hiddenFormula = false;
  bool operator==(const Style&) const = default;
};

struct StyleHash {
  std::size_t operator()(const Style& s) const;
};

// Differential format of a conditional-format rule: only what it overrides.
struct DiffStyle {
  bool bold = false, italic = false;
  bool setBold = false, setItalic = false;
  std::uint32_t fontColor = 0;  // 0 = not set
  std::uint32_t fill = 0;       // 0 = not set
  std::string numberFormat;     // empty = not set
  bool operator==(const DiffStyle&) const = default;
};

// Interned strings. Id 0 is the empty string. Ids stay valid for the table's life.
class StringPool {
 public:
  StringPool();
  std::uint32_t Intern(std::string_view s);
  const std::string& Get(std::uint32_t id) const { return *items_[id]; }
  std::size_t Size() const { return items_.size(); }

 private:
  // Open addressing over (hash, id + 1) pairs, at most half full: a lookup
  // touches one slot and, on a hash match, the string itself.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t id1 = 0;  // id + 1; 0 = empty
  };
  void Grow();
  std::deque<std::string> store_;
  std::vector<const std::string*> items_;
  std::vector<Slot> slots_;
};

// Interned styles. Id 0 is the default style Style{}.
class StyleTable {
 public:
  StyleTable();
  std::uint32_t Intern(const Style& s);
  const Style& Get(std::uint32_t id) const { return items_[id]; }
  std::size_t Size() const { return items_.size(); }

 private:
  std::deque<Style> items_;
  std::unordered_map<Style, std::uint32_t, StyleHash> index_;
};

// The string pool and style table shared by the workbooks of one host.
struct SharedTables {
  StringPool strings;
  StyleTable styles;
};

// The application's constant values.
namespace xl {
inline constexpr int Center = -4108, Left = -4131, Right = -4152, General = 1, Top = -4160, Bottom = -4107,
                     Justify = -4130, Distributed = -4117, Fill = 5, CenterAcrossSelection = 7;
inline constexpr int Continuous = 1, Double = -4119, LineNone = -4142, Dash = -4115, Dot = -4118, DashDot = 4,
                     DashDotDot = 5, SlantDashDot = 13;
inline constexpr int EdgeLeft = 7, EdgeTop = 8, EdgeBottom = 9, EdgeRight = 10, InsideVertical = 11,
                     InsideHorizontal = 12, DiagonalDown = 5, DiagonalUp = 6;
inline constexpr int Up = -4162, Down = -4121, ToLeft = -4159, ToRight = -4161;
inline constexpr int Horizontal = -4128, Vertical = -4166, Upward = -4171, Downward = -4170;
// B4 is the ISO sheet, 250 x 353 mm, under code 42 (ISO B4), which every
// spreadsheet program reads as that sheet; code 12 is 250 x 353 mm in Excel's
// list but JIS B4 (257 x 364 mm) in LibreOffice's.
inline constexpr int PaperA4 = 9, PaperB4 = 42, PaperA3 = 8, PaperLetter = 1;
inline constexpr int Portrait = 1, Landscape = 2;
inline constexpr int FormatWorkbook = 51, FormatMacroWorkbook = 52, FormatTemplate = 54, FormatMacroTemplate = 53;
}  // namespace xl

LineStyle LineStyleFromCode(int code);  // xl::Continuous -> Thin, xl::Double -> Double, ...
int LineStyleCode(LineStyle s);
HAlign HAlignFromCode(int code);
int HAlignCode(HAlign a);
VAlign VAlignFromCode(int code);
int VAlignCode(VAlign a);

}  // namespace korvane::host
