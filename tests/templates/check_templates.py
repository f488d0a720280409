#!/usr/bin/python3
"""The generated templates and manual, read by openpyxl and from the raw package.

Usage: check_templates.py PROGRAM_DIR

Checks every cell, defined name (exact text), lock, protection, hidden state,
page setup and conditional format that the commands working on meets,
schedules and prizes depend on.
"""
import os
import re
import sys
import unittest
import zipfile
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

import openpyxl
from openpyxl.utils import get_column_letter

PROGRAM_DIR = None
NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "ct": "http://schemas.openxmlformats.org/package/2006/content-types"}

MEET = "号码对照表及分组分道编排.xltm"
SCHEDULE = "日程安排表.xltx"
PRIZE = os.path.join("prize", "奖项设置.xltx")

# The sheet-level names of the meet workbook, exactly as the register's
# highlighting and the event list's printing need them.
MEET_NAMES = {
    ("比赛项目名单", "_xlnm.Print_Titles"): "比赛项目名单!$A:$E,比赛项目名单!$1:$2",
    ("比赛项目名单", "人数"): 'SUM(IF(比赛项目名单!B1:BX1="",0,1))',
    ("成绩登记表", "myRng"): "成绩登记表!$E1:$BB1",
    ("成绩登记表", "myRng1"): "成绩登记表!$E2:$BB2",
    ("成绩登记表", "_xlnm.Print_Titles"): "成绩登记表!$1:$2",
    ("成绩登记表", "计法1"): "成绩登记表!$B1",
    ("成绩登记表", "计法2"): "OFFSET(成绩登记表!$B1,-1,0)",
    ("成绩登记表", "数目1"): "成绩登记表!$C1",
    ("成绩登记表", "数目2"): "OFFSET(成绩登记表!$C1,-1,0)",
    ("成绩登记表", "条件1"): '(IF(成绩登记表!计法1="计时",RANK(成绩登记表!A2,成绩登记表!myRng1,1),'
                            'RANK(成绩登记表!A2,成绩登记表!myRng1))<=成绩登记表!数目1)',
    ("成绩登记表", "条件2"): '(IF(成绩登记表!计法2="计时",RANK(成绩登记表!A1,成绩登记表!myRng,1),'
                            'RANK(成绩登记表!A1,成绩登记表!myRng))<=成绩登记表!数目2)',
}

# Every menu item's caption, which the manual explains.
MENU_CAPTIONS = ["新建", "打开", "导入报名数据", "导出报名数据", "导出打印报表", "保存所有", "关闭所有",
                 "报名表样表(A4)", "报表(A4)", "成绩记录表(B4)", "赛事日程(A4)", "退出", "汇总及编号",
                 "年级合并", "随机排序", "报表生成", "模拟报名", "成绩管理", "创建成绩记录表", "保护工作表",
                 "默认目录", "初始化", "项目管理", "赛事日程", "明细单", "奖状(证书)生成", "内容", "关于"]


def path(name):
    return os.path.join(PROGRAM_DIR, name)


def load(name, data_only=False):
    return openpyxl.load_workbook(path(name), data_only=data_only)


def package_xml(name, part):
    with zipfile.ZipFile(path(name)) as z:
        return ET.fromstring(z.read(part))


def sheet_names_in_order(name):
    root = package_xml(name, "xl/workbook.xml")
    return [s.get("name") for s in root.find("m:sheets", NS)]


def defined_names(name):
    """{(sheet or None, name): text} straight from xl/workbook.xml."""
    root = package_xml(name, "xl/workbook.xml")
    sheets = sheet_names_in_order(name)
    out = {}
    holder = root.find("m:definedNames", NS)
    for d in (holder if holder is not None else []):
        local = d.get("localSheetId")
        out[(sheets[int(local)] if local is not None else None, d.get("name"))] = d.text
    return out


