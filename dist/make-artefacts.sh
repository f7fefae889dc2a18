#!/usr/bin/env bash
# Packs a finished build into the release artefacts: the portable zip and the
# per-user installer. Usage: dist/make-artefacts.sh BUILD_DIR [OUT_DIR]
# (OUT_DIR defaults to BUILD_DIR/release). scripts/release.sh builds first and
# then calls this; the install test calls it on its own build.
#
# Reproducible: every time comes from SOURCE_DATE_EPOCH (default: the date of
# the source tree's last commit), names are sorted, the zip stores no extra
# fields and no owner, and the installer's PE header carries no time stamp.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make-artefacts.sh BUILD_DIR [OUT_DIR]}" && pwd)
out=${2:-$build/release}
unrar_license=$build/third_party/unrar-nonfree-6.2.6/license.txt

die() { echo "make-artefacts: $*" >&2; exit 1; }

for file in "$build/bin/Quillet.exe" "$build/bin/unrar.dll" "$unrar_license"; do
    [ -f "$file" ] || die "$file is missing: run scripts/build.sh first"
done
for tool in zip makensis python3; do
    command -v "$tool" >/dev/null || die "$tool not found: run scripts/setup.sh"
done

# The version is set once, in CMakeLists.txt's project(); the version resource
# must agree with it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no four-part project version in $build/CMakeCache.txt"
strings -el "$build/bin/Quillet.exe" | grep -xF "$version" >/dev/null ||
    die "Quillet.exe's version resource does not say $version"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null) ||
        die "not a git checkout: set SOURCE_DATE_EPOCH"
fi
export SOURCE_DATE_EPOCH
# zip stores local time: make that UTC everywhere.
export TZ=UTC LC_ALL=C
umask 022

# Programs whose headers still carry a link time would differ from build to build.
python3 "$top/dist/pe-timestamp.py" check "$build/bin/Quillet.exe" "$build/bin/unrar.dll" ||
    die "a program carries a link time stamp"

stage=$out/stage
zip_name=Quillet-$version-portable.zip
setup_name=Quillet-$version-setup.exe
mkdir -p "$out"
rm -rf "$stage" "${out:?}/$zip_name" "${out:?}/$setup_name"
mkdir -p "$stage"

crlf() { sed 's/\r*$/\r/' "$1"; }
cp "$build/bin/Quillet.exe" "$build/bin/unrar.dll" "$stage/"
crlf "$unrar_license" >"$stage/license-unrar.txt"
sed "s/@VERSION@/$version/g" "$top/dist/README.txt" | crlf /dev/stdin >"$stage/README.txt"
chmod 0644 "$stage"/*
touch -h -d "@$SOURCE_DATE_EPOCH" "$stage"/*

files=(Quillet.exe README.txt license-unrar.txt unrar.dll)
(cd "$stage" && printf '%s\n' "${files[@]}" | sort | zip -q -X -D -9 "$out/$zip_name" -@)

makensis -V2 -WX -NOCD \
    "-DVERSION=$version" "-DSTAGE=$stage" "-DOUTFILE=$out/$setup_name" \
    "$top/dist/installer.nsi" >"$out/makensis.log" ||
    { cat "$out/makensis.log" >&2; die "makensis failed"; }
python3 "$top/dist/pe-timestamp.py" zero "$out/$setup_name"
python3 "$top/dist/pe-timestamp.py" check "$out/$setup_name"
touch -d "@$SOURCE_DATE_EPOCH" "$out/$zip_name" "$out/$setup_name"

(cd "$out" && sha256sum "$zip_name" "$setup_name")
