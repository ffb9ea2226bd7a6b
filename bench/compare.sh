#!/usr/bin/env bash
# Navirt against the classic tools, one table from one run: every row runs
# navirt-tool and its peer on the same input, alternating, and keeps the best
# wall time of each over N runs (NAVIRT_COMPARE_RUNS, default 5). Before any
# time counts, the outputs are compared: a fast wrong answer is no result.
# The machine's load average is printed with every row, since on a busy
# machine the figures swing. Exit status 1 when a row misses its goal or its
# outputs differ, 2 when something needed is missing.
#
# Inputs: the 64 MiB Shift_JIS corpus of the grep benchmark (bench/lib/
# corpus.sh), its EUC-JP and UTF-8 forms made by the tool under test and
# checked against iconv, its first 16 MiB for the dump, 10 M tiny lines for
# the line commands' memory, a tar of 20,000 entries; the preview rows time
# the window itself (bench_preview, 10 MiB files of its own).
#
# NAVIRT_COMPARE_ONLY=grep (a word of the first column) runs only the rows
# whose name holds it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
runs=${NAVIRT_COMPARE_RUNS:-5}
only=${NAVIRT_COMPARE_ONLY:-}
[ -x "$tool" ] || { echo "compare.sh: build first ($tool missing)"; exit 2; }
for t in grep iconv xxd sort bsdtar /usr/bin/time; do
  command -v "$t" >/dev/null || { echo "compare.sh: $t missing"; exit 2; }
done
work=${TMPDIR:-/tmp}/navirt-bench-grep
mkdir -p "$work"
# shellcheck source=lib/corpus.sh
. "$root/bench/lib/corpus.sh"
sjis_corpus
out=$(mktemp -d "${TMPDIR:-/tmp}/navirt-compare.XXXXXX")
trap 'rm -rf "$out"' EXIT
size=$(stat -c %s "$corpus")

load() { cut -d' ' -f1 /proc/loadavg; }
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

failed=0
printf '%-34s %9s %9s %6s %6s  %-5s %s\n' work navirt_ms peer_ms ratio goal load verdict
row() {  # NAME GOAL VERDICT-OK? NAVIRT_MS PEER_MS NOTE
  local name=$1 goal=$2 same=$3 tn=$4 tp=$5 note=$6
  local ratio verdict=ok
  ratio=$(awk -v a="$tn" -v b="$tp" 'BEGIN { if (b < 1) b = 1; printf "%.2f", a / b }')
  if [ "$same" != same ]; then
    verdict="OUTPUTS DIFFER ($same)"
    failed=1
  elif ! awk -v r="$ratio" -v g="$goal" 'BEGIN { exit !(r <= g) }'; then
    verdict="MISSED"
    failed=1
  fi
  printf '%-34s %9s %9s %6s %6s  %-5s %s%s\n' "$name" "$tn" "$tp" "$ratio" "$goal" "$(load)" "$verdict" "${note:+  $note}"
}
wanted() { [ -z "$only" ] || [[ "$1" == *"$only"* ]]; }
# Each timed run writes a new file, as a conversion into a new name does.
# Reusing the name put the harness's own work on the clock of whoever ran
# next: the shell truncating the last run's output (20-25 ms for 64-89 MiB
# on ext4) and the flush ext4 starts when a truncated file is closed
# (20-30 ms more). Both tools paid it alike, which pulled every ratio
# towards 1. NAVIRT_COMPARE_OVERWRITE=1 measures the overwriting case.
overwrite=${NAVIRT_COMPARE_OVERWRITE:-0}
fresh_output() { [ "$overwrite" = 1 ] || rm -f "$1"; }

# versus NAME GOAL CHECK -- NAVIRT... -- PEER...
# Runs both once (outputs in $out/n.out and $out/p.out), calls CHECK, which
# prints "same" or why not, then alternates the timed runs.
versus() {
  local name=$1 goal=$2 check=$3
  shift 4
  local nav=() peer=()
  while [ "$1" != -- ]; do nav+=("$1"); shift; done
  shift
  peer=("$@")
  wanted "$name" || return 0
  "${nav[@]}" >"$out/n.out" 2>/dev/null
  "${peer[@]}" >"$out/p.out" 2>/dev/null
  local same
  same=$($check)
  local bn=0 bp=0 s t
  for ((i = 0; i < runs; i++)); do
    # Output to a file: GNU grep stops at the first match on /dev/null.
    # A new file each time: the last run's output is removed before the
    # clock starts (see fresh_output).
    fresh_output "$out/n.out"
    s=$(date +%s%N); "${nav[@]}" >"$out/n.out" 2>/dev/null; t=$(ms_since "$s")
    if [ $bn = 0 ] || [ "$t" -lt $bn ]; then bn=$t; fi
    fresh_output "$out/p.out"
    s=$(date +%s%N); "${peer[@]}" >"$out/p.out" 2>/dev/null; t=$(ms_since "$s")
    if [ $bp = 0 ] || [ "$t" -lt $bp ]; then bp=$t; fi
  done
  row "$name" "$goal" "$same" "$bn" "$bp" "$note"
}

