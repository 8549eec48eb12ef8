#!/usr/bin/env bash
# Installs the Debian 12 packages Kadrilo needs, in one of three sets:
#   scripts/setup-debian.sh           everything the tests use (the default)
#   scripts/setup-debian.sh --run     only what building and running the programs need
#   scripts/setup-debian.sh --package the same, and what making the Debian package needs
# Each set holds the one before it, so the lists cannot drift apart.
set -euo pipefail

# Building kadrilo and kadrilo-rapport, and running them: the compiler, Qt with the modules
# and the headers its CMake files look for, Qt's platform plugins (no window opens without
# them), the SQLite driver of Qt SQL, ExifTool (found when the build is configured, run by
# both programs) and the font of the windows.
run_packages=(
    build-essential cmake
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev libvulkan-dev libgl-dev
    qt6-qpa-plugins libqt6sql6-sqlite qt6-translations-l10n
    libimage-exiftool-perl
    fonts-liberation
)
# CPack's Debian package: dpkg-shlibdeps finds its dependencies, file finds the binaries.
package_packages=(
    dpkg-dev file
)
# The tests: DejaVu, the last font the windows fall back to; a real X server with a window
# manager for the pictures of the windows; the checks that packaging people run; and the
# MinGW-w64 cross compiler for the syntax check of the Windows code; Chromium, the browser
# in which the HTML report is checked.
test_packages=(
    fonts-dejavu-core
    xvfb xauth x11-utils imagemagick openbox
    fakeroot lintian desktop-file-utils appstream
    g++-mingw-w64-x86-64-posix
    chromium
)

case "${1:-}" in
--run) packages=("${run_packages[@]}") ;;
--package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
"") packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 [--run | --package]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installation de ${#missing[@]} paquets Debian : ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
