#!/usr/bin/env bash
# Fresh Debian 12: install what the programs need, build only Lumenfold, Spindleway and their data
# (no tests, benchmarks or fuzzers), start Lumenfold.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh" programs
"$root/scripts/build.sh" -DLUMENFOLD_TESTS=OFF -DLUMENFOLD_BENCH=OFF
exec "${BUILD_DIR:-$root/build}/bin/Lumenfold" "$@"
