#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as
# errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-asan -DKORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DKORVANE_WERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1
cd build-asan
ctest --output-on-failure -j"$(nproc)"
