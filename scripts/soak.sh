#!/usr/bin/env bash
# The long run of the hardening suite, on demand: the same generators as the CI
# tests (tests/hardening) over many more mutated archives, each listed and
# extracted in a probe child under its own watchdog, and all 200,000 entries of
# the large archive extracted.
#
#   scripts/soak.sh [archives per base archive] [seed]
#
# Ten base archives: the default of 500 makes 5,000 mutated archives. The CI run
# uses seed 1; the soak defaults to seed 2, so that it meets other archives.
# Failed cases keep their archives in build/bin/fixtures/MutatedArchives.*/failed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build
per_base=${1:-500}
seed=${2:-2}

if [ -z "${QUILLET_IN_XVFB:-}" ]; then
  if [ -f "$build/CMakeCache.txt" ]; then
    cmake --build "$build" -j2 --target test_hardening
  else
    "$top/scripts/build.sh" --target test_hardening
  fi
  . "$top/scripts/wine-env.sh"
  wine_prepare
  export QUILLET_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
. "$top/scripts/wine-env.sh"

# As scripts/test.sh: one server for the run, the desktop started beforehand.
wineserver -p </dev/null >/dev/null 2>&1
wine "$build/bin/WindowControl.exe" close none >/dev/null 2>&1 || true

log="$build/soak-$(date +%Y%m%d-%H%M%S).log"
start=$(date +%s)
status=0
(cd "$build/bin" &&
  QUILLET_MUTATIONS_PER_ARCHIVE=$per_base QUILLET_MUTATION_SEED=$seed QUILLET_EXTRACT_ALL_ENTRIES=1 \
    wine test_hardening.exe --gtest_filter='MutatedArchives.*:ManyEntries.*') >"$log" 2>&1 || status=$?
end=$(date +%s)
wineserver -k 2>/dev/null || true

echo "Soak: $per_base mutated archives per base, seed $seed, $((end - start)) s; log $log"
awk -F'\t' '
  /^MUTATION-TALLY/ { tried[$3] += $4; passed[$3] += $5; all += $4; ok += $5 }
  END {
    for (kind in tried) printf "  %-34s %6d tried %6d passed\n", kind, tried[kind], passed[kind]
    printf "  %-34s %6d tried %6d passed\n", "all mutated archives", all, ok
  }' "$log"
echo "  archives by the codes the library reported (open/stop), most frequent first:"
grep -E '^MUTATION-CODES' "$log" | awk -F'\t' '{ n[$2] += $3 } END { for (c in n) printf "  %6d  %s\n", n[c], c }' |
  sort -nr
grep -E 'HANG|CRASH|FAILED|WATCHDOG' "$log" | head -50 || true
grep -E '^\[  (PASSED|FAILED)' "$log" || true
exit $status
