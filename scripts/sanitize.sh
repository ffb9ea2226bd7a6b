#!/usr/bin/env bash
# scripts/sanitize.sh - builds the core libraries, navirt-tool and the core
# GoogleTest programs with AddressSanitizer and UndefinedBehaviorSanitizer
# into build/asan (or $NAVIRT_ASAN_DIR) and runs those tests once. The GUI is
# off there, so Qt is never looked for: this build is also the proof that the
# core builds and links without it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${NAVIRT_ASAN_DIR:-$root/build/asan}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f "$dir/build.ninja" ]; then
  # -O1 keeps the reports readable and the build quicker; warnings are the
  # main build's business (sanitizers make the compiler warn differently).
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNAVIRT_GUI=OFF -DNAVIRT_BENCH=OFF -DNAVIRT_TESTS=ON -DNAVIRT_WERROR=OFF \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g -DNDEBUG" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
cd "$dir"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure -j "$(nproc)" --timeout 900
