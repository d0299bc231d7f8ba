#!/usr/bin/env bash
# Builds a 25-image rotation of 6000x4000 JPEG photographs through the build dialog and prints the
# build time per image. The photographs are generated on the first run and kept in
# $LUMENFOLD_BENCH_DIR (default: a directory under /tmp) for later runs.
# Usage: bench/build_rotation.sh [runs]       (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bench_build_rotation >/dev/null
work=${LUMENFOLD_BENCH_DIR:-/tmp/lumenfold_build_rotation_bench}
mkdir -p "$work"
"$build/bench/bench_build_rotation" "$work" "$root/data/Styles" "${1:-3}" 2> >(grep -v propagateSizeHints >&2)
