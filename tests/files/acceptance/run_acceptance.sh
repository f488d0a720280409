#!/bin/bash
# The road of one meet from the shipped template to the teams' entries:
# prepare the template, make a meet, export the registration workbook, let
# two teams fill it in with openpyxl, import it and check the team sheets.
# Each command script's output is compared with its .expected file, the
# temporary folder written as @DIR@.
#
# usage: run_acceptance.sh KORVANE SHARE_DIR
set -euo pipefail
korvane=$1
share=$2
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/meets" "$work/forms" "$work/config"
# The template is edited in place by 初始化...: work on a copy of the program folder.
cp -r "$share/." "$work/program/"
export KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KORVANE_NOW=2024-04-09T08:30:15

run_script() {
  local name=$1
  sed "s|@DIR@|$work|g" "$here/$name.kvs" > "$work/$name.kvs"
  if ! "$korvane" run "$work/$name.kvs" > "$work/$name.out" 2> "$work/$name.err"; then
    echo "$name.kvs failed:"
    cat "$work/$name.out" "$work/$name.err"
    exit 1
  fi
  sed "s|$work|@DIR@|g" "$work/$name.out" > "$work/$name.actual"
  if ! diff -u "$here/$name.expected" "$work/$name.actual"; then
    echo "$name.kvs: output differs from $name.expected"
    exit 1
  fi
}

run_script prepare
meet="$work/meets/号码对照表及分组分道编排表_2024-04-09_30615.xlsm"
test -f "$meet" || { echo "no meet workbook $meet"; ls "$work/meets"; exit 1; }
PYTHONPATH="$here" "$python" "$here/fill_entries.py" "$work/forms/运动会报名登记表.xlsm" 5
run_script import
PYTHONPATH="$here" "$python" "$here/check_meet.py" "$meet" 5
