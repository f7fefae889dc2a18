#!/usr/bin/env bash
# Builds the extraction benchmark, makes its archives once (about 1.2 GiB) and runs
# it under Wine in a virtual display. Figures go to standard output. Extractions
# land in the build's bench-data/extract/work, emptied between runs.
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${QUILLET_BUILD:-$top/build}
data=$build/bench-data/extract
cmake --build "$build" --target bench_extract -j2 >/dev/null
"$top/bench/extract/make-archives.sh" "$data"
rm -rf "$data/work" && mkdir -p "$data/work"
windows() { echo "Z:$1" | tr / '\\'; }
cd "$build/bin"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-exec.sh" ./bench_extract.exe \
  "$(windows "$data/large.rar")" "$(windows "$data/small.rar")" "$(windows "$data/flat.rar")" \
  "$(windows "$data/work")" "$@" || status=$?
rm -rf "$data/work"
exit $status
