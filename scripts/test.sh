#!/usr/bin/env bash
# Fresh Debian 12: install what is missing, build everything (programs, tests, benchmarks), run every
# test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install_deps.sh" all
"$root/scripts/build.sh" -DLUMENFOLD_TESTS=ON -DLUMENFOLD_BENCH=ON
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
