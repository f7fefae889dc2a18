#!/usr/bin/env bash
# Set-up if needed, then configure and build Quillet and its tests into build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build

"$top/scripts/setup.sh"
. "$top/scripts/arch.sh"
arch=$(quillet_arch)
toolchain="$top/cmake/mingw-$arch.cmake"
# A build folder configured for the other architecture starts afresh (but for the
# library's source that set-up fetched).
if [ -f "$build/CMakeCache.txt" ] && ! grep -qF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$build/CMakeCache.txt"; then
  find "$build" -mindepth 1 -maxdepth 1 ! -name third_party -exec rm -rf {} +
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
fi
echo "$arch" >"$build/quillet-arch"
cmake --build "$build" -j"$(nproc)" "$@"
