#!/bin/bash
# Runs two kadrilo-rapport binaries over the same cases and says where their standard output,
# standard error or exit status differ: a change meant to keep every output must show none.
#   scripts/compare-reports.sh BASE_BUILD NEW_BUILD
# Each build folder holds kadrilo-rapport, exiftool.exe and tests/package/make_fixtures. The
# library is made of the fixtures, the real samples of $KADRILO_SAMPLES_DIR (else
# ../shared/samples) when present, a text file and random bytes named as raw images, and a
# folder whose name is Latin-1. Every case runs twice, the second time from the cache that
# the first wrote, each build with its own.
set -u
base=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lib=$work/lib
samples=${KADRILO_SAMPLES_DIR:-$(dirname "$(realpath "$0")")/../../shared/samples}
"$new/tests/package/make_fixtures" "$lib" >/dev/null || exit 1
mkdir -p "$lib/sub" "$lib/bad"
[ -d "$samples" ] && cp "$samples"/CanonRaw.* "$lib/sub/"
echo "pas une image" >"$lib/sub/texte.CR2"
head -c 3000 /dev/urandom >"$lib/bad/hasard.CR2"
cp "$lib/IMG_0001.CR2" "$lib/bad/"
latin=$lib/$(printf 'ph\xe9')
mkdir -p "$latin" && cp "$lib/IMG_0001.CR2" "$latin/"

cases=(
    "$lib" "--recursif $lib" "--format csv $lib" "--format json --recursif $lib"
    "--format html --recursif $lib" "--par annee --recursif $lib"
    "--par boitier --format csv --recursif $lib" "--par objectif --format json --recursif $lib"
    "--par objectif --format html --recursif $lib" "--sans-cache --recursif $lib"
    "--sans-cache --processus 2 $lib/bad" "$lib/sub" "--format json $lib/sub"
    "--objectif zzz --recursif $lib" "--boitier 5D --recursif $lib"
    "--depuis 2000-01-01 --jusqu-au 2030-12-31 --format json --recursif $lib"
    "--depuis 2030-01-01 --format html --recursif $lib" "--format=json --par=annee $lib"
    "--objectif $(printf 'ph\xe9') $latin" "-- $latin" "$lib/absent" "$lib/IMG_0001.CR2"
    "--inconnue $lib" "--format xml $lib" "--recursif --recursif $lib" "" "--help" "$lib $lib"
    "--depuis 2023-02-29 $lib"
)
differ=0
for pass in 1 2; do
    for arguments in "${cases[@]}"; do
        for side in base new; do
            build=$base
            [ $side = new ] && build=$new
            # shellcheck disable=SC2086 # each case is split into its arguments
            XDG_CACHE_HOME=$work/cache-$side "$build/kadrilo-rapport" $arguments \
                >"$work/$side.out" 2>"$work/$side.err"
            echo $? >"$work/$side.status"
        done
        for part in out err status; do
            if ! cmp -s "$work/base.$part" "$work/new.$part"; then
                echo "différent ($part, passage $pass) : kadrilo-rapport $arguments"
                differ=1
            fi
        done
    done
done
echo "${#cases[@]} cas, deux passages : $([ $differ = 0 ] && echo identiques || echo différences)"
exit $differ
