#!/usr/bin/env bash
# cmake --install: the installed program finds its installed program folder
# (templates, help) without any environment, and 初始化... works on the
# user's copy of the template, leaving the installed one untouched.
#   test_install.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
cmake --install "$build" --prefix "$dir/usr" > /dev/null
test -x "$dir/usr/bin/korvane"
shipped="$dir/usr/share/korvane/号码对照表及分组分道编排.xltm"
test -f "$shipped"
test -f "$dir/usr/share/korvane/Quillowen.html"
before=$(md5sum < "$shipped")
out=$(printf 'Content\nInitialization\nset 设置!H2 16\nSave\nQuit\n' |
  env -u KORVANE_PROGRAM_DIR HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME= \
    "$dir/usr/bin/korvane" run -)
grep -qx "help: $dir/usr/share/korvane/Quillowen.html" <<< "$out"
grep -q "^message: 模板已复制到“$dir/home/.local/share/korvane/号码对照表及分组分道编排.xltm”" <<< "$out"
test -f "$dir/home/.local/share/korvane/号码对照表及分组分道编排.xltm"
[ "$(md5sum < "$shipped")" = "$before" ]
