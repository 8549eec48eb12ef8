#!/usr/bin/env bash
# scripts/setup-debian.sh run as nobody, who cannot install: it must say in French what is
# missing and the command for an administrator, and end with status 1. Each row gives it a
# PATH of its own, where a fake dpkg-query reports every package missing (or none) and sudo
# is absent, refuses, or lets the account in.
set -uo pipefail
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
    echo "SKIP: changing to the user nobody needs root and setpriv"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$1/scripts/setup-debian.sh" "$work/"
failures=0

# row NAME DPKG_QUERY_SCRIPT SUDO_SCRIPT (empty: no sudo) STATUS TEXT...
row() {
    local name="$1" bin="$work/bin-$RANDOM" expected="$4" output status text
    mkdir "$bin"
    for tool in bash env grep id; do ln -s "$(command -v "$tool")" "$bin/$tool"; done
    printf '#!/bin/bash\n%s\n' "$2" >"$bin/dpkg-query"
    [ -z "$3" ] || printf '#!/bin/bash\n%s\n' "$3" >"$bin/sudo"
    chmod -R a+rx "$bin"
    output="$(setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH="$bin" \
        LC_ALL=C.UTF-8 bash "$work/setup-debian.sh" --run </dev/null 2>&1)"
    status=$?
    shift 4
    for text in "$@" ""; do
        if [ "$status" -ne "$expected" ] || [[ "$output" != *"$text"* ]]; then
            printf 'FAIL: %s: status %s, « %s » expected in:\n%s\n' "$name" "$status" "$text" "$output"
            failures=$((failures + 1))
            return
        fi
    done
    echo "PASS: $name"
}

missing='exit 1'
row "no sudo installed" "$missing" "" 1 "sudo n'est pas installé" \
    "Paquets manquants : build-essential cmake" \
    "    apt-get install --no-install-recommends build-essential cmake qt6-base-dev"
row "sudo asks a password, no terminal" "$missing" 'exit 1' 1 \
    "aucun terminal n'est ouvert" "Demandez à un administrateur de lancer :"
row "sudo lets the account in: apt-get through sudo" "$missing" \
    '[ "$1" = -n ] || echo "sudo $*"' 0 "paquets Debian : build-essential cmake" \
    "sudo env DEBIAN_FRONTEND=noninteractive apt-get install"
row "nothing missing: nothing said, sudo not needed" 'echo "install ok installed"' "" 0
exit $((failures > 0))
