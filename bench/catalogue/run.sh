#!/usr/bin/env bash
# Builds the catalogue benchmark, makes its archive once (220,001 entries) and runs
# it under Wine in a virtual display. Figures go to standard output.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${QUILLET_BUILD:-$top/build}
data=$build/bench-data
mkdir -p "$data"
cmake --build "$build" --target bench_catalogue -j2 >/dev/null
"$top/bench/catalogue/make-archive.sh" "$data/catalogue-200k.rar"
cd "$build/bin"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-exec.sh" ./bench_catalogue.exe \
  "Z:$(echo "$data/catalogue-200k.rar" | tr / '\\')"
