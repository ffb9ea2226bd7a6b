#!/usr/bin/env bash
# Configures (once) and builds into build/ (or $NAVIRT_BUILD_DIR), with
# warnings as errors: a warning here is a fault to mend before merging.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${NAVIRT_BUILD_DIR:-$root/build}
# Several checkouts share one compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
if [ ! -f "$dir/build.ninja" ] || ! grep -q '^NAVIRT_WERROR:BOOL=ON$' "$dir/CMakeCache.txt"; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNAVIRT_WERROR=ON "$@"
fi
cmake --build "$dir" -j "$(nproc)"
