#!/usr/bin/env bash
# The house style as a test: every C++ source the repository tracks is as the
# repository's .clang-format would write it. Prints the files that are not
# (fix them with `clang-format -i FILE`).
#   check_format.sh SOURCE_DIR CLANG_FORMAT
set -euo pipefail
cd "$1"
format=$2
bad=()
while IFS= read -r f; do
  "$format" --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'templates/*.cpp' 'templates/*.h' 2>/dev/null || find src tests bench templates -name '*.cpp' -o -name '*.h')
if [ ${#bad[@]} -gt 0 ]; then
  echo "not in the house style (clang-format -i): ${bad[*]}"
  exit 1
fi
