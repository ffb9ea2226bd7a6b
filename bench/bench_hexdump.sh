#!/usr/bin/env bash
# navirt-tool hexdump beside xxd on the same 10 MiB file.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
head -c $((10 * 1024 * 1024)) /dev/urandom > "$tmp/in.bin"
best() {  # best of three wall-clock runs, in milliseconds
  local b=999999
  for _ in 1 2 3; do
    local s e
    s=$(date +%s%N)
    "$@" > /dev/null
    e=$(date +%s%N)
    local ms=$(((e - s) / 1000000))
    [ "$ms" -lt "$b" ] && b=$ms
  done
  echo "$b"
}
t_tool=$(best "$bin/navirt-tool" hexdump "$tmp/in.bin")
if command -v xxd > /dev/null; then
  t_xxd=$(best xxd "$tmp/in.bin")
else
  t_xxd="(xxd missing)"
fi
echo "hexdump 10 MiB: navirt-tool ${t_tool} ms, xxd ${t_xxd} ms"
