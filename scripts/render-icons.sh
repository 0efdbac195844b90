#!/usr/bin/env bash
# Renders the program's icon (data/tandor.svg) into the pixel sizes of the hicolor theme under
# data/desktop/icons/, which are kept in the repository so that a build needs no renderer.
# Run after changing the icon; needs rsvg-convert (apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 24 32 48 64 128 256; do
  mkdir -p "data/desktop/icons/$size"
  rsvg-convert -w "$size" -h "$size" data/tandor.svg -o "data/desktop/icons/$size/org.tandor.Tandor.png"
done
