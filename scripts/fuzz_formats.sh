#!/usr/bin/env bash
# Fuzzes the image format readers, and the thumbnail pipeline that users' files go through, with
# clang's libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, one target per
# fuzz/<name>_fuzzer.cpp, each for a bounded time.
# Usage: scripts/fuzz_formats.sh [seconds] [formats...]
#   seconds  time per target (default 120); formats: e.g. bmp png thumbnail_pipeline (default: every
#            fuzzer present)
#   FUZZ_FORMATS_BUILD_DIR overrides build-fuzz-formats/.
# Each corpus is seeded with the format's samples from tests/imaging/make_format_samples.py (Pillow
# through /usr/bin/python3). Prints executions per reader; exits non-zero when a reader has a
# finding (crash, sanitizer report, leak, time-out or memory blow-up), kept as fuzz-<format>-*.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-120}
shift || true
build=${FUZZ_FORMATS_BUILD_DIR:-$root/build-fuzz-formats}
formats=("$@")
if [ ${#formats[@]} -eq 0 ]; then
  for source in "$root"/fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    [ "$name" = gif_decoder ] || formats+=("$name")   # the GIF decoders have scripts/fuzz_gif.sh
  done
fi

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMENFOLD_FUZZ=ON -DLUMENFOLD_TESTS=OFF -DLUMENFOLD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" >/dev/null
targets=()
for f in "${formats[@]}"; do targets+=("fuzz_$f"); done
cmake --build "$build" -j4 --target "${targets[@]}"

# Seeds: the sample files of the format (a format without a sample module starts empty); the
# pipeline takes the samples of every format, and photographs turned by their EXIF orientation.
seed() {
  local format=$1 corpus=$2 samples
  samples=$(mktemp -d)
  if [ "$format" = thumbnail_pipeline ]; then
    seed_pipeline "$samples" "$corpus"
  elif /usr/bin/python3 "$root/tests/imaging/make_format_samples.py" "$samples" "$format" >/dev/null 2>&1; then
    find "$samples" -type f ! -name '*.expected.ppm' -exec cp {} "$corpus"/ \;
  fi
  rm -rf "$samples"
}

# Each pipeline input is 4 bytes of choices (see fuzz/thumbnail_pipeline_fuzzer.cpp) and a file.
seed_pipeline() {
  local samples=$1 corpus=$2
  /usr/bin/python3 "$root/tests/imaging/make_format_samples.py" "$samples" >/dev/null 2>&1 || return 0
  /usr/bin/python3 - "$samples" "$corpus" <<'PY' || true
import os, sys
from PIL import Image
samples, corpus = sys.argv[1:]
# The target's extension list, in its order.
extensions = ["jpg", "jpeg", "gif", "bmp", "dib", "rle", "png", "pcx", "tga", "tif",
              "ppm", "pgm", "pbm", "ico", "wmf", "emf"]
photo = Image.new("RGB", (160, 90))
photo.putdata([((x * 3) % 256, (y * 5) % 256, (x + y) % 256) for y in range(90) for x in range(160)])
for orientation in range(1, 9):
    exif = Image.Exif()
    exif[0x0112] = orientation
    photo.save(os.path.join(samples, f"oriented_{orientation}.jpg"), "JPEG", exif=exif, quality=60)
photo.convert("P").save(os.path.join(samples, "photo.gif"), "GIF")
for n, name in enumerate(sorted(os.listdir(samples))):
    extension = name.rsplit(".", 1)[-1].lower()
    if name.endswith(".expected.ppm") or extension not in extensions:
        continue
    choices = bytes([extensions.index(extension), 89 + n % 40, 74 + n % 30, n % 32])
    with open(os.path.join(samples, name), "rb") as source, open(os.path.join(corpus, name), "wb") as out:
        out.write(choices + source.read())
PY
}

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
summary=()
status=0
for f in "${formats[@]}"; do
  corpus=$build/corpus-$f
  mkdir -p "$corpus"
  [ -n "$(ls -A "$corpus")" ] || seed "$f" "$corpus"
  log=$build/fuzz-$f.log
  result=0
  # The pipeline shrinks and encodes pictures up to the pixel limit, which the sanitizers slow down
  # about twentyfold (a second natively takes 20-25 s here); bench/bombs.sh holds the time bound.
  timeout=20
  [ "$f" = thumbnail_pipeline ] && timeout=60
  "$build/bin/fuzz_$f" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=262144 -timeout="$timeout" \
    -artifact_prefix="$build/fuzz-$f-" -print_final_stats=1 "$corpus" >"$log" 2>&1 || result=$?
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -1)
  if [ "$result" -eq 0 ]; then
    summary+=("$f: ${runs:-?} executions in $seconds s, no finding")
  else
    summary+=("$f: ${runs:-?} executions, FINDING (exit $result), see $log and $build/fuzz-$f-*")
    status=1
  fi
done
printf '%s\n' "${summary[@]}"
exit "$status"
