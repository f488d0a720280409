#!/usr/bin/env bash
# Screenshots of the desktop program along a sample meet, taken on a virtual
# display (Xvfb), into DIR (default ./screenshots):
#   scripts/screenshots.sh [DIR] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots}
build=${2:-build}
cmake --build "$build" -j2 --target korvane_screenshots >/dev/null
xvfb-run -a -s "-screen 0 1280x960x24" env QT_QPA_PLATFORM=xcb "$build/bin/korvane_screenshots" "$out"
