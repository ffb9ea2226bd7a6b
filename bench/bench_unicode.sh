#!/usr/bin/env bash
# UTF-8 and UTF-16 support against iconv and plain grep:
#  - conv utf8-sjis and sjis-utf8 on a 64 MiB UTF-8 corpus of Japanese prose
#    (built from the system's Japanese manual pages and bench/codec_prose.txt
#    under <build>/bench-data/), side by side with iconv, best of $runs;
#  - grep --auto against plain grep over a tree of 20,000 small files whose
#    codes rotate through Shift_JIS, EUC-JP, JIS, UTF-8, UTF-8 with a mark
#    and UTF-16LE (NAVIRT_TREE_FILES changes the count);
#  - bench_unicode in process on the same corpus: validation GB/s, the
#    false-positive count over 10,000 slices per code, the pane mapping.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-3}
mib=${NAVIRT_CODEC_MIB:-64}
files=${NAVIRT_TREE_FILES:-20000}
data=$build/bench-data
mkdir -p "$data"
[ -x "$tool" ] || { echo "bench_unicode.sh: build first ($tool missing)"; exit 2; }

utf8=$data/unicode-utf8.txt
if [ ! -s "$utf8" ] || [ "$(stat -c %s "$utf8")" -lt $((mib << 20)) ]; then
  seed=$data/unicode-seed.txt
  # Prose lines of the roff sources; only characters CP932 has, so that the
  # conversions both ways give the corpus back.
  {
    for f in /usr/share/man/ja/man*/*.gz; do [ -e "$f" ] && zcat "$f"; done
    cat "$root/bench/codec_prose.txt"
  } 2>/dev/null | grep -v "^[.']" |
    sed -e 's/\\f[BIRP]//g' -e 's/\\([a-z][a-z]//g' -e 's/\\[-&e]//g' -e 's/[\\~]//g' |
    { iconv -c -f UTF-8 -t CP932 || true; } | iconv -f CP932 -t UTF-8 > "$seed"
  : > "$utf8"
  while [ "$(stat -c %s "$utf8")" -lt $((mib << 20)) ]; do cat "$seed" >> "$utf8"; done
fi
sjis=$data/unicode-sjis.txt
iconv -f UTF-8 -t CP932 "$utf8" > "$sjis"
echo "corpus: $(stat -c %s "$utf8") bytes of UTF-8, $(stat -c %s "$sjis") in Shift_JIS; $runs runs each, best shown"

declare -A best_ms
measure() {  # LABEL CMD... (output to /dev/null)
  local label=$1 best=0
  shift
  for ((i = 0; i < runs; i++)); do
    local t0 t1 ms
    t0=$(date +%s%N)
    "$@" > /dev/null || true
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
  done
  best_ms[$label]=$best
  printf "  %-44s %7d ms\n" "$label" "$best"
}
ratio() {  # OURS OTHER: ours as a share of the other's time
  awk -v a="${best_ms[$1]}" -v b="${best_ms[$2]}" -v n="$1" -v o="$2" \
    'BEGIN { printf "  => %s takes %.2fx the time of %s\n", n, a / (b > 0 ? b : 1), o }'
}

echo "UTF-8 -> Shift_JIS"
measure "navirt-tool conv utf8-sjis" "$tool" conv utf8-sjis "$utf8"
measure "iconv -f UTF-8 -t CP932" iconv -f UTF-8 -t CP932 "$utf8"
ratio "navirt-tool conv utf8-sjis" "iconv -f UTF-8 -t CP932"
cmp -s <("$tool" conv utf8-sjis "$utf8") "$sjis" && echo "  (the same bytes as iconv)"

echo "Shift_JIS -> UTF-8"
measure "navirt-tool conv sjis-utf8" "$tool" conv sjis-utf8 "$sjis"
measure "iconv -f CP932 -t UTF-8" iconv -f CP932 -t UTF-8 "$sjis"
ratio "navirt-tool conv sjis-utf8" "iconv -f CP932 -t UTF-8"
cmp -s <("$tool" conv sjis-utf8 "$sjis") "$utf8" && echo "  (the corpus back byte for byte)"

tree=$data/unicode-tree-$files
if [ ! -f "$tree/.done" ]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  python3 - "$utf8" "$tree" "$files" <<'PY'
import os, sys
corpus, tree, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(corpus, encoding="utf-8") as f:
    text = f.read(4 << 20)
lines = text.splitlines()
codes = [("sjis", "cp932", b""), ("euc", "euc_jp", b""), ("jis", "iso2022_jp", b""),
         ("utf8", "utf-8", b""), ("utf8bom", "utf-8", b"\xef\xbb\xbf"), ("utf16le", "utf-16-le", b"\xff\xfe")]
pos = 0
for i in range(count):
    sub = os.path.join(tree, "d%03d" % (i // 200))
    os.makedirs(sub, exist_ok=True)
    name, enc, mark = codes[i % len(codes)]
    part = "\n".join(lines[pos:pos + 40]) + "\n"
    pos = (pos + 40) % max(1, len(lines) - 40)
    with open(os.path.join(sub, "f%05d-%s.txt" % (i, name)), "wb") as f:
        f.write(mark + part.encode(enc, errors="replace"))
PY
  touch "$tree/.done"
fi
echo "grep over $files files of mixed codes ($(du -sh "$tree" | cut -f1))"
word=$(printf 'ファイル')
list=$data/unicode-tree-list
find "$tree" -name '*.txt' -print0 | sort -z > "$list"
measure "navirt-tool grep (bytes as they are)" sh -c "xargs -0 '$tool' grep -n '$word' < '$list'"
measure "navirt-tool grep --auto" sh -c "xargs -0 '$tool' grep -n --auto '$word' < '$list'"
ratio "navirt-tool grep --auto" "navirt-tool grep (bytes as they are)"
plain=$(xargs -0 "$tool" grep -n "$word" < "$list" | wc -l || true)
auto=$(xargs -0 "$tool" grep -n --auto "$word" < "$list" | wc -l || true)
echo "  matching lines: $plain without --auto, $auto with it"

if [ -x "$build/bin/bench_unicode" ]; then
  echo "in process (bench_unicode, same corpus)"
  NAVIRT_UNICODE_CORPUS=$utf8 "$build/bin/bench_unicode" 2>&1 | grep -E '^BM_|^-|^Benchmark'
fi
