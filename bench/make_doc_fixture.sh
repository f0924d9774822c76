#!/usr/bin/env bash
# Makes bench/fixtures/three_tables.doc: the benchmark's generated document saved as
# Word 97-2003 by LibreOffice, so that .doc and .docx runs convert the same content.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_convert" --write-docx "$work/three_tables.docx"
soffice --headless --convert-to doc --outdir "$work" "$work/three_tables.docx" >/dev/null
cp "$work/three_tables.doc" "$root/bench/fixtures/three_tables.doc"
