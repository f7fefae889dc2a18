#!/usr/bin/env bash
# Makes the huge benchmark's archive once: 1,100,000 stored entries, 110,000 of them
# folders. Writing 1.1 million files for rar to read would take far longer than the
# benchmark, so the RAR5 headers are written here directly (every file is empty, so
# there is no data to store), and the reference unrar must list exactly the names
# written.
#   wide\                  100,000 files
#   tree\bNNNN\sNN\        1,134 folders of 96 sub-folders; 890,000 files spread
#                          over those 108,864 sub-folders
# Usage: make-archive.sh OUTPUT.rar
set -euo pipefail
out=$1
[ -f "$out" ] && exit 0
python3 - "$out.tmp" "$out.names" <<'PY'
import struct, sys, zlib

out_path, names_path = sys.argv[1], sys.argv[2]

def vint(value):
    out = bytearray()
    while True:
        byte = value & 0x7F
        value >>= 7
        if value:
            out.append(byte | 0x80)
        else:
            out.append(byte)
            return bytes(out)

def block(body):
    sized = vint(len(body)) + body
    return struct.pack("<I", zlib.crc32(sized) & 0xFFFFFFFF) + sized

MTIME = 0x5E0D5DA5          # 2020-01-02 03:04:05 UTC
WINDOWS, DIRECTORY, ARCHIVE = 0, 0x10, 0x20

def entry(name, folder):
    encoded = name.encode("utf-8")
    body = vint(2) + vint(0x02) + vint(0)                 # file header, with a data area of 0 bytes
    if folder:
        body += vint(0x01 | 0x02) + vint(0) + vint(DIRECTORY) + struct.pack("<I", MTIME)
    else:
        body += vint(0x02 | 0x04) + vint(0) + vint(ARCHIVE) + struct.pack("<I", MTIME) + struct.pack("<I", 0)
    body += vint(0) + vint(WINDOWS) + vint(len(encoded)) + encoded  # stored
    return block(body)

FOLDERS, SUBFOLDERS, WIDE_FILES, TREE_FILES = 1134, 96, 100000, 890000
leaves = FOLDERS * SUBFOLDERS
with open(out_path, "wb") as out, open(names_path, "w") as names:
    out.write(b"Rar!\x1a\x07\x01\x00")
    out.write(block(vint(1) + vint(0) + vint(0)))          # main header, no flags
    def add(name, folder):
        out.write(entry(name, folder))
        names.write(name + "\n")
    add("wide", True)
    for i in range(WIDE_FILES):
        add("wide/file%06d.dat" % i, False)
    add("tree", True)
    for b in range(FOLDERS):
        add("tree/b%04d" % b, True)
        for s in range(SUBFOLDERS):
            leaf = b * SUBFOLDERS + s
            add("tree/b%04d/s%02d" % (b, s), True)
            for k in range(leaf, TREE_FILES, leaves):
                add("tree/b%04d/s%02d/f%06d.txt" % (b, s, k), False)
    out.write(block(vint(5) + vint(0) + vint(0)))          # end of archive
PY
# The reference lists every name written, and nothing else.
if ! diff -q <(sort "$out.names") <(unrar lb "$out.tmp" | sort) >/dev/null; then
  echo "make-archive.sh: unrar does not list the names written" >&2
  exit 1
fi
rm -f "$out.names"
mv "$out.tmp" "$out"
