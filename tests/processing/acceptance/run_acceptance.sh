#!/bin/bash
# 汇总及编号 and 随机排序 end to end on the shipped template: runs
# acceptance.kvs in a fresh folder with a copy of the program folder and
# checks its output with check_acceptance.py. The random draws are seeded so
# the run is repeatable; the checks look at sets and pairs, not at the order.
#
# usage: run_acceptance.sh KORVANE SHARE_DIR
set -euo pipefail
korvane=$1
share=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/meets" "$work/config"
cp -r "$share/." "$work/program/"
export KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KORVANE_NOW=2024-04-09T08:30:15
export KORVANE_SEED=20240409

sed "s|@DIR@|$work|g" "$here/acceptance.kvs" > "$work/acceptance.kvs"
if ! "$korvane" run "$work/acceptance.kvs" > "$work/out" 2> "$work/err"; then
  echo "acceptance.kvs failed:"
  cat "$work/out" "$work/err"
  exit 1
fi
python3 "$here/check_acceptance.py" "$work/acceptance.kvs" "$work/out"
