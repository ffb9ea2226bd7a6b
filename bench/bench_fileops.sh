#!/usr/bin/env bash
# File operations side by side with the system's own tools, in one run:
# copy of a 1 GiB file and of a 20,000-file tree, trash of 5,000 files,
# split at 1457664 and merge back, navirt-dir /S against ls -lR, and the
# name list of a 20,000-file folder. Best of three runs each, warm cache.
# Everything is made under one temporary folder and removed at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
tool=$bin/navirt-tool
dirprog=$bin/navirt-dir
if [ ! -x "$tool" ] || [ ! -x "$dirprog" ]; then
  echo "bench_fileops: build navirt-tool and navirt-dir first"
  exit 0
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/navirt-bench-fileops-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data  # both trashes go to a trash of our own
runs=${RUNS:-3}

now() { date +%s.%N; }
# best SETUP COMMAND: the shortest of $runs timings of COMMAND, SETUP untimed.
best() {
  local setup=$1 cmd=$2 b="" t0 t1
  for _ in $(seq "$runs"); do
    eval "$setup"
    t0=$(now)
    eval "$cmd" >/dev/null 2>&1 || echo "  (failed: $cmd)" >&2
    t1=$(now)
    b=$(awk -v a="$t0" -v z="$t1" -v b="$b" 'BEGIN { t = z - a; if (b == "" || t < b) b = t; printf "%.3f", b }')
  done
  echo "$b"
}
line() {  # name ours theirs goal
  awk -v n="$1" -v o="$2" -v t="$3" -v g="$4" -v w="$5" \
    'BEGIN { printf "%-34s navirt %7.3f s   %-8s %7.3f s   ratio %.2f (goal <= %s)\n", n, o, w, t, o / t, g }'
}

echo "making the data under $work ..."
mkdir -p "$work/src" "$work/tree" "$work/flat"
dd if=/dev/urandom of="$work/src/big.bin" bs=1M count=1024 status=none
for d in $(seq 200); do
  mkdir "$work/tree/d$d"
  for f in $(seq 100); do printf 'file %d of folder %d\n' "$f" "$d" >"$work/tree/d$d/f$f.txt"; done
done
for f in $(seq 20000); do : >"$work/flat/name-$f.txt"; done
sync

# Copy of one 1 GiB file.
ours=$(best 'rm -rf "$work/out"; mkdir "$work/out"' '"$tool" fileop copy "$work/src/big.bin" "$work/out"')
cmp -s "$work/src/big.bin" "$work/out/big.bin" || echo "  copy differs!"
theirs=$(best 'rm -rf "$work/out"; mkdir "$work/out"' 'cp "$work/src/big.bin" "$work/out/"')
line "copy 1 GiB" "$ours" "$theirs" 1.1 cp
rm -rf "$work/out"

# Copy of the 20,000-file tree.
ours=$(best 'rm -rf "$work/out"; mkdir "$work/out"' '"$tool" fileop copy "$work/tree" "$work/out"')
[ "$(find "$work/out" -type f | wc -l)" = 20000 ] || echo "  tree copy incomplete!"
theirs=$(best 'rm -rf "$work/out"; mkdir "$work/out"' 'cp -r "$work/tree" "$work/out/"')
line "copy 20,000-file tree" "$ours" "$theirs" 1.5 "cp -r"
rm -rf "$work/out"

# Trash of 5,000 files.
mk5000='rm -rf "$work/data" "$work/t"; mkdir "$work/t"; for f in $(seq 5000); do : >"$work/t/x$f"; done'
ours=$(best "$mk5000" '"$tool" fileop trash "$work"/t/x*')
[ "$(ls "$work/data/Trash/files" | wc -l)" = 5000 ] || echo "  trash incomplete!"
if command -v gio >/dev/null; then
  theirs=$(best "$mk5000" 'gio trash "$work"/t/x*')
  line "trash 5,000 files" "$ours" "$theirs" 2 "gio"
else
  echo "trash 5,000 files                  navirt $ours s   (no gio here)"
fi
rm -rf "$work/data" "$work/t"

# Split at 1457664 and merge back.
mkdir -p "$work/sp" "$work/sys"
ln "$work/src/big.bin" "$work/sp/big.bin"
ours=$(best 'rm -f "$work"/sp/big.[0-9]* "$work/sp/big.bat"' '"$tool" split "$work/sp/big.bin" 1457664')
theirs=$(best 'rm -f "$work"/sys/x*' '(cd "$work/sys" && split -b 1457664 "$work/src/big.bin")')
line "split 1 GiB at 1457664" "$ours" "$theirs" 1.2 "split -b"
ours=$(best 'rm -f "$work/sp/joined.bin"' '"$tool" merge "$work/sp/joined.bin" "$work"/sp/big.[0-9][0-9][0-9]')
cmp -s "$work/src/big.bin" "$work/sp/joined.bin" || echo "  merge differs!"
rm -f "$work/sp/joined.bin"
theirs=$(best 'rm -f "$work/sys/joined"' 'cat "$work"/sys/x* >"$work/sys/joined"')
line "merge back" "$ours" "$theirs" 1.2 cat
rm -rf "$work/sp" "$work/sys" "$work/src"

# Listing of the tree.
ours=$(best ':' '"$dirprog" "$work/tree" /S >/dev/null')
theirs=$(best ':' 'ls -lR "$work/tree" >/dev/null')
line "navirt-dir /S on 20,000 files" "$ours" "$theirs" 1.5 "ls -lR"

# Name list of a 20,000-file folder (the whole command, start-up included).
ours=$(best 'rm -f "$work/names.txt"' '"$tool" fileop names --full "$work/flat" "$work/names.txt"')
awk -v o="$ours" 'BEGIN { printf "%-34s navirt %7.3f s   (goal < 0.200 s)\n", "save names of 20,000 files", o }'
