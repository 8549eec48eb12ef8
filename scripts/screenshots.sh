#!/usr/bin/env bash
# Pictures of every window, as a real X server draws them: the main, folder, work, About
# and statistics windows, saved as PNG files.
#   scripts/screenshots.sh [folder]     default: build/screenshots
set -euo pipefail
cd "$(dirname "$0")/.."

out="$(realpath -m "${1:-build/screenshots}")"
if [ ! -x build/tests/windows/tst_screens ]; then
    cmake -S . -B build
    cmake --build build -j2 --target tst_screens
fi
mkdir -p "$out"
rm -f "$out"/*.png

# tst_screens opens each window and saves it; it also fails on a cut caption or on
# controls lying over one another.
KADRILO_RENDER_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" build/tests/windows/tst_screens

ls -1 "$out"/*.png
