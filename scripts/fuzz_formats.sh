#!/usr/bin/env bash
# Fuzzes the image format readers with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, one target per fuzz/<format>_fuzzer.cpp, each for a bounded time.
# Usage: scripts/fuzz_formats.sh [seconds] [formats...]
#   seconds  time per reader (default 120); formats: e.g. bmp png (default: every fuzzer present)
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

# Seeds: the sample files of the format (a format without a sample module starts empty).
seed() {
  local format=$1 corpus=$2 samples
  samples=$(mktemp -d)
  if /usr/bin/python3 "$root/tests/imaging/make_format_samples.py" "$samples" "$format" >/dev/null 2>&1; then
    find "$samples" -type f ! -name '*.expected.ppm' -exec cp {} "$corpus"/ \;
  fi
  rm -rf "$samples"
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
  "$build/bin/fuzz_$f" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=262144 -timeout=20 \
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
