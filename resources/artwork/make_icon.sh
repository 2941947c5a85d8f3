#!/usr/bin/env bash
# Draws the application icon (a letter sheet with a quill) as a 128 x 128 PNG with ImageMagick.
# Run: bash make_icon.sh ../quillfern.png
set -euo pipefail
convert -size 128x128 xc:none \
    -fill '#2b5f8a' -draw 'roundrectangle 6,6 121,121 18,18' \
    -fill white -stroke '#1d3f5c' -strokewidth 2 -draw 'polygon 30,22 84,22 100,38 100,108 30,108' \
    -fill '#d9e4ee' -draw 'polygon 84,22 84,38 100,38' \
    -stroke '#8aa3b8' -strokewidth 3 -draw 'line 40,52 88,52' -draw 'line 40,64 88,64' -draw 'line 40,76 76,76' \
    -stroke '#c47a1d' -strokewidth 3 -fill '#f3c46b' -draw 'path "M 112,14 C 90,22 70,52 62,92 C 80,70 100,50 112,14 Z"' \
    -stroke '#5a3a10' -strokewidth 3 -draw 'line 64,90 56,104' \
    -define png:exclude-chunks=date,time "$1"
