#!/usr/bin/env bash
# Regenerates the navigation button graphics in data/Samples and data/navgraph.
# Usage: scripts/make_nav_buttons.sh            (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DLUMENFOLD_BENCH=ON >/dev/null
cmake --build "$build" --target make_nav_buttons >/dev/null
"$build/bench/make_nav_buttons" "$root/data"
ls -l "$root"/data/Samples/*.gif "$root"/data/navgraph/*.gif
