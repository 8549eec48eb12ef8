#!/usr/bin/env bash
# The checks that packaging people run, on the files as the package holds them:
#   validate.sh desktop   DEB    desktop-file-validate on the menu entry
#   validate.sh appstream DEB    appstreamcli validate on the metadata, then validate-tree on
#                                the unpacked package (the metadata's menu entry and icons)
#   validate.sh lintian   DEB    lintian: no error and no warning; the info tags it shows are
#                                explained in cmake/deb.cmake
# A missing tool or package skips the check (exit status 77) with the reason.
set -euo pipefail
check="$1" deb="$2"

skip() {
    echo "SKIP: $*"
    exit 77
}
need() {
    command -v "$1" >/dev/null || skip "$1 is missing (Debian package $2; scripts/setup-debian.sh installs it)"
}
[ -f "$deb" ] || skip "no package $deb: tst_package_build did not make it"
need dpkg-deb dpkg

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

case "$check" in
desktop)
    need desktop-file-validate desktop-file-utils
    entry="$unpacked/usr/share/applications/kadrilo.desktop"
    desktop-file-validate "$entry"
    echo "desktop-file-validate ${entry#"$unpacked"}: no error, no warning"
    ;;
appstream)
    need appstreamcli appstream
    appstreamcli validate --no-net --pedantic \
        "$unpacked/usr/share/metainfo/org.kadrilo.kadrilo.metainfo.xml"
    appstreamcli validate-tree --no-net --pedantic "$unpacked"
    ;;
lintian)
    need lintian lintian
    # Every tag shown, down to the experimental ones; only errors and warnings fail.
    lintian --display-info --display-experimental --pedantic --fail-on error,warning \
        --tag-display-limit 0 "$deb"
    echo "lintian: no error, no warning"
    ;;
*)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac
