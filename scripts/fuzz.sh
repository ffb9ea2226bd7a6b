#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS] - builds every fuzz target with clang, libFuzzer
# and AddressSanitizer into build/fuzz (scripts/asan-build.sh) and runs each
# for SECONDS (default 5).
# ./test runs the short form; for a longer run: scripts/fuzz.sh 600
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-5}
dir=${NAVIRT_FUZZ_DIR:-$root/build/fuzz}
fuzzers=()
for src in "$root"/tests/fuzz/fuzz_*.cpp; do fuzzers+=("$(basename "$src" .cpp)"); done
"$root/scripts/asan-build.sh" "${fuzzers[@]}"
status=0
for f in "$dir"/bin/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="$root/tests/fuzz/corpus/${name#fuzz_}"
  work="$dir/corpus/$name"
  mkdir -p "$work"
  args=("$work")
  [ -d "$corpus" ] && args+=("$corpus")
  if "$f" -max_total_time="$secs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/$name-" "${args[@]}" >"$dir/$name.log" 2>&1; then
    echo "fuzz $name: ok ($(grep -o 'Done [0-9]* runs' "$dir/$name.log" | tail -1))"
  else
    echo "fuzz $name: FAILED, see $dir/$name.log"; tail -30 "$dir/$name.log"; status=1
  fi
done
exit $status
