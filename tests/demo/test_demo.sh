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
grep -q "生成的文件" "$dir/out.txt"
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
print("demo ok:", teams, "teams")
PY
