"""Checks the score register's highlighting in LibreOffice's HTML export.

usage: check_highlight.py WORKBOOK.xlsm EXPORT.html

The workbook gives the look of a highlighted cell (the fill of the register's
conditional formats, read with openpyxl). The export gives, for every cell of
成绩登记表, its shown text and the fill LibreOffice computed for it. Each event
owns two rows: a number row (号码 or 班级 in column D) and a result row (成绩).
A result leads when fewer than 数目 (column C, merged over both rows) results
of its row are better than it: smaller for 计时, larger otherwise; equal
results share a place; only columns E to BB take part. A leading result is
highlighted (条件2), and so is the entrant above it (条件1).

Exit 0 when LibreOffice highlights exactly the leading cells of both rows,
1 on any difference.
"""
import sys
from html.parser import HTMLParser

import openpyxl

SHEET = "成绩登记表"
FIRST_COL, LAST_RANKED_COL = 5, 54  # E, BB


def highlight_fill(workbook):
    ws = openpyxl.load_workbook(workbook)[SHEET]
    fills = set()
    for cf in ws.conditional_formatting:
        for rule in cf.rules:
            fill = rule.dxf.fill if rule.dxf else None
            for colour in (fill.bgColor.rgb, fill.fgColor.rgb) if fill else ():
                if isinstance(colour, str) and colour not in ("00000000", "FF000000"):
                    fills.add("#" + colour[-6:].upper())
    if len(fills) != 1:
        sys.exit("expected one highlight fill in the register's conditional formats, found %s" % fills)
    return fills.pop()


class Table(HTMLParser):
    """The cells of one exported sheet as a grid, merged cells at their top-left."""

    def __init__(self):
        super().__init__()
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "tr":
            self.rows.append([])
        elif tag == "td" and self.rows:
            self.cell = {"text": "", "bg": (a.get("bgcolor") or "").upper(),
                         "rowspan": int(a.get("rowspan", 1)), "colspan": int(a.get("colspan", 1))}
            self.rows[-1].append(self.cell)

    def handle_endtag(self, tag):
        if tag == "td":
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell["text"] += data

    def grid(self):
        grid, taken = {}, set()
        for r, row in enumerate(self.rows, start=1):
            c = 1
            for cell in row:
                while (r, c) in taken:
                    c += 1
                for dr in range(cell["rowspan"]):
                    for dc in range(cell["colspan"]):
                        taken.add((r + dr, c + dc))
                grid[(r, c)] = cell
                c += cell["colspan"]
        return grid


def sheet_grid(export):
    text = open(export, encoding="utf-8").read()
    marker = "<em>%s</em>" % SHEET
    start = text.find(marker)
    if start < 0:
        sys.exit("the export has no sheet %s" % SHEET)
    end = text.index("</table>", start)
    table = Table()
    table.feed(text[start:end])
    return table.grid()


def number(text):
    try:
        return float(text)
    except ValueError:
        return None


def main(workbook, export):
    fill = highlight_fill(workbook)
    grid = sheet_grid(export)
    cell = lambda r, c: grid.get((r, c), {"text": "", "bg": ""})
    shown = lambda r, c: cell(r, c)["text"].strip()
    last_row = max(r for r, _ in grid)
    last_col = max(c for _, c in grid)

    expected = {"number": set(), "result": set()}
    actual = {"number": set(), "result": set()}
    events = leading = 0
    for r in range(3, last_row):
        if shown(r, 4) not in ("号码", "班级") or shown(r + 1, 4) != "成绩":
            continue
        events += 1
        timed = shown(r, 2) == "计时"
        places = number(shown(r, 3))
        results = {c: number(shown(r + 1, c)) for c in range(FIRST_COL, LAST_RANKED_COL + 1)}
        ranked = [v for v in results.values() if v is not None]
        for c, v in results.items():
            if v is None or places is None:
                continue
            better = sum(1 for x in ranked if (x < v if timed else x > v))
            if better + 1 <= places:
                expected["number"].add((r, c))
                expected["result"].add((r + 1, c))
                leading += 1
        for c in range(FIRST_COL, last_col + 1):
            if cell(r, c)["bg"] == fill:
                actual["number"].add((r, c))
            if cell(r + 1, c)["bg"] == fill:
                actual["result"].add((r + 1, c))
    if events < 3 or leading < 3:
        sys.exit("the register shows %d events and %d leading results: too few to check" % (events, leading))

    def describe(cells):
        return ", ".join("%s%d" % (openpyxl.utils.get_column_letter(c), r) for r, c in sorted(cells)) or "none"

    if actual["number"] != expected["number"]:
        print("number rows (条件1): LibreOffice highlights %s; the leading places are %s"
              % (describe(actual["number"]), describe(expected["number"])))
        return 1
    print("number rows (条件1): %s highlighted, as expected" % describe(actual["number"]))
    if actual["result"] == expected["result"]:
        print("result rows (条件2): %s highlighted, as expected" % describe(actual["result"]))
        return 0
    print("result rows (条件2): LibreOffice highlights %s; the leading places are %s"
          % (describe(actual["result"]), describe(expected["result"])))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
