#!/usr/bin/env bash
# Times our decoders against netpbm's converters on the same 6000x4000 RGB noise-plus-gradient
# image written by Pillow, and the reduction of that image to 252 colours.
# Usage: BUILD_DIR=build bench/decode_formats.sh        (BUILD_DIR defaults to build/)
# Each row is one function below: it times ours and the reference (best of $RUNS runs) and checks
# the ratio (or the absolute time) against its limit. Exits non-zero when a row misses its limit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
RUNS=${RUNS:-5}

if ! command -v pngtopnm >/dev/null || ! command -v tifftopnm >/dev/null || ! command -v pcxtoppm >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends netpbm >/dev/null
fi
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_decode_formats >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source image, once, then one file per format that a row needs.
/usr/bin/python3 - "$work" <<'PY'
import sys, os, random
from PIL import Image
w, h = 6000, 4000
random.seed(7)
noise = Image.frombytes("RGB", (w, h), random.randbytes(w * h * 3))
gradient = Image.merge("RGB", [Image.linear_gradient("L").resize((w, h)),
                               Image.linear_gradient("L").rotate(90).resize((w, h)),
                               Image.new("L", (w, h), 128)])
photo = Image.blend(gradient, noise, 0.15)
out = sys.argv[1]
photo.save(os.path.join(out, "photo.png"))
photo.save(os.path.join(out, "photo.tif"))
photo.save(os.path.join(out, "photo_packbits.tif"), compression="packbits")
photo.save(os.path.join(out, "photo.pcx"))
photo.save(os.path.join(out, "photo.tga"))
PY
cat "$work"/photo* >/dev/null  # warm the file cache

# Best wall time of a command in ms.
best_ms() {
  local best="" start end t
  for _ in $(seq "$RUNS"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    t=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}
ours_ms() { "$build/bench/bench_decode_formats" decode "$1" "$RUNS"; }

failures=0
# report NAME OURS REFERENCE-NAME REFERENCE LIMIT: ratio row (REFERENCE empty: LIMIT is in ms).
report() {
  local name=$1 ours=$2 refname=$3 ref=$4 limit=$5
  awk -v n="$name" -v o="$ours" -v rn="$refname" -v r="$ref" -v l="$limit" 'BEGIN {
    if (r == "") { ok = o <= l; printf "%-26s ours %8.1f ms   limit %6.0f ms             %s\n", n, o, l, ok ? "OK" : "TOO SLOW" }
    else { q = o / r; ok = q <= l; printf "%-26s ours %8.1f ms   %-10s %8.1f ms   ratio %.2f (limit %.2f) %s\n", n, o, rn, r, q, l, ok ? "OK" : "TOO SLOW" }
    exit ok ? 0 : 1 }' || failures=$((failures + 1))
}

row_png() {
  report "PNG" "$(ours_ms "$work/photo.png")" pngtopnm "$(best_ms pngtopnm "$work/photo.png")" 1.3
}

row_tiff_raw() {
  report "TIFF, uncompressed" "$(ours_ms "$work/photo.tif")" tifftopnm "$(best_ms tifftopnm "$work/photo.tif")" 1.0
}

row_tiff_packbits() {
  report "TIFF, PackBits" "$(ours_ms "$work/photo_packbits.tif")" tifftopnm \
    "$(best_ms tifftopnm "$work/photo_packbits.tif")" 1.5
}

row_pcx() {
  report "PCX" "$(ours_ms "$work/photo.pcx")" pcxtoppm "$(best_ms pcxtoppm "$work/photo.pcx")" 1.2
}

row_tga() {
  report "TGA, uncompressed" "$(ours_ms "$work/photo.tga")" "" "" 300
}

row_reduce_252() {
  report "Reduce to 252 colours" "$("$build/bench/bench_decode_formats" reduce "$work/photo.png" "$RUNS")" "" "" 1500
}

echo "6000x4000 RGB noise plus gradient, best of $RUNS runs"
row_png
row_tiff_raw
row_tiff_packbits
row_pcx
row_tga
row_reduce_252
exit $(( failures > 0 ))
