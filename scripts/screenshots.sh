#!/usr/bin/env bash
# Pictures of every window, as a real X server and window manager (openbox) draw them, title
# bars included: the main, folder, work, About and statistics windows, saved as PNG files,
# once on a 1280 x 1024 screen and once on a 1366 x 768 laptop screen (in 1366x768/).
#   scripts/screenshots.sh [folder]     default: build/screenshots
set -euo pipefail
cd "$(dirname "$0")/.."

# The X server, openbox and the compiler: the packages of the tests.
scripts/setup-debian.sh

out="$(realpath -m "${1:-build/screenshots}")"
if [ ! -x build/tests/gui/windows/tst_screens ]; then
    cmake -S . -B build
    cmake --build build -j2 --target tst_screens
fi

# One X server with openbox per screen size; tst_screens opens each window and saves it, and
# fails on a cut caption or on controls lying over one another.
shoot() {
    local size="$1" folder="$2"
    mkdir -p "$folder"
    rm -f "$folder"/*.png
    KADRILO_RENDER_DIR="$folder" QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 ${size}x24 -dpi 96" \
        sh -c 'openbox & wm=$!; sleep 1; build/tests/gui/windows/tst_screens; rc=$?; kill $wm; exit $rc'
}
shoot 1280x1024 "$out"
shoot 1366x768 "$out/1366x768"

ls -1 "$out"/*.png "$out"/1366x768/*.png
