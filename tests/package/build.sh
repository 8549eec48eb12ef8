#!/usr/bin/env bash
# tst_package_build: makes the Debian package with CPack, as `cmake --build build --target
# package` does, into its own folder for the other package tests.
#   build.sh BUILD_DIR OUTPUT_DIR VERSION
set -euo pipefail
build="$1" output="$2" version="$3"

for tool in dpkg-deb dpkg-shlibdeps file fakeroot; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/setup-debian.sh installs it)"
        exit 77
    fi
done

rm -rf "$output"
cpack="$(dirname "$(command -v cmake)")/cpack"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$output"
deb="$output/kadrilo_${version}_$(dpkg --print-architecture).deb"
test -f "$deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
