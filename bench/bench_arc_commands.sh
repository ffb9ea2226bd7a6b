#!/usr/bin/env bash
# The archive commands side by side with bsdtar, on archives of 20,000
# entries (made here with bsdtar):
#  - "一覧(&V)" as a whole command (navirt-tool arc list runs the command's
#    listing function and prints the pane text) against bsdtar -tvf;
#  - extracting (navirt-tool arc extract, the library call the menu makes,
#    and "解凍(&U)" from the menu of the real window through
#    bench_arc_menu: dialog, job with its progress window, reload, pane)
#    against bsdtar -xf and, for the ZIP, unzip -q;
#  - "一覧(&V)" from the menu into the pane (bench_arc_menu);
#  - the preview of a 1,000-entry LHA archive with "LHA書庫内容表示(&L)"
#    checked (navirt-tool arc preview: both checks and the "l" command),
#    whole command including the program's start.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-5}
# NAVIRT_ARC_BENCH_DATA=/dev/shm/navirt-arc puts the archives and the
# extracted files on tmpfs: on a shared disk the writing of 20,000 small
# files swings by several times from run to run, for every program alike.
data=${NAVIRT_ARC_BENCH_DATA:-$build/bench-data/arc-commands}
export NAVIRT_ARC_BENCH_DATA=$data
mkdir -p "$data"
trap 'rm -rf "$data"/x.* "$data/bench-menu"' EXIT
[ -x "$tool" ] || { echo "bench_arc_commands.sh: build first ($tool missing)"; exit 2; }
command -v bsdtar >/dev/null || { echo "bench_arc_commands.sh: bsdtar missing (libarchive-tools)"; exit 2; }

best_ms() {
  local best=0
  for ((i = 0; i < runs; i++)); do
    local t0 t1 ms
    t0=$(date +%s%N)
    "$@" > /dev/null 2>&1
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
  done
  echo $best
}
# Every run extracts into a folder of its own and the folders go at the
# end: a run right after 20,000 files were deleted pays for it in the file
# system (ext4 passes over recently freed inodes), which would blur the
# comparison.
extract_ms() {
  local best=0
  for ((i = 0; i < runs; i++)); do
    local dir
    dir=$(mktemp -d "$data/x.XXXXXX")
    local t0 t1 ms
    sync  # the last run's writes are not this run's cost
    t0=$(date +%s%N)
    (cd "$dir" && "$@" > /dev/null 2>&1)
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
  done
  echo $best
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

tree=$data/tree
if [ ! -f "$tree/.done" ]; then
  rm -rf "$tree"
  for ((d = 0; d < 200; d++)); do
    dir=$tree/d$d
    [ $((d % 10)) = 0 ] && dir=$tree/表示$d
    mkdir -p "$dir"
    for ((f = 0; f < 100; f++)); do printf 'file %d in folder %d\n' $f $d > "$dir/f$f.txt"; done
  done
  touch "$tree/.done"
fi
[ -f "$data/e.zip" ] || (cd "$tree" && bsdtar -cf "$data/e.tar" --exclude .done . &&
  bsdtar -cf "$data/e.zip" --format zip --exclude .done .)
lha=$data/lha1000
if [ ! -f "$data/p1000.lzh" ]; then
  rm -rf "$lha"
  mkdir -p "$lha"
  for ((f = 0; f < 1000; f++)); do printf 'entry %d of the preview archive\n' $f > "$lha/e$f.txt"; done
  (cd "$lha" && "$tool" arc create "$data/p1000.lzh" ./*.txt > /dev/null)
fi

echo "archives of $(bsdtar -tf "$data/e.zip" | wc -l) entries; $runs runs each, best shown (ms)"
printf '%-28s %10s %10s %8s\n' "operation" "navirt" "bsdtar" "ratio"
for a in e.tar e.zip; do
  n=$(best_ms "$tool" arc list "$data/$a")
  b=$(best_ms bsdtar -tvf "$data/$a")
  printf '%-28s %10d %10d %8s\n' "list $a (vs -tvf)" "$n" "$b" "$(ratio "$n" "$b")"
done
# The menu's figures: the mean of three runs each, from the click to the
# command's end (bench_arc_menu needs a build with NAVIRT_BENCH=ON).
menu_csv=""
if [ -x "$build/bin/bench_arc_menu" ]; then
  menu_csv=$(QT_QPA_PLATFORM=offscreen "$build/bin/bench_arc_menu" --benchmark_format=csv 2>/dev/null | grep '^"BM_' || true)
fi
menu_ms() { # BENCH CASE
  [ -n "$menu_csv" ] || { echo "-"; return; }
  echo "$menu_csv" | awk -F, -v want="$1/$2/" 'index($1, want) { printf "%d", $3 + 0.5; found = 1 } END { if (!found) printf "-" }'
}
echo
printf '%-14s %10s %10s %10s %10s %12s %12s\n' "extract (ms)" "tool" "menu" "bsdtar" "unzip" "tool/bsdtar" "menu/bsdtar"
for a in e.zip e.tar; do
  n=$(extract_ms "$tool" arc extract "$data/$a")
  b=$(extract_ms bsdtar -xf "$data/$a")
  u="-"
  [ "$a" = e.zip ] && command -v unzip >/dev/null && u=$(extract_ms unzip -q -o "$data/$a")
  m=$(menu_ms BM_ExtractFromTheMenu "${a#e.}20k")
  mr="-"
  [ "$m" != "-" ] && mr=$(ratio "$m" "$b")
  printf '%-14s %10s %10s %10s %10s %12s %12s\n' "$a" "$n" "$m" "$b" "$u" "$(ratio "$n" "$b")" "$mr"
done
for a in e.zip e.tar; do
  m=$(menu_ms BM_ListFromTheMenu "${a#e.}20k")
  echo "一覧(&V) of $a from the menu into the pane: $m ms"
done
entries=$("$tool" arc list "$data/p1000.lzh" | grep -c ' -lh' || true)
n=$(best_ms "$tool" arc preview "$data/p1000.lzh")
echo "LHA preview of a $entries-entry archive: $n ms (whole command)"
