#!/usr/bin/env bash
# We read the workbooks openpyxl writes (inline strings, ISO dates in the
# 1904 system, formulas without cached values, styles, names, page setup,
# conditional formats), and write them again without losing anything.
#   test_openpyxl_writes.sh KORVANE_INTEROP SCRATCH_DIR   (77 = skipped)
set -euo pipefail
tool=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
"$py" -c "import openpyxl" 2>/dev/null || { echo "python3-openpyxl is not installed"; exit 77; }
rm -rf "$dir"
mkdir -p "$dir"

"$py" "$here/openpyxl_write.py" "$dir/openpyxl.xlsx"
"$tool" dump "$dir/openpyxl.xlsx" > "$dir/ours.txt"
"$py" "$here/openpyxl_dump.py" "$dir/openpyxl.xlsx" > "$dir/openpyxl.txt"
diff -u "$dir/openpyxl.txt" "$dir/ours.txt"
grep -qF "date1904=1" "$dir/ours.txt"
grep -qF "v=n:43929.354166666664" "$dir/ours.txt" || { echo "ISO date not read as a 1904 serial"; exit 1; }

# Read and write again: openpyxl and we agree on the copy, and the copy
# describes the same workbook (formula cells now carry computed values).
"$tool" roundtrip "$dir/openpyxl.xlsx" "$dir/copy.xlsx"
"$py" "$here/check_package.py" "$dir/copy.xlsx"
"$tool" dump "$dir/copy.xlsx" > "$dir/copy.ours.txt"
"$py" "$here/openpyxl_dump.py" "$dir/copy.xlsx" > "$dir/copy.openpyxl.txt"
diff -u "$dir/copy.openpyxl.txt" "$dir/copy.ours.txt"
strip_cached() { sed -E 's/( f=[^|]*) v=[^|]*\|/\1 |/' "$1"; }
diff -u <(strip_cached "$dir/ours.txt") <(strip_cached "$dir/copy.ours.txt")
echo "openpyxl's workbook read and written again intact"
