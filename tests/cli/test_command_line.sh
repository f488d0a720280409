#!/usr/bin/env bash
# The command line itself: every failure of it is one line "korvane: ..." on
# the error stream with exit status 2; --help and --version answer on the
# standard output; the demo uses only a folder that is empty, missing or its
# own, and treats words starting with "-" as options.
#   test_command_line.sh KORVANE SCRATCH_DIR
set -uo pipefail
korvane=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
failed=0

# expect STATUS STDERR-PATTERN -- ARGS...: the status, and one error line matching the pattern.
expect() {
  local status=$1 pattern=$2
  shift 3
  "$korvane" "$@" > out.txt 2> err.txt < /dev/null
  local got=$?
  if [ "$got" -ne "$status" ]; then
    echo "korvane $*: exit $got, wanted $status"; cat err.txt; failed=1
  fi
  if [ -n "$pattern" ]; then
    if [ "$(wc -l < err.txt)" -ne 1 ] || ! grep -q "$pattern" err.txt; then
      echo "korvane $*: wanted one error line matching '$pattern', got:"; cat err.txt; failed=1
    fi
  elif [ -s err.txt ]; then
    echo "korvane $*: unexpected error output:"; cat err.txt; failed=1
  fi
}

mkdir -p folder
expect 2 "^korvane: 无法读取脚本文件 folder：这是一个文件夹$" -- run folder
expect 2 "^korvane: 无法读取脚本文件 missing.kvs：文件不存在$" -- run missing.kvs
expect 2 "^korvane: run 需要一个脚本文件" -- run
expect 2 "^korvane: run 需要一个脚本文件" -- run a.kvs b.kvs
expect 2 "^korvane: run 没有选项 --verbose" -- run --verbose
expect 2 "^korvane: 未知的命令 frobnicate" -- frobnicate
expect 2 "^korvane: 未知的选项 --frobnicate" -- --frobnicate
expect 2 "^korvane: demo 没有选项 --bogus" -- demo --bogus
expect 2 "^korvane: demo 只接受一个目录" -- demo a b

# --help lists every subcommand and the environment variables.
for args in "--help" "run --help" "demo --help"; do
  expect 0 "" -- $args
  for word in "korvane run" "korvane demo" "--version" KORVANE_PROGRAM_DIR XDG_CONFIG_HOME XDG_DATA_HOME \
      KORVANE_NOW KORVANE_SEED; do
    grep -q -- "$word" out.txt || { echo "korvane $args: '$word' missing"; failed=1; }
  done
done
[ ! -e ./--help ] || { echo "demo --help made a folder"; failed=1; }
expect 0 "" -- --version
grep -q "^Korvane [0-9]" out.txt || { echo "--version printed: $(cat out.txt)"; failed=1; }

# A script line that fails keeps its own error line and exit status 1.
printf 'caption\nfrobnicate\n' > bad.kvs
expect 1 "^error: line 2: unknown statement frobnicate$" -- run bad.kvs

# The demo leaves a folder it did not make alone.
mkdir -p home/Documents
echo "教案" > home/Documents/plan.txt
mkdir -p home/meets && echo "去年的" > home/meets/old.xlsm
expect 2 "^korvane: 文件夹“.*/home”不是空的，也不是演示建立的" -- demo home
[ "$(cat home/meets/old.xlsm)" = "去年的" ] && [ -f home/Documents/plan.txt ] || { echo "demo touched home"; failed=1; }
expect 2 "不是文件夹" -- demo bad.kvs

exit $failed
