#!/usr/bin/env bash
# Runs every benchmark after a build (./test or scripts/build.sh).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in "$bin"/bench_*; do
  [ -x "$b" ] || continue
  # bench_codec and bench_unicode run from their scripts, on the corpora those build.
  case "$(basename "$b")" in bench_pane_steps | bench_codec | bench_unicode) continue ;; esac
  echo "== $(basename "$b")"
  "$b" 2>&1 | grep -vE 'propagateSizeHints|XDG_RUNTIME_DIR'
done
for s in "$root"/bench/*.sh; do
  [ "$(basename "$s")" = run-all.sh ] && continue
  echo "== $(basename "$s")"
  bash "$s"
done
