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
    echo "Usage : $0 [--run | --package]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Without root, sudo must be there and let this account in; otherwise say what an
# administrator has to run, rather than leave sudo's own error.
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    why=""
    if ! command -v sudo >/dev/null 2>&1; then
        why="sudo n'est pas installé"
    elif ! sudo -n true 2>/dev/null; then
        if [ -t 0 ]; then
            sudo -v || why="sudo refuse ce compte"
        else
            why="sudo demande un mot de passe et aucun terminal n'est ouvert"
        fi
    fi
    if [ -n "$why" ]; then
        {
            echo "setup-debian.sh : il manque ${#missing[@]} paquets Debian, et ce compte ne peut pas les installer : ni root, et $why."
            echo "  Paquets manquants : ${missing[*]}"
            echo "  Demandez à un administrateur de lancer :"
            echo "    apt-get install --no-install-recommends ${missing[*]}"
        } >&2
        exit 1
    fi
    sudo=(sudo)
fi

echo "Installation de ${#missing[@]} paquets Debian : ${missing[*]}"
# run.sh gives a log file: apt's lines go there, and show only when something fails.
apt() {
    if [ -n "${KADRILO_SETUP_LOG:-}" ]; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" >>"$KADRILO_SETUP_LOG" 2>&1
    else
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@"
    fi
}
apt update -qq
apt install -y -qq --no-install-recommends "${missing[@]}"
