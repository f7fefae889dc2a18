#!/usr/bin/env bash
# Builds the selection benchmark and runs it under Wine in a virtual display.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${QUILLET_BUILD:-$top/build}
cmake --build "$build" --target bench_ui -j2 >/dev/null
cd "$build/bin"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-exec.sh" ./bench_ui.exe
