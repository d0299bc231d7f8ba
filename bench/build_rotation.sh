#!/usr/bin/env bash
# Builds a 25-image rotation of 6000x4000 JPEG photographs through the build dialog, once with a
# thumbnail worker per core and once with a single worker, and prints the build time per image of
# each, their ratio and the peak memory. The photographs are generated on the first run and kept
# in $LUMENFOLD_BENCH_DIR (default: a directory under /tmp) for later runs.
# Usage: bench/build_rotation.sh [runs]       (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_build_rotation >/dev/null
work=${LUMENFOLD_BENCH_DIR:-/tmp/lumenfold_build_rotation_bench}
mkdir -p "$work"
bench() { "$build/bench/bench_build_rotation" "$work" "$root/data/Styles" "$1" "$2" 2> >(grep -v propagateSizeHints >&2); }
bench 1 0 >/dev/null  # generates the photographs when they are missing, warms the file cache
runs=${1:-3}
all=$(bench "$runs" 0)
one=$(bench "$runs" 1)
value() { sed -n "s/^$1: \([0-9.]*\).*/\1/p" <<<"$2"; }
printf 'all cores (%s): %s ms per image, peak memory %s MiB\n' "$(nproc)" "$(value best "$all")" "$(value 'peak memory' "$all")"
printf 'one core:    %s ms per image, peak memory %s MiB\n' "$(value best "$one")" "$(value 'peak memory' "$one")"
awk -v a="$(value best "$all")" -v o="$(value best "$one")" 'BEGIN { printf "ratio all/one: %.2fx\n", a / o }'
