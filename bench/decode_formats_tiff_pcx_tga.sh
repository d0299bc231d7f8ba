#!/usr/bin/env bash
# Times the TIFF, PCX and TGA readers against netpbm's converters on one 6000x4000 RGB
# noise-plus-gradient picture written by Pillow, and prints the ratios with their limits:
# uncompressed TIFF <= 1.0 x tifftopnm, PackBits TIFF <= 1.5 x tifftopnm, PCX <= 1.2 x pcxtoppm,
# uncompressed TGA <= 300 ms. Every figure is the best of RUNS (default 3) runs.
# Usage: bench/decode_formats_tiff_pcx_tga.sh      (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-3}
if ! command -v tifftopnm >/dev/null || ! command -v pcxtoppm >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends netpbm >/dev/null
fi
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bench_decode_formats >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work" <<'PY'
import os, sys
from PIL import Image, ImageChops
out = sys.argv[1]
size = (6000, 4000)
across = Image.linear_gradient("L").rotate(90).resize(size)
down = Image.linear_gradient("L").resize(size)
def noisy(channel, sigma):
    return ImageChops.add(channel, Image.effect_noise(size, sigma), 1.0, -128)
picture = Image.merge("RGB", (noisy(across, 12), noisy(down, 12), noisy(Image.new("L", size, 128), 24)))
picture.save(os.path.join(out, "photo.tif"))
picture.save(os.path.join(out, "photo_packbits.tif"), compression="packbits")
picture.save(os.path.join(out, "photo.pcx"))
picture.save(os.path.join(out, "photo.tga"))
PY

ours() { "$build/bench/bench_decode_formats" -n "$runs" "$work/$1" | cut -d' ' -f1; }
theirs() {  # best wall time of a converter writing to /dev/null, in ms
  local best=""
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s%N)
    "$1" "$work/$2" >/dev/null 2>&1
    end=$(date +%s%N)
    t=$(( (end - start) / 1000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v t="$best" 'BEGIN { printf "%.1f", t / 1000 }'
}

cat "$work"/photo* >/dev/null  # warm the file cache
tif=$(ours photo.tif); tif_ref=$(theirs tifftopnm photo.tif)
pack=$(ours photo_packbits.tif); pack_ref=$(theirs tifftopnm photo_packbits.tif)
pcx=$(ours photo.pcx); pcx_ref=$(theirs pcxtoppm photo.pcx)
tga=$(ours photo.tga)

awk -v tif="$tif" -v tifr="$tif_ref" -v pack="$pack" -v packr="$pack_ref" -v pcx="$pcx" -v pcxr="$pcx_ref" \
    -v tga="$tga" 'BEGIN {
  ok = 1
  printf "6000x4000 RGB, best of runs     ours (ms)   reference (ms)   ratio   limit\n"
  row("TIFF uncompressed (tifftopnm)", tif, tifr, 1.0)
  row("TIFF PackBits (tifftopnm)", pack, packr, 1.5)
  row("PCX (pcxtoppm)", pcx, pcxr, 1.2)
  printf "%-32s %9.1f   %14s   %5s   <= 300 ms %s\n", "TGA uncompressed", tga, "-", "-", (tga <= 300 ? "OK" : "TOO SLOW")
  if (tga > 300) ok = 0
  exit ok ? 0 : 1
}
function row(name, a, b, limit,   r) {
  r = a / b
  printf "%-32s %9.1f   %14.1f   %5.2f   %.1f %s\n", name, a, b, r, limit, (r <= limit ? "OK" : "TOO SLOW")
  if (r > limit) ok = 0
}'
