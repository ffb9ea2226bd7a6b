#!/usr/bin/env bash
# scripts/format-check.sh - fails when a C++ file of the tree differs from
# .clang-format's layout, naming each file. Fix with:
#   clang-format -i FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The tracked files when this is a git checkout (build folders and scratch
# files stay out), otherwise every source below the tree but build/.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
# One clang-format run over all files; its reports start "FILE:LINE:COL:".
out=$(clang-format --dry-run -Werror --ferror-limit=1 "${files[@]}" 2>&1) && status=0 || status=$?
mapfile -t bad < <(printf '%s\n' "$out" | grep -oE '^[^: ]+\.(cpp|h):[0-9]+:[0-9]+: (error|warning)' | cut -d: -f1 | sort -u)
if [ "$status" -ne 0 ] && [ ${#bad[@]} -eq 0 ]; then
  printf '%s\n' "$out"
  exit "$status"
fi
if [ ${#bad[@]} -gt 0 ]; then
  echo "format-check: ${#bad[@]} file(s) differ from .clang-format (clang-format -i to fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format-check: ${#files[@]} files ok"
