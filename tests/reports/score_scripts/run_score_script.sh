#!/bin/bash
# Runs one command script of the record sheets and the score register in a
# fresh folder and compares its output with NAME.expected. The folder holds a
# copy of the program folder (KORVANE_PROGRAM_DIR; 初始化... edits its template
# in place), an empty settings store and the empty folder meets/. In the script
# and in the expected output the folder is written @DIR@. The clock stands at
# 2024-04-09 08:30:15 and the random draws are seeded.
#
# usage: run_score_script.sh KORVANE SHARE_DIR SCRIPT.kvs
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
export KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" KORVANE_NOW=2024-04-09T08:30:15 KORVANE_SEED=20240409

sed "s|@DIR@|$work|g" "$script" > "$work/$name.kvs"
status=0
"$korvane" run "$work/$name.kvs" > "$work/out" 2> "$work/err" || status=$?
if [ "$status" -ne 0 ]; then
  echo "$name.kvs failed (exit $status):"
  cat "$work/out" "$work/err"
  exit 1
fi
sed "s|$work|@DIR@|g" "$work/out" > "$work/actual"
diff -u "$expected" "$work/actual"
