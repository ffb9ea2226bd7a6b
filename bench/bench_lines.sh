#!/usr/bin/env bash
# navirt-tool lines and untag against the classic tools doing the same job,
# side by side on the 64 MiB Shift_JIS corpus of the grep benchmark (and a
# 10 MiB HTML page made from it). Wall time is the best of three runs; CPU
# is user + system of one run; RSS is the navirt command's peak. The line
# counts of both outputs are shown: the jobs must agree on them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
work=${TMPDIR:-/tmp}/navirt-bench-grep
mkdir -p "$work"
# shellcheck source=lib/corpus.sh
. "$root/bench/lib/corpus.sh"
sjis_corpus
out=$(mktemp -d "${TMPDIR:-/tmp}/navirt-bench-lines.XXXXXX")
trap 'rm -rf "$out"' EXIT

html=$out/page.html
LC_ALL=C awk '{
  if (NR % 7 == 0) printf "<h2 class=\"s\">%s</h2>\n", $0;
  else if (NR % 5 == 0) printf "<li><a href=\"#n%d\">%s</a> &amp; more</li>\n", NR, $0;
  else if (NR % 11 == 0) printf "<!-- note %d -->%s<br>\n", NR, $0;
  else printf "<p>%s <b>x</b></p>\n", $0 }' "$corpus" | head -c $((10 * 1024 * 1024)) >"$html"

best() {  # best wall time of three runs in ms; output to $out/o.txt
  local b=999999 t s e
  for _ in 1 2 3; do
    s=$(date +%s%N)
    "$@" >"$out/o.txt" 2>/dev/null
    e=$(date +%s%N)
    t=$(((e - s) / 1000000))
    [ $t -lt $b ] && b=$t
  done
  echo $b
}
cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%d", ($1 + $2) * 1000 }'; }
rss() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
count() { { "$@" 2>/dev/null; echo; } | tr '\r' '\n' | tr -s '\n' | wc -l; }

printf '%-16s %8s %8s %6s %6s %8s %8s %9s %9s %9s  %s\n' case navirt_ms other_ms ratio limit navirt_cpu other_cpu rss_KiB navirt_n other_n other
run() {  # name, limit, input, navirt args..., --, classic command...
  local name=$1 limit=$2 input=$3
  shift 3
  local nav=() cls=()
  while [ "$1" != -- ]; do nav+=("$1"); shift; done
  shift
  cls=("$@")
  local label=${cls[0]}
  [ "$label" = env ] && label=${cls[2]}
  [ "$label" = sh ] && label=${cls[3]}
  local tn tc cn cc r nn nc ratio verdict=ok
  tn=$(best "$tool" "${nav[@]}" "$input")
  tc=$(best "${cls[@]}" "$input")
  cn=$(cpu "$tool" "${nav[@]}" "$input")
  cc=$(cpu "${cls[@]}" "$input")
  r=$(rss "$tool" "${nav[@]}" "$input")
  nn=$(count "$tool" "${nav[@]}" "$input")
  nc=$(count "${cls[@]}" "$input")
  ratio=$(awk -v a="$tn" -v b="$tc" 'BEGIN { if (b < 1) b = 1; printf "%.2f", a / b }')
  awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }' || verdict="SLOWER than ${limit}x"
  printf '%-16s %8s %8s %6s %6s %8s %8s %9s %9s %9s  %s %s\n' "$name" "$tn" "$tc" "$ratio" "$limit" "$cn" "$cc" "$r" "$nn" "$nc" "$label" "$verdict"
}

# count() squeezes empty lines, so the counts compare the lines with text.
# untag keeps a line structure sed does not: its counts differ by design.
# The sort's memory limit is 3x the file.
run "sort-asc" 2 "$corpus" lines sort-asc -- env LC_ALL=C sort -f
run "number head" 1 "$corpus" lines number head -- awk '{printf "%7d %s\n", NR, $0}'
run "trim-lead" 1 "$corpus" lines trim-lead -- sed -E 's/^ +//'
run "del-dup" 1 "$corpus" lines del-dup -- uniq
run "tab-to space" 1 "$corpus" lines tab-to space -- sh -c 'exec tr "\t" " " <"$1"' tr
run "untag html" 2 "$html" untag html -- sed -E 's/<[^>]*>//g'
echo "corpus: $corpus ($(stat -c %s "$corpus") bytes, 3x = $((3 * $(stat -c %s "$corpus") / 1024)) KiB); html: $(stat -c %s "$html") bytes"
