#!/usr/bin/env bash
# Renders the committed PNGs from their SVG sources (needs rsvg-convert from librsvg2-bin).
# Run by hand after changing an SVG; the build uses the committed PNGs.
set -euo pipefail
cd "$(dirname "$0")"
for svg in svg/*.svg; do
    name=$(basename "$svg" .svg)
    if [ "$name" = Logo ]; then
        rsvg-convert -w 96 -h 96 "$svg" -o Logo.png
    else
        rsvg-convert -w 16 -h 16 "$svg" -o "16x16/$name.png"
    fi
done
