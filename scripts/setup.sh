#!/usr/bin/env bash
# Installs everything the build, the run and the tests need, and fetches the
# RAR library's source. Idempotent: a second run only checks.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD:-$top/build}
unrar_version=1:6.2.6-1+deb12u1
unrar_dir=$build/third_party/unrar-nonfree-6.2.6

packages=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32
          fonts-wine fonts-liberation xvfb xauth rar unrar imagemagick googletest dpkg-dev patch python3
          nsis zip)

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

sources_ready() {
  dpkg --print-foreign-architectures | grep -qx i386 &&
    [ -f /etc/apt/sources.list.d/quillet-nonfree.sources ]
}

if ! sources_ready; then
  sudo_ dpkg --add-architecture i386
  sudo_ tee /etc/apt/sources.list.d/quillet-nonfree.sources >/dev/null <<'SRC'
Types: deb deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  updated=
else
  updated=yes
fi

install_missing() {
  if [ -n "$(missing)" ] || [ -z "$updated" ]; then
    [ -n "$updated" ] || sudo_ apt-get update -qq
    updated=yes
    # shellcheck disable=SC2046
    DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends $(missing) >/dev/null
  fi
}
install_missing

# Without 32-bit programs the build and the tests go 64-bit (scripts/arch.sh).
. "$top/scripts/arch.sh"
if [ "$(quillet_arch)" = x86_64 ]; then
  packages+=(wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
  install_missing
fi

# The library source: Debian's, with Debian's patches applied (among them the fix
# for CVE-2023-40477; apt-get source applies them when it unpacks), then ours
# (cmake/unrar/patches, in the order of its series). The tree's stamp holds the
# hash of our series and patches: a tree made with other patches, or none, is
# unpacked and patched afresh, from the package files already fetched if they are
# there.
patches=$top/cmake/unrar/patches
our_patches() { grep -v '^[[:space:]]*\(#\|$\)' "$patches/series"; }
series_hash() {
  { cat "$patches/series"; for p in $(our_patches); do cat "$patches/$p"; done; } | sha256sum | cut -d' ' -f1
}
stamp=$unrar_dir/.quillet-patched
if [ "$(cat "$stamp" 2>/dev/null)" != "$(series_hash 2>/dev/null)" ]; then
  for p in $(our_patches); do
    [ -f "$patches/$p" ] || { echo "setup: our unrar patch $p (cmake/unrar/patches/series) is missing" >&2; exit 1; }
  done
  mkdir -p "$build/third_party"
  rm -rf "$unrar_dir"
  dsc=$build/third_party/unrar-nonfree_${unrar_version#*:}.dsc
  if ! { [ -f "$dsc" ] && dpkg-source -x "$dsc" "$unrar_dir" >/dev/null 2>&1; }; then
    rm -rf "$unrar_dir"
    (cd "$build/third_party" && apt-get source -qq "unrar-nonfree=$unrar_version" >/dev/null)
  fi
  [ -d "$unrar_dir/.pc/0015-CVE-2023-40477.patch" ] || {
    echo "setup: the unrar source lacks the CVE-2023-40477 patch" >&2; exit 1; }
  grep -qF "unrar-nonfree (${unrar_version})" "$unrar_dir/debian/changelog" || {
    echo "setup: expected unrar-nonfree $unrar_version" >&2; exit 1; }
  for p in $(our_patches); do
    (cd "$unrar_dir" && patch -p1 --batch --forward --silent --no-backup-if-mismatch --reject-file=- <"$patches/$p") || {
      echo "setup: our unrar patch $p does not apply to unrar-nonfree $unrar_version" >&2; exit 1; }
  done
  # Newer than every object built from an earlier tree: a file that a patch no
  # longer changes must be compiled again too.
  find "$unrar_dir" -type f -exec touch {} +
  series_hash >"$stamp"
fi
