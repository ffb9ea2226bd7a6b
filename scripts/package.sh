#!/usr/bin/env bash
# scripts/package.sh [BUILD_DIR] - builds Navirt (scripts/build.sh) and its
# Debian package with CPack: BUILD_DIR/package/navirt_VERSION_ARCH.deb.
# Install it with: sudo apt install ./build/package/navirt_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${NAVIRT_BUILD_DIR:-$root/build}}
NAVIRT_BUILD_DIR=$build "$root/scripts/build.sh"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB)
ls "$build"/package/navirt_*.deb
