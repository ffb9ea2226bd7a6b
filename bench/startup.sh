#!/usr/bin/env bash
# Start-up to a shown window with the first file previewed, as a whole
# command (process start, Qt, settings, list, preview), offscreen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin/navirt}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} NAVIRT_QUIT_AFTER_START=1 NAVIRT_INI=$(mktemp -u /tmp/navirt-bench-XXXX.ini)
runs=${1:-10}
best=999999; sum=0
for i in $(seq "$runs"); do
  t0=$(date +%s%N)
  "$bin" "$root/samples/05_sjis.txt" >/dev/null 2>&1
  t1=$(date +%s%N)
  ms=$(( (t1 - t0) / 1000000 ))
  sum=$((sum + ms)); [ "$ms" -lt "$best" ] && best=$ms
done
echo "navirt start-up to first preview: mean $((sum / runs)) ms, best $best ms over $runs runs"
rm -f "$NAVIRT_INI"
