#!/usr/bin/env bash
# Builds the solid-archive benchmark, makes its archive once (318 MB of text in
# 1,250 files, 90 MB packed) and runs it under Wine in a virtual display.
# Usage: run.sh [rounds]   Figures go to standard output. Extractions land in the
# build's bench-data/solid/work, emptied between runs.
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${QUILLET_BUILD:-$top/build}
data=$build/bench-data/solid
cmake --build "$build" --target bench_solid -j1 >/dev/null
"$top/bench/solid/make-archive.sh" "$data/solid-text.rar"
rm -rf "$data/work"
cd "$build/bin"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-exec.sh" ./bench_solid.exe \
  "$(echo "Z:$data/solid-text.rar" | tr / '\\')" "$@" || status=$?
rm -rf "$data/work"
exit $status
