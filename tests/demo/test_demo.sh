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
print("demo ok:", teams, "teams")
PY
