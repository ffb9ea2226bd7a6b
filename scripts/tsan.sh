#!/usr/bin/env bash
# scripts/tsan.sh - builds build/tsan (or $NAVIRT_TSAN_DIR) with clang and
# ThreadSanitizer and runs the tests of the code that shares data between
# threads: the sort that sorts two halves side by side, grep's runs on two
# threads and the folder summary's walks (test_threads) and the job
# machinery (uitest_host_JobTest, on a plain host). Only those two programs
# and the libraries they link are built, so the pass stays cheap beside the
# whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${NAVIRT_TSAN_DIR:-$root/build/tsan}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
flags="-fsanitize=thread -fno-omit-frame-pointer"
if [ ! -f "$dir/build.ninja" ] || ! grep -q '^NAVIRT_THREAD_TESTS:BOOL=ON$' "$dir/CMakeCache.txt"; then
  # Warnings are the main build's business.
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNAVIRT_GUI=ON -DNAVIRT_TESTS=ON -DNAVIRT_BENCH=OFF -DNAVIRT_FUZZ=OFF -DNAVIRT_WERROR=OFF \
    -DNAVIRT_THREAD_TESTS=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
fi
# The programs and, in each, the cases that start threads.
programs=(test_threads uitest_host_JobTest)
filters=("Sort*:SortSharing.*:GrepThreads.*:FolderSummaryThreads.*" "")
log="$dir/build.log"
targets=()
for t in "${programs[@]}"; do targets+=(--target "$t"); done
if ! cmake --build "$dir" -j "$(nproc)" "${targets[@]}" >"$log" 2>&1; then
  grep -E -A5 'error|FAILED' "$log" | head -60
  echo "tsan: the ThreadSanitizer build failed, see $log"
  exit 1
fi
# A race ends the program with a report (exit code 66).
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
status=0
for i in "${!programs[@]}"; do
  p=${programs[$i]}
  args=()
  [ -n "${filters[$i]}" ] && args+=("--gtest_filter=${filters[$i]}")
  if "$dir/bin/$p" "${args[@]}" >"$dir/$p.log" 2>&1; then
    echo "tsan $p: ok"
  else
    echo "tsan $p: FAILED, see $dir/$p.log"
    tail -40 "$dir/$p.log"
    status=1
  fi
done
exit $status
