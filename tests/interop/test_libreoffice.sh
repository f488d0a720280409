#!/usr/bin/env bash
# LibreOffice opens the workbooks we write: converting our sample to .xlsx
# keeps every sheet, value, formula and merge; we read LibreOffice's file
# the same way openpyxl does.
#   test_libreoffice.sh KORVANE_INTEROP SCRATCH_DIR   (77 = skipped)
set -euo pipefail
tool=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
command -v soffice >/dev/null || { echo "LibreOffice (soffice) is not installed"; exit 77; }
"$py" -c "import openpyxl" 2>/dev/null || { echo "python3-openpyxl is not installed"; exit 77; }
rm -rf "$dir"
mkdir -p "$dir/out" "$dir/home"

"$tool" write-sample "$dir/sample.xlsx"
# A private profile so that parallel runs do not share LibreOffice's user folder.
HOME=$dir/home timeout 240 soffice -env:UserInstallation="file://$dir/home/profile" --headless --norestore \
  --convert-to xlsx --outdir "$dir/out" "$dir/sample.xlsx" > "$dir/soffice.log" 2>&1 || true
if [ ! -s "$dir/out/sample.xlsx" ]; then
  echo "LibreOffice did not convert the file:"
  cat "$dir/soffice.log"
  exit 1
fi

"$tool" dump-values "$dir/sample.xlsx" > "$dir/ours.txt"
"$tool" dump-values "$dir/out/sample.xlsx" > "$dir/libreoffice.txt"
"$py" "$here/libreoffice_normalize.py" "$dir/ours.txt" > "$dir/ours.norm.txt"
"$py" "$here/libreoffice_normalize.py" "$dir/libreoffice.txt" > "$dir/libreoffice.norm.txt"
diff -u "$dir/ours.norm.txt" "$dir/libreoffice.norm.txt"

# Our reading of LibreOffice's own file agrees with openpyxl's, formats included.
"$tool" dump "$dir/out/sample.xlsx" > "$dir/lo.ours.txt"
"$py" "$here/openpyxl_dump.py" "$dir/out/sample.xlsx" > "$dir/lo.openpyxl.txt"
diff -u "$dir/lo.openpyxl.txt" "$dir/lo.ours.txt"
# LibreOffice understood our data validations and wrote them back.
grep -qF 'dv D4:N23 type=list style=information' "$dir/lo.openpyxl.txt" || { echo "LibreOffice dropped the tick list"; exit 1; }
echo "LibreOffice kept the values; LibreOffice's file read alike by openpyxl and us"
