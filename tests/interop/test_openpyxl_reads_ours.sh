#!/usr/bin/env bash
# openpyxl reads the workbooks we write: the sample that uses every feature
# the codec keeps, in each of the four file kinds, must give openpyxl the
# same canonical description as our own reader, and the package must have
# the structure Excel needs (content type by kind, element order, ...).
#   test_openpyxl_reads_ours.sh KORVANE_INTEROP SCRATCH_DIR   (77 = skipped)
set -euo pipefail
tool=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
"$py" -c "import openpyxl" 2>/dev/null || { echo "python3-openpyxl is not installed"; exit 77; }
rm -rf "$dir"
mkdir -p "$dir"

for ext in xlsx xlsm xltx xltm; do
  file=$dir/sample.$ext
  "$tool" write-sample "$file"
  "$py" "$here/check_package.py" "$file"
  "$tool" dump "$file" > "$dir/ours.$ext.txt"
  "$py" "$here/openpyxl_dump.py" "$file" > "$dir/openpyxl.$ext.txt"
  diff -u "$dir/openpyxl.$ext.txt" "$dir/ours.$ext.txt"
done

# The comparison means something only if the sample really uses the
# features: each must show up in what openpyxl read.
description=$dir/openpyxl.xlsx.txt
for feature in "structure=1 windows=1" "state=hidden" "state=veryHidden" "scope=数据" "hidden=1 text=" \
               "protect sheet=1" "merge " "  titles " "  area " "type=expression" "type=cellIs" "fit=1,1,0" \
               "first=21" "breaks rows=20;40; cols=5;" "row 20 height=24 hidden=1" "col 6 width=10 hidden=1" \
               "f=B1*2 v=n:7" "v=s:  前后" "\\x01" "prot=0,1" "/255/" "up,down" "fmt=h:mm" "fmt=@" \
               "fmt=m/d/yy" "fill=FF92D050" "dv D4:N23 type=list style=information" "dropdown=0 input=1"; do
  grep -qF -- "$feature" "$description" || { echo "the sample lacks: $feature"; exit 1; }
done
echo "openpyxl agrees with our reader on all four kinds"
