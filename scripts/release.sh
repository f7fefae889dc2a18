#!/usr/bin/env bash
# Set-up if needed, build, and make the release artefacts in build/release/:
# Quillet-<version>-portable.zip and Quillet-<version>-setup.exe. Two runs on one
# commit give the same bytes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
export QUILLET_BUILD=$build

# What users get is the 32-bit build, whatever this machine can run.
QUILLET_ARCH=i686 "$top/scripts/build.sh" --target Quillet unrar >/dev/null
"$top/dist/make-artefacts.sh" "$build" "$build/release"
echo "Release artefacts: $build/release"
