#!/usr/bin/env bash
# The picture of the installed program for the README: the Debian package unpacked into a
# scratch folder, Kadrilo started from it by an ordinary user (uid 65534 when run as root)
# under a real X server (Xvfb) with the openbox window manager, its main window saved with
# its frame.
#   scripts/package-screenshot.sh [picture]     default: build/kadrilo-installe.png
#   scripts/package-screenshot.sh --docs        the README's picture, docs/kadrilo-installe.png
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
--docs) out="$PWD/docs/kadrilo-installe.png" ;;
*) out="$(realpath -m "${1:-build/kadrilo-installe.png}")" ;;
esac
# The package tools, the X server, openbox and ImageMagick: the packages of the tests.
scripts/setup-debian.sh
scratch="$(mktemp -d)"
pids=()
cleanup() {
    # Kadrilo first, the X server last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"

# The package of the current sources, made in the scratch folder.
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
"$(dirname "$(command -v cmake)")/cpack" -G DEB --config build/CPackConfig.cmake \
    -B "$scratch/package" >/dev/null
deb="$(ls "$scratch"/package/kadrilo_*.deb)"
dpkg-deb -x "$deb" "$scratch/root"
ln -s "$(command -v exiftool)" "$scratch/root/usr/bin/exiftool"
mkdir "$scratch/home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534:65534 "$scratch/home"
fi

# A free display; -ac lets the other user draw on this throw-away server.
display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -dpi 96 -ac -nolisten tcp &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox 2>/dev/null &
pids+=($!)
sleep 1
"${as_user[@]}" env -i HOME="$scratch/home" DISPLAY="$DISPLAY" LC_ALL=C.UTF-8 \
    PATH="$scratch/root/usr/bin:/usr/bin:/bin" QT_QPA_PLATFORM=xcb kadrilo &
pids+=($!)

window=""
for _ in $(seq 100); do
    window="$(xwininfo -root -tree | awk '/"kadrilo  [0-9.]*"/ && !found { print $1; found = 1 }')"
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "package-screenshot.sh : la fenêtre principale de Kadrilo ne s'est pas ouverte" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -frame -window "$window" -strip "$out"
echo "$out"
