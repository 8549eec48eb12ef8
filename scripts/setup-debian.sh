#!/usr/bin/env bash
# Installs every Debian 12 package Kadrilo needs to build, test and run.
set -euo pipefail

packages=(
    build-essential cmake
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev libvulkan-dev libgl-dev
    qt6-qpa-plugins
    libimage-exiftool-perl
    fonts-liberation fonts-dejavu-core
    xvfb xauth x11-utils imagemagick openbox
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
