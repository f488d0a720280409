#!/usr/bin/env bash
# The sample meet runs end to end and leaves workbooks that openpyxl opens:
# the meet workbook with one form per class and the registration workbook
# with exactly those forms, protected.
#   test_demo.sh KORVANE SCRATCH_DIR
set -euo pipefail
korvane=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
"$korvane" demo "$dir/meet" > "$dir/out.txt"
# What the demo prints is for a person: its steps in Chinese, each with the
# files it made or changed; the boxes go to the transcript beside them.
grep -q "^演示完成" "$dir/out.txt"
grep -q "^第2步 新建运动会工作簿" "$dir/out.txt"
grep -A2 "^第2步" "$dir/out.txt" | grep -q "新建 meets/号码对照表及分组分道编排表_.*\.xlsm"
grep -A1 "^第3步" "$dir/out.txt" | grep -q "新建 export/运动会报名登记表.xlsm"
# The three print steps leave their PDFs beside the meet workbook, listed under
# their steps; no printer is asked.
for pdf in 报名表样表 报表 成绩记录表; do
  grep -q "^    新建 meets/$pdf.pdf" "$dir/out.txt"
  [ "$(pdfinfo "$dir/meet/meets/$pdf.pdf" | sed -n 's/^Pages:[[:space:]]*//p')" -ge 1 ]
done
grep -q "^printed: .*/报表.pdf ([0-9]* pages)$" "$dir/meet/演示记录.txt"
! grep -q "^question:" "$dir/out.txt"
grep -q "^question: " "$dir/meet/演示记录.txt"
/usr/bin/python3 - "$dir/meet" <<'PY'
import glob, sys
import openpyxl
root = sys.argv[1]
meets = glob.glob(root + "/meets/号码对照表及分组分道编排表_*.xlsm")
assert len(meets) == 1, meets
wb = openpyxl.load_workbook(meets[0], data_only=True)
settings = wb["设置"]
teams = int(settings["B9"].value)
assert teams == 22, teams  # 4+4+4+4+3+3 classes after the demo's change to 高一
names = wb.sheetnames
assert names[:teams] == [str(i) for i in range(1, teams + 1)], names
assert wb["13"]["C2"].value == "高一(1)班", wb["13"]["C2"].value
assert settings.sheet_state == "hidden"
exported = openpyxl.load_workbook(root + "/export/运动会报名登记表.xlsm")
assert exported.sheetnames == [str(i) for i in range(1, teams + 1)], exported.sheetnames
for ws in exported.worksheets:
    assert ws.protection.sheet, ws.title
