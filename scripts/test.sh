#!/usr/bin/env bash
# Installs what is needed, builds Kadrilo and runs every test.
#   scripts/test.sh          the normal build, in build/
#   scripts/test.sh --asan   the same with AddressSanitizer and UBSan, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh

build=build
flags=()
if [ "${1:-}" = "--asan" ]; then
    build=build-asan
    flags=(-DKADRILO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build" "${flags[@]}"
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
