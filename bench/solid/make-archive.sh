#!/usr/bin/env bash
# Makes the benchmark's archive once: one solid RAR5 archive (-s -m3) of 1,250 text
# files side by side, 318 MB unpacked, from a seeded generator (the same bytes on
# every machine). Usage: make-archive.sh OUTPUT.rar
set -euo pipefail
out=$1
[ -f "$out" ] && exit 0
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
work=$(mktemp -d "$(dirname "$out")/text.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240517)
letters = "etaoinshrdlucmfwypvbgkjqxz"
# Words of 2-9 letters drawn with a Zipf-like weight: text that packs to under a
# third, so the archive is mostly unpacking work, as real documents are.
vocabulary = ["".join(rng.choice(letters[:12 + length]) for _ in range(length))
              for length in (rng.randint(2, 9) for _ in range(5000))]
weights = [1.0 / (rank + 1) for rank in range(len(vocabulary))]
cumulative = []
total = 0.0
for weight in weights:
    total += weight
    cumulative.append(total)
files, average = 1250, 256000
for index in range(files):
    size = rng.randint(average * 5 // 8, average * 11 // 8)
    lines = []
    length = 0
    while length < size:
        words = rng.choices(vocabulary, cum_weights=cumulative, k=rng.randint(6, 16))
        line = " ".join(words).capitalize() + ".\n"
        lines.append(line)
        length += len(line)
    text = "".join(lines)[:size]
    with open(os.path.join(root, "part-%04d.txt" % (index + 1)), "w", newline="\n") as handle:
        handle.write(text)
PY
# Names in the shell's sorted order: header order is name order.
(cd "$work" && rar a -s -m3 -ma5 -idq "$out.tmp" part-*.txt)
mv "$out.tmp" "$out"
