#!/usr/bin/env bash
# Archives side by side with bsdtar (libarchive's own front end):
#  - listing a .tar, .tgz and .zip of 20,000 entries (navirt-tool arc list,
#    which goes through the archive-file object, the library's open and
#    find calls and the general listing text) against bsdtar -tf;
#  - extracting the .zip and .tgz against bsdtar -xf;
#  - -lh5- packing speed on the 64 MiB Japanese corpus (the one
#    bench_codec.sh builds, made here when missing), its output checked by
#    lha (lhasa) and by libarchive.
# Everything is generated under <build>/bench-data/; best of N runs shown.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-3}
data=$build/bench-data/archive
mkdir -p "$data"
[ -x "$tool" ] || { echo "bench_archive.sh: build first ($tool missing)"; exit 2; }
command -v bsdtar >/dev/null || { echo "bench_archive.sh: bsdtar missing (libarchive-tools)"; exit 2; }

# best_ms CMD...: best wall time in milliseconds of $runs runs.
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

# extract_ms TOOL-CMD...: like best_ms, into a fresh folder each run.
extract_ms() {
  local best=0
  for ((i = 0; i < runs; i++)); do
    rm -rf "$data/x"
    mkdir -p "$data/x"
    local t0 t1 ms
    t0=$(date +%s%N)
    (cd "$data/x" && "$@" > /dev/null 2>&1)
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
  done
  rm -rf "$data/x"
  echo $best
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# 20,000 small files in 200 folders, some with Japanese names.
tree=$data/tree
if [ ! -f "$tree/.done" ]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  for ((d = 0; d < 200; d++)); do
    dir=$tree/d$d
    [ $((d % 10)) = 0 ] && dir=$tree/表示$d
    mkdir -p "$dir"
    for ((f = 0; f < 100; f++)); do
      printf 'file %d in folder %d\n' $f $d > "$dir/f$f.txt"
    done
  done
  touch "$tree/.done"
fi
(cd "$tree" && bsdtar -cf "$data/e.tar" --exclude .done . && bsdtar -czf "$data/e.tgz" --exclude .done . &&
  bsdtar -cf "$data/e.zip" --format zip --exclude .done .)
entries=$(bsdtar -tf "$data/e.zip" | wc -l)
echo "archives of $entries entries; $runs runs each, best shown (ms)"
printf '%-22s %10s %10s %8s\n' "operation" "navirt" "bsdtar" "ratio"
for a in e.tar e.tgz e.zip; do
  n=$(best_ms "$tool" arc list "$data/$a")
  b=$(best_ms bsdtar -tf "$data/$a")
  printf '%-22s %10d %10d %8s\n' "list $a" "$n" "$b" "$(ratio "$n" "$b")"
done
for a in e.zip e.tgz; do
  n=$(extract_ms "$tool" arc extract "$data/$a")
  b=$(extract_ms bsdtar -xf "$data/$a")
  printf '%-22s %10d %10d %8s\n' "extract $a" "$n" "$b" "$(ratio "$n" "$b")"
done

# -lh5- on the Japanese corpus.
corpus=$build/bench-data/codec-sjis.txt
if [ ! -s "$corpus" ]; then
  seed=$data/jp-seed.txt
  {
    for f in /usr/share/man/ja/man*/*.gz; do [ -e "$f" ] && zcat "$f"; done
    cat "$root/bench/codec_prose.txt"
  } 2>/dev/null | grep -v "^[.']" | { iconv -c -f UTF-8 -t CP932 || true; } > "$seed"
  corpus=$data/jp-corpus.txt
  : > "$corpus"
  while [ "$(stat -c %s "$corpus")" -lt $((64 << 20)) ]; do cat "$seed" >> "$corpus"; done
fi
size=$(stat -c %s "$corpus")
cp "$corpus" "$data/corpus.txt"
rm -f "$data/corpus.lzh"
best=0
for ((i = 0; i < runs; i++)); do
  rm -f "$data/corpus.lzh"
  t0=$(date +%s%N)
  (cd "$data" && "$tool" arc create corpus.lzh corpus.txt > /dev/null)
  t1=$(date +%s%N)
  ms=$(((t1 - t0) / 1000000))
  if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
done
packed=$(stat -c %s "$data/corpus.lzh")
echo "-lh5- create of $size bytes: $best ms, $(awk -v s="$size" -v m="$best" 'BEGIN { printf "%.1f", s / 1048576 / (m / 1000) }') MiB/s, packed to $packed bytes ($(awk -v p="$packed" -v s="$size" 'BEGIN { printf "%.1f", p * 100 / s }')%)"
lha t "$data/corpus.lzh" > /dev/null 2>&1 && echo "  lha t: OK" || echo "  lha t: FAILED"
if bsdtar -xOf "$data/corpus.lzh" | cmp -s - "$data/corpus.txt"; then echo "  libarchive: same bytes"; else echo "  libarchive: DIFFERENT"; fi
rm -f "$data/corpus.txt"