def column_locks(name, sheet):
    """{column: locked} of the column formats of a sheet, from the raw parts."""
    rel = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id"
    book = package_xml(name, "xl/workbook.xml")
    rid = next(s.get(rel) for s in book.find("m:sheets", NS) if s.get("name") == sheet)
    rels = package_xml(name, "xl/_rels/workbook.xml.rels")
    target = next(r.get("Target") for r in rels if r.get("Id") == rid)
    ws = package_xml(name, "xl/" + target.lstrip("/").replace("xl/", "", 1))
    xfs = package_xml(name, "xl/styles.xml").find("m:cellXfs", NS)
    locked = []
    for xf in xfs:
        prot = xf.find("m:protection", NS)
        locked.append(not (prot is not None and prot.get("locked") in ("0", "false")))
    out = {}
    cols = ws.find("m:cols", NS)
    for col in (cols if cols is not None else []):
        for c in range(int(col.get("min")), int(col.get("max")) + 1):
            out[c] = locked[int(col.get("style", "0"))]
    return out


def last_row(ws, col):
    for r in range(ws.max_row, 0, -1):
        if ws.cell(r, col).value not in (None, ""):
            return r
    return 0


def last_col(ws, row):
    for c in range(ws.max_column, 0, -1):
        if ws.cell(row, c).value not in (None, ""):
            return c
    return 0


def merged_range_at(ws, row, col):
    for m in ws.merged_cells.ranges:
        if m.min_row <= row <= m.max_row and m.min_col <= col <= m.max_col:
            return m
    return None


def lined(cell):
    b = cell.border
    return any(s is not None for s in (b.left.style, b.right.style, b.top.style, b.bottom.style))


class Package(unittest.TestCase):
    def test_content_types_name_templates(self):
        expected = {MEET: "application/vnd.ms-excel.template.macroEnabled.main+xml",
                    SCHEDULE: "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml",
                    PRIZE: "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"}
        for name, ctype in expected.items():
            root = package_xml(name, "[Content_Types].xml")
            types = {o.get("PartName"): o.get("ContentType") for o in root.findall("ct:Override", NS)}
            self.assertEqual(types.get("/xl/workbook.xml"), ctype, name)


class MeetWorkbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wb = load(MEET)
        cls.values = load(MEET, data_only=True)

    def test_seven_sheets_in_order_with_the_record_forms_hidden(self):
        self.assertEqual(self.wb.sheetnames, ["设置", "报名表样表", "比赛项目名单", "成绩登记表", "记录表1", "记录表2", "记录表3"])
        states = {ws.title: ws.sheet_state for ws in self.wb.worksheets}
        for n in ["设置", "报名表样表", "比赛项目名单", "成绩登记表"]:
            self.assertEqual(states[n], "visible", n)
        for n in ["记录表1", "记录表2", "记录表3"]:
            self.assertEqual(states[n], "hidden", n)
        self.assertEqual(self.wb.active.title, "设置")
        self.assertTrue(self.wb.security is not None and self.wb.security.lockStructure)
        for ws in self.wb.worksheets:
            self.assertTrue(ws.protection.sheet, ws.title)

    def test_the_eleven_names_have_their_exact_texts(self):
        self.assertEqual(defined_names(MEET), MEET_NAMES)

    def test_settings(self):
        ws, v = self.wb["设置"], self.values["设置"]
        grades = last_row(ws, 1) - 1
        self.assertEqual(grades, 6)
        names = [ws.cell(r, 1).value for r in range(2, grades + 2)]
        self.assertEqual(names, ["初一", "初二", "初三", "高一", "高二", "高三"])
        for r in range(grades + 2, ws.max_row + 1):
            self.assertIsNone(ws.cell(r, 1).value, "A%d below the grades" % r)
        counts = [ws.cell(r, 2).value for r in range(2, grades + 2)]
        self.assertTrue(all(isinstance(c, int) and c > 0 for c in counts), counts)
        self.assertIsNone(ws["C1"].value)
        running = 0
        for r in range(2, 9):
            running += counts[r - 2] if r - 2 < grades else 0
            self.assertTrue(str(ws.cell(r, 3).value).startswith("=SUM("), "C%d" % r)
            self.assertEqual(v.cell(r, 3).value, running, "C%d" % r)
        self.assertEqual(ws["B9"].value, "=SUM(B2:B8)")
        self.assertEqual(v["B9"].value, sum(counts))
        self.assertEqual([ws.cell(r, 8).value for r in range(2, 6)], [20, 2, 2, 12])
        for r in range(2, 6):
            self.assertTrue(ws.cell(r, 7).value, "label of H%d in G%d" % (r, r))
        self.assertNotEqual(ws["M1"].value, "√")
        # Class names of the default meet, team t in row t + 1.
        expected = ["%s(%d)班" % (g, k) for g, n in zip(names, counts) for k in range(1, n + 1)]
        self.assertEqual([v.cell(t + 1, 4).value for t in range(1, len(expected) + 1)], expected)
        self.assertIn(v.cell(len(expected) + 2, 4).value, (None, ""))
        for cell in ["A2", "A8", "B2", "B8", "C1", "E2", "E22", "H2", "H3", "H4", "H5", "M1", "L6", "M6", "O6", "P6"]:
            self.assertFalse(ws[cell].protection.locked, cell + " is typed into")
        for cell in ["A1", "C2", "B9", "D2", "G2", "H1"]:
            self.assertTrue(ws[cell].protection.locked, cell + " is fixed")

    def test_registration_form(self):
        ws, v = self.wb["报名表样表"], self.values["报名表样表"]
        last = last_col(ws, 3)
        events = [ws.cell(3, c).value for c in range(4, last + 1)]
        self.assertGreaterEqual(len(events), 8)
        self.assertTrue(all(events), "no gap between events")
        for c in range(last + 1, ws.max_column + 1):
            self.assertIsNone(ws.cell(3, c).value, "nothing right of the events")
        for kind in (["100米"], ["800米", "1500米"], ["跳高", "跳远"], ["铅球", "实心球"], ["4×100米接力"]):
            self.assertTrue(any(e in events for e in kind), kind)
        for e in events:
            if e.endswith("接力"):
                self.assertRegex(e, r"^[1-9]×", e)
            self.assertRegex(e, r"^[0-9×\u4e00-\u9fa5]{1,}[\u4e00-\u9fa5]$", e)
        self.assertEqual(str(merged_range_at(ws, 1, 1)), "A1:%s1" % get_column_letter(last))
        self.assertTrue(ws["A1"].value)
        self.assertTrue(str(ws["A2"].value).startswith("="))
        self.assertEqual(v["A2"].value, "班级：")
        self.assertIsNone(ws["C2"].value)
        self.assertEqual([ws.cell(r, 2).value for r in range(4, 8)], [1, 2, 1, 2])
        self.assertEqual(last_row(ws, 1), 8)
        self.assertTrue(str(ws["B8"].value).startswith("="))
        self.assertIn("2", v["B8"].value)
        for r in range(3, 8):
            for c in range(4, last + 1):
                b = ws.cell(r, c).border
                self.assertEqual(b.left.style, "thin", (r, c))
                self.assertEqual(b.right.style, "thin", (r, c))
                self.assertIsNotNone(b.bottom.style, (r, c))
        for c in range(4, last + 1):
            self.assertEqual(ws.cell(5, c).border.bottom.style, "double", c)
            self.assertEqual(ws.cell(7, c).border.bottom.style, "thin", c)
        for r in range(4, 8):
            self.assertEqual(ws.row_dimensions[r].height, 28)
            for c in range(3, last + 1):
                self.assertFalse(ws.cell(r, c).protection.locked, (r, c))
        self.assertFalse(ws["C2"].protection.locked)
        for cell in ["A1", "A2", "B4", "D3", "A8", "B8"]:
            self.assertTrue(ws[cell].protection.locked, cell)
        self.assertEqual(int(ws.page_setup.paperSize), 9)
        self.assertEqual(ws.page_setup.orientation, "portrait")

    def test_event_list(self):
        ws, form, settings = self.wb["比赛项目名单"], self.wb["报名表样表"], self.wb["设置"]
        n = ws["D2"].value
        self.assertIsInstance(n, int)
        self.assertEqual(last_row(ws, 4), n + 2)
        catalogue = [form.cell(3, c).value for c in range(4, last_col(form, 3) + 1)]
        grades = [settings.cell(r, 1).value for r in range(2, last_row(settings, 1) + 1)]
        previous = None
        for r in range(3, n + 3):
            m = merged_range_at(ws, r, 1)
            grade = ws.cell(m.min_row if m else r, 1).value
            title = ws.cell(r, 4).value
            self.assertIn(grade, grades, r)
            self.assertEqual(title[:2], grade, title)
            self.assertIn(title[2:4], ("男子", "女子", "混合"), title)
            self.assertIn(title[4:], catalogue, title)
            self.assertIn(ws.cell(r, 2).value, (1, 2, 3), title)
            self.assertIn(ws.cell(r, 3).value, (1, 2, 3, 4, 5), title)
            if title[4:].endswith("接力") or title[4:].endswith("米"):
                self.assertEqual(ws.cell(r, 3).value, 1, title)
            key = (grades.index(grade), catalogue.index(title[4:]), title[2:4] != "男子")
            if previous:
                self.assertLess(previous, key, "ordered by grade, catalogue, sex")
            previous = key
            for c in range(1, 81):
                self.assertTrue(lined(ws.cell(r, c)), (r, c))
            self.assertIsNone(ws.cell(r, 5).value)
        # Equal neighbouring grades share one merged cell.
        runs = [m for m in ws.merged_cells.ranges if m.min_col == 1 and m.min_row >= 3]
        self.assertEqual(len(runs), len(grades))
        for m in runs:
            self.assertEqual(m.max_col, 1)
            titles = {ws.cell(r, 4).value[:2] for r in range(m.min_row, m.max_row + 1)}
            self.assertEqual(len(titles), 1)
        for c in range(6, 10):
            self.assertIsNone(ws.cell(1, c).value)
            self.assertFalse(ws.cell(1, c).protection.locked, "F1:I1 grade-merge flags")
        self.assertEqual(ws.print_title_rows, "$1:$2")
        self.assertEqual(ws.print_title_cols, "$A:$E")

    def test_score_register(self):
        ws = self.wb["成绩登记表"]
        n = self.wb["比赛项目名单"]["D2"].value
        self.assertTrue(ws["A1"].value and ws["A2"].value)
        rules = [(str(cf.sqref), r) for cf in ws.conditional_formatting for r in cf.rules]
        self.assertEqual(len(rules), 2)
        formulas = {r.formula[0]: (sqref, r) for sqref, r in rules}
        self.assertEqual(set(formulas), {"AND(MOD(ROW(E3),2)=1,条件1)", "AND(MOD(ROW(E3),2)=0,条件2)"})
        for sqref, rule in formulas.values():
            self.assertEqual(rule.type, "expression")
            m = re.fullmatch(r"E3:CA(\d+)", sqref)
            self.assertTrue(m, sqref)
            self.assertGreaterEqual(int(m.group(1)), 2 * n + 2)
            fill = rule.dxf.fill.bgColor.rgb if rule.dxf.fill is not None else None
            self.assertTrue(fill not in (None, "00000000") or rule.dxf.font.color is not None, "visible highlight")
        for k in (1, n):
            self.assertFalse(ws.cell(2 * k + 1, 3).protection.locked, "places of event %d" % k)
            for c in (5, 40, 79):
                self.assertFalse(ws.cell(2 * k + 2, c).protection.locked, "result of event %d" % k)
                self.assertTrue(ws.cell(2 * k + 1, c).protection.locked, "number row of event %d" % k)
        self.assertEqual(ws.print_title_rows, "$1:$2")

    def check_form(self, ws, area, reserved, default_height):
        rows = range(area[0], area[2] + 1)
        for r in rows:
            self.assertEqual(ws.row_dimensions[r].height, default_height, "%s row %d" % (ws.title, r))
        for cell in reserved:
            self.assertIsNone(ws[cell].value, ws.title + "!" + cell)
            self.assertFalse(ws[cell].protection.locked, ws.title + "!" + cell)
        self.assertTrue(ws.cell(area[0], 1).value, "%s title" % ws.title)
        self.assertTrue(lined(ws.cell(area[2], area[3])), "%s corner" % ws.title)

    def extent(self, ws):
        rows = cols = 0
        for row in ws.iter_rows():
            for cell in row:
                if cell.value is not None or lined(cell):
                    rows, cols = max(rows, cell.row), max(cols, cell.column)
        return rows, cols

    def test_record_forms(self):
        r1, r2, r3 = self.wb["记录表1"], self.wb["记录表2"], self.wb["记录表3"]
        timed_h = r1.sheet_format.defaultRowHeight
        self.check_form(r1, (1, 1, 7, 10), ["B2", "H2", "I2", "J3"] + ["%s%d" % (get_column_letter(c), r) for c in range(2, 10) for r in (4, 5)], timed_h)
        self.check_form(r1, (11, 1, 16, 10), ["B12", "H12", "I12", "J13"] + ["%s14" % get_column_letter(c) for c in range(2, 10)], timed_h)
        self.check_form(r2, (1, 1, 23, 49), ["B2", "AT2", "AU2"] + ["%s%d" % (c, r) for c in "AB" for r in range(4, 24)], r2.sheet_format.defaultRowHeight)
        self.check_form(r3, (1, 1, 17, 12), ["B2", "J2", "K2"] + ["%s%d" % (c, r) for c in "AB" for r in range(4, 18)], r3.sheet_format.defaultRowHeight)
        self.check_form(r3, (21, 1, 37, 12), ["B22", "J22", "K22"] + ["%s%d" % (c, r) for c in "AB" for r in range(24, 38)], r3.sheet_format.defaultRowHeight)
        self.assertEqual(self.extent(r1), (16, 10))
        self.assertEqual(self.extent(r2), (23, 49))
        self.assertEqual(self.extent(r3), (37, 12))
        for ws, gap in ((r1, range(8, 11)), (r3, range(18, 21))):
            for r in gap:
                for c in range(1, 13):
                    self.assertFalse(ws.cell(r, c).value is not None or lined(ws.cell(r, c)), (ws.title, r, c))
        # Every cell of the timed sheet accepts the copies and the fold beside it.
        locks = column_locks(MEET, "记录表1")
        self.assertEqual([locks.get(c, True) for c in range(1, 22)], [False] * 21, "columns A:U of 记录表1")
        for sheet, last in (("记录表2", 49), ("记录表3", 12)):
            locks = column_locks(MEET, sheet)
            self.assertEqual([locks.get(c, True) for c in range(1, last + 1)], [False] * last, sheet + ": rows for form copies")
        for cell in ["A2", "A3", "B3", "J4", "A7"]:
            self.assertFalse(r1[cell].protection.locked, "记录表1!" + cell)
        for ws, cell in ((r2, "A3"), (r3, "C3"), (r3, "A23")):
            self.assertTrue(ws[cell].protection.locked, ws.title + "!" + cell)
        for ws, orientation in ((r1, "landscape"), (r2, "landscape"), (r3, "portrait")):
            self.assertEqual(int(ws.page_setup.paperSize), 42, ws.title)
            self.assertEqual(ws.page_setup.orientation, orientation, ws.title)
            self.assertEqual((ws.page_setup.fitToWidth, ws.page_setup.fitToHeight), (1, 0), ws.title)


class ScheduleWorkbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wb = load(SCHEDULE)

    def test_sheets_headings_and_print_settings(self):
        self.assertEqual(sorted(self.wb.sheetnames), sorted(["附件", "径赛", "田赛"]))
        lists = self.wb["附件"]
        for start, width in ((1, 6), (8, 6), (15, 2), (18, 7), (26, 7)):
            self.assertTrue(lists.cell(1, start).value, start)
            for c in range(start, start + width):
                self.assertTrue(lists.cell(2, c).value, (2, c))
            self.assertEqual(last_row(lists, start), 2, start)
        for name, cols in (("径赛", 7), ("田赛", 8)):
            ws = self.wb[name]
            self.assertEqual([bool(ws.cell(1, c).value) for c in range(1, cols + 1)], [True] * cols, name)
            self.assertEqual(ws.max_row, 1, name)
            self.assertEqual(ws.print_title_rows, "$1:$1", name)
            self.assertEqual(int(ws.page_setup.paperSize), 9, name)
            self.assertIn("&P", ws.oddFooter.center.text or "", name)
            for c in range(1, cols + 1):
                self.assertTrue(ws.column_dimensions[get_column_letter(c)].customWidth, (name, c))
            self.assertFalse(ws.protection.sheet, name)
            self.assertTrue(ws.sheet_properties.pageSetUpPr.fitToPage, name + ": all columns on one page across")
            self.assertEqual((ws.page_setup.fitToWidth, ws.page_setup.fitToHeight), (1, 0), name)
        self.assertEqual(self.wb["径赛"]["C1"].value, "年级")
        self.assertEqual(self.wb["田赛"]["D1"].value, "年级")


class PrizeWorkbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wb = load(PRIZE)

    def test_settings_blocks(self):
        self.assertEqual(self.wb.sheetnames, ["设置", "精神文明奖", "团体总分奖", "单项奖"])
        ws = self.wb["设置"]
        self.assertFalse(ws.protection.sheet)
        self.assertEqual(last_col(ws, 2), 5)
        for g in range(1, 8):
            top = 3 * g
            self.assertIsNone(ws.cell(top, 1).value)
            self.assertEqual(str(merged_range_at(ws, top, 1)), "A%d:A%d" % (top, top + 2))
            self.assertIsInstance(ws.cell(top, 4).value, int)
            self.assertFalse(ws.cell(top, 4).protection.locked)
            for r in range(top, top + 3):
                self.assertTrue(ws.cell(r, 2).value, "B%d" % r)
                self.assertIsInstance(ws.cell(r, 5).value, int)
                self.assertLessEqual(ws.cell(r, 5).value, 10)
                for c in (2, 5, 6, 20, 40):
                    self.assertFalse(ws.cell(r, c).protection.locked, (r, c))
                for c in range(6, 41):
                    self.assertIsNone(ws.cell(r, c).value, (r, c))
        self.assertIsNone(ws.cell(24, 2).value)

    def test_merge_sources_have_their_field_names(self):
        self.assertEqual([c.value for c in self.wb["精神文明奖"][1]], ["年级"])
        self.assertEqual([c.value for c in self.wb["团体总分奖"][1]], ["年级", "名次"])
        self.assertEqual([c.value for c in self.wb["单项奖"][1]], ["年级", "组别", "项目", "名次"])
        for n in ["精神文明奖", "团体总分奖", "单项奖"]:
            self.assertEqual(self.wb[n].max_row, 1, n)


