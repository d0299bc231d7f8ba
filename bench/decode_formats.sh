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

if ! command -v pngtopnm >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get install -y -qq --no-install-recommends netpbm >/dev/null
fi
cmake -S "$root" -B "$build" -G Ninja >/dev/null
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
Image.blend(gradient, noise, 0.15).save(os.path.join(sys.argv[1], "photo.png"))
PY

# Best wall time of a command in ms.
best_ms() {
  local best="" start end t
  for _ in $(seq "$RUNS"); do
    start=$(date +%s%N)
    "$@" >/dev/null
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

row_reduce_252() {
  report "Reduce to 252 colours" "$("$build/bench/bench_decode_formats" reduce "$work/photo.png" "$RUNS")" "" "" 1500
}

echo "6000x4000 RGB noise plus gradient, best of $RUNS runs"
row_png
row_reduce_252
exit $(( failures > 0 ))
