#!/usr/bin/env bash
# Extraction of the formats read through libarchive (7z, tar.xz, tar.zst,
# tar.lz4, iso), navirt-tool arc extract against bsdtar -xf on the same
# archive: best of NAVIRT_BENCH_RUNS (default 3) wall times each, the ratio,
# and a byte-for-byte comparison of the two trees. The goal is a ratio
# within 1.1; a larger one is marked OVER.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-3}
mib=${NAVIRT_BENCH_LIBARCHIVE_MIB:-64}
data=$build/bench-data/libarchive
[ -x "$tool" ] || { echo "bench_arc_libarchive.sh: build first ($tool missing)"; exit 2; }
mkdir -p "$data"
cd "$data" || exit 2
export LC_ALL=C.UTF-8

# A tree of text files and a few larger binary ones, about $mib MiB.
if [ ! -d src ]; then
  mkdir -p src/text src/bin
  for i in $(seq 1 200); do
    seq $((i * 1000)) $((i * 1000 + 30000)) > "src/text/表$i.txt"
  done
  n=$(((mib * 1024 * 1024 - $(du -sb src | cut -f1)) / (4 * 1024 * 1024)))
  for i in $(seq 1 "$n"); do head -c $((4 * 1024 * 1024)) /dev/urandom | base64 > "src/bin/b$i.dat"; done
fi

best() {  # prints the best wall time in seconds of "$@" over $runs runs
  local b=""
  for _ in $(seq 1 "$runs"); do
    rm -rf out && mkdir out
    local s e
    s=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || { echo FAILED; return; }
    e=$(date +%s.%N)
    b=$(echo "$s $e $b" | awk '{t=$2-$1; if ($3=="" || t<$3) print t; else print $3}')
  done
  echo "$b"
}

failed=0
for spec in "a.7z:--format 7zip" "a.tar.xz:-J" "a.tar.zst:--zstd" "a.tar.lz4:--lz4" "a.iso:--format iso9660"; do
  name=${spec%%:*}
  flags=${spec#*:}
  [ -f "$name" ] || (cd src && bsdtar $flags -cf "../$name" .) || { echo "$name: cannot make"; failed=1; continue; }
  t_bsd=$(best bsdtar -xf "$name" -C out)
  rm -rf peer && mv out peer
  t_own=$(best "$tool" arc extract "$name" -o out)
  same=same
  diff -r peer out > /dev/null 2>&1 || { same=DIFFERENT; failed=1; }
  ratio=$(echo "$t_own $t_bsd" | awk '{ if ($2 > 0) printf "%.2f", $1 / $2; else print "n/a" }')
  mark=""
  awk -v r="$ratio" 'BEGIN { exit !(r + 0 > 1.1) }' && mark=" OVER"
  printf '%-10s bsdtar %6.3f s  navirt %6.3f s  ratio %s%s  %s\n' "$name" "$t_bsd" "$t_own" "$ratio" "$mark" "$same"
done
rm -rf out peer
exit $failed
