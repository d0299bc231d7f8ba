#!/usr/bin/env bash
# Fresh Debian 12: install what is missing, build, start Lumenfold.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh"
"$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/bin/Lumenfold" "$@"
