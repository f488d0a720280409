#include "awards/certificate_pdf.h"

#include <algorithm>
#include <cmath>

#include "host/print/pdf.h"

namespace korvane::awards {

namespace print = host::print;
namespace docx = host::docx;

namespace {

// 黑体-like fonts print with the sans face, every other (宋体, 楷体, 仿宋) with the serif face.
std::string FaceOf(const std::string& font) {
  if (font.find("黑") != std::string::npos || font.find("Hei") != std::string::npos ||
      font.find("Sans") != std::string::npos)
    return std::string(print::kSansFace);
  return std::string(print::kSerifFace);
}

print::TextStyle StyleOf(const docx::RunLook& run) {
  print::TextStyle s;
  s.face = FaceOf(run.font);
  s.size = run.size;
  s.bold = run.bold;
  s.underline = run.underline;
  s.valign = print::VAlign::Bottom;
  return s;
}

void DrawBorder(print::PdfDocument& pdf, const docx::DocumentLook& look) {
  const docx::PageBorder& b = look.border;
  if (!b.present) return;
  const std::uint32_t color = b.color == 0 ? 0 : (0xFF000000u | b.color);
  const double inset = b.fromPageEdge ? b.space : std::max(0.0, std::min(look.marginTop, look.marginLeft) - b.space);
  const print::Pen pen{.width = b.width, .color = color};
  auto frame = [&](double d) { pdf.StrokeRect({d, d, look.pageWidth - 2 * d, look.pageHeight - 2 * d}, pen); };
  frame(inset);
  if (b.doubleLine) frame(inset + 2 * b.width);
}

// One paragraph from `y` down; returns the y below it.
double DrawParagraph(print::PdfDocument& pdf, const docx::DocumentLook& page, const docx::ParagraphLook& p, double y) {
  const double left = page.marginLeft;
  const double width = page.pageWidth - page.marginLeft - page.marginRight;
  y += p.spaceBefore;
  if (p.runs.empty()) {
    const print::TextStyle s{.size = 12};
    return y + pdf.MeasureText("　", s).height * p.lineSpacing + p.spaceAfter;
  }
  std::vector<print::TextStyle> styles;
  std::vector<double> widths;
  double total = 0, height = 0;
  for (const docx::RunLook& run : p.runs) {
    styles.push_back(StyleOf(run));
    const print::PdfDocument::Extent e = pdf.MeasureText(run.text.empty() ? "　" : run.text, styles.back());
    widths.push_back(run.text.empty() ? 0 : e.width);
    total += widths.back();
    height = std::max(height, e.height);
  }
  const double indent = p.align == docx::ParagraphAlign::Left ? p.firstLineIndent : 0;
  if (total <= width - indent) {
    // One line: the runs side by side, each in its own look, on a common bottom line.
    double x = left + indent;
    if (p.align == docx::ParagraphAlign::Center) x = left + (width - total) / 2;
    if (p.align == docx::ParagraphAlign::Right) x = left + width - total;
    for (std::size_t i = 0; i < p.runs.size(); ++i) {
      if (widths[i] > 0) pdf.DrawText({x, y, widths[i] + 1, height}, p.runs[i].text, styles[i]);
      x += widths[i];
    }
    return y + height * p.lineSpacing + p.spaceAfter;
  }
  // Longer than a line: the whole text wrapped in the look of its first run,
  // the first-line indent kept as leading ideographic spaces.
  std::string text;
  if (indent > 0 && p.runs.front().size > 0)
    for (int i = 0; i < static_cast<int>(std::lround(indent / p.runs.front().size)); ++i) text += "　";
  for (const docx::RunLook& run : p.runs) text += run.text;
  print::TextStyle style = styles.front();
  style.wrap = true;
  style.valign = print::VAlign::Top;
  style.align = p.align == docx::ParagraphAlign::Center  ? print::Align::Center
                : p.align == docx::ParagraphAlign::Right ? print::Align::Right
                                                         : print::Align::Left;
  const double h = pdf.MeasureText(text, style, width).height;
  pdf.DrawText({left, y, width, h}, text, style);
  const int lines = std::max(1, static_cast<int>(std::lround(h / std::max(height, 1.0))));
  return y + h + (p.lineSpacing - 1) * height * lines + p.spaceAfter;
}

}  // namespace

void WriteCertificatePdf(const docx::Document& doc, const std::vector<std::string>& headings,
                         const std::vector<std::vector<std::string>>& lines, const std::string& path,
                         const std::string& title) {
  print::PdfDocument pdf(path, title);
  for (const std::vector<std::string>& line : lines) {
    std::vector<std::pair<std::string, std::string>> values;
    for (std::size_t i = 0; i < headings.size(); ++i) values.emplace_back(headings[i], i < line.size() ? line[i] : "");
    const docx::DocumentLook look = doc.Look(values);
    pdf.NewPage(look.pageWidth, look.pageHeight);
    DrawBorder(pdf, look);
    double y = look.marginTop;
    for (const docx::ParagraphLook& p : look.paragraphs) y = DrawParagraph(pdf, look, p, y);
  }
  pdf.Close();
}

}  // namespace korvane::awards
