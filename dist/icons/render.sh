#!/usr/bin/env bash
# Renders the PNG sizes of the icon after navirt.svg changed (needs rsvg-convert,
# Debian package librsvg2-bin). The PNGs are kept in the tree so a build needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
for s in 48 256; do rsvg-convert -w "$s" -h "$s" navirt.svg -o "navirt-$s.png"; done