# 模拟报名 filled every class sheet within the limits of 设置: at most H3
# entrants of a class per event and sex, at most H4 events per athlete, no
# relay entered, a name on every row with entries.
rows, per_event, per_athlete = (int(settings[c].value) for c in ("H2", "H3", "H4"))
for t in range(1, teams + 1):
    ws = wb[str(t)]
    headings = [c.value for c in ws[3][3:]]
    headings = headings[:next((i for i, h in enumerate(headings) if not h), len(headings))]
    entries = 0
    for first in (4, 4 + rows // 2):
        counts = [0] * len(headings)
        for r in range(first, first + rows // 2):
            ticks = [j for j in range(len(headings)) if ws.cell(r, 4 + j).value == "√"]
            assert len(ticks) <= per_athlete, (t, r, ticks)
            assert not ticks or ws.cell(r, 3).value, (t, r)
            for j in ticks:
                assert not headings[j].endswith("接力"), (t, r, headings[j])
                counts[j] += 1
            entries += len(ticks)
        assert max(counts) <= per_event, (t, first, counts)
    assert entries > 0, t
# 汇总及编号 and 随机排序: every entrant of an individual event stands with its
# own number (temp, same cell) as the number table pairs them; relay entrants
# are classes; each count is the number of filled entrant cells.
table = wb["号码对照表"]
numbered = {}
for name, number in table.iter_rows(min_row=2, max_col=2, values_only=True):
    if number:
        numbered[number] = name
assert len(numbered) > 0
classes = {settings.cell(t + 1, 4).value for t in range(1, teams + 1)}
events, temp = wb["比赛项目名单"], wb["temp"]
assert temp.sheet_state == "hidden"
entered = 0
for r in range(3, int(events["D2"].value) + 3):
    title, count = events.cell(r, 4).value, int(events.cell(r, 5).value or 0)
    cells = [events.cell(r, c).value for c in range(6, 81)]
    assert all(cells[:count]) and not any(cells[count:]), (title, count)
    for c in range(6, 6 + count):
        name, number = events.cell(r, c).value, temp.cell(r, c).value
        if title.endswith("接力"):
            assert name in classes and number is None, (title, name, number)
        else:
            assert numbered.get(number) == name, (title, name, number)
    entered += count
assert entered > 0
# 报表生成: both reports right after 比赛项目名单. Every numbered athlete of a
# class with entrants stands in the number report above its own number; every
# entrant of every event stands in the rosters in entrant order with its number
# below it (relays: the class alone). Blocks keep to their page (24 rows a page
# for the number report, 26 for the rosters) and start in column B on odd pages,
# in column A on even ones; the rosters start on the odd page after the number
# report.
names = wb.sheetnames
at = names.index("比赛项目名单")
assert names[at + 1:at + 3] == ["号码对照表报表", "比赛项目名单报表"], names
report, rosters = wb["号码对照表报表"], wb["比赛项目名单报表"]
first = report.page_setup.firstPageNumber
# 赛事日程 ran last: the reports start on the page 设置!C1 gives after the schedule.
assert int(first) == int(settings["C1"].value), (first, settings["C1"].value)
first = int(first)

def label(ws, r):
    for c in (1, 2):
        v = ws.cell(r, c).value
        if v not in (None, ""):
            return c, str(v)
    return None, None

def check_block(top, bottom, col, first_page, per_page, what):
    assert (top - 1) // per_page == (bottom - 1) // per_page, (what, top, bottom)
    page = first_page + (top - 1) // per_page
    assert col == (2 if page % 2 else 1), (what, top, col, page)

half = rows // 2
expected = {}
for t in range(1, teams + 1):
    b = 2 + (t - 1) * rows
    if table.cell(b, 1).value:
        for r in range(b, b + rows):
            if table.cell(r, 2).value:
                expected[table.cell(r, 2).value] = table.cell(r, 1).value
shown, blocks = {}, 0
for r in range(1, report.max_row + 1):
    c, v = label(report, r)
    if v != "姓名(男)":
        continue
    blocks += 1
    check_block(r - 2, r + 3, c, first, 24, "number report")
    for rr in (r, r + 2):
        for col in range(c + 1, c + half + 1):
            if report.cell(rr, col).value:
                shown[report.cell(rr + 1, col).value] = report.cell(rr, col).value
assert blocks > 0 and shown == expected, (blocks, len(shown), len(expected))
used = max(r for r in range(1, report.max_row + 1) if label(report, r)[0])
roster_first = first + (used + 23) // 24
roster_first += 1 - roster_first % 2
assert int(rosters.page_setup.firstPageNumber) == roster_first, (rosters.page_setup.firstPageNumber, roster_first)

listed, heats, title = {}, [], None
for r in range(1, rosters.max_row + 1):
    c, v = label(rosters, r)
    if v is None:
        continue
    if v.endswith("预决赛") or v.endswith("预赛"):
        title = v[:-3] if v.endswith("预决赛") else v[:-2]
        listed[title] = []
        heats.append([r, r, c])
    elif v.startswith("第") and v.endswith("组"):
        if heats[-1][1] != r - 1 or not label(rosters, r - 1)[1].endswith("预赛"):
            heats.append([r, r, c])
    elif v in ("姓名", "班级"):
        cols = [col for col in range(c + 1, c + 9) if rosters.cell(r, col).value]
        if label(rosters, r - 1)[1] == "道次":  # lanes: consecutive, centred on the track
            m = len(cols)
            assert cols == list(range(c + 1 + (8 - m) // 2, c + 1 + (8 - m) // 2 + m)), (title, r, cols)
        for col in cols:
            listed[title].append((rosters.cell(r, col).value, rosters.cell(r + 1, col).value if v == "姓名" else None))
    heats[-1][1] = r
for top, bottom, c in heats:
    check_block(top, bottom, c, roster_first, 26, "rosters")
wanted = {}
for r in range(3, int(events["D2"].value) + 3):
    count = int(events.cell(r, 5).value or 0)
    if count:
        wanted[events.cell(r, 4).value] = [(events.cell(r, c).value, temp.cell(r, c).value) for c in range(6, 6 + count)]
assert listed == wanted, [t for t in wanted if listed.get(t) != wanted[t]]
print("reports ok:", blocks, "classes,", len(heats), "roster blocks on",
      (max(b for _, b, _ in heats) - 1) // 26 + 1, "pages")
# 创建成绩记录表: every entrant of every event with a record form stands on its
# sheet in entrant order, beside its own number (relays: the class alone),
# under the event's title; the timed sheet is read left half first, as its
# fold moved the later pages beside the earlier ones. Events of method 5 have
# no form. The forms are told apart by the labels of the template forms.
forms1, forms2, forms3 = wb["记录表1"], wb["记录表2"], wb["记录表3"]
assert [ws.sheet_state for ws in (forms1, forms2, forms3)] == ["hidden"] * 3
record_sheets = ["起终点用表", "高度记录表", "远度记录表", "其它记录表"]
assert wb.sheetnames[-4:] == record_sheets, wb.sheetnames
title_label = forms1["A2"].value

def event_of(text):
    base = text.split("(续")[0]
    for suffix in ("预决赛", "预赛"):
        if base.endswith(suffix):
            return base[: -len(suffix)]
    raise AssertionError(text)

def timed_forms(ws):
    found = {}
    for left in (1, 12):
        title = None
        for r in range(1, ws.max_row + 1):
            label = ws.cell(r, left).value
            if label == title_label:
                title = event_of(ws.cell(r, left + 1).value)
                found.setdefault(title, [])
            elif label in (forms1["A4"].value, forms1["A14"].value):
                numbers = label == forms1["A4"].value
                for c in range(left + 1, left + 9):
                    if ws.cell(r, c).value:
                        found[title].append((ws.cell(r, c).value, ws.cell(r + 1, c).value if numbers else None))
    return found

def field_forms(ws, capacity):
    found, title = {}, None
    for r in range(1, ws.max_row + 1):
        label = ws.cell(r, 1).value
        if label == title_label:
            title = event_of(ws.cell(r, 2).value)
            found.setdefault(title, [])
        elif label == forms3["A3"].value and ws.cell(r, 2).value == forms3["B3"].value:
            for i in range(1, capacity + 1):
                if ws.cell(r + i, 2).value:
                    found[title].append((ws.cell(r + i, 2).value, ws.cell(r + i, 1).value))
    return found

wanted = {m: {} for m in (1, 2, 3, 4, 5)}
for r in range(3, int(events["D2"].value) + 3):
    count = int(events.cell(r, 5).value or 0)
    method = int(events.cell(r, 3).value)
    if count:
        wanted[method][events.cell(r, 4).value] = [
            (events.cell(r, c).value, temp.cell(r, c).value) for c in range(6, 6 + count)]
found = {1: timed_forms(wb["起终点用表"]), 2: field_forms(wb["高度记录表"], 20),
         3: field_forms(wb["远度记录表"], 14), 4: field_forms(wb["其它记录表"], 14)}
for m in (1, 2, 3, 4):
    assert found[m] == wanted[m], (m, [t for t in set(wanted[m]) | set(found[m]) if found[m].get(t) != wanted[m].get(t)])
assert wanted[1] and wanted[2] and wanted[3], "the demo meet has timed, height and distance events"
on_forms = {t for m in (1, 2, 3, 4) for t in found[m]}
assert not on_forms & set(wanted[5]), on_forms & set(wanted[5])

# 成绩管理: event k owns rows 2k+1 (title, method, 号码 or 班级, the entrants'
# numbers or classes) and 2k+2 (成绩); events without entrants or of method
# 5 are hidden. The register is on show and protected.
reg = wb["成绩登记表"]
assert reg.sheet_state == "visible" and reg.protection.sheet
merged = {str(m) for m in reg.merged_cells.ranges}
method_text = {1: "计时", 4: "计个"}
for k in range(1, int(events["D2"].value) + 1):
    er, r = k + 2, 2 * k + 1
    count = int(events.cell(er, 5).value or 0)
    method = int(events.cell(er, 3).value)
    if count < 1 or method == 5:
        assert reg.row_dimensions[r].hidden and reg.row_dimensions[r + 1].hidden, k
        continue
    title = events.cell(er, 4).value
    relay = title.endswith("接力")
    source = events if relay else temp
    assert reg.cell(r, 1).value == title and reg.cell(r, 2).value == method_text.get(method, "计距"), k
    assert reg.cell(r, 4).value == ("班级" if relay else "号码") and reg.cell(r + 1, 4).value == "成绩", k
    assert [reg.cell(r, 4 + i).value for i in range(1, count + 2)] == \
        [source.cell(er, 5 + i).value for i in range(1, count + 1)] + [None], k
    assert {"A%d:A%d" % (r, r + 1), "B%d:B%d" % (r, r + 1), "C%d:C%d" % (r, r + 1)} <= merged, k
print("record sheets ok:", sum(len(v) for m in (1, 2, 3, 4) for v in found[m].values()), "entrants on forms;",
      "register ok")
# 导出打印报表: the two report sheets, protected, as a workbook of their own.
reports = openpyxl.load_workbook(root + "/export/运动会报表.xlsm")
assert reports.sheetnames == ["号码对照表报表", "比赛项目名单报表"], reports.sheetnames
assert all(ws.protection.sheet for ws in reports.worksheets)
# 赛事奖项: the prize workbook has the meet's grades; its lists follow its
# settings (one 精神文明奖 line per grade, D places per grade, for every group
# row E places for each event without "／", a relay once per runner); the
# three certificate documents are bound to it, with one merge field per
# heading of their list.
prize = openpyxl.load_workbook(root + "/meets/奖项设置.xlsx")
ps = prize["设置"]
grades = [settings.cell(r, 1).value for r in range(2, 9) if settings.cell(r, 1).value]
assert [ps.cell(3 * g + 3, 1).value for g in range(len(grades))] == grades, grades
headings = [ps.cell(2, c).value for c in range(6, ps.max_column + 1) if ps.cell(2, c).value]
lines = lambda name: [tuple(c.value for c in row) for row in prize[name].iter_rows(min_row=2) if row[0].value]
assert lines("精神文明奖") == [(g,) for g in grades]
numerals = "一二三四五六七八九十"
assert lines("团体总分奖") == [(g, numerals[p]) for i, g in enumerate(grades) for p in range(int(ps.cell(3 * i + 3, 4).value or 0))]
want = []
for i, g in enumerate(grades):
    for r in range(3 * i + 3, 3 * i + 6):
        for j, h in enumerate(headings):
            if ps.cell(r, 6 + j).value != "／":
                runners = int(h[0]) if h.endswith("接力") else 1
                want += [(g, ps.cell(r, 2).value, h, numerals[p]) for p in range(int(ps.cell(r, 5).value or 0)) for _ in range(runners)]
assert lines("单项奖") == want and len(want) > 0, (len(lines("单项奖")), len(want))
try:
    import docx
    from docx.oxml.ns import qn
    for name in ("精神文明奖", "团体总分奖", "单项奖"):
        d = docx.Document(root + "/meets/" + name + ".docx")
        fields = [e.text.strip() for e in d.element.body.iter(qn("w:instrText"))]
        assert fields == ["MERGEFIELD  " + c.value for c in prize[name][1] if c.value], (name, fields)
        query = d.settings.element.find(qn("w:mailMerge")).find(qn("w:query")).get(qn("w:val"))
        assert query == "SELECT * FROM `%s$`" % name, query
except ImportError:
    pass
import subprocess
for name in ("精神文明奖", "团体总分奖", "单项奖"):
    info = subprocess.run(["pdfinfo", root + "/meets/" + name + ".pdf"], capture_output=True, text=True).stdout
    pages = next(int(l.split()[1]) for l in info.splitlines() if l.startswith("Pages:"))
    assert pages == len(lines(name)), (name, pages, len(lines(name)))
print("awards ok:", len(want), "individual certificates")
# 赛事日程: every item of the meet is on the printed schedule with a time
# span, track spans one after another within a half day; 田赛 starts on the
# odd page after 径赛 (28 rows a page, from 11) and the reports on the odd
# page after 田赛.
import re
found = glob.glob(root + "/meets/日程安排表_*.xlsx")
assert len(found) == 1, found
sched = openpyxl.load_workbook(found[0])
span = re.compile(r"^(\d{1,2}):(\d\d)～(\d{1,2}):(\d\d)$")
def odd_after(first, ws):
    last = max(r for r in range(1, ws.max_row + 1) if ws.cell(r, 3).value not in (None, ""))
    n = first + (last + 27) // 28
    return n + 1 - n % 2
track, field = sched["径赛"], sched["田赛"]
assert track.page_setup.firstPageNumber == 11
assert field.page_setup.firstPageNumber == odd_after(11, track)
assert int(settings["C1"].value) == odd_after(field.page_setup.firstPageNumber, field)
items = {"track": 0, "field": 0}
for ws, time_col, kind in ((track, 2, "track"), (field, 3, "field")):
    previous_end = None
    for r in range(2, ws.max_row + 1):
        if ws.cell(r, 1).value:
            previous_end = None  # a new half day
        v = ws.cell(r, time_col).value
        m = span.match(v) if isinstance(v, str) else None
        if not m:
            continue
        start, end = int(m[1]) * 60 + int(m[2]), int(m[3]) * 60 + int(m[4])
        assert start < end, (kind, r, v)
        if kind == "track" and previous_end is not None:
            assert start >= previous_end, (r, v)
        previous_end = end
        items[kind] += 1
meet_items = sum(1 for r in range(3, int(events["D2"].value) + 3) if int(events.cell(r, 5).value or 0) > 0)
assert items["track"] + items["field"] >= meet_items, (items, meet_items)
assert [field.cell(r, 4).value for r in range(2, field.max_row + 1) if field.cell(r, 4).value][-1] == "闭幕式"
print("schedule ok:", items)
print("demo ok:", teams, "teams")
PY
# The report workbook prints in LibreOffice on the pages of our pagination:
# it carries a manual break at every page end, and every printed page starts
# with the first text of its rows, so no block starts mid-page elsewhere.
soffice=$(command -v soffice || command -v libreoffice || true)
if [ -z "$soffice" ]; then
  echo "LibreOffice is not installed: page breaks not checked in it"
  exit 0
fi
mkdir -p "$dir/lo"
cp "$dir/meet/export/运动会报表.xlsm" "$dir/lo/reports.xlsm"
HOME=$dir/lo/home timeout 240 "$soffice" -env:UserInstallation="file://$dir/lo/home/profile" --headless --norestore \
  --convert-to pdf --outdir "$dir/lo" "$dir/lo/reports.xlsm" > "$dir/lo/soffice.log" 2>&1 || true
test -s "$dir/lo/reports.pdf" || { cat "$dir/lo/soffice.log"; exit 1; }
/usr/bin/python3 - "$dir/lo" <<'PY'
import subprocess, sys
import openpyxl
lo = sys.argv[1]
wb = openpyxl.load_workbook(lo + "/reports.xlsm")
pages = subprocess.run(["pdftotext", "-layout", lo + "/reports.pdf", "-"], capture_output=True, text=True,
                       check=True).stdout.split("\f")
page = 0
for ws in wb.worksheets:
    breaks = [b.id for b in ws.row_breaks.brk]
    assert breaks, ws.title
    for first in [1] + [b + 1 for b in breaks]:
        want = next(str(c.value) for r in range(first, first + 6) for c in ws[r] if c.value not in (None, ""))
        lines = [l.split()[0] for l in pages[page].splitlines() if l.strip()]
        assert lines and lines[0] == want, (ws.title, first, want, lines[:1])
        page += 1
assert not "".join(pages[page:]).strip(), "LibreOffice printed more pages than ours"
print("LibreOffice prints our pages:", page)
PY
