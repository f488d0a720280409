#!/bin/bash
# The certificate documents as other programs read them: a new meet with its
# prize workbook, lists and certificates made by a command script; python-docx
# reads each document's merge fields and its mail-merge data source and query,
# openpyxl the lists of the prize workbook; LibreOffice converts each document
# to PDF, and every field's text is still on its page. Without python-docx the
# test is skipped (77); without LibreOffice only the conversion is left out.
#
# usage: test_certificates_interop.sh KORVANE SHARE_DIR SCRATCH_DIR
set -euo pipefail
korvane=$1
share=$2
dir=$3
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
"$py" -c "import docx, openpyxl" 2>/dev/null || { echo "python3-docx or python3-openpyxl is not installed"; exit 77; }

rm -rf "$dir"
mkdir -p "$dir/program" "$dir/meets" "$dir/config" "$dir/pdf" "$dir/home"
cp -r "$share/." "$dir/program/"
sed "s|@DIR@|$dir|g" "$here/make_certificates.kvs" > "$dir/make.kvs"
KORVANE_PROGRAM_DIR="$dir/program" XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" KORVANE_NOW=2024-04-09T08:30:15 \
  "$korvane" run "$dir/make.kvs" > "$dir/make.out"

"$py" "$here/check_certificates.py" "$dir/meets"

command -v soffice >/dev/null || { echo "LibreOffice is not installed: conversion not checked"; exit 0; }
for type in 精神文明奖 团体总分奖 单项奖; do
  HOME=$dir/home timeout 240 soffice -env:UserInstallation="file://$dir/home/profile" --headless --norestore \
    --convert-to pdf --outdir "$dir/pdf" "$dir/meets/$type.docx" > "$dir/soffice.log" 2>&1 || true
  if [ ! -s "$dir/pdf/$type.pdf" ]; then
    echo "LibreOffice did not convert $type.docx:"
    cat "$dir/soffice.log"
    exit 1
  fi
  pages=$(pdfinfo "$dir/pdf/$type.pdf" | awk '/^Pages:/ {print $2}')
  [ "$pages" = 1 ] || { echo "$type.pdf has $pages pages, not one certificate page"; exit 1; }
  text=$(pdftotext "$dir/pdf/$type.pdf" - | tr -d ' \n')
  case $type in
    精神文明奖) fields="«年级»" ;;
    团体总分奖) fields="«年级» «名次»" ;;
    单项奖) fields="«年级» «组别» «项目» «名次»" ;;
  esac
  for field in $fields; do
    case $text in
      *"$field"*) ;;
      *) echo "$type.pdf lost the field $field: $text"; exit 1 ;;
    esac
  done
done
echo "certificates read by python-docx, openpyxl and LibreOffice"
