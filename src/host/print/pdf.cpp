// The PDF drawing vocabulary on cairo's PDF surface and pango's layouts.
//
// Pango works at 72 dots per inch here, so that a font size in points is a
// size in the page's own units, and with hinting off, so that a text measures
// the same whatever the transform: what fits a cell fits it on every page.

#include "host/print/pdf.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <tuple>

#include "host/file_save.h"

namespace korvane::host::print {

namespace {

// Multi-line text: baselines 0.85 of the face's own line height apart. The CJK
// faces carry generous ascent and descent (about 1.45 em); 0.85 brings the
// lines to about 1.23 em, the spacing of a spreadsheet's wrapped 宋体 text.
constexpr double kLineSpacing = 0.85;
// Stacked text: one character per step of this many ems.
constexpr double kStackStep = 1.1;

std::string WriteFailedText(const std::string& path, const std::string& reason) {
  return "无法写入 PDF 文件：" + path + "：" + reason;
}

void SetColor(cairo_t* cr, std::uint32_t argb) {
  const unsigned a = (argb >> 24) & 0xFF;
  const double alpha = a == 0 ? 1.0 : a / 255.0;
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0, alpha);
}

// The UTF-8 characters of a text, each as its own string (combining marks stay
// with their base character).
std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    len = std::min(len, text.size() - i);
    std::string ch(text.substr(i, len));
    i += len;
    const bool combining = ch.size() == 2 && static_cast<unsigned char>(ch[0]) == 0xCC;  // U+0300..U+033F
    if (combining && !out.empty()) {
      out.back() += ch;
    } else if (ch != "\n" && ch != "\r") {
      out.push_back(std::move(ch));
    }
  }
  return out;
}

