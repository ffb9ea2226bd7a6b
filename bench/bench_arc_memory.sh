#!/usr/bin/env bash
# Peak memory of archive creation, extraction and the hex dump on one large
# file (1 GiB by default), measured with /usr/bin/time -v:
#  - navirt-tool arc create and arc extract for zip, cab, gza, lzh and tgz,
#    on a file of zeros (packs small) and one of random bytes (stored);
#  - extraction of a cabinet gcab made with the file stored uncompressed;
#  - every archive is listed, extracted and compared byte for byte with
#    its source; the zip must also pass unzip -t and bsdtar -tf;
#  - navirt-tool hexdump of the same files.
# The goal is 64 MiB plus a constant whatever the file's size: a figure
# above NAVIRT_BENCH_MEM_LIMIT_KIB (default 80 MiB) is marked OVER.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NAVIRT_BUILD_DIR:-$root/build}
tool=$build/bin/navirt-tool
mib=${NAVIRT_BENCH_MEM_MIB:-1024}
limit=${NAVIRT_BENCH_MEM_LIMIT_KIB:-81920}
formats=${NAVIRT_BENCH_MEM_FORMATS:-"zip cab gza lzh tgz"}
data=$build/bench-data/arcmem
[ -x "$tool" ] || { echo "bench_arc_memory.sh: build first ($tool missing)"; exit 2; }
[ -x /usr/bin/time ] || { echo "bench_arc_memory.sh: /usr/bin/time missing"; exit 2; }
mkdir -p "$data"
cd "$data" || exit 2

size=$((mib * 1024 * 1024))
make_input() {  # NAME SOURCE
  if [ ! -f "$1" ] || [ "$(stat -c %s "$1")" != "$size" ]; then head -c "$size" "$2" > "$1"; fi
}
make_input zero.bin /dev/zero
make_input rand.bin /dev/urandom

failed=0
# peak LABEL CMD...: runs CMD, prints its peak resident set and wall time.
peak() {
  local label=$1
  shift
  if ! /usr/bin/time -v -o time.txt "$@" > out.txt 2> err.txt; then
    echo "$label: FAILED ($(tail -1 err.txt))"
    failed=1
    return 1
  fi
  local kib wall mark=""
  kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt)
  [ "$kib" -gt "$limit" ] && mark="  OVER" && failed=1
  printf '%-28s %8d KiB peak  %s%s\n' "$label" "$kib" "$wall" "$mark"
}

echo "input: $mib MiB each of zeros and random bytes"
for input in zero rand; do
  for fmt in $formats; do
    arc=$input.$fmt
    rm -rf "$arc" out
    peak "create $arc" "$tool" arc create "$arc" "$input.bin" || continue
    "$tool" arc list "$arc" > /dev/null || { echo "list $arc: FAILED"; failed=1; }
    peak "extract $arc" "$tool" arc extract "$arc" -o out || continue
    if cmp -s out/$input.bin $input.bin; then echo "  $arc: extracted byte-identical"; else
      echo "  $arc: extracted file DIFFERS"
      failed=1
    fi
    if [ "$fmt" = zip ]; then
      command -v unzip > /dev/null && { unzip -tq "$arc" > /dev/null && echo "  unzip -t accepts $arc" || { echo "  unzip -t REFUSES $arc"; failed=1; }; }
      command -v bsdtar > /dev/null && { bsdtar -tf "$arc" > /dev/null && echo "  bsdtar -tf accepts $arc" || { echo "  bsdtar REFUSES $arc"; failed=1; }; }
    fi
    rm -rf "$arc" out
  done
  # A cabinet whose folder is stored, not compressed, as gcab writes it by
  # default: extraction must stream it too.
  if command -v gcab > /dev/null; then
    rm -rf stored.cab out
    gcab -c stored.cab "$input.bin"
    if peak "extract stored $input.cab" "$tool" arc extract stored.cab -o out; then
      if cmp -s out/$input.bin $input.bin; then echo "  stored $input.cab: extracted byte-identical"; else
        echo "  stored $input.cab: extracted file DIFFERS"
        failed=1
      fi
    fi
    rm -rf stored.cab out
  fi
  peak "hexdump $input.bin" "$tool" hexdump "$input.bin"
done
rm -f out.txt err.txt time.txt
exit $failed
