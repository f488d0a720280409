#!/usr/bin/env bash
# The generated templates opened by LibreOffice: each is converted to .xlsx
# headless and the result read back; a copy of the meet template with other
# class counts (and no cached results) shows that LibreOffice computes the
# template's formulas to the same texts the program expects.
#   test_libreoffice.sh PROGRAM_DIR WORK_DIR CHECKER
# Exit 77 (skipped) when LibreOffice is not installed.
set -euo pipefail
program_dir=$1
work=$2
checker=$3
soffice=$(command -v soffice || command -v libreoffice || true)
if [ -z "$soffice" ]; then
  echo "soffice not installed: skipped"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work/in" "$work/out"
cp "$program_dir/号码对照表及分组分道编排.xltm" "$work/in/meet.xltm"
cp "$program_dir/日程安排表.xltx" "$work/in/schedule.xltx"
cp "$program_dir/prize/奖项设置.xltx" "$work/in/prize.xltx"
/usr/bin/python3 "$checker" prepare "$work/in/meet.xltm" "$work/in/recalc.xlsx"
# A private profile, so that the test neither depends on nor changes the user's.
timeout 240 "$soffice" -env:UserInstallation="file://$work/profile" --headless --norestore \
  --convert-to xlsx --outdir "$work/out" \
  "$work/in/meet.xltm" "$work/in/schedule.xltx" "$work/in/prize.xltx" "$work/in/recalc.xlsx" >"$work/soffice.log" 2>&1 || {
  cat "$work/soffice.log"
  exit 1
}
/usr/bin/python3 "$checker" check "$work/out"