// Cairo's output: every write is checked, and the first failure is kept for
// Close to report.
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  auto* file = static_cast<AtomicFile*>(closure);
  return file->Write(reinterpret_cast<const char*>(data), length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

struct PdfDocument::Impl {
  // Outlives the surface: destroying an unfinished surface still writes.
  std::unique_ptr<AtomicFile> file;
  std::string title;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  PangoContext* pango = nullptr;
  PangoLayout* layout = nullptr;
  std::map<std::tuple<std::string, double, bool, bool>, PangoFontDescription*> fonts;
  int pages = 0;
  bool closed = false;

  ~Impl() {
    for (auto& [key, desc] : fonts) pango_font_description_free(desc);
    if (layout) g_object_unref(layout);
    if (pango) g_object_unref(pango);
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }

  void Start(double width, double height) {
    surface = cairo_pdf_surface_create_for_stream(WriteToFile, file.get(), width, height);
    if (!title.empty()) cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Korvane");
    cr = cairo_create(surface);
    pango = pango_cairo_create_context(cr);
    pango_cairo_context_set_resolution(pango, 72.0);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(pango, options);
    cairo_font_options_destroy(options);
    if (layout) g_object_unref(layout);  // a layout made for measuring before the first page
    layout = pango_layout_new(pango);
  }

  const PangoFontDescription* Font(const TextStyle& s) {
    auto key = std::make_tuple(s.face, s.size, s.bold, s.italic);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, s.face.c_str());
    pango_font_description_set_absolute_size(desc, std::max(1.0, s.size) * PANGO_SCALE);
    pango_font_description_set_weight(desc, s.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, s.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    fonts.emplace(key, desc);
    return desc;
  }

  // Prepares the shared layout for `text` in `style`; width > 0 wraps.
  void Prepare(std::string_view text, const TextStyle& style, double width) {
    pango_layout_set_font_description(layout, Font(style));
    PangoAttrList* attrs = pango_attr_list_new();
    if (style.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    pango_layout_set_width(layout, width > 0 ? static_cast<int>(width * PANGO_SCALE) : -1);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, style.align == Align::Center  ? PANGO_ALIGN_CENTER
                                       : style.align == Align::Right ? PANGO_ALIGN_RIGHT
                                                                     : PANGO_ALIGN_LEFT);
    pango_layout_set_line_spacing(layout, static_cast<float>(kLineSpacing));
  }

  // The logical extent of the prepared layout, in points.
  PangoRectangle Logical() {
    PangoRectangle ink, logical;
    pango_layout_get_extents(layout, &ink, &logical);
    return logical;
  }

  // Horizontal lines in `box` (coordinates of the current transform).
  void DrawHorizontal(const Rect& box, std::string_view text, const TextStyle& style) {
    const bool wrap = style.wrap && box.width > 0;
    Prepare(text, style, wrap ? box.width : 0);
    const PangoRectangle r = Logical();
    const double lx = r.x / double(PANGO_SCALE), ly = r.y / double(PANGO_SCALE);
    const double w = r.width / double(PANGO_SCALE), h = r.height / double(PANGO_SCALE);
    double s = 1.0;
    if (style.shrink && !wrap && w > box.width && w > 0) s = std::max(0.05, box.width / w);
    double x = box.x;
    if (!wrap) {
      if (style.align == Align::Center) x = box.x + (box.width - w * s) / 2;
      if (style.align == Align::Right) x = box.Right() - w * s;
    }
    double y = box.y;
    if (style.valign == VAlign::Center) y = box.y + (box.height - h * s) / 2;
    if (style.valign == VAlign::Bottom) y = box.Bottom() - h * s;
    cairo_save(cr);
    cairo_translate(cr, x - (wrap ? 0 : lx * s), y - ly * s);
    if (s != 1.0) cairo_scale(cr, s, s);
    cairo_move_to(cr, 0, 0);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
  }

  // Characters one under the other, each centred on the column.
  void DrawStacked(const Rect& box, std::string_view text, const TextStyle& style) {
    const std::vector<std::string> chars = Characters(text);
    if (chars.empty()) return;
    double step = style.size * kStackStep;
    double colWidth = style.size;
    for (const std::string& ch : chars) {
      Prepare(ch, style, 0);
      colWidth = std::max(colWidth, Logical().width / double(PANGO_SCALE));
    }
    double total = step * static_cast<double>(chars.size());
    double s = 1.0;
    if (style.shrink && total > box.height && total > 0) s = std::max(0.05, box.height / total);
    step *= s;
    total *= s;
    colWidth *= s;
    double cx = box.x + box.width / 2;
    if (style.align == Align::Left) cx = box.x + colWidth / 2;
    if (style.align == Align::Right) cx = box.Right() - colWidth / 2;
    double top = box.y;
    if (style.valign == VAlign::Center) top = box.y + (box.height - total) / 2;
    if (style.valign == VAlign::Bottom) top = box.Bottom() - total;
    for (std::size_t i = 0; i < chars.size(); ++i) {
      Prepare(chars[i], style, 0);
      const PangoRectangle r = Logical();
      const double w = r.width / double(PANGO_SCALE) * s, h = r.height / double(PANGO_SCALE) * s;
      const double slotTop = top + step * static_cast<double>(i);
      cairo_save(cr);
      cairo_translate(cr, cx - w / 2 - r.x / double(PANGO_SCALE) * s,
                      slotTop + (step - h) / 2 - r.y / double(PANGO_SCALE) * s);
      if (s != 1.0) cairo_scale(cr, s, s);
      cairo_move_to(cr, 0, 0);
      pango_cairo_show_layout(cr, layout);
      cairo_restore(cr);
    }
  }
};

PdfDocument::PdfDocument(const std::string& path, const std::string& title)
    : impl_(std::make_unique<Impl>()), path_(path) {
  try {
    impl_->file = std::make_unique<AtomicFile>(path);
  } catch (const FileSaveError& e) {
    throw PrintError(WriteFailedText(path, e.Reason()));
  }
  impl_->title = title;
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::NewPage(double width, double height) {
  if (impl_->closed) throw std::logic_error("PdfDocument: page after Close");
  if (!impl_->surface) {
    impl_->Start(width, height);
  } else {
    cairo_show_page(impl_->cr);
    cairo_pdf_surface_set_size(impl_->surface, width, height);
  }
  cairo_identity_matrix(impl_->cr);
  ++impl_->pages;
}

int PdfDocument::PageCount() const { return impl_->pages; }

void PdfDocument::SetTransform(double dx, double dy, double scale) {
  if (!impl_->cr) throw std::logic_error("PdfDocument: drawing before the first page");
  cairo_identity_matrix(impl_->cr);
  cairo_translate(impl_->cr, dx, dy);
  cairo_scale(impl_->cr, scale, scale);
}

void PdfDocument::DrawText(const Rect& box, std::string_view text, const TextStyle& style) {
  DrawText(box, text, style, box);
}

void PdfDocument::DrawText(const Rect& box, std::string_view text, const TextStyle& style, const Rect& clip) {
  if (!impl_->cr) throw std::logic_error("PdfDocument: drawing before the first page");
  if (text.empty() || clip.width <= 0 || clip.height <= 0) return;
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
  cairo_clip(cr);
  SetColor(cr, style.color);
  switch (style.direction) {
    case Direction::Horizontal: impl_->DrawHorizontal(box, text, style); break;
    case Direction::Stacked: impl_->DrawStacked(box, text, style); break;
    case Direction::Up:
    case Direction::Down: {
      // Turn the box a quarter about its centre and lay the line out across it.
      cairo_translate(cr, box.x + box.width / 2, box.y + box.height / 2);
      cairo_rotate(cr, style.direction == Direction::Up ? -M_PI / 2 : M_PI / 2);
      TextStyle turned = style;
      impl_->DrawHorizontal({-box.height / 2, -box.width / 2, box.height, box.width}, text, turned);
      break;
    }
  }
  cairo_restore(cr);
}

void PdfDocument::DrawLine(double x1, double y1, double x2, double y2, const Pen& pen) {
  if (!impl_->cr) throw std::logic_error("PdfDocument: drawing before the first page");
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  SetColor(cr, pen.color);
  cairo_set_line_width(cr, pen.width);
  if (!pen.dash.empty()) {
    cairo_set_dash(cr, pen.dash.data(), static_cast<int>(pen.dash.size()), 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  } else {
    cairo_set_line_cap(cr, pen.squareCaps ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
  }
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void PdfDocument::FillRect(const Rect& rect, std::uint32_t color) {
  if (!impl_->cr) throw std::logic_error("PdfDocument: drawing before the first page");
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  SetColor(cr, color);
  cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr);
  cairo_restore(cr);
}

void PdfDocument::StrokeRect(const Rect& rect, const Pen& pen) {
  if (!impl_->cr) throw std::logic_error("PdfDocument: drawing before the first page");
  cairo_t* cr = impl_->cr;
  cairo_save(cr);
  SetColor(cr, pen.color);
  cairo_set_line_width(cr, pen.width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  if (!pen.dash.empty()) cairo_set_dash(cr, pen.dash.data(), static_cast<int>(pen.dash.size()), 0);
  cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
  cairo_stroke(cr);
  cairo_restore(cr);
}

PdfDocument::Extent PdfDocument::MeasureText(std::string_view text, const TextStyle& style, double wrapWidth) {
  if (!impl_->layout) {
    // Measuring before the first page: a context of its own, not drawn on.
    static thread_local struct Probe {
      PangoFontMap* map = pango_cairo_font_map_new();
      PangoContext* ctx = nullptr;
      Probe() {
        ctx = pango_font_map_create_context(map);
        pango_cairo_context_set_resolution(ctx, 72.0);
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
        pango_cairo_context_set_font_options(ctx, o);
        cairo_font_options_destroy(o);
      }
    } probe;
    impl_->layout = pango_layout_new(probe.ctx);
  }
  impl_->Prepare(text, style, wrapWidth);
  const PangoRectangle r = impl_->Logical();
  return {r.width / double(PANGO_SCALE), r.height / double(PANGO_SCALE)};
}

void PdfDocument::Close() {
  Impl& d = *impl_;
  if (d.closed) return;
  if (d.pages == 0) throw std::logic_error("PdfDocument: a PDF needs at least one page");
  if (d.layout) {
    g_object_unref(d.layout);
    d.layout = nullptr;
  }
  cairo_surface_finish(d.surface);
  const bool drawn =
      cairo_surface_status(d.surface) == CAIRO_STATUS_SUCCESS && cairo_status(d.cr) == CAIRO_STATUS_SUCCESS;
  if (!drawn) d.file->Failed(EIO);
  try {
    d.file->Commit();
  } catch (const FileSaveError& e) {
    throw PrintError(WriteFailedText(path_, e.Reason()));
  }
  d.closed = true;
}

}  // namespace korvane::host::print
