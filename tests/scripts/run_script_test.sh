#!/bin/bash
# Runs one command script and compares what it prints with the files beside it:
#   NAME.kvs       the script
#   NAME.expected  its standard output, exactly
#   NAME.err       its error output, exactly; the script must then exit 1.
#                  Without this file it must print no error and exit 0.
# The script runs in a fresh folder, written @DIR@ in the script and in the
# expected files, that holds the empty folders meets/ and other/ and an empty
# program folder program/; settings live in @DIR@/config. The clock is
# 2026-12-07 09:30:00 (a Monday).
#
# usage: run_script_test.sh KORVANE SCRIPT.kvs
set -uo pipefail
korvane=$1
script=$2
base=${script%.kvs}
name=$(basename "$base")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/meets" "$work/other" "$work/program"

sed "s|@DIR@|$work|g" "$script" > "$work/$name.kvs"
(
  cd "$work" &&
    env -u KORVANE_SEED KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
      KORVANE_NOW=2026-12-07T09:30:00 "$korvane" run "$work/$name.kvs" > "$work/out" 2> "$work/err"
)
status=$?
sed "s|$work|@DIR@|g" "$work/out" > "$work/out.actual"
sed "s|$work|@DIR@|g" "$work/err" > "$work/err.actual"

failed=0
if ! diff -u "$base.expected" "$work/out.actual"; then
  echo "$name: standard output differs (- expected, + actual)"
  failed=1
fi
if [ -f "$base.err" ]; then
  if ! diff -u "$base.err" "$work/err.actual"; then
    echo "$name: error output differs (- expected, + actual)"
    failed=1
  fi
  if [ "$status" -ne 1 ]; then
    echo "$name: exit status $status, expected 1"
    failed=1
  fi
else
  if [ -s "$work/err.actual" ]; then
    echo "$name: unexpected error output:"
    cat "$work/err.actual"
    failed=1
  fi
  if [ "$status" -ne 0 ]; then
    echo "$name: exit status $status, expected 0"
    failed=1
  fi
fi
exit $failed
