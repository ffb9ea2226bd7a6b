#!/usr/bin/env bash
# Whole-command throughput of navirt-tool's code, Base64 and width
# conversions against iconv, nkf (and coreutils base64) on one Shift_JIS
# corpus of Japanese prose, then the in-process comparison (bench_codec) on
# the same corpus. The corpus (64 MiB; NAVIRT_CODEC_MIB changes it) is built
# from the Japanese manual pages on this machine and bench/codec_prose.txt,
# repeated, under <build>/bench-data/; nothing large is committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-3}
mib=${NAVIRT_CODEC_MIB:-64}
data=$build/bench-data
mkdir -p "$data"
[ -x "$tool" ] || { echo "bench_codec.sh: build first ($tool missing)"; exit 2; }

sjis=$data/codec-sjis.txt
if [ ! -s "$sjis" ] || [ "$(stat -c %s "$sjis")" -lt $((mib << 20)) ]; then
  seed=$data/codec-seed.txt
  # Text lines of the roff sources, their markup removed; characters the
  # plain Shift_JIS tables lack are dropped (-c), backslash and tilde too,
  # since iconv reads those two as yen and overline.
  {
    for f in /usr/share/man/ja/man*/*.gz; do [ -e "$f" ] && zcat "$f"; done
    cat "$root/bench/codec_prose.txt"
  } 2>/dev/null | grep -v "^[.']" |
    sed -e 's/\\f[BIRP]//g' -e 's/\\([a-z][a-z]//g' -e 's/\\[-&e]//g' -e 's/[\\~]//g' |
    { iconv -c -f UTF-8 -t SHIFT_JIS || true; } > "$seed"
  : > "$sjis"
  while [ "$(stat -c %s "$sjis")" -lt $((mib << 20)) ]; do cat "$seed" >> "$sjis"; done
fi
euc=$data/codec-euc.txt
jis=$data/codec-jis.txt
iconv -f SHIFT_JIS -t EUC-JP "$sjis" > "$euc"
iconv -f SHIFT_JIS -t ISO-2022-JP "$sjis" > "$jis"
size=$(stat -c %s "$sjis")
echo "corpus: $size bytes of Shift_JIS ($(stat -c %s "$data/codec-seed.txt" 2>/dev/null || echo ?) distinct), $runs runs each, best shown"

have_time=0
[ -x /usr/bin/time ] && have_time=1

# measure LABEL INPUT CMD...: best wall time of $runs runs over INPUT (given
# as the last argument), output to /dev/null; peak memory from GNU time.
declare -A best_ms
measure() {
  local label=$1 in=$2
  shift 2
  local best=0 rss=0
  for ((i = 0; i < runs; i++)); do
    local t0 t1 ms
    t0=$(date +%s%N)
    if [ $have_time = 1 ]; then
      /usr/bin/time -f %M -o "$data/rss" "$@" "$in" > /dev/null
    else
      "$@" "$in" > /dev/null
    fi
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
    [ $have_time = 1 ] && rss=$(cat "$data/rss")
  done
  best_ms[$label]=$best
  local insize
  insize=$(stat -c %s "$in")
  awk -v l="$label" -v ms="$best" -v b="$insize" -v rss="$rss" 'BEGIN {
    printf "  %-38s %7d ms %8.1f MiB/s  peak %7.1f MiB\n", l, ms, b / 1048576 / (ms > 0 ? ms / 1000 : 0.001), rss / 1024 }'
}

ratio() {  # ours against others...
  local ours=${best_ms[$1]}
  shift
  local line="  => navirt-tool"
  for o in "$@"; do line+=$(awk -v a="$ours" -v b="${best_ms[$o]}" -v n="$o" 'BEGIN { printf "  %.1fx %s", b / (a > 0 ? a : 1), n }'); done
  echo "$line"
}

echo "Shift_JIS -> EUC-JP (SjisToEuc)"
measure "navirt-tool conv sjis2euc" "$sjis" "$tool" conv sjis2euc
measure "iconv -f SHIFT_JIS -t EUC-JP" "$sjis" iconv -f SHIFT_JIS -t EUC-JP
measure "nkf -S -e -x" "$sjis" nkf -S -e -x
ratio "navirt-tool conv sjis2euc" "iconv -f SHIFT_JIS -t EUC-JP" "nkf -S -e -x"
cmp -s <("$tool" conv sjis2euc "$sjis") "$euc" && echo "  (navirt-tool and iconv write the same bytes)"

echo "EUC-JP -> Shift_JIS (EucToSjis)"
measure "navirt-tool conv euc2sjis" "$euc" "$tool" conv euc2sjis
measure "iconv -f EUC-JP -t SHIFT_JIS" "$euc" iconv -f EUC-JP -t SHIFT_JIS
measure "nkf -E -s -x" "$euc" nkf -E -s -x
ratio "navirt-tool conv euc2sjis" "iconv -f EUC-JP -t SHIFT_JIS" "nkf -E -s -x"
cmp -s <("$tool" conv euc2sjis "$euc") "$sjis" && echo "  (navirt-tool gives the corpus back byte for byte)"

echo "Shift_JIS -> JIS (SjisToJis)"
measure "navirt-tool conv sjis2jis" "$sjis" "$tool" conv sjis2jis
measure "iconv -f SHIFT_JIS -t ISO-2022-JP" "$sjis" iconv -f SHIFT_JIS -t ISO-2022-JP
measure "nkf -S -j -x" "$sjis" nkf -S -j -x
ratio "navirt-tool conv sjis2jis" "iconv -f SHIFT_JIS -t ISO-2022-JP" "nkf -S -j -x"

echo "JIS -> Shift_JIS (JisToSjis)"
measure "navirt-tool conv jis2sjis" "$jis" "$tool" conv jis2sjis
measure "iconv -f ISO-2022-JP -t SHIFT_JIS" "$jis" iconv -f ISO-2022-JP -t SHIFT_JIS
measure "nkf -J -s -x" "$jis" nkf -J -s -x
ratio "navirt-tool conv jis2sjis" "iconv -f ISO-2022-JP -t SHIFT_JIS" "nkf -J -s -x"
cmp -s <("$tool" conv jis2sjis "$jis") "$sjis" && echo "  (navirt-tool gives the corpus back byte for byte)"

echo "automatic to Shift_JIS from EUC-JP (ConvertToCode)"
measure "navirt-tool conv auto" "$euc" "$tool" conv auto
measure "nkf -s -x (guessing)" "$euc" nkf -s -x
ratio "navirt-tool conv auto" "nkf -s -x (guessing)"

echo "Base64 (Base64Encode; iconv has none)"
measure "navirt-tool encode base64" "$sjis" "$tool" encode base64
measure "base64 -w0" "$sjis" base64 -w0
measure "nkf -MB" "$sjis" nkf -MB
ratio "navirt-tool encode base64" "base64 -w0" "nkf -MB"

echo "width conversions (iconv has none; nkf's nearest options)"
measure "navirt-tool width h2z" "$sjis" "$tool" width h2z
measure "navirt-tool width kana" "$sjis" "$tool" width kana
measure "nkf -S -s (half-width kana to full)" "$sjis" nkf -S -s
ratio "navirt-tool width h2z" "nkf -S -s (half-width kana to full)"
measure "navirt-tool width z2h" "$sjis" "$tool" width z2h
measure "nkf -S -s -x -Z4 (full to half)" "$sjis" nkf -S -s -x -Z4
ratio "navirt-tool width z2h" "nkf -S -s -x -Z4 (full to half)"
measure "navirt-tool width space" "$sjis" "$tool" width space
measure "nkf -S -s -x -Z2 (spaces and letters)" "$sjis" nkf -S -s -x -Z2
ratio "navirt-tool width space" "nkf -S -s -x -Z2 (spaces and letters)"

if [ -x "$build/bin/bench_codec" ]; then
  echo "in process (bench_codec, same corpus)"
  NAVIRT_CODEC_CORPUS=$sjis "$build/bin/bench_codec" --benchmark_min_time=1 2>&1 | grep -E '^BM_|^-|^Benchmark'
fi
