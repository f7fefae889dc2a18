#!/usr/bin/env bash
# Set-up if needed, then configure and build Quillet and its tests into build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build

"$top/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
