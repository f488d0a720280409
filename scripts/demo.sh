#!/usr/bin/env bash
# Builds Korvane and runs the whole road of a sample meet into ./meet-demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DCMAKE_BUILD_TYPE=Release
build/bin/korvane demo "${1:-meet-demo}"
