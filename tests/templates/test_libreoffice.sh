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
# The B4 forms printed by LibreOffice: the ISO sheet of 250 x 353 mm (708.7 x
# 1000.7 pt) that our own PDF uses, never JIS B4 (728.5 x 1031.8 pt).
# The forms are hidden in the template; a copy shows them so that they print.
if command -v pdfinfo >/dev/null; then
  /usr/bin/python3 - "$work/in/meet.xltm" "$work/in/forms.xltm" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as zi, zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as zo:
    for item in zi.infolist():
        data = zi.read(item.filename)
        if item.filename == "xl/workbook.xml":
            data = data.replace(b' state="hidden"', b"")
        zo.writestr(item, data)
EOF
  timeout 240 "$soffice" -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work/pdf" "$work/in/forms.xltm" >>"$work/soffice.log" 2>&1
  pdfinfo -f 1 -l 9999 "$work/pdf/forms.pdf" | awk '
    /^Page .* size: / { for (i = 1; i <= NF; ++i) if ($i == "x") { w = $(i - 1); h = $(i + 1) }
                        long = w > h ? w : h
                        if (long > 1025 && long < 1040) jis++
                        if (long > 995 && long < 1006) iso++ }
    END { if (jis > 0 || iso == 0) { printf "B4 pages: %d ISO, %d JIS\n", iso, jis; exit 1 } }'
fi
