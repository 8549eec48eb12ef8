#!/usr/bin/env bash
# Installs what building and running Kadrilo need, builds the two programs, kadrilo and
# kadrilo-rapport (not the tests), and starts Kadrilo. scripts/test.sh builds the rest.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== Paquets nécessaires pour construire et lancer Kadrilo"
scripts/setup-debian.sh --run
echo "== Configuration de la construction (build/)"
cmake -S . -B build
echo "== Construction de kadrilo et de kadrilo-rapport"
cmake --build build -j "$(nproc)" --target kadrilo kadrilo-rapport
echo "== Lancement de build/kadrilo"
exec build/kadrilo
