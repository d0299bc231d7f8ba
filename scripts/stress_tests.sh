#!/usr/bin/env bash
# Runs the whole suite on a machine made busy on purpose: builds everything, starts one busy loop
# per core, runs ctest with twice as many tests at once as there are cores, each test until it
# fails or five times, and returns ctest's status. The busy loops end with the script, however it ends.
# Usage: scripts/stress_tests.sh            (uses $BUILD_DIR, default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh" -DLUMENFOLD_TESTS=ON -DLUMENFOLD_BENCH=ON

cores=$(nproc)
loops=()
stop_loops() {
  if [ ${#loops[@]} -gt 0 ]; then
    kill "${loops[@]}" 2>/dev/null || true
    wait "${loops[@]}" 2>/dev/null || true
    loops=()
  fi
}
trap stop_loops EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for _ in $(seq "$cores"); do
  bash -c 'while :; do :; done' &
  loops+=($!)
done
echo "stress: $cores busy loops, ctest -j$((2 * cores)) --repeat until-fail:5"

export QT_QPA_PLATFORM=offscreen
status=0
(cd "$build" && ctest -j"$((2 * cores))" --repeat until-fail:5 --timeout 600 --output-on-failure) || status=$?
stop_loops
exit "$status"
