#!/usr/bin/env bash
# Renders the committed PNG pictures from their SVG sources (needs rsvg-convert
# from librsvg2-bin). Run after editing icon.svg or logo.svg.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" icon.svg -o "icon-$size.png"
done
rsvg-convert -w 270 -h 30 logo.svg -o logo.png
# For windows that follow the screen's scale: 150 % and 200 %.
rsvg-convert -w 405 -h 45 logo.svg -o logo-150.png
rsvg-convert -w 540 -h 60 logo.svg -o logo-200.png
