#!/usr/bin/env bash
# Builds and runs the JPEG benchmark, times `djpeg -scale 1/8 -dct fast` on the same photograph and
# prints the ratios. Requirements: 1/8-scale decode <= 1.3 x djpeg, whole thumbnail <= 1.5 x djpeg,
# the open dialog's preview <= 2 x the full-size decode (fitting and converting add little to it).
# Usage: bench/jpeg_decode.sh            (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_jpeg_decode >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMENFOLD_BENCH_DIR=$work
photo=$work/photo_6000x4000.jpg

"$build/bench/bench_jpeg_decode" --benchmark_format=console --benchmark_out="$work/result.csv" \
    --benchmark_out_format=csv
ms_of() { grep -E "^\"$1[\"/]" "$work/result.csv" | cut -d, -f3; }  # real_time, in ms
full=$(ms_of BM_DecodeFullSize)
eighth=$(ms_of BM_DecodeEighthScale)
thumb=$(ms_of BM_Thumbnail150)
preview=$(ms_of BM_OpenDialogPreview)

# djpeg: best and mean of repeated runs of the whole program on the same file.
runs=30
djpeg -scale 1/8 -dct fast -outfile /dev/null "$photo"  # warm the file cache
best=""
total=0
for _ in $(seq $runs); do
    start=$(date +%s%N)
    djpeg -scale 1/8 -dct fast -outfile /dev/null "$photo"
    end=$(date +%s%N)
    t=$(( end - start ))
    total=$(( total + t ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
done
djpeg_ms=$(awk -v t="$total" -v n="$runs" 'BEGIN { printf "%.3f", t / n / 1e6 }')
djpeg_best=$(awk -v t="$best" 'BEGIN { printf "%.3f", t / 1e6 }')

awk -v full="$full" -v eighth="$eighth" -v thumb="$thumb" -v preview="$preview" -v dj="$djpeg_ms" -v djb="$djpeg_best" 'BEGIN {
    printf "\n6000x4000 JPEG                      time (ms)\n"
    printf "  full-size decode (fast DCT)       %8.2f\n", full
    printf "  1/8-scale decode (fast DCT)       %8.2f\n", eighth
    printf "  150-pixel thumbnail (decode, resample, encode) %8.2f\n", thumb
    printf "  open-dialog preview (load, fit, convert) %8.2f\n", preview
    printf "  djpeg -scale 1/8 -dct fast (mean) %8.2f   (best %.2f)\n", dj, djb
    r1 = eighth / dj; r2 = thumb / dj; r3 = preview / full
    printf "\n  1/8 decode / djpeg   = %.2f  (limit 1.30) %s\n", r1, (r1 <= 1.3 ? "OK" : "TOO SLOW")
    printf "  thumbnail  / djpeg   = %.2f  (limit 1.50) %s\n", r2, (r2 <= 1.5 ? "OK" : "TOO SLOW")
    printf "  preview    / full decode = %.2f  (limit 2.00) %s\n", r3, (r3 <= 2.0 ? "OK" : "TOO SLOW")
    exit (r1 <= 1.3 && r2 <= 1.5 && r3 <= 2.0) ? 0 : 1
}'
