#!/usr/bin/python3
"""Helper of test_libreoffice.sh.

check_libreoffice.py prepare MEET_TEMPLATE OUT.xlsx
    Writes a copy of the meet template with other class counts and limits,
    without cached formula results, for LibreOffice to calculate.
check_libreoffice.py check DIR
    Reads what LibreOffice converted into DIR.
"""
import os
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
failures = []
checks = [0]


def expect(ok, what):
    checks[0] += 1
    if not ok:
        failures.append(what)


def names_of(path):
    with zipfile.ZipFile(path) as z:
        root = ET.fromstring(z.read("xl/workbook.xml"))
    sheets = [s.get("name") for s in root.find("m:sheets", NS)]
    holder = root.find("m:definedNames", NS)
    out = {}
    for d in (holder if holder is not None else []):
        local = d.get("localSheetId")
        out[(sheets[int(local)] if local is not None else None, d.get("name"))] = d.text
    return out


def prepare(src, dst):
    wb = openpyxl.load_workbook(src)
    wb.template = False
    s = wb["设置"]
    s["B2"] = 2  # 初一: two classes
    s["B3"] = 1  # 初二: one class
    s["H4"] = 3  # three events per athlete
    wb.save(dst)


def check(out):
    meet = os.path.join(out, "meet.xlsx")
    for f in ("meet.xlsx", "schedule.xlsx", "prize.xlsx", "recalc.xlsx"):
        expect(os.path.isfile(os.path.join(out, f)), "LibreOffice converted " + f)
    if failures:
        return

    wb = openpyxl.load_workbook(meet)
    expect(wb.sheetnames == ["设置", "报名表样表", "比赛项目名单", "成绩登记表", "记录表1", "记录表2", "记录表3"],
           "meet sheets %s" % wb.sheetnames)
    expect([wb[n].sheet_state for n in ("记录表1", "记录表2", "记录表3")] == ["hidden"] * 3, "record forms hidden")
    expect(all(ws.protection.sheet for ws in wb.worksheets), "every meet sheet protected")
    names = names_of(meet)
    for key, text in [(("比赛项目名单", "_xlnm.Print_Titles"), "比赛项目名单!$A:$E,比赛项目名单!$1:$2"),
                      (("成绩登记表", "计法2"), "OFFSET(成绩登记表!$B1,-1,0)"),
                      (("成绩登记表", "数目2"), "OFFSET(成绩登记表!$C1,-1,0)"),
                      (("成绩登记表", "myRng1"), "成绩登记表!$E2:$BB2")]:
        expect(names.get(key) == text, "name %s: %s" % (key, names.get(key)))
    for n in ("人数", "myRng", "计法1", "数目1", "条件1", "条件2"):
        expect(any(k[1] == n for k in names), "name %s kept" % n)
    formulas = sorted(r.formula[0] for cf in wb["成绩登记表"].conditional_formatting for r in cf.rules)
    expect(formulas == ["AND(MOD(ROW(E3),2)=0,条件2)", "AND(MOD(ROW(E3),2)=1,条件1)"], "register rules %s" % formulas)
    form = wb["报名表样表"]
    expect(not form["C4"].protection.locked and not form["C2"].protection.locked, "form entry cells open")
    expect(form["D3"].protection.locked, "form headings fixed")
    expect(form["D5"].border.bottom.style == "double", "double line under the boys' block")
    # ISO B4, 250 x 353 mm: LibreOffice writes that sheet back under code 33.
    expect(str(wb["记录表2"].page_setup.paperSize) in ("33", "42"), "height form on ISO B4")

    values = openpyxl.load_workbook(os.path.join(out, "recalc.xlsx"), data_only=True)
    s = values["设置"]
    expect([s.cell(r, 3).value for r in range(2, 9)] == [2, 3, 7, 10, 13, 16, 16], "running totals %s" %
           [s.cell(r, 3).value for r in range(2, 9)])
    expect(s["B9"].value == 16, "total %s" % s["B9"].value)
    teams = [s.cell(r, 4).value for r in range(2, 6)]
    expect(teams == ["初一(1)班", "初一(2)班", "初二(1)班", "初三(1)班"], "class names %s" % teams)
    expect(s["D17"].value == "高三(3)班" and s["D18"].value in (None, ""), "last class %s" % s["D17"].value)
    f = values["报名表样表"]
    expect(f["A2"].value == "班级：", "A2 %s" % f["A2"].value)
    expect("每人限报3项" in (f["B8"].value or ""), "B8 %s" % f["B8"].value)

    schedule = openpyxl.load_workbook(os.path.join(out, "schedule.xlsx"))
    expect(sorted(schedule.sheetnames) == sorted(["附件", "径赛", "田赛"]), "schedule sheets")
    expect(schedule["径赛"].print_title_rows == "$1:$1", "track print titles")
    prize = openpyxl.load_workbook(os.path.join(out, "prize.xlsx"))
    expect(prize.sheetnames == ["设置", "精神文明奖", "团体总分奖", "单项奖"], "prize sheets")
    expect([c.value for c in prize["单项奖"][1]] == ["年级", "组别", "项目", "名次"], "prize fields")
    expect(prize["设置"]["B3"].value == "男子组" and prize["设置"].cell(24, 2).value is None, "prize blocks")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "prepare":
        prepare(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        check(sys.argv[2])
        for f in failures:
            print("FAIL:", f)
        print("%d passed, %d failed" % (checks[0] - len(failures), len(failures)))
        sys.exit(1 if failures else 0)
    else:
        sys.exit(__doc__)
