#!/usr/bin/env bash
# Set-up if needed, build, and open the bundled sample archive in Quillet under Wine.
# Without a display it uses a virtual one, saves a screenshot of the window, closes
# the window the normal way and prints Quillet's exit code.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build

"$top/scripts/build.sh" --target Quillet WindowControl unrar sample_archive >/dev/null
. "$top/scripts/wine-env.sh"

bin=$build/bin
sample=$build/sample/sample.rar
class=Quillet.MainWindow.ID5224875

if [ -n "${DISPLAY:-}" ] && [ -z "${QUILLET_IN_XVFB:-}" ]; then
  wine_prepare
  cd "$bin"
  wine Quillet.exe -o "$(winepath -w "$sample")"
  exit $?
fi

if [ -z "${QUILLET_IN_XVFB:-}" ]; then
  wine_prepare
  export QUILLET_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

screenshot=${QUILLET_SCREENSHOT:-$build/quillet-run.png}
cd "$bin"
wine Quillet.exe -o "$(winepath -w "$sample")" &
quillet=$!
if wine WindowControl.exe wait "$class" 60000 >/dev/null; then
  sleep 1
  import -window root "$screenshot"
  echo "Screenshot: $screenshot"
  wine WindowControl.exe close "$class"
else
  kill "$quillet" 2>/dev/null || true
fi
status=0
wait "$quillet" || status=$?
echo "Quillet exit code: $status"
wineserver -k 2>/dev/null || true