# Checks. Each prints "same" or what differs.
same_bytes() { cmp -s "$out/n.out" "$out/p.out" && echo same || echo "bytes"; }
# grep: the peer's lines are compared when they are right; where the peer
# matches inside characters, against $expected (made by a slower, exact
# pattern).
same_as_expected() { cmp -s "$out/n.out" "$expected" && echo same || echo "$(wc -l <"$out/n.out") lines, want $(wc -l <"$expected")"; }

note=""

# ------------------------------------------------------------------- grep
sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Shift_JIS bytes as a GNU ERE: trail bytes such as 5B "[" or 5C "\" escaped.
sjre() { sj "$1" | LC_ALL=C sed 's/[][\\.*+?(){}|^$]/\\&/g'; }
# A match must begin on a character: whole characters before it. A lead
# byte and the byte after it are one character, as navirt reads them.
char=$(printf '([^\x81-\x9f\xe0-\xfc]|[\x81-\x9f\xe0-\xfc].)')
expected=$out/expected.out
grep_row() {  # NAME GOAL NAVIRT-EXPR (UTF-8) PEER-MODE PEER-EXPR (bytes) EXACT-ERE (bytes)
  local name=$1 goal=$2 expr=$3 mode=$4 gexpr=$5 exact=$6
  wanted "$name" || return 0
  LC_ALL=C grep -E -e "^$char*($exact)" "$corpus" >"$expected"
  note="$(wc -l <"$expected") lines"
  local peer_n
  peer_n=$(LC_ALL=C grep -c "$mode" -e "$gexpr" "$corpus")
  [ "$peer_n" != "$(wc -l <"$expected")" ] && note="$note; grep alone gives $peer_n (matches inside characters)"
  versus "$name" "$goal" same_as_expected -- "$tool" grep "$expr" "$corpus" -- env LC_ALL=C grep "$mode" -e "$gexpr" "$corpus"
  note=""
}
words="error|warning|file|directory|option"
# Byte form of the kanji class: 亜 = 88 9F, 熙 = EA A4; any byte but LF
# pairs with a lead byte (the corpus holds no zero bytes).
kanji=$(printf '(\x88[\x9f-\xff]|[\x89-\x9f\xe0-\xe9].|\xea[\x01-\xa4])+\x83\x41')
grep_row "grep default" 1.0 default -F default default
grep_row "grep テキスト" 1.0 テキスト -F "$(sj テキスト)" "$(sjre テキスト)"
grep_row "grep [0-9]+\\.[0-9]+" 1.0 '[0-9]+\.[0-9]+' -E '[0-9]+\.[0-9]+' '[0-9]+\.[0-9]+'
grep_row "grep ($words)" 1.0 "($words)" -E "($words)" "($words)"
grep_row "grep [亜-熙]+ア" 0.8 "[亜-熙]+ア" -E "$kanji" "$kanji"

# ------------------------------------------------------------ conversions
euc=$work/corpus-euc.txt
utf8=$work/corpus-utf8.txt
[ -s "$euc" ] || iconv -f CP932 -t EUC-JP-MS "$corpus" >"$euc" 2>/dev/null
[ -s "$utf8" ] || iconv -f CP932 -t UTF-8 "$corpus" >"$utf8"
versus "conv sjis2euc" 0.25 same_bytes -- "$tool" conv sjis2euc "$corpus" -- iconv -f CP932 -t EUC-JP-MS "$corpus"
versus "conv euc2sjis" 0.25 same_bytes -- "$tool" conv euc2sjis "$euc" -- iconv -f EUC-JP-MS -t CP932 "$euc"
versus "conv utf8-sjis" 0.25 same_bytes -- "$tool" conv utf8-sjis "$utf8" -- iconv -f UTF-8 -t CP932 "$utf8"
versus "conv sjis-utf8" 0.25 same_bytes -- "$tool" conv sjis-utf8 "$corpus" -- iconv -f CP932 -t UTF-8 "$corpus"

# ---------------------------------------------------------------- hexdump
dumpin=$work/corpus-16m.bin
[ -s "$dumpin" ] || head -c $((16 << 20)) "$corpus" >"$dumpin"
# The dump's hexadecimal columns read back must give the input.
dump_bytes() {
  LC_ALL=C awk 'NR > 2 { printf "%s", substr($0, 12, 48) }' "$out/n.out" | tr -d ' -' | xxd -r -p | cmp -s - "$dumpin" &&
    echo same || echo "dump does not read back"
}
versus "hexdump 16 MiB" 0.15 dump_bytes -- "$tool" hexdump "$dumpin" -- xxd "$dumpin"

