"""Checks the package structure of a workbook we wrote, with Python's own zip
and XML readers: what Excel needs to open a file without a repair prompt.

    /usr/bin/python3 check_package.py FILE

- the content type of the workbook part matches the file extension, and no
  macro project is declared or present;
- every part is well-formed XML and every relationship target exists;
- the children of worksheet, workbook, styleSheet, xf and headerFooter come
  in the order the schema fixes;
- sheet names are unique and valid, at least one sheet is visible, the
  active tab is a visible sheet, defined names are unique per scope and
  their scopes exist, merged areas do not overlap.
Prints the problems and exits 1 when there are any.
"""
import posixpath
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG_REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"
CT = "{http://schemas.openxmlformats.org/package/2006/content-types}"

MAIN_TYPES = {
    ".xlsx": "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
    ".xlsm": "application/vnd.ms-excel.sheet.macroEnabled.main+xml",
    ".xltx": "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml",
    ".xltm": "application/vnd.ms-excel.template.macroEnabled.main+xml",
}

ORDER = {
    "worksheet": "sheetPr dimension sheetViews sheetFormatPr cols sheetData sheetCalcPr sheetProtection "
                 "protectedRanges scenarios autoFilter sortState dataConsolidate customSheetViews mergeCells "
                 "phoneticPr conditionalFormatting dataValidations hyperlinks printOptions pageMargins pageSetup "
                 "headerFooter rowBreaks colBreaks customProperties cellWatches ignoredErrors smartTags drawing "
                 "legacyDrawing legacyDrawingHF drawingHF picture oleObjects controls webPublishItems tableParts "
                 "extLst",
    "workbook": "fileVersion fileSharing workbookPr workbookProtection bookViews sheets functionGroups "
                "externalReferences definedNames calcPr oleSize customWorkbookViews pivotCaches smartTagPr "
                "smartTagTypes webPublishing fileRecoveryPr webPublishObjects extLst",
    "styleSheet": "numFmts fonts fills borders cellStyleXfs cellXfs cellStyles dxfs tableStyles colors extLst",
    "xf": "alignment protection extLst",
    "headerFooter": "oddHeader oddFooter evenHeader evenFooter firstHeader firstFooter",
    "border": "left start right end top bottom diagonal vertical horizontal",
    "dxf": "font numFmt fill alignment protection border extLst",
}


def local(tag):
    return tag.split("}", 1)[1] if "}" in tag else tag


def check_order(root, problems, part):
    for el in root.iter():
        name = local(el.tag)
        if name not in ORDER:
            continue
        sequence = ORDER[name].split()
        last = -1
        for child in el:
            cname = local(child.tag)
            if cname not in sequence:
                problems.append("%s: <%s> has unexpected child <%s>" % (part, name, cname))
                continue
            pos = sequence.index(cname)
            if pos < last:
                problems.append("%s: <%s> child <%s> out of order" % (part, name, cname))
            last = max(last, pos)


def area(ref):
    m = re.fullmatch(r"([A-Z]+)(\d+):([A-Z]+)(\d+)", ref)

    def col(letters):
        n = 0
        for ch in letters:
            n = n * 26 + ord(ch) - 64
        return n
    return int(m.group(2)), col(m.group(1)), int(m.group(4)), col(m.group(3))


