#!/usr/bin/env bash
# Installs what is needed, builds Kadrilo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh
cmake -S . -B build
cmake --build build -j "$(nproc)"
exec build/kadrilo
