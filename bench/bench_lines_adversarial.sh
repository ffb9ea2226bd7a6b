#!/usr/bin/env bash
# navirt-tool lines on inputs that once took quadratic time: lines ended by
# CR alone (del-match / keep-match looked ahead for an LF on every line) and
# one long line of a double-byte character whose bytes are all lead-byte
# values (replace / del-phrase walked back to the line start on every match).
# Prints the wall ms of each; both should grow linearly with the input.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ms() {
  local s e
  s=$(date +%s%N)
  "$@" >/dev/null 2>&1
  e=$(date +%s%N)
  echo $(((e - s) / 1000000))
}

printf '%-40s %9s\n' case wall_ms
for n in 1000000 4000000; do
  awk -v n=$n 'BEGIN { for (i = 0; i < n; i++) printf "line\r" }' >"$work/cr.txt"
  printf '%-40s %9s\n' "del-match on $n CR-only lines" "$(ms "$tool" lines del-match line "$work/cr.txt")"
  printf '%-40s %9s\n' "keep-match on $n CR-only lines" "$(ms "$tool" lines keep-match zzz "$work/cr.txt")"
done
eq=$(printf '\x81\x81')  # "＝" in CP932: both bytes are lead-byte values
for n in 100000 400000; do
  awk -v n=$n -v c="$eq" 'BEGIN { for (i = 0; i < n; i++) printf "%s", c; printf "\r\n" }' >"$work/eq.txt"
  printf '%-40s %9s\n' "replace in one line of $n x 0x8181" \
    "$(ms "$tool" lines --sjis-args replace "$eq" "$eq$eq" "$work/eq.txt")"
  printf '%-40s %9s\n' "del-phrase in one line of $n x 0x8181" \
    "$(ms "$tool" lines --sjis-args del-phrase "$eq" "$work/eq.txt")"
done
