#!/bin/bash
# Runs one command script of the set-up commands in a fresh folder and
# compares what it prints with NAME.expected, exactly. The folder holds a copy
# of the program folder (初始化... edits its template in place), an empty
# settings store and an empty folder meets/; in the script and in the expected
# output it is written @DIR@. The clock stands at 2026-12-07 09:30:00.
#
# usage: run_setup_script.sh KORVANE SHARE_DIR SCRIPT.kvs
set -euo pipefail
korvane=$1
share=$2
script=$3
name=$(basename "$script" .kvs)
expected="$(dirname "$script")/$name.expected"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/meets" "$work/config"
cp -r "$share/." "$work/program/"

sed "s|@DIR@|$work|g" "$script" > "$work/$name.kvs"
status=0
(cd "$work" && env -u KORVANE_SEED KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" \
  KORVANE_NOW=2026-12-07T09:30:00 "$korvane" run "$work/$name.kvs" > "$work/out" 2> "$work/err") || status=$?
sed "s|$work|@DIR@|g" "$work/out" > "$work/actual"
if [ "$status" -ne 0 ] || [ -s "$work/err" ]; then
  echo "$name.kvs failed (exit $status):"
  cat "$work/err"
  diff -u "$expected" "$work/actual" || true
  exit 1
fi
diff -u "$expected" "$work/actual"
