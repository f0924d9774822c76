#!/usr/bin/env bash
# Takes pictures of the windows under a virtual X server: the main window at rest,
# during and after a run, the options dialog and the about box.
# Usage: tools/screenshots.sh [output folder]   (default: build-screenshots/screenshots)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTILE_BUILD_DIR:-$root/build-screenshots}"
out="${1:-$build/screenshots}"
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }
cmake -S "$root" -B "$build" -DVANTILE_GUI=ON >/dev/null
cmake --build "$build" --target ui_screenshots -j2
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" "$build/tests/ui/ui_screenshots" "$out"
echo "Screenshots in $out"
