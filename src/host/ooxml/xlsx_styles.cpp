// xl/styles.xml: number formats, fonts, fills, borders, cell formats and the
// differential formats of conditional formatting. Writer and reader.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "host/ascii.h"
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

// ---------------------------------------------------------------------------
// Built-in number formats
// ---------------------------------------------------------------------------
namespace {

struct BuiltinFormat {
  int id;
  const char* code;
};

// Formats every application knows by id, whatever its language. The first
// entry of an id is the text a read gives; later entries of the same id are
// other spellings that are written as that id too.
constexpr BuiltinFormat kUniversalFormats[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13,
     "# ?"
     "?/??"},  // split so that "??/" is not read as a trigraph
    {14, "m/d/yy"},
    {14, "mm-dd-yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0_);(#,##0)"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0_);[Red](#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00_);(#,##0.00)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00_);[Red](#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};

// Ids whose format depends on the language of the application; files from
// Chinese Excel and WPS use them. Read only: writing spells them out as
// custom formats so that every reader shows the same thing.
constexpr BuiltinFormat kChineseFormats[] = {
    {5, "\"¥\"#,##0;\"¥\"\\-#,##0"},
    {6, "\"¥\"#,##0;[Red]\"¥\"\\-#,##0"},
    {7, "\"¥\"#,##0.00;\"¥\"\\-#,##0.00"},
    {8, "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00"},
    {27, "yyyy\"年\"m\"月\""},
    {28, "m\"月\"d\"日\""},
    {29, "m\"月\"d\"日\""},
    {30, "m-d-yy"},
    {31, "yyyy\"年\"m\"月\"d\"日\""},
    {32, "h\"时\"mm\"分\""},
    {33, "h\"时\"mm\"分\"ss\"秒\""},
    {34, "上午/下午h\"时\"mm\"分\""},
    {35, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
    {36, "yyyy\"年\"m\"月\""},
    {41, "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ "},
    {42, "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ "},
    {43, "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ "},
    {44, "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ "},
    {50, "yyyy\"年\"m\"月\""},
    {51, "m\"月\"d\"日\""},
    {52, "yyyy\"年\"m\"月\""},
    {53, "m\"月\"d\"日\""},
    {54, "m\"月\"d\"日\""},
    {55, "上午/下午h\"时\"mm\"分\""},
    {56, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
    {57, "yyyy\"年\"m\"月\""},
    {58, "m\"月\"d\"日\""},
};

}  // namespace

int BuiltinNumberFormatId(std::string_view code) {
  if (code.empty() || EqualsAsciiNoCase(code, "General")) return 0;
  for (const auto& f : kUniversalFormats)
    if (code == f.code) return f.id;
  return -1;
}

std::string BuiltinNumberFormatCode(int id) {
  for (const auto& f : kUniversalFormats)
    if (f.id == id) return f.code;
  for (const auto& f : kChineseFormats)
    if (f.id == id) return f.code;
  return {};
}

// ---------------------------------------------------------------------------
// Names of enumerations in the file
// ---------------------------------------------------------------------------
namespace {

constexpr std::pair<LineStyle, const char*> kLineStyles[] = {
    {LineStyle::Thin, "thin"},
    {LineStyle::Medium, "medium"},
    {LineStyle::Thick, "thick"},
    {LineStyle::Double, "double"},
    {LineStyle::Dashed, "dashed"},
    {LineStyle::Dotted, "dotted"},
    {LineStyle::Hair, "hair"},
    {LineStyle::MediumDashed, "mediumDashed"},
    {LineStyle::DashDot, "dashDot"},
    {LineStyle::MediumDashDot, "mediumDashDot"},
    {LineStyle::DashDotDot, "dashDotDot"},
    {LineStyle::MediumDashDotDot, "mediumDashDotDot"},
    {LineStyle::SlantDashDot, "slantDashDot"},
};

constexpr std::pair<HAlign, const char*> kHAligns[] = {
    {HAlign::Left, "left"},
    {HAlign::Center, "center"},
    {HAlign::Right, "right"},
    {HAlign::Fill, "fill"},
    {HAlign::Justify, "justify"},
    {HAlign::CenterContinuous, "centerContinuous"},
    {HAlign::Distributed, "distributed"},
};

constexpr std::pair<VAlign, const char*> kVAligns[] = {
    {VAlign::Top, "top"},
    {VAlign::Center, "center"},
    {VAlign::Justify, "justify"},
    {VAlign::Distributed, "distributed"},
};

template <typename E, std::size_t N>
const char* NameOf(const std::pair<E, const char*> (&table)[N], E value) {
  for (const auto& [v, name] : table)
    if (v == value) return name;
  return nullptr;
}

template <typename E, std::size_t N>
E ValueOf(const std::pair<E, const char*> (&table)[N], std::string_view name, E fallback) {
  for (const auto& [v, n] : table)
    if (name == n) return v;
  return fallback;
}

// Colours in the file always carry an opaque alpha: the applications ignore
// alpha, and some writers put 00 there.
std::uint32_t Opaque(std::uint32_t argb) { return argb == 0 ? 0 : (argb | 0xFF000000u); }

}  // namespace

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------

struct StylesWriter::Impl {
  const Workbook& book;
  const StyleTable& table;
  std::string defaultName;
  double defaultSize;

  std::vector<int> xfOfStyle;  // style id -> xf index + 1 (0 = not yet)

  // Each list keeps the XML of its items and a map from that XML to the index.
  struct Interned {
    std::vector<std::string> items;
    std::unordered_map<std::string, int> index;
    int Add(std::string xml) {
      auto it = index.find(xml);
      if (it != index.end()) return it->second;
      const int id = static_cast<int>(items.size());
      index.emplace(xml, id);
      items.push_back(std::move(xml));
      return id;
    }
  };
  Interned fonts, fills, borders, xfs, dxfs;
  std::vector<std::pair<int, std::string>> customFormats;
  std::unordered_map<std::string, int> customFormatIds;

  explicit Impl(const Workbook& b)
      : book(b),
        table(b.Tables().styles),
        defaultName(b.defaultFontName.empty() ? std::string("宋体") : b.defaultFontName),
        defaultSize(b.defaultFontSize > 0 ? b.defaultFontSize : 11) {
    fills.Add("<fill><patternFill patternType=\"none\"/></fill>");
    fills.Add("<fill><patternFill patternType=\"gray125\"/></fill>");
    borders.Add("<border><left/><right/><top/><bottom/><diagonal/></border>");
  }

  int NumberFormatId(const std::string& code) {
    const int builtin = BuiltinNumberFormatId(code);
    if (builtin >= 0) return builtin;
    auto it = customFormatIds.find(code);
    if (it != customFormatIds.end()) return it->second;
    const int id = 164 + static_cast<int>(customFormats.size());
    customFormats.emplace_back(id, code);
    customFormatIds.emplace(code, id);
    return id;
  }

  static void AppendColor(std::string& out, const char* element, std::uint32_t argb) {
    XmlWriter w(out);
    w.Open(element).Attr("rgb", ArgbText(Opaque(argb))).Empty();
  }

  int FontIndex(const Font& f) {
    std::string xml = "<font>";
    if (f.bold) xml += "<b/>";
    if (f.italic) xml += "<i/>";
    if (f.strike) xml += "<strike/>";
    if (f.underline) xml += "<u/>";
    XmlWriter w(xml);
    w.Open("sz").AttrNum("val", f.size > 0 ? f.size : defaultSize).Empty();
    if (f.color != 0) AppendColor(xml, "color", f.color);
    w.Open("name").Attr("val", f.name.empty() ? defaultName : f.name).Empty();
    xml += "</font>";
    return fonts.Add(std::move(xml));
  }

  int FillIndex(std::uint32_t argb) {
    if (argb == 0) return 0;
    std::string xml = "<fill><patternFill patternType=\"solid\">";
    AppendColor(xml, "fgColor", argb);
    xml += "<bgColor indexed=\"64\"/></patternFill></fill>";
    return fills.Add(std::move(xml));
  }

  static void AppendEdge(std::string& out, const char* element, const BorderEdge& e) {
    const char* style = NameOf(kLineStyles, e.style);
    XmlWriter w(out);
    w.Open(element);
    if (!style) {
      w.Empty();
      return;
    }
    w.Attr("style", style).End();
    if (e.color == 0)
      out += "<color auto=\"1\"/>";
    else
      AppendColor(out, "color", e.color);
    w.Close(element);
  }

  int BorderIndex(const Style& s) {
    std::string xml = "<border";
    if (s.diagonalUp) xml += " diagonalUp=\"1\"";
    if (s.diagonalDown) xml += " diagonalDown=\"1\"";
    xml += '>';
    AppendEdge(xml, "left", s.left);
    AppendEdge(xml, "right", s.right);
    AppendEdge(xml, "top", s.top);
    AppendEdge(xml, "bottom", s.bottom);
    AppendEdge(xml, "diagonal", s.diagonal);
    xml += "</border>";
    return borders.Add(std::move(xml));
  }

  std::string XfXml(const Style& s) {
    const int numFmt = NumberFormatId(s.numberFormat);
    const int font = FontIndex(s.font);
    const int fill = FillIndex(s.fill);
    const int border = BorderIndex(s);

    std::string alignment;
    {
      XmlWriter w(alignment);
      w.Open("alignment");
      bool any = false;
      if (const char* h = NameOf(kHAligns, s.halign)) w.Attr("horizontal", h), any = true;
      if (const char* v = NameOf(kVAligns, s.valign)) w.Attr("vertical", v), any = true;
      int rotation = s.rotation;
      if (rotation != 255 && (rotation < 0 || rotation > 180)) rotation = 0;
      if (rotation != 0) w.Attr("textRotation", rotation), any = true;
      if (s.wrap) w.AttrFlag("wrapText"), any = true;
      if (s.indent > 0) w.Attr("indent", std::min(s.indent, 250)), any = true;
      if (s.shrink) w.AttrFlag("shrinkToFit"), any = true;
      w.Empty();
      if (!any) alignment.clear();
    }
    std::string protection;
    if (!s.locked || s.hiddenFormula) {
      XmlWriter w(protection);
      w.Open("protection");
      if (!s.locked) w.Attr("locked", "0");
      if (s.hiddenFormula) w.Attr("hidden", "1");
      w.Empty();
    }

    std::string xml;
    XmlWriter w(xml);
    w.Open("xf").Attr("numFmtId", numFmt).Attr("fontId", font).Attr("fillId", fill).Attr("borderId", border);
    w.Attr("xfId", 0);
    if (numFmt != 0) w.AttrFlag("applyNumberFormat");
    if (font != 0) w.AttrFlag("applyFont");
    if (fill != 0) w.AttrFlag("applyFill");
    if (border != 0) w.AttrFlag("applyBorder");
    if (!alignment.empty()) w.AttrFlag("applyAlignment");
    if (!protection.empty()) w.AttrFlag("applyProtection");
    if (alignment.empty() && protection.empty()) {
      w.Empty();
    } else {
      w.End();
      xml += alignment;
      xml += protection;
      w.Close("xf");
    }
    return xml;
  }
};

StylesWriter::StylesWriter(const Workbook& book) : impl_(std::make_unique<Impl>(book)) {
  // Font 0 is the Normal style's font, the workbook default; xf 0 the default format.
  impl_->FontIndex(Font{});
  XfIndex(0);
}

StylesWriter::~StylesWriter() = default;

int StylesWriter::XfIndex(std::uint32_t styleId) {
  Impl& m = *impl_;
  if (styleId >= m.table.Size()) styleId = 0;
  if (styleId >= m.xfOfStyle.size()) m.xfOfStyle.resize(std::max<std::size_t>(styleId + 1, m.xfOfStyle.size() * 2), 0);
  int& slot = m.xfOfStyle[styleId];
  if (slot == 0) slot = m.xfs.Add(m.XfXml(m.table.Get(styleId))) + 1;
  return slot - 1;
}

int StylesWriter::DxfIndex(const DiffStyle& d) {
  Impl& m = *impl_;
  std::string xml = "<dxf>";
  XmlWriter w(xml);
  if (d.setBold || d.setItalic || d.fontColor != 0) {
    xml += "<font>";
    if (d.setBold) xml += d.bold ? "<b/>" : "<b val=\"0\"/>";
    if (d.setItalic) xml += d.italic ? "<i/>" : "<i val=\"0\"/>";
    if (d.fontColor != 0) Impl::AppendColor(xml, "color", d.fontColor);
    xml += "</font>";
  }
  if (!d.numberFormat.empty())
    w.Open("numFmt").Attr("numFmtId", m.NumberFormatId(d.numberFormat)).Attr("formatCode", d.numberFormat).Empty();
  if (d.fill != 0) {
    xml += "<fill><patternFill>";
    Impl::AppendColor(xml, "bgColor", d.fill);
    xml += "</patternFill></fill>";
  }
  xml += "</dxf>";
  return m.dxfs.Add(std::move(xml));
}

std::string StylesWriter::Assemble() const {
  const Impl& m = *impl_;
  std::string out;
  XmlWriter w(out);
  w.Declaration();
  w.Open("styleSheet").Attr("xmlns", kNsMain).End();
  if (!m.customFormats.empty()) {
    w.Open("numFmts").Attr("count", static_cast<int>(m.customFormats.size())).End();
    for (const auto& [id, code] : m.customFormats)
      w.Open("numFmt").Attr("numFmtId", id).Attr("formatCode", code).Empty();
    w.Close("numFmts");
  }
  auto list = [&](const char* name, const Impl::Interned& items) {
    w.Open(name).Attr("count", static_cast<int>(items.items.size()));
    if (items.items.empty()) {
      w.Empty();
      return;
    }
    w.End();
    for (const auto& x : items.items) out += x;
    w.Close(name);
  };
  list("fonts", m.fonts);
  list("fills", m.fills);
  list("borders", m.borders);
  out += "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
  list("cellXfs", m.xfs);
  out += "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>";
  list("dxfs", m.dxfs);
  out += "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>";
  w.Close("styleSheet");
  return out;
}

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------
namespace {

constexpr std::uint32_t kDefaultPalette[64] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  //
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  //
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,  //
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,  //
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,  //
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,  //
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,  //
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

// The Office theme: lt1, dk1, lt2, dk2, accent1..6, hlink, folHlink.
constexpr std::uint32_t kDefaultTheme[12] = {0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
                                             0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};

bool ParseHexColor(std::string_view s, std::uint32_t& out) {
  if (s.size() != 6 && s.size() != 8) return false;
  std::uint32_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      return false;
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  // Alpha is ignored by the applications (and some writers put 00 there).
  out = v | 0xFF000000u;
  return true;
}

// Lightens (tint > 0) or darkens (tint < 0) a colour in HSL space.
std::uint32_t ApplyTint(std::uint32_t argb, double tint) {
  if (tint == 0) return argb;
  double r = ((argb >> 16) & 0xFF) / 255.0, g = ((argb >> 8) & 0xFF) / 255.0, b = (argb & 0xFF) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double h = 0, s = 0, l = (mx + mn) / 2;
  if (mx != mn) {
    const double d = mx - mn;
    s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r)
      h = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g)
      h = (b - r) / d + 2;
    else
      h = (r - g) / d + 4;
    h /= 6;
  }
  l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
  auto hue = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  if (s == 0) {
    r = g = b = l;
  } else {
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
    r = hue(p, q, h + 1.0 / 3), g = hue(p, q, h), b = hue(p, q, h - 1.0 / 3);
  }
  auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return 0xFF000000u | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

}  // namespace

ThemeColors::ThemeColors() {
  for (std::uint32_t c : kDefaultTheme) colors.push_back(0xFF000000u | c);
  for (std::uint32_t c : kDefaultPalette) indexed.push_back(0xFF000000u | c);
}

ThemeColors ReadThemeColors(pugi::xml_node root) {
  ThemeColors t;
  pugi::xml_node scheme = Child(Child(root, "themeElements"), "clrScheme");
  if (!scheme) return t;
  // File order: dk1 lt1 dk2 lt2 accent1..6 hlink folHlink; index order swaps
  // the first two pairs.
  static const char* const kOrder[12] = {"lt1",     "dk1",     "lt2",     "dk2",     "accent1", "accent2",
                                         "accent3", "accent4", "accent5", "accent6", "hlink",   "folHlink"};
  for (int i = 0; i < 12; ++i) {
    pugi::xml_node slot = Child(scheme, kOrder[i]);
    if (!slot) continue;
    std::uint32_t v = 0;
    if (pugi::xml_node srgb = Child(slot, "srgbClr")) {
      if (ParseHexColor(AttrText(srgb, "val"), v)) t.colors[i] = v;
    } else if (pugi::xml_node sys = Child(slot, "sysClr")) {
      if (ParseHexColor(AttrText(sys, "lastClr"), v)) t.colors[i] = v;
    }
  }
  return t;
}

std::uint32_t ReadColor(const pugi::xml_node& n, const ThemeColors& theme) {
  if (!n) return 0;
  if (AttrBool(n, "auto", false)) return 0;
  std::uint32_t v = 0;
  bool found = false;
  if (pugi::xml_attribute rgb = Attribute(n, "rgb")) {
    found = ParseHexColor(rgb.value(), v);
  } else if (pugi::xml_attribute th = Attribute(n, "theme")) {
    const long long i = AttrInt(n, "theme", -1);
    if (i >= 0 && i < static_cast<long long>(theme.colors.size())) v = theme.colors[i], found = true;
  } else if (pugi::xml_attribute ix = Attribute(n, "indexed")) {
    const long long i = AttrInt(n, "indexed", -1);
    // 64 and 65 are the system foreground and background: automatic.
    if (i >= 0 && i < static_cast<long long>(theme.indexed.size())) v = theme.indexed[i], found = true;
  }
  if (!found) return 0;
  return ApplyTint(v, AttrDouble(n, "tint", 0));
}

// ---------------------------------------------------------------------------
// Reader
// ---------------------------------------------------------------------------
namespace {

struct BorderRead {
  BorderEdge left, right, top, bottom, diagonal;
  bool up = false, down = false;
};

struct XfRead {
  long long numFmt = -1, font = -1, fill = -1, border = -1, xfId = -1;
  pugi::xml_node alignment, protection;
  int applyAlignment = -1, applyProtection = -1;  // -1 = attribute absent
};

XfRead ReadXf(const pugi::xml_node& x) {
  XfRead r;
  r.numFmt = AttrInt(x, "numFmtId", -1);
  r.font = AttrInt(x, "fontId", -1);
  r.fill = AttrInt(x, "fillId", -1);
  r.border = AttrInt(x, "borderId", -1);
  r.xfId = AttrInt(x, "xfId", -1);
  r.alignment = Child(x, "alignment");
  r.protection = Child(x, "protection");
  if (Attribute(x, "applyAlignment")) r.applyAlignment = AttrBool(x, "applyAlignment", false);
  if (Attribute(x, "applyProtection")) r.applyProtection = AttrBool(x, "applyProtection", false);
  return r;
}

BorderEdge ReadEdge(const pugi::xml_node& n, const ThemeColors& theme) {
  BorderEdge e;
  if (!n) return e;
  e.style = ValueOf(kLineStyles, AttrText(n, "style"), LineStyle::None);
  if (e.style != LineStyle::None) e.color = ReadColor(Child(n, "color"), theme);
  return e;
}

bool FlagElement(const pugi::xml_node& font, const char* name) {
  pugi::xml_node n = Child(font, name);
  return n && AttrBool(n, "val", true);
}

Font ReadFont(const pugi::xml_node& n, const ThemeColors& theme) {
  Font f;
  f.name = std::string(AttrText(Child(n, "name"), "val"));
  f.size = AttrDouble(Child(n, "sz"), "val", 0);
  f.bold = FlagElement(n, "b");
  f.italic = FlagElement(n, "i");
  f.strike = FlagElement(n, "strike");
  if (pugi::xml_node u = Child(n, "u")) f.underline = AttrText(u, "val") != "none";
  // The theme's first text colour without tint is the automatic font colour
  // the applications write for every default font.
  pugi::xml_node color = Child(n, "color");
  const bool automatic = AttrInt(color, "theme", -1) == 1 && AttrDouble(color, "tint", 0) == 0;
  f.color = automatic ? 0 : ReadColor(color, theme);
  return f;
}

std::uint32_t ReadFill(const pugi::xml_node& n, const ThemeColors& theme) {
  pugi::xml_node p = Child(n, "patternFill");
  if (!p) return 0;  // gradient fills have no single colour
  const std::string_view type = AttrText(p, "patternType");
  if (type.empty() || type == "none") return 0;
  // Patterns other than solid keep their foreground colour: the closest the
  // model's solid fills come to them.
  return ReadColor(Child(p, "fgColor"), theme);
}

void ApplyAlignment(Style& s, const pugi::xml_node& a) {
  s.halign = ValueOf(kHAligns, AttrText(a, "horizontal"), HAlign::General);
  s.valign = ValueOf(kVAligns, AttrText(a, "vertical"), VAlign::Bottom);
  s.wrap = AttrBool(a, "wrapText", false);
  s.shrink = AttrBool(a, "shrinkToFit", false);
  long long rot = AttrInt(a, "textRotation", 0);
  if (rot != 255 && (rot < 0 || rot > 180)) rot = 0;
  s.rotation = static_cast<int>(rot);
  s.indent = static_cast<int>(std::clamp<long long>(AttrInt(a, "indent", 0), 0, 250));
}

}  // namespace

StylesRead ReadStyles(pugi::xml_node root, StyleTable& table, ThemeColors& theme, const std::string& fallbackFontName,
                      double fallbackFontSize) {
  StylesRead out;
  out.defaultFontName = fallbackFontName;
  out.defaultFontSize = fallbackFontSize;

  if (pugi::xml_node palette = Child(Child(root, "colors"), "indexedColors")) {
    std::vector<std::uint32_t> custom;
    for (pugi::xml_node c : palette.children()) {
      if (!IsNamed(c, "rgbColor")) continue;
      std::uint32_t v = 0;
      custom.push_back(ParseHexColor(AttrText(c, "rgb"), v) ? v : 0xFF000000u);
    }
    if (!custom.empty()) theme.indexed = std::move(custom);
  }

  std::unordered_map<long long, std::string> numFmts;
  for (pugi::xml_node n : Child(root, "numFmts").children())
    if (IsNamed(n, "numFmt")) numFmts[AttrInt(n, "numFmtId", -1)] = std::string(AttrText(n, "formatCode"));
  auto formatCode = [&](long long id) -> std::string {
    auto it = numFmts.find(id);
    if (it != numFmts.end() && !it->second.empty()) return it->second;
    std::string code = id >= 0 && id < 1000 ? BuiltinNumberFormatCode(static_cast<int>(id)) : std::string();
    return code.empty() ? std::string("General") : code;
  };

  std::vector<Font> fonts;
  for (pugi::xml_node n : Child(root, "fonts").children())
    if (IsNamed(n, "font")) fonts.push_back(ReadFont(n, theme));
  std::vector<std::uint32_t> fills;
  for (pugi::xml_node n : Child(root, "fills").children())
    if (IsNamed(n, "fill")) fills.push_back(ReadFill(n, theme));
  std::vector<BorderRead> borders;
  for (pugi::xml_node n : Child(root, "borders").children()) {
    if (!IsNamed(n, "border")) continue;
    BorderRead b;
    b.left = ReadEdge(Child(n, "left"), theme);
    if (!Child(n, "left")) b.left = ReadEdge(Child(n, "start"), theme);
    b.right = ReadEdge(Child(n, "right"), theme);
    if (!Child(n, "right")) b.right = ReadEdge(Child(n, "end"), theme);
    b.top = ReadEdge(Child(n, "top"), theme);
    b.bottom = ReadEdge(Child(n, "bottom"), theme);
    b.diagonal = ReadEdge(Child(n, "diagonal"), theme);
    b.up = AttrBool(n, "diagonalUp", false);
    b.down = AttrBool(n, "diagonalDown", false);
    borders.push_back(b);
  }
  std::vector<XfRead> styleXfs, cellXfs;
  for (pugi::xml_node n : Child(root, "cellStyleXfs").children())
    if (IsNamed(n, "xf")) styleXfs.push_back(ReadXf(n));
  for (pugi::xml_node n : Child(root, "cellXfs").children())
    if (IsNamed(n, "xf")) cellXfs.push_back(ReadXf(n));

  // The workbook default font: the font of the Normal cell style.
  long long normalXf = 0;
  for (pugi::xml_node n : Child(root, "cellStyles").children())
    if (IsNamed(n, "cellStyle") && AttrInt(n, "builtinId", -1) == 0) normalXf = AttrInt(n, "xfId", 0);
  long long defaultFont = 0;
  if (normalXf >= 0 && normalXf < static_cast<long long>(styleXfs.size()) && styleXfs[normalXf].font >= 0)
    defaultFont = styleXfs[normalXf].font;
  if (defaultFont < static_cast<long long>(fonts.size())) {
    const Font& f = fonts[defaultFont];
    if (!f.name.empty()) out.defaultFontName = f.name;
    if (f.size > 0) out.defaultFontSize = f.size;
  }

  auto styleXf = [&](const XfRead& x) -> const XfRead* {
    if (x.xfId >= 0 && x.xfId < static_cast<long long>(styleXfs.size())) return &styleXfs[x.xfId];
    return nullptr;
  };
  auto pick = [](long long own, const XfRead* parent, long long XfRead::*field) {
    if (own >= 0) return own;
    return parent ? parent->*field : -1;
  };

  for (const XfRead& x : cellXfs) {
    const XfRead* parent = styleXf(x);
    Style s;
    const long long numFmt = pick(x.numFmt, parent, &XfRead::numFmt);
    s.numberFormat = formatCode(numFmt < 0 ? 0 : numFmt);
    const long long font = pick(x.font, parent, &XfRead::font);
    if (font >= 0 && font < static_cast<long long>(fonts.size())) {
      s.font = fonts[font];
      if (s.font.name == out.defaultFontName) s.font.name.clear();
      if (s.font.size == out.defaultFontSize) s.font.size = 0;
    }
    const long long fill = pick(x.fill, parent, &XfRead::fill);
    if (fill >= 0 && fill < static_cast<long long>(fills.size())) s.fill = fills[fill];
    const long long border = pick(x.border, parent, &XfRead::border);
    if (border >= 0 && border < static_cast<long long>(borders.size())) {
      const BorderRead& b = borders[border];
      s.left = b.left, s.right = b.right, s.top = b.top, s.bottom = b.bottom, s.diagonal = b.diagonal;
      s.diagonalUp = b.up, s.diagonalDown = b.down;
    }
    // Alignment and protection: the cell format's own, unless it has none and
    // does not say it overrides the cell style's.
    pugi::xml_node alignment = x.alignment;
    if (!alignment && x.applyAlignment != 1 && parent) alignment = parent->alignment;
    if (alignment) ApplyAlignment(s, alignment);
    pugi::xml_node protection = x.protection;
    if (!protection && x.applyProtection != 1 && parent) protection = parent->protection;
    if (protection) {
      s.locked = AttrBool(protection, "locked", true);
      s.hiddenFormula = AttrBool(protection, "hidden", false);
    }
    out.xfStyle.push_back(table.Intern(s));
  }
  if (out.xfStyle.empty()) out.xfStyle.push_back(0);

  for (pugi::xml_node n : Child(root, "dxfs").children()) {
    if (!IsNamed(n, "dxf")) continue;
    DiffStyle d;
    if (pugi::xml_node f = Child(n, "font")) {
      if (pugi::xml_node b = Child(f, "b")) d.setBold = true, d.bold = AttrBool(b, "val", true);
      if (pugi::xml_node i = Child(f, "i")) d.setItalic = true, d.italic = AttrBool(i, "val", true);
      d.fontColor = ReadColor(Child(f, "color"), theme);
    }
    if (pugi::xml_node nf = Child(n, "numFmt")) {
      std::string code(AttrText(nf, "formatCode"));
      d.numberFormat = code.empty() ? formatCode(AttrInt(nf, "numFmtId", 0)) : code;
    }
    if (pugi::xml_node p = Child(Child(n, "fill"), "patternFill")) {
      d.fill = ReadColor(Child(p, "bgColor"), theme);
      if (d.fill == 0 && AttrText(p, "patternType") == "solid") d.fill = ReadColor(Child(p, "fgColor"), theme);
    }
    out.dxfs.push_back(d);
  }
  return out;
}

}  // namespace korvane::host::ooxml
