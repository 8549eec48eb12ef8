#!/usr/bin/env bash
# From a fresh clone: installs what building the programs and the Debian package need, builds
# kadrilo and kadrilo-rapport in build-package/, and makes there, with CPack, the Debian
# package kadrilo_VERSION_ARCH.deb and the portable archive kadrilo-VERSION-Linux.tar.gz.
set -euo pipefail
cd "$(dirname "$0")/.."

build="build-package"
echo "== Paquets nécessaires pour construire le paquet"
scripts/setup-debian.sh --package
echo "== Configuration de la construction ($build/)"
# Only the two programs go into the packages: no tests, and CPack's install step builds
# nothing more (by default it builds every target first).
cmake -S . -B "$build" -DKADRILO_BUILD_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
echo "== Construction de kadrilo et de kadrilo-rapport"
cmake --build "$build" -j "$(nproc)" --target kadrilo kadrilo-rapport
echo "== Paquet Debian et archive portable"
"$(dirname "$(command -v cmake)")/cpack" --config "$build/CPackConfig.cmake" -B "$build"
ls -l "$build"/kadrilo_*.deb "$build"/kadrilo-*.tar.gz
