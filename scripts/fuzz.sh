#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; not part of the default build) and runs each for
# a fixed time from its seed corpus in tests/fuzz/corpus/TARGET.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default 30 s, every target)
# Longer runs: scripts/fuzz.sh 3600 fuzz_xlsx. New inputs the fuzzer finds go
# to build-fuzz/corpus/TARGET (the repository's seeds stay as they are); a
# crashing input is written to build-fuzz/crash-* and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_xlsx fuzz_formula fuzz_address fuzz_docx)

packages=(clang libclang-rt-14-dev libfuzzer-14-dev libzip-dev zlib1g-dev libpugixml-dev libexpat1-dev pkg-config)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

out=build-fuzz
mkdir -p "$out/obj"
CXX=${CXX:-clang++}
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined -Isrc -Itests/fuzz)
libs_pc=(libzip expat pugixml zlib)
# Optional libraries some host parts may use once they exist.
for p in cairo pangocairo cups libdeflate; do pkg-config --exists "$p" && libs_pc+=("$p"); done
read -r -a cflags <<< "$(pkg-config --cflags "${libs_pc[@]}")"
read -r -a ldflags <<< "$(pkg-config --libs "${libs_pc[@]}")"
# libcups has no pkg-config file on Debian; the print job links it directly.
[ -f /usr/include/cups/cups.h ] && ldflags+=(-lcups)
ldflags+=(-pthread)

# The host library once, instrumented for coverage.
objects=()
while IFS= read -r src; do
  obj="$out/obj/$(echo "${src%.cpp}" | tr '/' '_').o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find src/host -name '*.h' -newer "$obj" -print -quit)" ]; then
    "$CXX" "${flags[@]}" -fsanitize=fuzzer-no-link "${cflags[@]}" -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done < <(find src/host -name '*.cpp' | sort)

status=0
for t in "${targets[@]}"; do
  "$CXX" "${flags[@]}" -fsanitize=fuzzer "${cflags[@]}" "tests/fuzz/$t.cpp" "${objects[@]}" "${ldflags[@]}" -o "$out/$t"
  mkdir -p "$out/corpus/$t"
  echo "fuzz: $t for ${seconds}s"
  if ! (cd "$out" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "./$t" -max_total_time="$seconds" -seed=1 -rss_limit_mb=2560 -max_len=262144 -timeout=20 \
        -print_final_stats=1 "corpus/$t" $( [ -d "../tests/fuzz/corpus/$t" ] && echo "../tests/fuzz/corpus/$t") 2> "$t.log"); then
    echo "fuzz: $t found a failure:"; tail -60 "$out/$t.log"; status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$out/$t.log" | sed "s/^/fuzz: $t /" || true
done
exit $status
