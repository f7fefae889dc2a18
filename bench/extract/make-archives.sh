#!/usr/bin/env bash
# Makes the extraction benchmark's archives once, in the folder given:
#   large.rar     4 files of 256 MiB: two of random bytes (stored as they are), two
#                 of base64 text (compressed), -m1
#   small.rar     100,000 files of about 1.5 KB in 100 folders of 1,000, -m1
#   flat.rar      100,000 files of 100 bytes side by side (one list view of
#                 100,000 rows), -m1
set -eu
# The pipelines below end early on purpose (head); their sources then die of SIGPIPE.
set +o pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d "$out/make.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ ! -f "$out/large.rar" ]; then
  mkdir "$work/large"
  for i in 1 2; do
    head -c 268435456 /dev/urandom > "$work/large/noise$i.bin"
    head -c 201326592 /dev/urandom | base64 -w 76 | head -c 268435456 > "$work/large/text$i.txt"
  done
  (cd "$work/large" && rar a -idq -m1 "$out/large.rar" noise1.bin noise2.bin text1.txt text2.txt)
fi

if [ ! -f "$out/small.rar" ]; then
  mkdir "$work/small"
  for d in $(seq -w 0 99); do
    mkdir "$work/small/d$d"
    # 1,000 pieces of 20 lines of 76 characters.
    head -c 1140000 /dev/urandom | base64 -w 76 | head -n 20000 |
      (cd "$work/small/d$d" && split -l 20 -a 3 -d - f)
  done
  (cd "$work/small" && rar a -idq -r -m1 "$out/small.rar" '*')
fi

if [ ! -f "$out/flat.rar" ]; then
  mkdir "$work/flat"
  python3 - "$work/flat" <<'PY'
import os, sys
folder = sys.argv[1]
for i in range(100000):
    with open(os.path.join(folder, "f%06d.txt" % i), "wb") as f:
        f.write(os.urandom(50).hex().encode())
PY
  (cd "$work/flat" && rar a -idq -m1 "$out/flat.rar" '*')
fi
ls -l "$out"/*.rar
