#!/usr/bin/env bash
# Times an unattended Spindleway rotation of a 2,000-file site (small HTML pages, ~100 KB images
# and thumbnails) against `cp -a` of the same files on the same disk, and prints the ratio.
# Each copy the tool makes reaches the disk before it replaces its live file, which cp -a does not
# wait for, so both are timed until their data is on the disk (each followed by a sync).
# Requirement: rotation work, on the disk <= 1.2 x cp -a, on the disk, as the median of the
# ratios of each round. The fixed start-up of the program (its 300 ms timer before Rotate All
# included) is measured on an empty site list and reported apart. The three are measured in turns,
# so that a busy machine weighs on each alike; a round's ratio compares the figures of that round.
# Old copies are moved aside, not deleted, until the end: on ext4 without a journal, thousands of
# files deleted within the last minute make every new file's inode allocation scan past them, a
# cost of the deletion that would fall on whichever copy came next.
# Usage: bench/rotate.sh            (uses $BUILD_DIR, default build/; RUNS rounds, default 7;
#                                    SPINDLEWAY=<program> measures another build of the program)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=${SPINDLEWAY:-}
if [ -z "$program" ]; then
    cmake -S "$root" -B "$build" -G Ninja >/dev/null
    cmake --build "$build" --target Spindleway >/dev/null
    program=$build/bin/Spindleway
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The data directory is the executable's directory: the program runs from a copy beside the data.
cp "$program" "$work/Spindleway"
rotation=$work/Site_1/R1
mkdir -p "$rotation/thumbs"
page=$(head -c 1500 /dev/zero | tr '\0' 'x')
for i in $(seq 1 1000); do
    printf '<html><body><p>page %d</p><p>%s</p></body></html>\n' "$i" "$page" >"$rotation/page$i.html"
done
mv "$rotation/page1.html" "$rotation/Index.html"
head -c $((100 * 1024)) /dev/urandom >"$work/image.bin"
for i in $(seq 1 800); do cp "$work/image.bin" "$rotation/photo$i.jpg"; done
head -c $((8 * 1024)) /dev/urandom >"$work/thumb.bin"
for i in $(seq 1 200); do cp "$work/thumb.bin" "$rotation/thumbs/photo${i}_thb.jpg"; done
rm "$work/image.bin" "$work/thumb.bin"
files=$(find "$rotation" -type f | wc -l)

live=$work/live
printf '[Sites]\r\nSite_1=Bench\r\n' >"$work/sites.ini"
printf '[General]\r\nName=Bench\r\nPath=%%\\Site_1\r\nLivePath=%s\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n[Rotation_1]\r\nRotation_Path=%%\\Site_1\\R1\\\r\n' \
    "$live" >"$work/Site_1.ini"

# The same program over an empty site list: start-up, the 300 ms timer before Rotate All, exit
# (with status 1: an empty list is an error).
empty=$work/empty
mkdir -p "$empty"
cp "$work/Spindleway" "$empty/"
printf '[Options]\r\nLogging=False\r\n' >"$empty/options.ini"
printf '[Options]\r\nLogging=False\r\n' >"$work/options.ini"

now() { date +%s%N; }
run() { (unset DISPLAY WAYLAND_DISPLAY; QT_QPA_PLATFORM=offscreen "$1/Spindleway" /ROTATE) 2>/dev/null; }
keep_best() { if [ -z "${!1}" ] || [ "$2" -lt "${!1}" ]; then printf -v "$1" '%s' "$2"; fi; }
runs=${RUNS:-7}
best_run="" best_empty="" best_cp="" best_cp_sync="" best_run_sync=""
ratios=()
mkdir -p "$work/old"
for _ in $(seq $runs); do
    sync
    start=$(now); run "$empty" || true; empty_ns=$(( $(now) - start )); keep_best best_empty $empty_ns

    [ -d "$live" ] && mv "$live" "$(mktemp -u "$work/old/live.XXXXXX")"; sync
    start=$(now); run "$work"; mid=$(now); sync; end=$(now)
    keep_best best_run $(( mid - start )); keep_best best_run_sync $(( end - start ))
    run_sync_ns=$(( end - start ))
    [ "$(find "$live" -type f | wc -l)" -eq "$files" ] || { echo "rotation copied the wrong number of files" >&2; exit 2; }

    [ -d "$work/copy" ] && mv "$work/copy" "$(mktemp -u "$work/old/copy.XXXXXX")"; sync
    start=$(now); cp -a "$rotation" "$work/copy"; mid=$(now); sync; end=$(now)
    keep_best best_cp $(( mid - start )); keep_best best_cp_sync $(( end - start ))
    # This round: rotation work until on the disk against cp -a until on the disk.
    ratios+=("$(awk -v w=$(( run_sync_ns - empty_ns )) -v c=$(( end - start )) 'BEGIN { printf "%.3f", w / c }')")
done
median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')

awk -v run="$best_run" -v runs="$best_run_sync" -v empty="$best_empty" -v cp="$best_cp" -v cps="$best_cp_sync" \
    -v n="$files" -v count="$runs" -v median="$median" -v each="${ratios[*]}" 'BEGIN {
    ms = 1e6
    work = run - empty; works = runs - empty
    printf "%d files, best of %d runs                      time (ms)\n", n, count
    printf "  Spindleway /ROTATE, whole run                   %8.1f\n", run / ms
    printf "  Spindleway over no sites (start-up, 300 ms timer, exit) %8.1f\n", empty / ms
    printf "  rotation work (difference)                      %8.1f\n", work / ms
    printf "  cp -a                                           %8.1f\n", cp / ms
    printf "  rotation work, then sync                        %8.1f\n", works / ms
    printf "  cp -a, then sync                                %8.1f\n", cps / ms
    r = work / cp; rs = works / cps
    printf "\n  both until on disk, best figures    = %.2f\n", rs
    printf "  both until on disk, each round      = %s\n", each
    printf "  both until on disk, median of rounds = %.2f  (limit 1.20) %s\n", median, (median <= 1.2 ? "OK" : "TOO SLOW")
    printf "  rotation work / cp -a, no sync      = %.2f\n", r
    printf "  whole run / cp -a                   = %.2f\n", run / cp
    exit (median <= 1.2) ? 0 : 1
}'
