#!/usr/bin/env bash
# Builds everything (installing what is missing) and runs every test through ctest.
# VANTILE_SANITIZE=address or thread builds and tests a sanitizer configuration instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
san=${VANTILE_SANITIZE:-}
build=${VANTILE_BUILD_DIR:-$root/build-test${san:+-$san}}
cmake -S "$root" -B "$build" -DVANTILE_SANITIZE="$san" >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
