#!/usr/bin/env bash
# scripts/asan-build.sh - configures (once) and builds build/fuzz (or
# $NAVIRT_FUZZ_DIR) with clang, AddressSanitizer, UndefinedBehaviorSanitizer
# and libFuzzer's coverage: the core libraries, navirt-tool, the core
# GoogleTest programs and the fuzz targets. The sanitizer run of the core
# tests (scripts/sanitize.sh) and the fuzzers (scripts/fuzz.sh) share this one
# build, so the sanitized core is compiled once. The GUI is off: this build is
# also the proof that the core builds and links without Qt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${NAVIRT_FUZZ_DIR:-$root/build/fuzz}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
# The frame pointer keeps the reports' stacks whole at -O2.
flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# A build folder made before the tests joined it is configured again.
if [ ! -f "$dir/build.ninja" ] || ! grep -q '^NAVIRT_TESTS:BOOL=ON$' "$dir/CMakeCache.txt"; then
  # Warnings are the main build's business (sanitizers make the compiler
  # warn differently).
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNAVIRT_GUI=OFF -DNAVIRT_TESTS=ON -DNAVIRT_BENCH=OFF -DNAVIRT_FUZZ=ON -DNAVIRT_WERROR=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
# Quiet when it works; the compiler's words when it does not.
log="$dir/build.log"
# Targets given as arguments are built alone (the fuzzers need no tests).
targets=()
for t in "$@"; do targets+=(--target "$t"); done
if ! cmake --build "$dir" -j "$(nproc)" "${targets[@]}" >"$log" 2>&1; then
  grep -E -A5 'error|FAILED' "$log" | head -60
  echo "asan-build: the sanitized build failed, see $log"
  exit 1
fi
