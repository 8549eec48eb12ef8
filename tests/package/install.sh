#!/usr/bin/env bash
# tst_package_install: the package unpacked without root (dpkg-deb -x) into a scratch folder,
# its files checked, then run from there as an unprivileged user (uid and gid 65534 when the
# test runs as root, through setpriv; the user running it otherwise), with the program folder
# read-only:
#   1. kadrilo-rapport, through its link on the PATH, over fixture images: the counts;
#   2. kadrilo started offscreen: it makes its temp folder in the user's cache folder;
#   3. package_work_cycle: a whole work cycle in the windows with that temp folder, emptied
#      by "Quitter", with a read-only temp folder left in the program folder.
#   install.sh DEB HELPERS_DIR FILE_LIST SOURCE_DIR BUILD_DIR
set -euo pipefail
deb="$1" helpers="$2" file_list="$3" source_dir="$4" build_dir="$5"

skip() {
    echo "SKIP: $*"
    exit 77
}
[ -f "$deb" ] || skip "no package $deb: tst_package_build did not make it"
command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing"
exiftool="$(command -v exiftool)" || skip "ExifTool is missing (libimage-exiftool-perl)"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || skip "setpriv is missing (util-linux)"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

scratch="$(mktemp -d /tmp/kadrilo-package.XXXXXX)"
kadrilo_pid=""
cleanup() {
    [ -z "$kadrilo_pid" ] || kill "$kadrilo_pid" 2>/dev/null || true
    chmod -R u+w "$scratch"
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"

# The files: exactly those of the list, no hidden file, no path of the build machine.
(cd "$root" && find . -mindepth 1 \( -type l -printf '%p -> %l\n' \) -o -printf '%p\n' |
    LC_ALL=C sort) >"$scratch/files.txt"
diff -u "$file_list" "$scratch/files.txt"
if grep -rlF -e "$source_dir" -e "$build_dir" "$root"; then
    echo "build paths in the files above" >&2
    exit 1
fi

# What the package's dependencies put on a real system: /usr/bin/exiftool, which the
# package's exiftool.exe links to (../../bin/exiftool).
ln -s "$exiftool" "$root/usr/bin/exiftool"
# The program folder as installed: nobody but root may write into it.
chmod -R a-w "$root"

mkdir -p "$scratch/bin" "$scratch/home"
cp "$helpers/make_fixtures" "$helpers/package_work_cycle" "$scratch/bin/"
"$scratch/bin/make_fixtures" "$scratch/images"
[ ${#as_user[@]} -eq 0 ] || chown 65534:65534 "$scratch/home"
home="$scratch/home"
user_env=(env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" LC_ALL=C.UTF-8
          QT_QPA_PLATFORM=offscreen)
run() {
    "${as_user[@]}" "${user_env[@]}" "$@"
}
echo "running as: $(run id)"

# 1. The report, as a person types it: the rows with photos.
run kadrilo-rapport --recursif --format csv "$scratch/images" >"$scratch/report.csv"
grep -v ',0,0$' "$scratch/report.csv" >"$scratch/counted.csv"
diff -u - "$scratch/counted.csv" <<'ROWS'
categorie,classe,photos,pourcentage
iso,100 (50 à 125),2,50
iso,400 (320 à 500),1,25
iso,1600 (1250 à 2000),1,25
diaphragme,F/2.8,1,25
diaphragme,F/5.6,2,50
diaphragme,F/8,1,25
motorisation,Mode vue par vue,3,75
motorisation,Mode rafale,1,25
mode_af,One-Shot,4,100
objectifs,Canon EF 50mm f/1.8,2,50
objectifs,Canon EF 24-105mm f/4L IS USM,2,50
boitiers,Canon EOS 5D Mark II,4,100
ROWS
echo "kadrilo-rapport: 4 images counted"

# 2. Kadrilo itself, through its link on the PATH: start-up chooses the cache folder's temp.
cache_temp="$home/.cache/kadrilo/temp"
# Started without a function around it, so that $! is kadrilo itself (setpriv and env exec it).
"${as_user[@]}" "${user_env[@]}" kadrilo &
kadrilo_pid=$!
for _ in $(seq 100); do
    [ -d "$cache_temp" ] && break
    kill -0 "$kadrilo_pid" 2>/dev/null || break
    sleep 0.2
done
if [ ! -d "$cache_temp" ]; then
    echo "kadrilo did not make $cache_temp" >&2
    exit 1
fi
sleep 0.5
kill -0 "$kadrilo_pid" || { echo "kadrilo ended after its start-up" >&2; exit 1; }
kill "$kadrilo_pid"
wait "$kadrilo_pid" || true
kadrilo_pid=""
[ ! -e "$root/usr/lib/kadrilo/temp" ]
echo "kadrilo: temp folder ${cache_temp#"$home"/} in the user's cache folder"

# 3. A whole work cycle with that temp folder, this time with a temp folder in the program
# folder that the user may not write into, as left by Kadrilo once run by root.
chmod u+w "$root/usr/lib/kadrilo"
mkdir "$root/usr/lib/kadrilo/temp"
chmod a-w "$root/usr/lib/kadrilo" "$root/usr/lib/kadrilo/temp"
run KADRILO_PROGRAM_FOLDER="$root/usr/lib/kadrilo" KADRILO_IMAGES="$scratch/images" \
    "$scratch/bin/package_work_cycle"
