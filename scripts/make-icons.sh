#!/usr/bin/env bash
# Draws the program icon (resources/kadrilo.png, 64 x 64) at the hicolor theme's usual sizes
# into packaging/icons/, from the same shapes, so that large sizes stay sharp. The PNG files
# are kept in the repository: building the package needs no ImageMagick. Run it again only
# when the icon changes.
set -euo pipefail
cd "$(dirname "$0")/.."

# The icon's shapes on its 64-unit grid: camera top, body, flash, lens ring.
shapes="fill #2b4c7e rectangle 20,8 45,16 roundrectangle 2,14 62,57 6,6
        fill #e0a030 rectangle 48,18 57,24
        fill none stroke #ffffff stroke-width 5 circle 32.5,35.5 45.5,35.5"

for size in 16 24 32 48 64 128 256; do
    out="packaging/icons/${size}x${size}/kadrilo.png"
    mkdir -p "$(dirname "$out")"
    if [ "$size" -eq 64 ]; then
        cp resources/kadrilo.png "$out"
        continue
    fi
    scale=$(awk "BEGIN { print $size / 64 }")
    # The half-pixel shift puts the grid's edges on pixel edges, as in the 64-pixel icon.
    convert -size "${size}x${size}" xc:none \
        -draw "translate -0.5,-0.5 scale $scale,$scale $shapes" -strip "PNG32:$out"
done
ls -l packaging/icons/*/kadrilo.png
