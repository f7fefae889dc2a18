#!/usr/bin/env bash
# Makes the benchmark's archive once: 200,000 entries in 20,000 folders
# (20 top folders of 999 sub-folders each; 10 one-byte files in every folder).
# Usage: make-archive.sh OUTPUT.rar
set -euo pipefail
out=$1
[ -f "$out" ] && exit 0
work=$(mktemp -d "$(dirname "$out")/tree.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import os, sys
root = sys.argv[1]
for top in range(20):
    top_dir = os.path.join(root, "tree", "d%02d" % top)
    os.makedirs(top_dir)
    for f in range(10):
        with open(os.path.join(top_dir, "file%02d.txt" % f), "w") as out:
            out.write("x")
    for sub in range(999):
        sub_dir = os.path.join(top_dir, "s%03d" % sub)
        os.makedirs(sub_dir)
        for f in range(10):
            with open(os.path.join(sub_dir, "file%02d.txt" % f), "w") as out:
                out.write("x")
PY
(cd "$work" && rar a -r -m0 -idq "$out.tmp" tree)
mv "$out.tmp" "$out"
