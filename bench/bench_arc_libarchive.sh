#!/usr/bin/env bash
# Extraction of the formats read through libarchive (7z, tar.xz, tar.zst,
# tar.lz4, iso), navirt-tool arc extract against bsdtar -xf on the same
# archive: best of NAVIRT_BENCH_RUNS (default 5) wall times each, the ratio,
# the CPU time (user + system) per run of each, and a byte-for-byte
# comparison of the two trees. The two take turns run by run, so a busy
# spell of the machine falls on both alike. The goal is a wall ratio within
# 1.1; a larger one is marked OVER.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
runs=${NAVIRT_BENCH_RUNS:-5}
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

# One run of "$@" into a fresh out/: appends "wall cpu" seconds to $1.
once() {
  local log=$1
  shift
  rm -rf out && mkdir out
  local s e c
  s=$(date +%s.%N)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%U %S" -o cpu.txt "$@" > /dev/null 2>&1 || return 1
    c=$(awk '{print $1 + $2}' cpu.txt)
  else
    "$@" > /dev/null 2>&1 || return 1
    c=0
  fi
  e=$(date +%s.%N)
  echo "$s $e $c" | awk '{print $2 - $1, $3}' >> "$log"
}

# "best-wall mean-cpu" of a log of once()
summary() { awk '{ if (b == "" || $1 < b) b = $1; c += $2 } END { printf "%.3f %.3f", b, c / NR }' "$1"; }

failed=0
for spec in "a.7z:--format 7zip" "a.tar.xz:-J" "a.tar.zst:--zstd" "a.tar.lz4:--lz4" "a.iso:--format iso9660"; do
  name=${spec%%:*}
  flags=${spec#*:}
  [ -f "$name" ] || (cd src && bsdtar $flags -cf "../$name" .) || { echo "$name: cannot make"; failed=1; continue; }
  rm -f bsd.log own.log
  ok=1
  for _ in $(seq 1 "$runs"); do
    once bsd.log bsdtar -xf "$name" -C out || { ok=0; break; }
    rm -rf peer && mv out peer
    once own.log "$tool" arc extract "$name" -o out || { ok=0; break; }
  done
  [ "$ok" = 1 ] || { echo "$name: FAILED"; failed=1; continue; }
  read -r t_bsd c_bsd <<< "$(summary bsd.log)"
  read -r t_own c_own <<< "$(summary own.log)"
  same=same
  diff -r peer out > /dev/null 2>&1 || { same=DIFFERENT; failed=1; }
  ratio=$(echo "$t_own $t_bsd" | awk '{ if ($2 > 0) printf "%.2f", $1 / $2; else print "n/a" }')
  mark=""
  awk -v r="$ratio" 'BEGIN { exit !(r + 0 > 1.1) }' && mark=" OVER"
  printf '%-10s bsdtar %6.3f s  navirt %6.3f s  ratio %s%s  cpu %.3f / %.3f s  %s\n' "$name" "$t_bsd" "$t_own" "$ratio" \
    "$mark" "$c_bsd" "$c_own" "$same"
done
rm -rf out peer bsd.log own.log cpu.txt
exit $failed
