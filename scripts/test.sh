#!/usr/bin/env bash
# Set-up if needed, build, and run every test under a virtual display through ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build

"$top/scripts/build.sh"
. "$top/scripts/wine-env.sh"

if [ -z "${QUILLET_IN_XVFB:-}" ]; then
  wine_prepare
  export QUILLET_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# A persistent server, and the desktop's processes started now with their output
# elsewhere: started by a test, they would hold its output pipe open, and each test
# would pay for their start.
wineserver -p
wine "$build/bin/WindowControl.exe" close none >/dev/null 2>&1 || true

cd "$build"
status=0
ctest --output-on-failure "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
