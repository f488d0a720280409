#!/bin/bash
# Runs one command script of the meet commands in a fresh folder and compares
# what it prints with NAME.expected, exactly; the script must print no error.
# The folder holds a copy of the program folder (KORVANE_PROGRAM_DIR), an empty
# settings store, an empty user data folder (XDG_DATA_HOME: 初始化... edits the
# user's copy of the template there) and the empty folders meets/ and forms/; in the script and in the expected output it is written
# @DIR@. The clock stands at CLOCK (default 2024-04-09 08:30:15, so meet
# workbooks made by 新建 get the stamp 30615) and the random draws are seeded.
#
# usage: run_meet_script.sh KORVANE SHARE_DIR SCRIPT.kvs [CLOCK]
set -euo pipefail
korvane=$1
share=$2
script=$3
clock=${4:-2024-04-09T08:30:15}
name=$(basename "$script" .kvs)
expected="$(dirname "$script")/$name.expected"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/meets" "$work/forms" "$work/config"
cp -r "$share/." "$work/program/"

sed "s|@DIR@|$work|g" "$script" > "$work/$name.kvs"
status=0
(cd "$work" && KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KORVANE_NOW="$clock" \
  KORVANE_SEED=20240409 KORVANE_PRINTER=none "$korvane" run "$work/$name.kvs" > "$work/out" 2> "$work/err") || status=$?
sed "s|$work|@DIR@|g" "$work/out" > "$work/actual"
if [ "$status" -ne 0 ] || [ -s "$work/err" ]; then
  echo "$name.kvs failed (exit $status):"
  cat "$work/err"
  diff -u "$expected" "$work/actual" || true
  exit 1
fi
diff -u "$expected" "$work/actual"
