#!/usr/bin/env bash
# cppcheck over the project's own sources, with the Windows library for the
# Win32 layer. Any finding not listed in .cppcheck/suppressions.txt fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The units as the CMake trees list them.
units=$(sed -n 's/^set(VESK_UNITS \(.*\))$/\1/p' cmake/units.cmake)
[ -n "$units" ] || { echo "no units in cmake/units.cmake" >&2; exit 2; }
cppcheck -q -j"$(nproc)" --std=c++17 --language=c++ --library=windows --library=googletest -D_WIN32 -I . \
  --enable=warning,style,performance,portability --inline-suppr \
  --suppress=missingIncludeSystem --suppressions-list=.cppcheck/suppressions.txt \
  --error-exitcode=1 --template='{file}:{line}: {severity}/{id}: {message}' \
  $units bench tests fuzz
echo "cppcheck: no findings"
