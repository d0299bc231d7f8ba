#!/usr/bin/env bash
# Times an unattended Spindleway run over many auto-rotating sites (200, 400 and 800 by default),
# each with two built rotations of ten small files, against what a script would do for the same
# sites: `cp -a` of the rotation's files into the live directory and `sync -f` of it, site by site.
# Spindleway puts every site's files on the disk before any of them goes live, so the script's
# copy is synced per site too. Both are measured in turns in one run, so that a busy machine weighs
# on each alike; the ratio of each size compares the best of its rounds.
# Usage: bench/rotate_sites.sh [sites ...]   (uses $BUILD_DIR, default build/; RUNS rounds,
#                                             default 3; SPINDLEWAY=<program> measures another build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=${SPINDLEWAY:-}
if [ -z "$program" ]; then
    cmake -S "$root" -B "$build" -G Ninja >/dev/null
    cmake --build "$build" --target Spindleway >/dev/null
    program=$build/bin/Spindleway
fi
sizes=${*:-200 400 800}
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A data directory of n sites: Site_<s>/R1 and R2 of ten files each, live in www/Site_<s>.
lay_out() {
    local data=$1 n=$2 s r f
    mkdir -p "$data"
    cp "$program" "$data/Spindleway"
    printf '[Options]\r\nLogging=False\r\n' >"$data/options.ini"
    printf '[Sites]\r\n' >"$data/sites.ini"
    for s in $(seq 1 "$n"); do
        printf 'Site_%d=Gallery %d\r\n' "$s" "$s" >>"$data/sites.ini"
        {
            printf '[General]\r\nName=Gallery %d\r\nPath=%%\\Site_%d\r\nLivePath=%%\\www\\Site_%d\\\r\n' "$s" "$s" "$s"
            printf 'AutoRotate=True\r\nRotationCount=2\r\nCurrentRotationPosition=1\r\n'
            for r in 1 2; do printf '[Rotation_%d]\r\nRotation_Path=%%\\Site_%d\\R%d\\\r\n' "$r" "$s" "$r"; done
        } >"$data/Site_$s.ini"
        for r in 1 2; do
            mkdir -p "$data/Site_$s/R$r/thumbs"
            for f in Index.html page2.html photo1.jpg photo2.jpg photo3.jpg photo4.jpg \
                     thumbs/photo1_thb.jpg thumbs/photo2_thb.jpg thumbs/photo3_thb.jpg thumbs/photo4_thb.jpg; do
                printf '%s of rotation %d of site %d\n' "$f" "$r" "$s" >"$data/Site_$s/R$r/$f"
            done
        done
    done
}

now() { date +%s%N; }
rotate() { (unset DISPLAY WAYLAND_DISPLAY; QT_QPA_PLATFORM=offscreen "$1/Spindleway" /ROTATE) 2>/dev/null; }
# What a script does for the same sites: each site's rotation copied and synced in turn.
copy_sites() {
    local data=$1 n=$2 r=$3 s
    for s in $(seq 1 "$n"); do
        mkdir -p "$data/copy/Site_$s"
        cp -a "$data/Site_$s/R$r/." "$data/copy/Site_$s/"
        sync -f "$data/copy/Site_$s"
    done
}
keep_best() { if [ -z "${!1}" ] || [ "$2" -lt "${!1}" ]; then printf -v "$1" '%s' "$2"; fi; }

printf '%6s %16s %16s %8s\n' sites 'Spindleway (ms)' 'cp+sync (ms)' ratio
for n in $sizes; do
    data=$work/sites$n
    lay_out "$data" "$n"
    best_run="" best_cp=""
    for round in $(seq 1 "$runs"); do
        r=$(( (round - 1) % 2 + 1 ))  # the rotation this run publishes
        sync
        start=$(now); rotate "$data"; end=$(now); keep_best best_run $(( end - start ))
        cmp -s "$data/www/Site_$n/Index.html" "$data/Site_$n/R$r/Index.html" ||
            { echo "the run did not publish rotation $r" >&2; exit 2; }
        rm -rf "$data/copy"; sync
        start=$(now); copy_sites "$data" "$n" "$r"; end=$(now); keep_best best_cp $(( end - start ))
    done
    awk -v n="$n" -v run="$best_run" -v cp="$best_cp" \
        'BEGIN { printf "%6d %16.1f %16.1f %8.2f\n", n, run / 1e6, cp / 1e6, run / cp }'
    rm -rf "$data"
done
