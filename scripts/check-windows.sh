#!/usr/bin/env bash
# Compiles every file of src/ as Windows code, syntax only, with Debian's MinGW-w64 cross
# compiler and the build's own flags (see cmake/windows_commands.cmake): the branches for
# Windows are never built on Linux otherwise. A full Windows build needs Qt for Windows, which
# Debian does not package; Qt's Linux headers are enough for a syntax check.
#   scripts/check-windows.sh [build folder]     default: build (configured, with
#                                               compile_commands.json)
# Exit status 0: every file passed; 1: a file failed; 77: the cross compiler is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

build="$(realpath "${1:-build}")"
compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
    echo "SKIP: $compiler is missing (Debian package g++-mingw-w64-x86-64-posix;" \
         "scripts/setup-debian.sh installs it)"
    exit 77
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "$build/compile_commands.json is missing: configure the build first" >&2
    exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake -DBUILD_DIR="$build" -DSOURCE_DIR="$PWD" -DCOMPILER="$(command -v "$compiler")" \
      -DOUTPUT="$work/commands" -P cmake/windows_commands.cmake

# Runs one compiler command in the background, its output kept for the summary.
jobs_max="$(nproc)"
count=0
check() {
    local file="$1"
    shift
    count=$((count + 1))
    while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do
        wait -n || true
    done
    ( if "$@" >"$work/$count.log" 2>&1; then
          echo "ok   ${file#"$PWD"/}" >>"$work/$count.log.status"
      else
          echo "FAIL ${file#"$PWD"/}" >>"$work/$count.log.status"
      fi ) &
}
# shellcheck source=/dev/null
source "$work/commands"
wait

failed=0
for ((n = 1; n <= count; n++)); do
    cat "$work/$n.log.status"
    if grep -q '^FAIL' "$work/$n.log.status"; then
        failed=$((failed + 1))
    fi
    # Warnings count too: the Windows branches must build as cleanly as the Linux ones.
    if [ -s "$work/$n.log" ]; then
        sed 's/^/    /' "$work/$n.log"
        grep -q '^FAIL' "$work/$n.log.status" || failed=$((failed + 1))
    fi
done
echo "Windows syntax check ($compiler): $((count - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
