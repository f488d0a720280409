#!/usr/bin/env bash
# Installs every Debian package the build and the tests need (skipping what is
# present), then configures and builds.
#   scripts/setup.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

# What the program needs to build and run.
packages=(
  build-essential cmake pkg-config
  libzip-dev zlib1g-dev libdeflate-dev libpugixml-dev libexpat1-dev
  qt6-base-dev fonts-noto-cjk
  libcairo2-dev libpango1.0-dev libcups2-dev
)
# What the tests and benchmarks need besides; left out with
# KORVANE_PROGRAM_ONLY=1 (scripts/demo.sh, which builds without the tests).
if [ "${KORVANE_PROGRAM_ONLY:-0}" != 1 ]; then
  packages+=(
    libgtest-dev libbenchmark-dev clang-format
    python3 python3-openpyxl python3-docx poppler-utils
    libxlsxwriter-dev
    xvfb xauth cups printer-driver-cups-pdf
  )
  # LibreOffice (Calc for workbooks, Writer for the certificate documents) is an
  # optional second reader in the interop tests; install it
  # unless told not to (KORVANE_NO_LIBREOFFICE=1).
  if [ "${KORVANE_NO_LIBREOFFICE:-0}" != 1 ]; then
    packages+=(libreoffice-calc-nogui libreoffice-writer-nogui)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
