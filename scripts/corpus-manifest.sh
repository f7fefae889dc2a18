#!/usr/bin/env bash
# Regenerates tests/corpus/libarchive/MANIFEST.tsv from what the reference unrar
# (Debian's /usr/bin/unrar) reports for each archive of the corpus. What its output
# cannot tell (passwords, damage it does not see, the notes) comes from the
# hand-kept annotations.tsv beside the manifest.
# Usage: scripts/corpus-manifest.sh [CORPUS_FOLDER]
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-$top/tests/corpus/libarchive}
unrar=/usr/bin/unrar
annotations=$corpus/annotations.tsv
manifest=$corpus/MANIFEST.tsv

[ -x "$unrar" ] || { echo "corpus-manifest: $unrar is missing (apt-get install unrar)" >&2; exit 1; }
[ -f "$annotations" ] || { echo "corpus-manifest: $annotations is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# No user or environment configuration may change what unrar does; UTF-8 so that
# it prints non-ASCII names as they are rather than as "?".
unset RAR RARINI
export HOME=$tmp LC_ALL=C.UTF-8

version=$("$unrar" </dev/null 2>/dev/null | awk '/^UNRAR /{print $2; exit}' || true)
[ "$version" = 6.21 ] ||
  echo "corpus-manifest: unrar $version, the manifest was made with 6.21: exit codes may differ" >&2

# One unrar run with the prompt answered by end of input; its exit code in $code.
run() {
  code=0
  timeout 60 "$unrar" "$@" </dev/null || code=$?
}

# Reads, for one archive, what unrar listed (list.out/.err) and what testing it
# with the right passwords said (test.out/.err, more.out), and prints its format,
# entry count and features, separated by "|".
cat >"$tmp/derive.awk" <<'EOF'
# One header block of the listing is over.
function flush() {
  if (type == "") return
  if (type == "Service") {
    if (name == "CMT") f["archive-comment"] = 1
    if (name == "RR") f["recovery-record"] = 1
    if (name == "QO") f["quick-open"] = 1
  } else {
    entries++
    if (type == "Directory") f["directories"] = 1
    else if (type == "Unix symbolic link") f["symlink"] = 1
    else if (type == "Windows symbolic link") f["windows-symlink"] = 1
    else if (type == "Hard link") f["hardlink"] = 1
    # A directory stores nothing: only files and links are stored or compressed.
    if (type != "Directory" && method != "") f[method == "-m0" ? "stored" : "compressed"] = 1
    # The part of a split file that goes on in the next volume never holds the hash.
    if (type == "File" && !hash && !continued) f["no-checksum"] = 1
    if (type == "File") { if (encrypted) enc++; else plain++ }
    if (host == "Windows") f["host-windows"] = 1
    if (host == "Unix") f["host-unix"] = 1
    if (name ~ /[^\001-\177]/) f["unicode-names"] = 1
  }
  type = name = method = host = ""
  hash = encrypted = continued = 0
}

FILENAME ~ /list\.out$/ {
  if (/^Details: /) {
    details = substr($0, 10)
    format = details ~ /^RAR 5/ ? "rar5" : details ~ /^RAR 4/ ? "rar4" : ""
    n = split(details, d, ", ")
    for (i = 2; i <= n; i++) {
      if (d[i] == "solid") f["solid"] = 1
      else if (d[i] == "lock") f["locked"] = 1
      else if (d[i] == "SFX") f["sfx"] = 1
      else if (d[i] ~ /^volume/) f["multivolume"] = 1
      else if (d[i] == "encrypted headers") f["encrypted-headers"] = 1
      else if (d[i] == "recovery record") f["recovery-record"] = 1
    }
  }
  else if (/^ +Name: /) { flush(); name = $0; sub(/^ +Name: /, "", name) }
  else if (/^ +Type: /) { type = $0; sub(/^ +Type: /, "", type) }
  else if (/^ +Service: EOF/) { flush(); eof = 1 }
  else if (/^ +Ratio: (-->|<--|<->)/) { f["split-entry"] = 1; continued = $2 != "<--" }
  else if (/^ +Size: /) { if ($2 + 0 >= 16777216 && type != "Service") f["large-unpacked"] = 1 }
  else if (/^ +(CRC32|Pack-CRC32|CRC32 MAC|BLAKE2): /) { hash = 1; if ($1 == "BLAKE2:") f["blake2"] = 1 }
  else if (/^ +Host OS: /) host = $3
  else if (/^ +Compression: /) method = $(NF - 1)
  # Windows attributes read like "..A..HR": read-only, hidden or system set.
  else if (/^ +Attributes: [.I][.C][.A][.D][.S][.H][.R]$/) { if ($2 ~ /[SHR]/) f["windows-rhs-attributes"] = 1 }
  else if (/^ +Flags: .*encrypted/) { f["encrypted-data"] = 1; encrypted = 1 }
  else if (/^File version: /) f["file-version"] = 1
  else if (/^ +Unix owner: /) f["unix-owner"] = 1
  else if (/^$/) flush()
}
FILENAME ~ /test\.out$/ && /^Testing archive / { walk[++walked] = substr($0, 17) }
FILENAME ~ /\.err$/ {
  if (/Unexpected end of archive/) f["truncated"] = 1
  if (/Corrupt header is found|header is corrupt/) f["corrupt-header"] = 1
  if (tolower($0) ~ /checksum error/) f["crc-error"] = 1
  if (/Cannot find volume/) f["missing-volume"] = 1
}
FILENAME ~ /\.out$/ && /Program aborted/ { f["unrar-aborts"] = 1 }

END {
  flush()
  if (enc && plain) f["partially-encrypted"] = 1
  if (password ~ /;/) f["mixed-passwords"] = 1
  if (f["truncated"] || f["corrupt-header"] || f["crc-error"] || f["missing-volume"] || f["unrar-aborts"])
    f["damaged"] = 1
  if (!eof && !f["damaged"]) f["no-end-marker"] = 1
  if (extra != "-") {
    n = split(extra, x, ",")
    for (i = 1; i <= n; i++) f[x[i]] = 1
  }
  if (!entries) f[f["damaged"] ? "no-entries-listed" : "no-files"] = 1

  # A volume's place in its set: t on a later volume announces it, then starts
  # again from the first and goes on to the last. Only given when the whole set
  # is found.
  if (f["multivolume"] && !f["missing-volume"]) {
    first = 1
    if (walked > 1 && walk[1] == file)
      for (i = 2; i <= walked; i++) if (walk[i] == file) first = 2
    for (i = first; i <= walked; i++)
      if (walk[i] == file) volume = (i - first + 1) "/" (walked - first + 1)
    if (volume != "") {
      f["volume"] = 1
      if (volume ~ /^1\//) f["first-volume"] = 1
    }
  }

  n = split("sfx solid locked multivolume volume first-volume encrypted-headers " \
            "encrypted-data partially-encrypted mixed-passwords symlink windows-symlink " \
            "hardlink directories unicode-names split-entry archive-comment " \
            "recovery-record stored compressed file-version blake2 quick-open " \
            "windows-rhs-attributes unix-owner host-windows host-unix no-checksum " \
            "large-unpacked no-end-marker damaged truncated corrupt-header crc-error " \
            "missing-volume unrar-aborts crafted no-entries-listed no-files", order, " ")
  out = ""
  for (i = 1; i <= n; i++) {
    k = order[i]
    if (f[k]) out = out (out == "" ? "" : ",") (k == "volume" ? "volume=" volume : k)
    known[k] = 1
  }
  # A hand-kept token the order above does not know yet goes last.
  n = split(extra, x, ",")
  for (i = 1; i <= n; i++)
    if (x[i] != "-" && !known[x[i]]) { out = out (out == "" ? "" : ",") x[i]; known[x[i]] = 1 }
  print format "|" entries + 0 "|" out
}
EOF

declare -A ann_password ann_features ann_note
while IFS=$'\t' read -r file password features note; do
  case $file in ''|'#'*|file) continue ;; esac
  ann_password[$file]=$password
  ann_features[$file]=$features
  ann_note[$file]=$note
done <"$annotations"

cd "$corpus"
mapfile -t files < <(find . -maxdepth 1 -type f \( -name '*.rar' -o -name '*.exe' \) -printf '%f\n' | LC_ALL=C sort)

while IFS= read -r file; do
  [ -f "$file" ] || echo "corpus-manifest: annotations.tsv names $file, which is not in the corpus" >&2
done < <(printf '%s\n' "${!ann_password[@]}" | LC_ALL=C sort)

{
  printf 'file\tformat\tentries\tfeatures\tpassword\tunrar_list_rc\tunrar_test_rc\tnote\tunrar_list_rc_with_password\tunrar_test_rc_with_password\n'

  for file in "${files[@]}"; do
    [ -n "${ann_password[$file]+set}" ] || echo "corpus-manifest: $file has no row in annotations.tsv" >&2
    password=${ann_password[$file]:--}
    extra=${ann_features[$file]:--}
    note=${ann_note[$file]:-}

    # The exit codes, run exactly as the README describes them.
    run lt -idq "$file" >/dev/null 2>&1; list_rc=$code
    run t -p- -idq "$file" >/dev/null 2>&1; test_rc=$code
    key=-p- list_rc_pw=- test_rc_pw=-
    case $password in
      -|unknown) ;;
      *)
        key=-p${password%%;*}
        run lt -idq "$key" "$file" >/dev/null 2>&1; list_rc_pw=$code
        run t -idq "$key" "$file" >/dev/null 2>&1; test_rc_pw=$code
        ;;
    esac

    # What unrar shows of the headers, service headers included, with the password.
    run lta "$key" "$file" >"$tmp/list.out" 2>"$tmp/list.err"

    # A full test with the right password for every entry: "password;d.txt=password2"
    # tests d.txt alone with the second one and every other entry with the first.
    : >"$tmp/more.out"
    : >"$tmp/test.err"
    excludes=()
    if [[ $password == *';'* ]]; then
      IFS=';' read -r -a pairs <<<"${password#*;}"
      for pair in "${pairs[@]}"; do
        excludes+=("-x${pair%%=*}")
        run t -idcp "-p${pair#*=}" "$file" "${pair%%=*}" >>"$tmp/more.out" 2>>"$tmp/test.err"
      done
    fi
    run t -idcp "$key" "${excludes[@]}" "$file" >"$tmp/test.out" 2>>"$tmp/test.err"

    IFS='|' read -r format entries features < <(
      awk -v file="$file" -v password="$password" -v extra="$extra" -f "$tmp/derive.awk" \
        "$tmp/list.out" "$tmp/list.err" "$tmp/test.out" "$tmp/test.err" "$tmp/more.out")

    # When unrar aborts before any details, the signature tells the format.
    if [ -z "$format" ]; then
      case $(head -c 8 "$file" | od -An -tx1 | tr -d ' \n') in
        526172211a070100) format=rar5 ;;
        526172211a0700*) format=rar4 ;;
        *) format=unknown ;;
      esac
    fi

    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$file" "$format" "$entries" "$features" \
      "$password" "$list_rc" "$test_rc" "$note" "$list_rc_pw" "$test_rc_pw"
  done
} >"$tmp/MANIFEST.tsv"

mv "$tmp/MANIFEST.tsv" "$manifest"
chmod 644 "$manifest"