# ---------------------------------------------------------------- sorting
# Same lines as the input (ICU order is not the C locale's, so the order
# itself is not compared with sort's); peak memory at most twice the input.
same_lines() {
  cmp -s <(tr -d '\r' <"$out/n.out" | LC_ALL=C sort) <(LC_ALL=C sort "$out/p.out") && echo same || echo "lines"
}
if wanted "lines sort-asc"; then
  rss=$(/usr/bin/time -f %M "$tool" lines sort-asc "$corpus" 2>&1 >/dev/null | tail -1)
  note="peak $((rss / 1024)) MiB, $(awk -v r="$rss" -v s="$size" 'BEGIN { printf "%.2f", r * 1024 / s }')x the input (goal 2x)"
  awk -v r="$rss" -v s="$size" 'BEGIN { exit !(r * 1024 <= 2 * s) }' || { note="$note MISSED"; failed=1; }
  versus "lines sort-asc" 1.0 same_lines -- "$tool" lines sort-asc "$corpus" -- env LC_ALL=C sort -f "$corpus"
  note=""
fi

# ------------------------------------------------------- line commands' memory
tiny=$work/tiny-lines.txt
if [ ! -s "$tiny" ]; then
  # 10 M lines of one character each (20 MB), a few blanks among them.
  LC_ALL=C awk 'BEGIN { s = "abc de fghij"; for (i = 0; i < 10000000; i++) print substr(s, i % 12 + 1, 1) }' >"$tiny"
fi
tsize=$(stat -c %s "$tiny")
mem_row() {  # NAME ARGS...
  local name="lines $1 (10 M lines)"
  shift
  wanted "$name" || return 0
  local rss s t
  s=$(date +%s%N)
  rss=$(/usr/bin/time -f %M "$tool" "$@" "$tiny" 2>&1 >"$out/n.out" | tail -1)
  t=$(ms_since "$s")
  local x verdict=ok
  x=$(awk -v r="$rss" -v s="$tsize" 'BEGIN { printf "%.2f", r * 1024 / s }')
  awk -v x="$x" 'BEGIN { exit !(x <= 3) }' || { verdict=MISSED; failed=1; }
  [ "$(tr -d '\r' <"$out/n.out" | wc -l)" -ge 9999999 ] || { verdict="OUTPUT SHORT"; failed=1; }
  printf '%-34s %9s %9s %6s %6s  %-5s %s  peak %d MiB\n' "$name" "$t" - "${x}x" 3x "$(load)" "$verdict" $((rss / 1024))
}
mem_row reverse lines reverse
mem_row cut lines cut 1
mem_row insert lines insert x 1
mem_row extract lines extract 1 1
mem_row trim-lead lines trim-lead
mem_row "untag tex" untag tex

# --------------------------------------------------------------- tar list
arc=$work/tar20000
if [ ! -s "$arc/e.tar" ]; then
  rm -rf "$arc"
  for ((d = 0; d < 200; d++)); do
    dir=$arc/tree/d$d
    [ $((d % 10)) = 0 ] && dir=$arc/tree/表示$d
    mkdir -p "$dir"
    for ((f = 0; f < 100; f++)); do printf 'file %d in folder %d\n' $f $d >"$dir/f$f.txt"; done
  done
  (cd "$arc/tree" && bsdtar -cf "$arc/e.tar" .)
fi
# The listing names the entries bsdtar names (its "./" prefix aside). Both
# print UTF-8 on a terminal: the Shift_JIS pane text is converted on output.
same_names() {
  cmp -s <(tr -d '\r' <"$out/n.out" | LC_ALL=C awk 'NF > 3 && $(NF - 2) == "tar" { print $NF }' | LC_ALL=C sort) \
    <(bsdtar -tf "$arc/e.tar" | sed 's|^\./||' | grep -v '^$' | LC_ALL=C sort) &&
    echo same || echo "names"
}
versus "arc list tar, 20,000 entries" 0.7 same_names -- "$tool" arc list "$arc/e.tar" -- bsdtar -tvf "$arc/e.tar"

# ---------------------------------------------------------------- preview
# The window offscreen, from the key to the pane filled: the mean of five
# runs of bench_preview (no peer; the goal is in milliseconds).
preview=$bin/bench_preview
if wanted "preview 10 MiB" && [ -x "$preview" ]; then
  csv=$(QT_QPA_PLATFORM=offscreen "$preview" --benchmark_filter='Preview10MiB' --benchmark_format=csv 2>/dev/null)
  for kind in Sjis:Shift_JIS Utf8:UTF-8; do
    ms=$(printf '%s\n' "$csv" | awk -F, -v k="BM_Preview10MiB${kind%%:*}/" 'index($1, k) { printf "%.0f", $3 }')
    verdict=ok
    if [ -z "$ms" ]; then
      verdict="NOT RUN"
      failed=1
    elif [ "$ms" -gt 100 ]; then
      verdict=MISSED
      failed=1
    fi
    printf '%-34s %9s %9s %6s %6s  %-5s %s\n' "preview 10 MiB ${kind#*:}" "${ms:--}" - - "100ms" "$(load)" "$verdict"
  done
elif wanted "preview 10 MiB"; then
  echo "compare.sh: $preview missing, preview rows not run"
  failed=1
fi

echo "corpus: $corpus ($size bytes); $runs runs each, alternating, best shown; $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg); outputs $([ "$overwrite" = 1 ] && echo "overwritten" || echo "written new")"
[ $failed = 0 ] || echo "compare.sh: goals missed or outputs differ"
exit $failed
