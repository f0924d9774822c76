#!/usr/bin/env bash
# Builds the program (installing what is missing) and runs it with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/deps.sh"
build=${VANTILE_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DVANTILE_TESTS=OFF -DVANTILE_BENCH=OFF >/dev/null
cmake --build "$build" --target vantile -j"$(nproc)" >&2
exec "$build/vantile" "$@"
