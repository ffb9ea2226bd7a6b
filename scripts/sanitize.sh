#!/usr/bin/env bash
# scripts/sanitize.sh - runs the core GoogleTest programs (every case, label
# "core") under AddressSanitizer and UndefinedBehaviorSanitizer. They are
# built by scripts/asan-build.sh into the fuzz build, beside the fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${NAVIRT_FUZZ_DIR:-$root/build/fuzz}
"$root/scripts/asan-build.sh"
cd "$dir"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --output-on-failure -j "$(nproc)" --timeout 900 -L core
