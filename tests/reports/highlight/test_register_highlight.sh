#!/usr/bin/env bash
# The score register's highlighting as LibreOffice evaluates it. A meet
# workbook is filled by 成绩管理 on the shipped template, results and places
# are typed in, and the workbook is saved; LibreOffice opens it headless and
# exports it as HTML, where every cell carries the format its conditional
# formats gave it. The checker reads the register back from that export and
# compares the highlighted cells with the leading places worked out from the
# shown results.
#   test_register_highlight.sh MAKE_REGISTER SCRATCH_DIR   (77 = skipped)
set -euo pipefail
tool=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
soffice=$(command -v soffice || command -v libreoffice || true)
[ -n "$soffice" ] || { echo "LibreOffice (soffice) is not installed: skipped"; exit 77; }
/usr/bin/python3 -c "import openpyxl" 2>/dev/null || { echo "python3-openpyxl is not installed: skipped"; exit 77; }
rm -rf "$dir"
mkdir -p "$dir/out" "$dir/home"

"$tool" "$dir/meet.xlsm"
# A private profile, so that the test neither depends on nor changes the user's.
HOME=$dir/home timeout 240 "$soffice" -env:UserInstallation="file://$dir/home/profile" --headless --norestore \
  --convert-to html --outdir "$dir/out" "$dir/meet.xlsm" > "$dir/soffice.log" 2>&1 || true
if [ ! -s "$dir/out/meet.html" ]; then
  echo "LibreOffice did not convert the workbook:"
  cat "$dir/soffice.log"
  exit 1
fi
/usr/bin/python3 "$here/check_highlight.py" "$dir/meet.xlsm" "$dir/out/meet.html"
