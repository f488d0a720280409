#!/usr/bin/env bash
# Builds Korvane and runs the whole road of a sample meet into ./meet-demo.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program only: no tests, so no test packages and a shorter build.
KORVANE_PROGRAM_ONLY=1 scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_TESTS=OFF
build/bin/korvane demo "${1:-meet-demo}"
