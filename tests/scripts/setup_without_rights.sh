#!/usr/bin/env bash
# scripts/setup-debian.sh run as an ordinary user who cannot install: it must say in French
# what is missing and the one command for an administrator, and end with status 1. Each row
# runs it as nobody with a PATH of its own, where a fake dpkg-query reports every package
# missing (or none) and sudo is absent, refuses, or lets the account in.
#   setup_without_rights.sh SOURCE_DIR
set -uo pipefail
source_dir="$1"
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
    echo "SKIP: changing to the user nobody needs root and setpriv"
    exit 77
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$source_dir/scripts/setup-debian.sh" "$work/"
failures=0

# row NAME INSTALLED SUDO EXPECTED_STATUS EXPECTED_TEXT...
#   INSTALLED: yes or no, what the fake dpkg-query says of every package
#   SUDO: none, refuses (a password is asked, no terminal), or lets-in (sudo -n true works)
row() {
    local name="$1" installed="$2" sudo="$3" expected="$4"
    shift 4
    local bin="$work/bin-$RANDOM"
    mkdir "$bin"
    for tool in bash env grep id cat; do ln -s "$(command -v "$tool")" "$bin/$tool"; done
    if [ "$installed" = yes ]; then
        printf '#!/bin/bash\necho "install ok installed"\n' >"$bin/dpkg-query"
    else
        printf '#!/bin/bash\nexit 1\n' >"$bin/dpkg-query"
    fi
    case "$sudo" in
    refuses) printf '#!/bin/bash\necho "sudo: a password is required" >&2\nexit 1\n' >"$bin/sudo" ;;
    lets-in) printf '#!/bin/bash\n[ "$1" = -n ] && exit 0\necho "sudo $*"\n' >"$bin/sudo" ;;
    esac
    chmod -R a+rx "$bin"
    local output status
    output="$(setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i PATH="$bin" LC_ALL=C.UTF-8 bash "$work/setup-debian.sh" --run </dev/null 2>&1)"
    status=$?
    local fault=""
    [ "$status" -eq "$expected" ] || fault="status $status, not $expected"
    for text in "$@"; do
        [[ "$output" == *"$text"* ]] || fault="$fault; no « $text »"
    done
    if [ -n "$fault" ]; then
        echo "FAIL: $name: $fault"
        echo "$output" | sed 's/^/    /'
        failures=$((failures + 1))
    else
        echo "PASS: $name"
    fi
}

row "no sudo installed" no none 1 "sudo n'est pas installé" \
    "Paquets manquants : build-essential cmake" \
    "    apt-get install --no-install-recommends build-essential cmake qt6-base-dev"
row "sudo asks a password, no terminal" no refuses 1 \
    "aucun terminal n'est ouvert" "Demandez à un administrateur de lancer :"
row "sudo lets the account in: apt-get through sudo" no lets-in 0 \
    "paquets Debian : build-essential cmake" "sudo env DEBIAN_FRONTEND=noninteractive apt-get install"
row "nothing missing: nothing said, sudo not needed" yes none 0
[ "$(setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/nonexistent \
    /bin/bash "$work/setup-debian.sh" --bad 2>&1 >/dev/null | head -c 8)" = "Usage : " ] ||
    { echo "FAIL: a wrong option is not told"; failures=$((failures + 1)); }
exit $((failures > 0))