def main(path):
    problems = []
    ext = posixpath.splitext(path)[1].lower()
    with zipfile.ZipFile(path) as z:
        names = set(z.namelist())
        parts = {}
        for n in names:
            if n.endswith(".xml") or n.endswith(".rels"):
                try:
                    parts[n] = ET.fromstring(z.read(n))
                except ET.ParseError as e:
                    problems.append("%s is not well-formed: %s" % (n, e))
        if any("vbaProject" in n for n in names):
            problems.append("a vbaProject part is present")
        types = parts.get("[Content_Types].xml")
        overrides = {o.get("PartName"): o.get("ContentType") for o in types.iter(CT + "Override")}
        if overrides.get("/xl/workbook.xml") != MAIN_TYPES.get(ext):
            problems.append("workbook content type %s does not match %s" % (overrides.get("/xl/workbook.xml"), ext))
        for part_name in overrides:
            if part_name.lstrip("/") not in names:
                problems.append("content type declared for missing part %s" % part_name)
            if "vba" in overrides[part_name].lower():
                problems.append("macro content type declared: %s" % overrides[part_name])
        for n in names:
            if n.endswith("/") or n == "[Content_Types].xml" or n.endswith(".rels"):
                continue
            if "/" + n not in overrides and posixpath.splitext(n)[1] not in (".xml",):
                problems.append("part %s has no content type" % n)
        for n, root in parts.items():
            if not n.endswith(".rels"):
                continue
            folder = posixpath.dirname(posixpath.dirname(n))
            for r in root.iter(PKG_REL + "Relationship"):
                t = r.get("Target")
                target = t.lstrip("/") if t.startswith("/") else posixpath.normpath(posixpath.join(folder, t))
                if r.get("TargetMode") != "External" and target not in names:
                    problems.append("%s: relationship %s points at missing %s" % (n, r.get("Id"), target))
        for n, root in parts.items():
            check_order(root, problems, n)

        wb = parts["xl/workbook.xml"]
        sheets = list(wb.iter(MAIN + "sheet"))
        seen = set()
        for s in sheets:
            name = s.get("name")
            if len(name) > 31 or re.search(r"[\[\]:*?/\\]", name) or name.startswith("'") or name.endswith("'"):
                problems.append("invalid sheet name %r" % name)
            if name.lower() in seen:
                problems.append("duplicate sheet name %r" % name)
            seen.add(name.lower())
        visible = [i for i, s in enumerate(sheets) if s.get("state") in (None, "visible")]
        if not visible:
            problems.append("no visible sheet")
        view = wb.find(MAIN + "bookViews/" + MAIN + "workbookView")
        active = int(view.get("activeTab", "0")) if view is not None else 0
        if active not in visible:
            problems.append("active tab %d is not a visible sheet" % active)
        scopes = set()
        for d in wb.iter(MAIN + "definedName"):
            key = (d.get("name").lower(), d.get("localSheetId"))
            if key in scopes:
                problems.append("duplicate defined name %r" % (key,))
            scopes.add(key)
            if d.get("localSheetId") is not None and int(d.get("localSheetId")) >= len(sheets):
                problems.append("defined name %s scoped to a missing sheet" % d.get("name"))
            if not (d.text or "").strip():
                problems.append("defined name %s has no formula" % d.get("name"))
        rels = {r.get("Id"): (r.get("Target").lstrip("/") if r.get("Target").startswith("/")
                              else posixpath.normpath(posixpath.join("xl", r.get("Target"))))
                for r in parts["xl/_rels/workbook.xml.rels"].iter(PKG_REL + "Relationship")}
        for i, s in enumerate(sheets):
            root = parts.get(rels.get(s.get(REL + "id")))
            if root is None:
                problems.append("sheet %s has no part" % s.get("name"))
                continue
            selected = any(v.get("tabSelected") in ("1", "true") for v in root.iter(MAIN + "sheetView"))
            if selected and i not in visible:
                problems.append("hidden sheet %s is selected" % s.get("name"))
            if i == active and not selected:
                problems.append("active sheet %s is not selected" % s.get("name"))
        for n, root in parts.items():
            if not n.startswith("xl/worksheets/"):
                continue
            areas = [area(m.get("ref")) for m in root.iter(MAIN + "mergeCell")]
            for i, a in enumerate(areas):
                if a[0] == a[2] and a[1] == a[3]:
                    problems.append("%s: merge of a single cell" % n)
                for b in areas[:i]:
                    if not (b[2] < a[0] or b[0] > a[2] or b[3] < a[1] or b[1] > a[3]):
                        problems.append("%s: overlapping merges" % n)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
