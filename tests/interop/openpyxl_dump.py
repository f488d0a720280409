"""Prints the canonical description of a workbook as openpyxl reads it.

    /usr/bin/python3 openpyxl_dump.py FILE           the same text as `korvane_interop dump FILE`
    /usr/bin/python3 openpyxl_dump.py --values FILE  the same text as `korvane_interop dump-values FILE`

openpyxl is an independent reader: when both texts agree, our writer put
into the file what our reader takes out of it.
"""
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl
from openpyxl.utils import get_column_letter
from openpyxl.utils.datetime import to_excel
import datetime

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
CONTROL_ESCAPE = re.compile("_x(00[01][0-9A-Fa-f]|FFF[EF])_")


def unescape_controls(text):
    """openpyxl leaves the _xHHHH_ escapes of characters XML cannot carry in
    the text (it only drops the x005F_ of escaped underscores)."""
    return CONTROL_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def esc(text):
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ch == "\n":
            out.append("\\n")
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\t":
            out.append("\\t")
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            out.append("\\x%02x" % ord(ch))
        else:
            out.append(ch)
    return "".join(out)


def num(value, digits=17):
    return "%.*g" % (digits, float(value))


THEME = []  # ARGB texts of the workbook's theme colours, in the index order cells use


def load_theme(wb):
    """The colours of the theme part: dk1 lt1 dk2 lt2 accent1..6 hlink
    folHlink in the file, indexed lt1 dk1 lt2 dk2 ... by cells."""
    THEME.clear()
    if not wb.loaded_theme:
        return
    ns = "{http://schemas.openxmlformats.org/drawingml/2006/main}"
    root = ET.fromstring(wb.loaded_theme)
    scheme = root.find("%sthemeElements/%sclrScheme" % (ns, ns))
    if scheme is None:
        return
    values = []
    for slot in list(scheme):
        srgb = slot.find(ns + "srgbClr")
        sys_clr = slot.find(ns + "sysClr")
        values.append("FF" + (srgb.get("val") if srgb is not None else sys_clr.get("lastClr")).upper())
    values[0], values[1], values[2], values[3] = values[1], values[0], values[3], values[2]
    THEME.extend(values)


def color(c):
    if c is None or c.auto is True:
        return "auto"
    if c.type == "theme" and isinstance(c.theme, int) and c.theme < len(THEME) and not c.tint:
        return THEME[c.theme]
    if c.type != "rgb" or not isinstance(c.rgb, str):
        return "other"
    rgb = c.rgb.upper()
    if len(rgb) == 6:
        rgb = "FF" + rgb
    if rgb == "00000000":
        rgb = "FF000000"
    return "FF" + rgb[2:]


def flag(value):
    return 1 if value else 0


def edge(tag, side):
    style = side.style if side is not None and side.style else "none"
    text = "%s:%s" % (tag, style)
    if style != "none":
        text += ":" + color(side.color)
    return text


def number_format(code):
    # openpyxl names built-in format 14 differently from the other applications.
    return {"mm-dd-yy": "m/d/yy"}.get(code, code)


def style_text(cell, default_font):
    f = cell.font
    name = f.name or default_font[0]
    size = f.sz or default_font[1]
    # Theme text colour 1 without tint is the automatic font colour.
    automatic = f.color is not None and f.color.type == "theme" and f.color.theme == 1 and not f.color.tint
    font = "font=%s/%s/%s%s%s%s/%s" % (
        name, num(size, 10), "b" if f.b else "", "i" if f.i else "",
        "u" if f.u and f.u != "none" else "", "s" if f.strike else "", "auto" if automatic else color(f.color))
    a = cell.alignment
    rotation = int(a.text_rotation or 0)
    align = "align=%s/%s/%s/%s/%d/%d" % (
        a.horizontal or "general", a.vertical or "bottom", "wrap" if a.wrap_text else "-",
        "shrink" if a.shrink_to_fit else "-", rotation, int(a.indent or 0))
    b = cell.border
    border = "border=%s,%s,%s,%s,%s,%s,%s" % (
        edge("L", b.left), edge("R", b.right), edge("T", b.top), edge("B", b.bottom),
        edge("D", b.diagonal), "up" if b.diagonalUp else "-", "down" if b.diagonalDown else "-")
    fill = "none"
    if cell.fill is not None and getattr(cell.fill, "fill_type", None) == "solid":
        fill = color(cell.fill.fgColor)
    p = cell.protection
    return "%s %s %s fill=%s fmt=%s prot=%d,%d" % (
        font, align, border, fill, number_format(cell.number_format), flag(p.locked), flag(p.hidden))


def value_text(cell, epoch):
    v = cell.value
    if v is None:
        return "empty"
    if cell.data_type == "e":
        return "e:" + str(v)
    if isinstance(v, bool):
        return "b:%d" % v
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
        return "n:" + num(to_excel(v, epoch))
    if isinstance(v, (int, float)):
        return "n:" + num(v)
    return "s:" + esc(unescape_controls(str(v)))