class LinkParser(HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.text = [], []

    def handle_starttag(self, tag, attrs):
        for k, v in attrs:
            if k in ("href", "src") and v:
                self.links.append(v)

    def handle_data(self, data):
        self.text.append(data)


class Manual(unittest.TestCase):
    def test_manual_pages_link_up_and_cover_every_menu_item(self):
        start = path("Quillowen.html")
        self.assertTrue(os.path.isfile(start))
        seen, todo, text = set(), [os.path.normpath(start)], []
        while todo:
            page = todo.pop()
            if page in seen:
                continue
            seen.add(page)
            with open(page, encoding="utf-8") as f:
                html = f.read()
            self.assertRegex(html, r'<meta charset="utf-8">', page)
            p = LinkParser()
            p.feed(html)
            text.append("".join(p.text))
            for link in p.links:
                if re.match(r"^[a-z]+:", link) or link.startswith("#"):
                    continue
                target = os.path.normpath(os.path.join(os.path.dirname(page), link.split("#")[0]))
                self.assertTrue(os.path.exists(target), "%s links to missing %s" % (page, link))
                if target.endswith(".html"):
                    todo.append(target)
        self.assertGreater(len(seen), 3)
        alltext = "".join(text)
        for caption in MENU_CAPTIONS:
            self.assertIn(caption, alltext, caption)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: check_templates.py PROGRAM_DIR")
    PROGRAM_DIR = sys.argv.pop(1)
    unittest.main(verbosity=2)
