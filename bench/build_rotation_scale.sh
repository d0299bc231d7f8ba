#!/usr/bin/env bash
# The pages of a build with descriptions for 500 and 5,000 images: time per image of each and their
# ratio (the larger build must cost no more per image, within 10%).
# Usage: bench/build_rotation_scale.sh [N]   (uses $BUILD_DIR, default build/; writes under
# $LUMENFOLD_BENCH_DIR, default $TMPDIR or /tmp)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_build_rotation_scale >/dev/null
work=$(mktemp -d "${LUMENFOLD_BENCH_DIR:-${TMPDIR:-/tmp}}/build_rotation_scale.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_build_rotation_scale" "$work" "$root/data/Styles" "${1:-500}"
