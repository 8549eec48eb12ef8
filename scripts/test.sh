#!/usr/bin/env bash
# Installs what is needed, builds Kadrilo and runs every test, then lists what did not run.
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

# CTest counts a test as passed when Qt Test skipped some of its functions (QSKIP), and says
# nothing of them. The tests' full output, in CTest's log, tells both kinds of skip with
# their reason: Qt Test's "SKIP   : Class::function(row) reason" lines, and the "SKIP: reason"
# line of a test that skipped as a whole (exit status 77).
list_skipped() {
    local log="$build/Testing/Temporary/LastTest.log"
    [ -f "$log" ] || return 0
    awk '
        /^[0-9]+\/[0-9]+ Test: / { name = $NF }
        /^SKIP   : / { sub(/^SKIP   : /, ""); skipped[++count] = name " : " $0 }
        /^SKIP: / { sub(/^SKIP: /, ""); skipped[++count] = name " : " $0 }
        END {
            if (!count) {
                print "Tests non exécutés : aucun."
                exit
            }
            print "Tests non exécutés (" count "), et pourquoi :"
            for (i = 1; i <= count; ++i)
                print "  " skipped[i]
        }' "$log"
}

# CTest's closing lines (its summary, the tests that failed or did not run) are held back and
# printed last, after the list of skipped tests, so that the run still ends with them.
closing="$(mktemp)"
trap 'rm -f "$closing"' EXIT
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" 2>&1 |
    awk -v closing="$closing" '
        /^[0-9]+% tests passed, / { held = 1 }
        held { print > closing; next }
        { print; fflush() }' || status=$?
echo
list_skipped
echo
cat "$closing"
exit "$status"
