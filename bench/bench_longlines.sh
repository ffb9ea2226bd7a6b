#!/usr/bin/env bash
# Long single lines, where a search or a streamed conversion used to pay
# once per start position or once per read: gsub 'a+b' over 100,000 "a",
# match '.*QQQ' over a 200 KB line, conv sjis2euc over 100 MB without a
# line end. Best wall time of three runs, in ms; the same output is checked.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
work=$(mktemp -d "${TMPDIR:-/tmp}/navirt-bench-longlines-XXXXXX")
trap 'rm -rf "$work"' EXIT

head -c 100000 /dev/zero | tr '\0' a >"$work/a100k.txt"
# 200 KB of "xyQ" with no QQQ in it.
yes xyQ | tr -d '\n' | head -c 204800 >"$work/q200k.txt"
head -c $((100 * 1024 * 1024)) /dev/zero | tr '\0' a >"$work/line100m.txt"

best() {  # best wall time of RUNS (3) runs of "$@", in ms
  local b=
  for _ in $(seq 1 "${RUNS:-3}"); do
    local s e
    s=$(date +%s%N)
    "$@" >"$work/out" 2>"$work/err"
    e=$(date +%s%N)
    local ms=$(((e - s) / 1000000))
    if [ -z "$b" ] || [ "$ms" -lt "$b" ]; then b=$ms; fi
  done
  echo "$b"
}

t=$(best "$tool" gsub 'a+b' X "$work/a100k.txt")
cmp -s "$work/out" "$work/a100k.txt" && [ "$(cat "$work/err")" = 0 ] && ok=same || ok=DIFFERENT
echo "gsub 'a+b' X, one line of 100,000 a        ${t} ms  (output $ok)"
t=$(best "$tool" match '.*QQQ' "$work/q200k.txt")
[ "$(cat "$work/out")" = "0 0" ] && ok=same || ok=DIFFERENT
echo "match '.*QQQ', 200 KB line without QQQ      ${t} ms  (output $ok)"
t=$(best "$tool" conv sjis2euc "$work/line100m.txt")
cmp -s "$work/out" "$work/line100m.txt" && ok=same || ok=DIFFERENT
echo "conv sjis2euc, 100 MB single line           ${t} ms  (output $ok)"
if command -v iconv >/dev/null; then
  t=$(best iconv -f CP932 -t EUC-JP "$work/line100m.txt")
  echo "  iconv CP932 -> EUC-JP, same file          ${t} ms"
fi
