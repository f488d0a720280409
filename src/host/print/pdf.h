// A small PDF drawing vocabulary on cairo and pango: a document of pages, text
// in a box, lines and filled rectangles. Sheets and certificates are printed
// with it; it knows nothing of workbooks.
//
// Units are points (1/72 inch). The origin is the top-left corner of the page,
// y grows downwards. Colours are ARGB (0xAARRGGBB); an alpha of 0 is taken as
// opaque, so 0 is black and 0xFF0000 red.
//
//   print::PdfDocument doc("/tmp/a.pdf");             // written to a temporary file
//   doc.NewPage(print::kA4Width, print::kA4Height);
//   print::TextStyle title{.face = std::string(print::kSerifFace), .size = 36, .bold = true,
//                          .align = print::Align::Center, .valign = print::VAlign::Center};
//   doc.DrawText({0, 100, print::kA4Width, 60}, "奖  状", title);
//   doc.DrawLine(72, 180, 523, 180, print::Pen{.width = 1});
//   doc.Close();                                        // now /tmp/a.pdf exists, complete
//
// The file appears only when Close succeeds: it is written beside the target
// and renamed over it, so an earlier PDF of the same name stays intact until
// the new one is complete. A document destroyed without Close leaves nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::host::print {

// The faces the program prints with (Debian's fonts-noto-cjk): a sans face
// for 黑体-like fonts and a serif face for 宋体-like fonts.
inline constexpr std::string_view kSansFace = "Noto Sans CJK SC";
inline constexpr std::string_view kSerifFace = "Noto Serif CJK SC";

// Paper sizes in points, portrait.
inline constexpr double kA4Width = 595.2756, kA4Height = 841.8898;

// A PDF that cannot be created or completed. The message is Chinese, names the
// file and is meant for the user.
class PrintError : public std::runtime_error {
 public:
  explicit PrintError(const std::string& message) : std::runtime_error(message) {}
};

struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
  double Right() const { return x + width; }
  double Bottom() const { return y + height; }
};

enum class Align { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

// How the characters run: left to right; stacked one under the other (each
// character upright, the column read top to bottom); or the whole line turned
// a quarter turn to read upwards or downwards.
enum class Direction { Horizontal, Stacked, Up, Down };

struct TextStyle {
  std::string face = std::string(kSerifFace);  // a fontconfig family name
  double size = 11;                            // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::uint32_t color = 0;  // ARGB
  Align align = Align::Left;
  VAlign valign = VAlign::Top;
  // Breaks lines at the box's width, between words and between CJK characters.
  bool wrap = false;
  // Scales the text down (never up) until it fits the box.
  bool shrink = false;
  Direction direction = Direction::Horizontal;
};

struct Pen {
  double width = 0.5;        // points
  std::uint32_t color = 0;   // ARGB
  std::vector<double> dash;  // on/off lengths in points; empty = solid
  bool squareCaps = true;    // solid lines reach half their width past each end, so corners close
};

class PdfDocument {
 public:
  // Prepares the document that Close will store at `path` (a UTF-8 file
  // name). Throws PrintError when the folder cannot take the file.
  explicit PdfDocument(const std::string& path, const std::string& title = "");
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // Starts a new page (the previous one is finished). Every drawing call needs a page.
  void NewPage(double width, double height);
  int PageCount() const;

  // Drawing on the current page, in page coordinates transformed by
  // SetTransform.
  //
  // DrawText lays `text` out in `box` with the style's alignment, wrapping,
  // shrinking and direction. What falls outside `clip` (by default the box
  // itself) is cut off; pass a wider clip to let a line run over its
  // neighbours. Line feeds in the text start new lines.
  void DrawText(const Rect& box, std::string_view text, const TextStyle& style);
  void DrawText(const Rect& box, std::string_view text, const TextStyle& style, const Rect& clip);
  void DrawLine(double x1, double y1, double x2, double y2, const Pen& pen);
  void FillRect(const Rect& rect, std::uint32_t color);
  void StrokeRect(const Rect& rect, const Pen& pen);

  // Width and height of the text laid out on one line (no wrapping), or
  // wrapped at `wrapWidth` when it is positive, at the untransformed size.
  struct Extent {
    double width = 0, height = 0;
  };
  Extent MeasureText(std::string_view text, const TextStyle& style, double wrapWidth = 0);

  // Later drawing is moved by (dx, dy) and then scaled by `scale` about the
  // origin: page = (dx + scale * x, dy + scale * y). Identity by default; each
  // page starts with the identity.
  void SetTransform(double dx, double dy, double scale);

  // Finishes the last page and stores the file at its path. Throws PrintError
  // (naming the file) when the PDF cannot be written completely; the earlier
  // file of that name is then left as it was.
  void Close();

  const std::string& Path() const { return path_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string path_;
};

}  // namespace korvane::host::print