def raw_defined_names(path):
    """(name, localSheetId, hidden, text) as the file spells them."""
    with zipfile.ZipFile(path) as z:
        root = ET.fromstring(z.read("xl/workbook.xml"))
    out = []
    for d in root.iter("{%s}definedName" % MAIN_NS):
        out.append((d.get("name"), d.get("localSheetId"), d.get("hidden") in ("1", "true"), d.text or ""))
    return out


def dump(path, values_only):
    wb_f = openpyxl.load_workbook(path)                  # formulas
    wb_v = openpyxl.load_workbook(path, data_only=True)  # cached values
    epoch = wb_v.epoch
    load_theme(wb_f)
    lines = []
    sheets = wb_f.worksheets
    if not values_only:
        default = wb_f._fonts[0]
        default_font = (default.name, default.sz)
        sec = wb_f.security
        active = wb_f.active.title if wb_f.active is not None else ""
        lines.append("workbook date1904=%d font=%s/%s structure=%d windows=%d active=%s" % (
            1 if epoch.year == 1904 else 0, default.name, num(default.sz, 10),
            flag(sec and sec.lockStructure), flag(sec and sec.lockWindows), active))
        names = []
        for n in wb_f.defined_names.definedName:
            scope = sheets[n.localSheetId].title if n.localSheetId is not None else ""
            names.append("name %s scope=%s hidden=%d text=%s" % (n.name, scope, flag(n.hidden), esc(n.attr_text)))
        for ws in sheets:
            # Sheet-level names live on the sheet in newer openpyxl versions.
            for n in getattr(ws, "defined_names", {}).values() if isinstance(getattr(ws, "defined_names", None), dict) else []:
                names.append("name %s scope=%s hidden=%d text=%s" % (n.name, ws.title, flag(n.hidden), esc(n.attr_text)))
        lines.extend(sorted(names))
        raw_titles = {}
        for name, local, hidden, text in raw_defined_names(path):
            if name in ("_xlnm.Print_Titles", "_xlnm.Print_Area") and local is not None:
                raw_titles.setdefault(int(local), []).append((name, text))
    for index, ws in enumerate(sheets):
        wsv = wb_v[ws.title]
        lines.append("sheet %s state=%s" % (ws.title, ws.sheet_state))
        if not values_only:
            view = ws.sheet_view
            tab = ws.sheet_properties.tabColor
            lines.append("  view grid=%d zoom=%d tab=%s" % (
                flag(view.showGridLines is None or view.showGridLines), view.zoomScale or 100,
                color(tab) if tab is not None else "auto"))
            fmt = ws.sheet_format
            # Without defaultColWidth the host uses its standard width of 8.38 characters.
            lines.append("  default rowHeight=%s colWidth=%s" % (
                num(fmt.defaultRowHeight, 10), num(fmt.defaultColWidth or 8.38, 10)))
            prot = ws.protection
            if prot.sheet or prot.objects or prot.scenarios:
                lines.append("  protect sheet=%d objects=%d scenarios=%d" % (
                    flag(prot.sheet), flag(prot.objects), flag(prot.scenarios)))
            ps = ws.page_setup
            pm = ws.page_margins
            po = ws.print_options
            fit = ws.sheet_properties.pageSetUpPr is not None and ws.sheet_properties.pageSetUpPr.fitToPage
            fit_w = ps.fitToWidth if ps.fitToWidth is not None else 1
            fit_h = ps.fitToHeight if ps.fitToHeight is not None else 1
            lines.append(
                "  page paper=%s orient=%s margins=%s,%s,%s,%s,%s,%s center=%d,%d grid=%d headings=%d bw=%d "
                "order=%s first=%s scale=%s fit=%d,%d,%d" % (
                    # A sheet without a pageSetup element keeps the host's A4.
                    ps.paperSize or (1 if dict(ps) else 9), ps.orientation or "portrait",
                    num(pm.left, 10), num(pm.right, 10), num(pm.top, 10), num(pm.bottom, 10),
                    num(pm.header, 10), num(pm.footer, 10),
                    flag(po.horizontalCentered), flag(po.verticalCentered), flag(po.gridLines), flag(po.headings),
                    flag(ps.blackAndWhite), ps.pageOrder or "downThenOver",
                    ps.firstPageNumber if ps.useFirstPageNumber else "auto", ps.scale or 100,
                    flag(fit), int(fit_w) if fit else 0, int(fit_h) if fit else 0))
            for kind, hf in (("header", ws.oddHeader), ("footer", ws.oddFooter)):
                lines.append("  %s L=%s C=%s R=%s" % (
                    kind, esc(hf.left.text or ""), esc(hf.center.text or ""), esc(hf.right.text or "")))
            rows = "".join("%d;" % b.id for b in ws.row_breaks.brk)
            cols = "".join("%d;" % b.id for b in ws.col_breaks.brk)
            lines.append("  breaks rows=%s cols=%s" % (rows, cols))
            # Print titles and area: openpyxl moves them onto the sheet and
            # rewrites them; the file's own text is checked here.
            for name, text in raw_titles.get(index, []):
                lines.append("  %s %s" % ("titles" if name.endswith("Titles") else "area", esc(text)))
            if ws.print_title_rows is None and ws.print_title_cols is None and any(
                    n.endswith("Titles") for n, _ in raw_titles.get(index, [])):
                lines.append("  !! openpyxl did not find the print titles")
            default_width = fmt.defaultColWidth or 8.38
            for key, dim in sorted(ws.column_dimensions.items(), key=lambda kv: kv[1].min or 0):
                if dim.min is None:
                    continue
                if not dim.hidden and not dim.customWidth:
                    continue
                for c in range(dim.min, dim.max + 1):
                    width = dim.width if dim.width else default_width
                    lines.append("  col %d width=%s hidden=%d" % (c, num(width, 10), flag(dim.hidden)))
            for r in sorted(ws.row_dimensions):
                dim = ws.row_dimensions[r]
                if dim.ht is None and not dim.hidden:
                    continue
                lines.append("  row %d height=%s hidden=%d" % (
                    r, num(dim.ht, 10) if dim.ht is not None else "default", flag(dim.hidden)))
            for dv in ws.data_validations.dataValidation:
                lines.append("  dv %s type=%s style=%s op=%s blank=%d dropdown=%d input=%d errmsg=%d f1=%s f2=%s "
                             "et=%s e=%s pt=%s p=%s" % (
                                 str(dv.sqref), dv.type or "none", dv.errorStyle or "stop",
                                 "" if dv.operator in (None, "between") else dv.operator, flag(dv.allowBlank),
                                 0 if dv.showDropDown else 1, flag(dv.showInputMessage), flag(dv.showErrorMessage),
                                 esc(dv.formula1 or ""), esc(dv.formula2 or ""), esc(dv.errorTitle or ""),
                                 esc(dv.error or ""), esc(dv.promptTitle or ""), esc(dv.prompt or "")))
            for cf in ws.conditional_formatting:
                sqref = str(cf.sqref)
                for rule in cf.rules:
                    dxf = rule.dxf
                    bold = italic = fcolor = fill = fmt_code = "-"
                    if dxf is not None:
                        if dxf.font is not None:
                            # openpyxl does not tell "not set" from "off".
                            if dxf.font.b:
                                bold = "1"
                            if dxf.font.i:
                                italic = "1"
                            if dxf.font.color is not None:
                                fcolor = color(dxf.font.color)
                        if dxf.fill is not None and dxf.fill.bgColor is not None and dxf.fill.bgColor.rgb != "00000000":
                            fill = color(dxf.fill.bgColor)
                        if dxf.numFmt is not None:
                            fmt_code = dxf.numFmt.formatCode
                    formulas = list(rule.formula or [])
                    lines.append("  cf %s type=%s priority=%d stop=%d op=%s f1=%s f2=%s | bold=%s italic=%s "
                                 "color=%s fill=%s fmt=%s" % (
                                     sqref, rule.type, rule.priority, flag(rule.stopIfTrue), rule.operator or "",
                                     esc(formulas[0] if formulas else ""), esc(formulas[1] if len(formulas) > 1 else ""),
                                     bold, italic, fcolor, fill, fmt_code))
        for m in sorted(str(r) for r in ws.merged_cells.ranges):
            lines.append("  merge " + m)
        if not values_only:
            plain = "font=%s/%s//auto align=general/bottom/-/-/0/0 border=L:none,R:none,T:none,B:none,D:none,-,- " \
                    "fill=none fmt=General prot=1,0" % (default_font[0], num(default_font[1], 10))
        covered = set()
        for rng in ws.merged_cells.ranges:
            for r in range(rng.min_row, rng.max_row + 1):
                for c in range(rng.min_col, rng.max_col + 1):
                    if (r, c) != (rng.min_row, rng.min_col):
                        covered.add((r, c))
        for (r, c) in sorted(ws._cells):
            cell = ws._cells[(r, c)]
            cached = wsv._cells.get((r, c))
            styled = not values_only and (r, c) not in covered and style_text(cell, default_font) != plain
            if cell.value is None and not styled:
                continue
            text = "  cell %s%d" % (get_column_letter(c), r)
            if cell.data_type == "f":
                text += " f=" + esc(str(cell.value)[1:])
            text += " v=" + (value_text(cached, epoch) if cached is not None else "empty")
            if not values_only:
                text += " | " + style_text(cell, default_font)
            lines.append(text)
    return lines


def main():
    args = sys.argv[1:]
    values_only = False
    if args and args[0] == "--values":
        values_only = True
        args = args[1:]
    sys.stdout.write("\n".join(dump(args[0], values_only)) + "\n")


if __name__ == "__main__":
    main()
