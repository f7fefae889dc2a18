#!/usr/bin/env bash
# Builds the huge-archive benchmark, makes its archive once (1,100,000 entries in
# 110,000 folders, 50 MB) and runs it under Wine in a virtual display.
# Usage: run.sh [rounds]   Figures go to standard output. The jobs it starts (and
# cancels at once) write into the build's bench-data/huge/work, removed afterwards.
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${QUILLET_BUILD:-$top/build}
data=$build/bench-data/huge
mkdir -p "$data"
cmake --build "$build" --target bench_huge -j1 >/dev/null
"$top/bench/huge/make-archive.sh" "$data/huge.rar"
rm -rf "$data/work"
cd "$build/bin"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-exec.sh" ./bench_huge.exe \
  "$(echo "Z:$data/huge.rar" | tr / '\\')" "$(echo "Z:$data/work" | tr / '\\')" "$@" || status=$?
rm -rf "$data/work"
exit $status
