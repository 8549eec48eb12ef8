#!/usr/bin/env bash
# Installs what building and running Kadrilo need, builds the two programs, kadrilo and
# kadrilo-rapport (not the tests), and starts Kadrilo. scripts/test.sh builds the rest.
# It says only what it does (what it installs, that it builds, where the programs are); the
# tools' own output goes to build/run.log, shown in part and named when a step fails. Run
# again with nothing changed, it starts Kadrilo and says nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

mkdir -p build
log="$PWD/build/run.log"
: >"$log"

# A failed step: the end of what the tools said, and where the rest is.
failed() {
    local status=$?
    if [ -s "$log" ]; then
        tail -n 20 "$log" >&2
        echo "run.sh : échec (statut $status). Journal complet : $log" >&2
    fi
    exit "$status"
}
trap failed ERR

KADRILO_SETUP_LOG="$log" scripts/setup-debian.sh --run

programs=(build/kadrilo build/kadrilo-rapport)
before="$(stat -c %Y "${programs[@]}" 2>/dev/null || true)"
if [ ! -f build/CMakeCache.txt ]; then
    echo "Construction de kadrilo et de kadrilo-rapport dans build/ (quelques minutes la première fois)"
    cmake -S . -B build >>"$log" 2>&1
fi
cmake --build build -j "$(nproc)" --target kadrilo kadrilo-rapport >>"$log" 2>&1
if [ "$(stat -c %Y "${programs[@]}" 2>/dev/null || true)" != "$before" ]; then
    echo "Programmes construits : $PWD/build/kadrilo et $PWD/build/kadrilo-rapport"
fi
trap - ERR
exec "$PWD/build/kadrilo"
