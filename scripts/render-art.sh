#!/usr/bin/env bash
# Renders the icons and toolbar images in src/res from their SVG sources in
# src/res/art. Run it after editing a source and commit both. The output is
# byte-for-byte repeatable with the same tool versions: no timestamps or
# other metadata are written.
#
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
art=$top/src/res/art
res=$top/src/res
# The real ImageMagick, not whatever wrapper comes first on PATH.
convert=${CONVERT:-/usr/bin/convert}

for tool in rsvg-convert "$convert"; do
  if ! command -v "$tool" >/dev/null; then
    echo "render-art: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Metadata that would make two renders of the same source differ.
plain=(-strip +set date:create +set date:modify +set date:timestamp
       -define png:exclude-chunks=date,time -define png:compression-level=9
       -define png:compression-filter=5 -define png:compression-strategy=1)

# render SOURCE SIZE OUT: one square RGBA rendering, 8 bits per channel.
render() {
  rsvg-convert --width "$2" --height "$2" --keep-aspect-ratio "$1" -o "$work/raw.png"
  "$convert" "$work/raw.png" "${plain[@]}" -define png:bit-depth=8 -define png:color-type=6 "PNG32:$3"
}

# Toolbar images with alpha: 32 x 32 for 100 %, and a size of their own for each
# larger display scale (125, 150, 200, 250 and 300 %), so that none is stretched.
for name in open unpack settings about; do
  render "$art/$name.svg" 32 "$res/$name.png"
  for size in 40 48 64 80 96; do
    render "$art/$name.svg" "$size" "$res/$name-$size.png"
  done
done

# icon OUT SOURCE:SIZE...: a multi-size icon, each size drawn from its own
# source so that the small ones stay pixel-sharp.
icon() {
  local out=$1 item frames=()
  shift
  for item in "$@"; do
    render "$art/${item%%:*}" "${item##*:}" "$work/frame-${item##*:}.png"
    frames+=("$work/frame-${item##*:}.png")
  done
  "$convert" "${frames[@]}" "${plain[@]}" "ICO:$out"
}

# The list's icons at 16 pixels and at each larger display scale's size.
icon "$res/folder.ico" folder-16.svg:16 folder-20.svg:20 folder-24.svg:24 folder-32.svg:32 folder-32.svg:40 \
  folder-32.svg:48
icon "$res/document.ico" document-16.svg:16 document-20.svg:20 document-24.svg:24 document-32.svg:32 \
  document-32.svg:40 document-32.svg:48
icon "$res/quillet.ico" quillet-16.svg:16 quillet-20.svg:20 quillet-24.svg:24 quillet-32.svg:32 \
  quillet-40.svg:40 quillet-48.svg:48 quillet-256.svg:64 quillet-256.svg:128 quillet-256.svg:256

echo "render-art: wrote the toolbar images (open, unpack, settings, about at 32 to 96 pixels), folder.ico, document.ico, quillet.ico"
